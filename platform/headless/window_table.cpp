#include "platform/headless/window_table.h"

#include <algorithm>
#include <utility>

#include "platform/convert.h"
#include "platform/platform.h"

namespace headless {
namespace {

using plat::EqualNoCase;

int CopyText(const std::string& text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  int n = std::min(static_cast<int>(text.size()), size - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = '\0';
  return n;
}

}  // namespace

// ================================================================ the table

WindowId WindowTable::NewHandle() {
  if (reuse_handles_ && !free_handles_.empty()) {
    WindowId w = free_handles_.back();
    free_handles_.pop_back();
    return w;
  }
  WindowId w = next_handle_;
  next_handle_ += 4;
  return w;
}

WindowTable::Window* WindowTable::Find(WindowId w) {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

const WindowTable::Window* WindowTable::Find(WindowId w) const {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

WindowId WindowTable::CreateWindow(const std::string& class_name, const std::string& caption,
                                   const WindowOptions& options) {
  if (options.parent != 0 && Find(options.parent) == nullptr) {
    throw ScriptError("CreateWindow: parent is not a window");
  }
  Window w;
  w.id = NewHandle();
  w.class_name = class_name;
  w.caption = caption;
  w.parent = options.parent;
  w.visible = options.visible;
  w.process = options.process;
  const WindowId id = w.id;
  windows_[id] = std::move(w);
  if (options.parent != 0) {
    Find(options.parent)->children.push_back(id);  // children in creation order, first on top
  } else if (options.at_bottom) {
    z_order_.push_back(id);
  } else {
    z_order_.insert(z_order_.begin(), id);
  }
  if (options.activate && options.parent == 0) SetForeground(id);
  return id;
}

WindowId WindowTable::CreateDialog(const std::string& caption,
                                   const std::vector<std::string>& buttons, ProcessId process,
                                   std::function<void(const std::string&)> on_press,
                                   bool close_on_press) {
  WindowOptions o;
  o.process = process;
  WindowId dialog = CreateWindow("#32770", caption, o);
  for (const std::string& b : buttons) {
    WindowOptions bo;
    bo.parent = dialog;
    bo.process = process;
    WindowId button = CreateWindow("Button", b, bo);
    Find(button)->on_click = [this, dialog, b, on_press, close_on_press] {
      if (on_press) on_press(b);
      if (close_on_press && WindowExists(dialog)) DestroyWindow(dialog);
    };
  }
  return dialog;
}

void WindowTable::Unlink(WindowId w) {
  Window* win = Find(w);
  if (win == nullptr) return;
  if (win->parent != 0) {
    if (Window* p = Find(win->parent)) std::erase(p->children, w);
  } else {
    std::erase(z_order_, w);
  }
}

void WindowTable::ActivateNext() {
  foreground_ = 0;
  for (WindowId t : z_order_) {
    if (Find(t)->visible) {
      foreground_ = t;
      break;
    }
  }
}

void WindowTable::DestroyTree(WindowId w) {
  Window* win = Find(w);
  if (win == nullptr) return;
  std::vector<WindowId> children = win->children;
  for (WindowId c : children) DestroyTree(c);
  Unlink(w);
  windows_.erase(w);
  if (reuse_handles_) free_handles_.push_back(w);
  if (foreground_ == w) ActivateNext();
}

void WindowTable::DestroyWindow(WindowId w) {
  DestroyTree(w);
}

void WindowTable::SetCaption(WindowId w, const std::string& caption) {
  if (Window* win = Find(w)) win->caption = caption;
}

void WindowTable::SetVisible(WindowId w, bool visible) {
  if (Window* win = Find(w)) win->visible = visible;
}

void WindowTable::BringToTop(WindowId w) {
  Window* win = Find(w);
  if (win == nullptr) return;
  if (win->parent != 0) {
    auto& siblings = Find(win->parent)->children;
    std::erase(siblings, w);
    siblings.insert(siblings.begin(), w);
  } else {
    std::erase(z_order_, w);
    z_order_.insert(z_order_.begin(), w);
  }
}

void WindowTable::SetForeground(WindowId w) {
  Window* win = Find(w);
  if (win == nullptr || win->parent != 0) return;
  BringToTop(w);
  foreground_ = w;
}

void WindowTable::SetHung(WindowId w, bool hung) {
  if (Window* win = Find(w)) win->hung = hung;
}

void WindowTable::SetHandler(WindowId w, MessageHandler handler) {
  if (Window* win = Find(w)) win->handler = std::move(handler);
}

std::string WindowTable::Caption(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->caption : std::string();
}

std::string WindowTable::ClassOf(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->class_name : std::string();
}

WindowId WindowTable::Parent(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->parent : 0;
}

bool WindowTable::Visible(WindowId w) const {
  const Window* win = Find(w);
  return win && win->visible;
}

ProcessId WindowTable::ProcessOf(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->process : 0;
}

int WindowTable::ControlId(WindowId w) const {
  const Window* win = Find(w);
  return win && win->parent != 0 ? win->control_id : 0;
}

void WindowTable::SetControlId(WindowId w, int id) {
  if (Window* win = Find(w)) win->control_id = id;
}

std::vector<WindowId> WindowTable::Children(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->children : std::vector<WindowId>{};
}

int WindowTable::ClickCount(WindowId button) const {
  const Window* win = Find(button);
  return win ? win->clicks : 0;
}

void WindowTable::EnumDescendants(WindowId parent, std::vector<WindowId>& out) const {
  const Window* win = Find(parent);
  if (win == nullptr) return;
  for (WindowId c : win->children) {
    out.push_back(c);
    EnumDescendants(c, out);
  }
}

WindowId WindowTable::FindChild(WindowId parent, const std::string& caption) const {
  std::vector<WindowId> all;
  EnumDescendants(parent, all);
  for (WindowId c : all) {
    if (Find(c)->caption == caption) return c;
  }
  return 0;
}

std::string WindowTable::Identity(WindowId w) const {
  const Window* win = Find(w);
  if (win == nullptr) return "(no window)";
  return win->caption.empty() ? "<" + win->class_name + ">" : win->caption;
}

void WindowTable::BindForm(WindowId top, plat::Form* form) {
  if (Window* win = Find(top)) win->form = form;
}

const plat::Form* WindowTable::BoundForm(WindowId top) const {
  const Window* win = Find(top);
  return win ? win->form : nullptr;
}

void WindowTable::KeepOpenOnClose(WindowId box) {
  if (Window* win = Find(box)) win->keep_on_close = true;
}

void WindowTable::ShowWindow(WindowId w, bool visible) {
  Window* win = Find(w);
  if (win == nullptr) return;
  win->visible = visible;
  if (visible) {
    SetForeground(w);
  } else if (foreground_ == w) {
    ActivateNext();
  }
}

void WindowTable::PowerOff() {
  windows_.clear();
  z_order_.clear();
  free_handles_.clear();
  foreground_ = 0;
}

// ================================================================ the window calls

WindowId WindowTable::FindTopLevel(const char* class_name, const char* caption) const {
  for (WindowId w : z_order_) {
    const Window* win = Find(w);
    if (class_name != nullptr && !EqualNoCase(win->class_name, class_name)) continue;
    if (caption != nullptr && !EqualNoCase(win->caption, caption)) continue;
    return w;
  }
  return 0;
}

std::vector<WindowId> WindowTable::Descendants(WindowId parent) const {
  if (parent == 0) return z_order_;
  std::vector<WindowId> out;
  EnumDescendants(parent, out);
  return out;
}

WindowId WindowTable::NextWindow(WindowId window) const {
  const Window* win = Find(window);
  if (win == nullptr) return 0;
  const std::vector<WindowId>& list = win->parent != 0 ? Find(win->parent)->children : z_order_;
  auto it = std::find(list.begin(), list.end(), window);
  if (it == list.end() || ++it == list.end()) return 0;
  return *it;
}

bool WindowTable::OwnWindow(WindowId window) const {
  const Window* win = Find(window);
  return win != nullptr && win->process == 0;
}

int WindowTable::CaptionLength(WindowId window) const {
  const Window* win = Find(window);
  return win ? static_cast<int>(win->caption.size()) : 0;
}

int WindowTable::CopyCaption(WindowId window, char* buffer, int size) const {
  const Window* win = Find(window);
  return CopyText(win ? win->caption : std::string(), buffer, size);
}

int WindowTable::CopyClassName(WindowId window, char* buffer, int size) const {
  const Window* win = Find(window);
  return win ? CopyText(win->class_name, buffer, size) : 0;  // no window: the buffer as it was
}

std::intptr_t WindowTable::DefWindowProc(const SentMessage& m) {
  Window* win = Find(m.window);
  if (win == nullptr) return 0;
  if (EqualNoCase(win->class_name, "Button")) {
    if (m.message == plat::kWmLButtonDown) {
      win->button_down = true;
    } else if (m.message == plat::kWmLButtonUp && win->button_down) {
      win->button_down = false;
      ++win->clicks;
      std::function<void()> click = win->on_click;  // the click may destroy the button
      if (click) click();
    }
    return 0;
  }
  if (m.message == plat::kWmClose) {
    if (win->form != nullptr) {
      plat::Dispatch::CloseRequest(*win->form);
    } else if (!win->keep_on_close) {
      DestroyWindow(m.window);
    }
  }
  return 0;
}

std::intptr_t WindowTable::Deliver(Window& win, const SentMessage& m) {
  if (win.handler) {
    MessageHandler h = win.handler;  // the handler may replace itself
    return h(m);
  }
  return DefWindowProc(m);
}

std::intptr_t WindowTable::Send(WindowId window, unsigned message, std::uintptr_t wparam,
                                std::intptr_t lparam) {
  journal_.Record("SendMessage", {Identity(window), MessageName(message), std::to_string(wparam),
                                  std::to_string(lparam)});
  Window* win = Find(window);
  if (win == nullptr) return 0;
  if (win->hung) {
    // The real call would never return; the test is told.
    ++hang_count_;
    journal_.Record("Hang", {Identity(window), MessageName(message)});
    return 0;
  }
  return Deliver(*win, {window, message, wparam, lparam});
}

bool WindowTable::SendWithTimeout(WindowId window, unsigned message, std::uintptr_t wparam,
                                  std::intptr_t lparam, unsigned flags, unsigned timeout_ms,
                                  std::uintptr_t* result) {
  journal_.Record("SendMessageTimeout",
                  {Identity(window), MessageName(message), std::to_string(wparam),
                   std::to_string(lparam), std::to_string(flags), std::to_string(timeout_ms)});
  Window* win = Find(window);
  if (win == nullptr) return false;
  if (win->hung) {
    if ((flags & plat::kSmtoAbortIfHung) == 0) clock_.Block(timeout_ms);
    return false;
  }
  std::intptr_t r = Deliver(*win, {window, message, wparam, lparam});
  if (result) *result = static_cast<std::uintptr_t>(r);
  return true;
}

}  // namespace headless
