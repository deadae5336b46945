// The desktop's clock, windows, forms, message boxes, programs, faults and input.
// Files, profiles, the registry and the other system services: desktop_system.cpp.
#include "platform/headless/desktop.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/platform.h"

namespace headless {
namespace {

using plat::EqualNoCase;

const char* KindClass(plat::Kind k) {
  switch (k) {
    case plat::Kind::kPictureBox:
      return "BrivanePicture";
    case plat::Kind::kListBox:
      return "ListBox";
    case plat::Kind::kCheckBox:
    case plat::Kind::kOptionButton:
      return "Button";
    default:
      return nullptr;  // labels and timers have no window
  }
}

struct BoxButton {
  const char* caption;
  int id;
};

std::vector<BoxButton> ButtonsOf(int style) {
  switch (style & 0xF) {
    case plat::kMbOkCancel:
      return {{"OK", plat::kIdOk}, {"Cancel", plat::kIdCancel}};
    case 2:
      return {{"&Abort", 3}, {"&Retry", 4}, {"&Ignore", 5}};
    case 3:
      return {{"&Yes", plat::kIdYes}, {"&No", plat::kIdNo}, {"Cancel", plat::kIdCancel}};
    case plat::kMbYesNo:
      return {{"&Yes", plat::kIdYes}, {"&No", plat::kIdNo}};
    case 5:
      return {{"&Retry", 4}, {"Cancel", plat::kIdCancel}};
    default:
      return {{"OK", plat::kIdOk}};
  }
}

// Runs a clean-up when the scope is left, also by an exception.
template <typename F>
class Finally {
 public:
  explicit Finally(F f) : f_(std::move(f)) {}
  ~Finally() { f_(); }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  F f_;
};

}  // namespace

// ================================================================ SimProcess

WindowId SimProcess::CreateWindow(const std::string& class_name, const std::string& caption) {
  WindowOptions o;
  o.process = id;
  o.visible = show_state != 0;
  o.activate = show_state == plat::kShowNormalFocus;
  return desktop.CreateWindow(class_name, caption, o);
}

WindowId SimProcess::CreateDialog(const std::string& caption, std::vector<std::string> buttons,
                                  std::function<void(const std::string&)> on_press) {
  return desktop.CreateDialog(caption, buttons, id, std::move(on_press));
}

void SimProcess::After(std::uint32_t ms, std::function<void()> fn) {
  Desktop* d = &desktop;
  ProcessId pid = id;
  desktop.After(ms, [d, pid, fn = std::move(fn)] {
    auto it = d->ended_.find(pid);
    if (it != d->ended_.end() && !it->second) fn();  // an ended process does nothing more
  });
}

void SimProcess::End() {
  desktop.EndProgram(id);
}

bool SimProcess::ended() const {
  auto it = desktop.ended_.find(id);
  return it == desktop.ended_.end() || it->second;
}

// ================================================================ set-up

Desktop::Desktop() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "brivane-desktop-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("cannot create " + tmpl);
  root_ = tmpl;
  drive_types_['C'] = plat::kDriveFixed;
  system_colours_[5] = plat::MakePixel(255, 255, 255);
  system_colours_[7] = plat::MakePixel(0, 0, 0);
  system_colours_[8] = plat::MakePixel(0, 0, 0);
  SetWindowsDirectory("C:\\WINDOWS");
  SetExecutablePath("C:\\Program Files\\Brivane\\brivane.exe");
}

Desktop::~Desktop() {
  if (installed_) plat::Install(nullptr, nullptr);
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

void Desktop::Install() {
  plat::Install(this, this);
  installed_ = true;
}

void Desktop::Restart() {
  scheduled_.clear();
  timers_.clear();
  windows_.clear();
  z_order_.clear();
  free_handles_.clear();
  foreground_ = 0;
  screens_.clear();
  pointers_.clear();
  exposed_.clear();
  open_boxes_.clear();
  help_viewers_.clear();
  for (auto& [pid, ended] : ended_) ended = true;
  process_ended_ = false;
  Record({now_, "Restart", {}});
}

// ================================================================ faults

void Desktop::Fail(Op op, int error_number, int times, int after) {
  faults_.push_back({op, error_number, times, after});
}

bool Desktop::Faulted(Op op, int* error) {
  ++calls_[static_cast<std::size_t>(op)];
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->op != op) continue;
    if (it->after > 0) {
      --it->after;
      return false;
    }
    *error = it->error;
    if (--it->times <= 0) faults_.erase(it);
    return true;
  }
  return false;
}

void Desktop::ThrowIfFaulted(Op op) {
  int error = 0;
  if (Faulted(op, &error)) plat::Raise(error);
}

void Desktop::Wrote(Event e) {
  log_.Add(e);
  if (write_observer_) write_observer_(log_[log_.size() - 1]);
}

// ================================================================ clock

int Desktop::After(std::uint64_t ms, std::function<void()> fn) {
  int id = next_event_id_++;
  scheduled_.push_back({now_ + ms, ++order_, id, std::move(fn)});
  return id;
}

void Desktop::Cancel(int event_id) {
  std::erase_if(scheduled_, [event_id](const Scheduled& s) { return s.id == event_id; });
}

std::optional<std::uint64_t> Desktop::TimerDue(const plat::Control& timer) const {
  auto it = timers_.find(&timer);
  if (it == timers_.end()) return std::nullopt;
  return it->second.due;
}

bool Desktop::Step(std::uint64_t limit, bool timers) {
  auto ev = scheduled_.end();
  for (auto it = scheduled_.begin(); it != scheduled_.end(); ++it) {
    if (it->time > limit) continue;
    if (ev == scheduled_.end() || std::pair(it->time, it->order) < std::pair(ev->time, ev->order)) {
      ev = it;
    }
  }
  const plat::Control* tc = nullptr;
  if (timers) {
    for (const auto& [c, t] : timers_) {
      if (t.due > limit) continue;
      if (tc == nullptr ||
          std::pair(t.due, t.order) < std::pair(timers_.at(tc).due, timers_.at(tc).order)) {
        tc = c;
      }
    }
  }
  if (ev == scheduled_.end() && tc == nullptr) return false;
  if (ev != scheduled_.end() && (tc == nullptr || ev->time <= timers_.at(tc).due)) {
    now_ = std::max(now_, ev->time);
    std::function<void()> fn = std::move(ev->fn);
    scheduled_.erase(ev);
    fn();
    return true;
  }
  Timer& t = timers_.at(tc);
  now_ = std::max(now_, t.due);
  t.due = now_ + t.interval;  // a late tick comes once; the next is an interval after it
  PaintExposed();
  plat::Dispatch::Timer(*const_cast<plat::Control*>(tc));
  return true;
}

void Desktop::RunScheduledUpTo(std::uint64_t limit) {
  while (Step(limit, false)) {
  }
  now_ = std::max(now_, limit);
}

void Desktop::RunFor(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  PaintExposed();
  while (Step(target, true)) {
  }
  now_ = std::max(now_, target);
}

bool Desktop::RunUntil(const std::function<bool()>& done, std::uint64_t limit_ms) {
  const std::uint64_t target = now_ + limit_ms;
  PaintExposed();
  while (!done()) {
    if (!Step(target, true)) {
      now_ = std::max(now_, target);
      return done();
    }
  }
  return true;
}

void Desktop::Sleep(std::uint32_t milliseconds) {
  ThrowIfFaulted(Op::kSleep);
  RunScheduledUpTo(now_ + milliseconds);
}

void Desktop::DoEvents() {
  ThrowIfFaulted(Op::kDoEvents);
  PaintExposed();
  while (Step(now_, true)) {
  }
}

void Desktop::TimerChanged(plat::Control& timer) {
  ThrowIfFaulted(Op::kTimerChanged);
  const bool running = timer.form().Loaded() && timer.Enabled() && timer.Interval() > 0;
  auto it = timers_.find(&timer);
  if (!running) {
    if (it != timers_.end()) timers_.erase(it);
    return;
  }
  if (it == timers_.end()) {
    timers_[&timer] = {now_ + timer.Interval(), timer.Interval(), ++order_};
  } else if (it->second.interval != timer.Interval()) {
    it->second.interval = timer.Interval();
    it->second.due = now_ + timer.Interval();
  }
}

// ================================================================ windows

WindowId Desktop::NewHandle() {
  if (reuse_handles_ && !free_handles_.empty()) {
    WindowId w = free_handles_.back();
    free_handles_.pop_back();
    return w;
  }
  WindowId w = next_handle_;
  next_handle_ += 4;
  return w;
}

Desktop::Window* Desktop::Find(WindowId w) {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

const Desktop::Window* Desktop::Find(WindowId w) const {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : &it->second;
}

WindowId Desktop::CreateWindow(const std::string& class_name, const std::string& caption,
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

WindowId Desktop::CreateDialog(const std::string& caption, const std::vector<std::string>& buttons,
                               ProcessId process, std::function<void(const std::string&)> on_press,
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

void Desktop::Unlink(WindowId w) {
  Window* win = Find(w);
  if (win == nullptr) return;
  if (win->parent != 0) {
    if (Window* p = Find(win->parent)) std::erase(p->children, w);
  } else {
    std::erase(z_order_, w);
  }
}

void Desktop::DestroyTree(WindowId w) {
  Window* win = Find(w);
  if (win == nullptr) return;
  std::vector<WindowId> children = win->children;
  for (WindowId c : children) DestroyTree(c);
  Unlink(w);
  windows_.erase(w);
  if (reuse_handles_) free_handles_.push_back(w);
  if (foreground_ == w) {
    // Windows activates the next visible top-level window.
    foreground_ = 0;
    for (WindowId t : z_order_) {
      if (Find(t)->visible) {
        foreground_ = t;
        break;
      }
    }
  }
}

void Desktop::DestroyWindow(WindowId w) {
  DestroyTree(w);
}

bool Desktop::WindowExists(WindowId w) const {
  return Find(w) != nullptr;
}

void Desktop::SetCaption(WindowId w, const std::string& caption) {
  if (Window* win = Find(w)) win->caption = caption;
}

void Desktop::SetVisible(WindowId w, bool visible) {
  if (Window* win = Find(w)) win->visible = visible;
}

void Desktop::BringToTop(WindowId w) {
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

void Desktop::SetForeground(WindowId w) {
  Window* win = Find(w);
  if (win == nullptr || win->parent != 0) return;
  BringToTop(w);
  foreground_ = w;
}

void Desktop::SetHung(WindowId w, bool hung) {
  if (Window* win = Find(w)) win->hung = hung;
}

void Desktop::SetHandler(WindowId w, MessageHandler handler) {
  if (Window* win = Find(w)) win->handler = std::move(handler);
}

std::string Desktop::Caption(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->caption : std::string();
}

std::string Desktop::ClassOf(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->class_name : std::string();
}

WindowId Desktop::Parent(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->parent : 0;
}

bool Desktop::Visible(WindowId w) const {
  const Window* win = Find(w);
  return win && win->visible;
}

ProcessId Desktop::ProcessOf(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->process : 0;
}

std::vector<WindowId> Desktop::Children(WindowId w) const {
  const Window* win = Find(w);
  return win ? win->children : std::vector<WindowId>{};
}

std::vector<WindowId> Desktop::TopLevelWindows() const {
  return z_order_;
}

int Desktop::ClickCount(WindowId button) const {
  const Window* win = Find(button);
  return win ? win->clicks : 0;
}

void Desktop::EnumDescendants(WindowId parent, std::vector<WindowId>& out) const {
  const Window* win = Find(parent);
  if (win == nullptr) return;
  for (WindowId c : win->children) {
    out.push_back(c);
    EnumDescendants(c, out);
  }
}

WindowId Desktop::FindChild(WindowId parent, const std::string& caption) const {
  std::vector<WindowId> all;
  EnumDescendants(parent, all);
  for (WindowId c : all) {
    if (Find(c)->caption == caption) return c;
  }
  return 0;
}

std::string Desktop::Identity(WindowId w) const {
  const Window* win = Find(w);
  if (win == nullptr) return "(no window)";
  return win->caption.empty() ? "<" + win->class_name + ">" : win->caption;
}

// ---- System: window management

WindowId Desktop::FindWindow(const char* class_name, const char* caption) {
  int error = 0;
  if (Faulted(Op::kFindWindow, &error)) return 0;
  for (WindowId w : z_order_) {
    const Window* win = Find(w);
    if (class_name != nullptr && !EqualNoCase(win->class_name, class_name)) continue;
    if (caption != nullptr && !EqualNoCase(win->caption, caption)) continue;
    return w;
  }
  return 0;
}

void Desktop::EnumWindows(const std::function<bool(WindowId)>& visit) {
  int error = 0;
  if (Faulted(Op::kEnumWindows, &error)) return;
  std::vector<WindowId> snapshot = z_order_;  // as user32 does, the list is taken first
  for (WindowId w : snapshot) {
    if (!visit(w)) break;
  }
}

void Desktop::EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) {
  int error = 0;
  if (Faulted(Op::kEnumChildWindows, &error)) return;
  std::vector<WindowId> snapshot;
  if (parent == 0) {
    snapshot = z_order_;
  } else {
    EnumDescendants(parent, snapshot);
  }
  for (WindowId w : snapshot) {
    if (!visit(w)) break;
  }
}

WindowId Desktop::GetNextWindow(WindowId window) {
  int error = 0;
  if (Faulted(Op::kGetNextWindow, &error)) return 0;
  const Window* win = Find(window);
  if (win == nullptr) return 0;
  const std::vector<WindowId>& list = win->parent != 0 ? Find(win->parent)->children : z_order_;
  auto it = std::find(list.begin(), list.end(), window);
  if (it == list.end() || ++it == list.end()) return 0;
  return *it;
}

int Desktop::GetWindowTextLength(WindowId window) {
  int error = 0;
  if (Faulted(Op::kGetWindowTextLength, &error)) return 0;
  const Window* win = Find(window);
  return win ? static_cast<int>(win->caption.size()) : 0;
}

namespace {
int CopyText(const std::string& text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  int n = std::min(static_cast<int>(text.size()), size - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = '\0';
  return n;
}
}  // namespace

int Desktop::GetWindowText(WindowId window, char* buffer, int size) {
  int error = 0;
  const Window* win = Faulted(Op::kGetWindowText, &error) ? nullptr : Find(window);
  return CopyText(win ? win->caption : std::string(), buffer, size);
}

int Desktop::GetClassName(WindowId window, char* buffer, int size) {
  int error = 0;
  const Window* win = Faulted(Op::kGetClassName, &error) ? nullptr : Find(window);
  if (win == nullptr) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
  return CopyText(win->class_name, buffer, size);
}

std::intptr_t Desktop::DefWindowProc(const SentMessage& m) {
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
    } else if (std::find(open_boxes_.begin(), open_boxes_.end(), m.window) == open_boxes_.end()) {
      DestroyWindow(m.window);
    }
  }
  return 0;
}

std::intptr_t Desktop::SendMessage(WindowId window, unsigned message, std::uintptr_t wparam,
                                   std::intptr_t lparam) {
  int error = 0;
  if (Faulted(Op::kSendMessage, &error)) return 0;
  Record(
      {now_,
       "SendMessage",
       {Identity(window), MessageName(message), std::to_string(wparam), std::to_string(lparam)}});
  Window* win = Find(window);
  if (win == nullptr) return 0;
  if (win->hung) {
    // The real call would never return; the test is told.
    ++hang_count_;
    Record({now_, "Hang", {Identity(window), MessageName(message)}});
    return 0;
  }
  SentMessage m{window, message, wparam, lparam};
  if (win->handler) {
    MessageHandler h = win->handler;
    return h(m);
  }
  return DefWindowProc(m);
}

bool Desktop::SendMessageTimeout(WindowId window, unsigned message, std::uintptr_t wparam,
                                 std::intptr_t lparam, unsigned flags, unsigned timeout_ms,
                                 std::uintptr_t* result) {
  int error = 0;
  if (Faulted(Op::kSendMessageTimeout, &error)) return false;
  Record({now_,
          "SendMessageTimeout",
          {Identity(window), MessageName(message), std::to_string(wparam), std::to_string(lparam),
           std::to_string(flags), std::to_string(timeout_ms)}});
  Window* win = Find(window);
  if (win == nullptr) return false;
  if (win->hung) {
    if ((flags & plat::kSmtoAbortIfHung) == 0) RunScheduledUpTo(now_ + timeout_ms);
    return false;
  }
  SentMessage m{window, message, wparam, lparam};
  std::intptr_t r = 0;
  if (win->handler) {
    MessageHandler h = win->handler;
    r = h(m);
  } else {
    r = DefWindowProc(m);
  }
  if (result) *result = static_cast<std::uintptr_t>(r);
  return true;
}

WindowId Desktop::GetForegroundWindow() {
  int error = 0;
  if (Faulted(Op::kGetForegroundWindow, &error)) return 0;
  return Find(foreground_) ? foreground_ : 0;
}

bool Desktop::ReleaseCapture() {
  int error = 0;
  if (Faulted(Op::kReleaseCapture, &error)) return false;
  ++capture_releases_;
  return true;
}

bool Desktop::IsOwnWindow(WindowId window) {
  int error = 0;
  if (Faulted(Op::kIsOwnWindow, &error)) return false;
  const Window* win = Find(window);
  return win != nullptr && win->process == 0;
}

// ================================================================ programs

void Desktop::AddProgram(const std::string& prefix, std::function<void(SimProcess&)> behaviour) {
  std::string p = plat::LowerAscii(prefix);
  AddProgram([p](const std::string& cmd) { return plat::LowerAscii(cmd).rfind(p, 0) == 0; },
             std::move(behaviour));
}

void Desktop::AddProgram(std::function<bool(const std::string&)> matches,
                         std::function<void(SimProcess&)> behaviour) {
  programs_.push_back({std::move(matches), std::move(behaviour)});
}

SimProcess* Desktop::Process(ProcessId id) {
  auto it = processes_.find(id);
  return it == processes_.end() ? nullptr : it->second.get();
}

std::vector<ProcessId> Desktop::Processes() const {
  return process_order_;
}

void Desktop::EndProgram(ProcessId id) {
  auto it = ended_.find(id);
  if (it == ended_.end() || it->second) return;
  it->second = true;
  std::vector<WindowId> tops;
  for (WindowId w : z_order_) {
    if (Find(w)->process == id) tops.push_back(w);
  }
  for (WindowId w : tops) DestroyWindow(w);
}

ProcessId Desktop::StartProgram(const std::string& command_line, int show_state) {
  ThrowIfFaulted(Op::kStartProgram);
  if (command_line.find_first_not_of(' ') == std::string::npos) plat::Raise(plat::kErrInvalidCall);
  const ProgramRule* rule = nullptr;
  for (const ProgramRule& r : programs_) {
    if (r.matches(command_line)) {
      rule = &r;
      break;
    }
  }
  if (rule == nullptr) {
    Record({now_, "StartFailed", {command_line, std::to_string(show_state)}});
    plat::Raise(plat::kErrFileNotFound);
  }
  ProcessId pid = next_process_;
  next_process_ += 0x34;
  processes_[pid] = std::make_unique<SimProcess>(SimProcess{*this, pid, command_line, show_state});
  ended_[pid] = false;
  process_order_.push_back(pid);
  // The program comes to life once time passes: the start is asynchronous.
  std::function<void(SimProcess&)> behaviour = rule->behaviour;
  After(0, [this, pid, behaviour] {
    SimProcess* p = Process(pid);
    if (p != nullptr && !p->ended() && behaviour) behaviour(*p);
  });
  Wrote({now_, "StartProgram", {command_line, std::to_string(show_state)}});
  return pid;
}

bool Desktop::ProgramHasEnded(ProcessId id) {
  ThrowIfFaulted(Op::kProgramHasEnded);
  auto it = ended_.find(id);
  return it == ended_.end() || it->second;
}

// ================================================================ forms

void Desktop::CreateForm(plat::Form& form) {
  ThrowIfFaulted(Op::kCreateForm);
  WindowOptions o;
  o.process = 0;
  o.visible = false;
  WindowId top = CreateWindow("BrivaneForm", form.layout().caption, o);
  Find(top)->form = &form;
  form.native = top;
  for (const auto& c : form.controls()) {
    const char* cls = KindClass(c->kind());
    if (cls == nullptr) continue;
    WindowOptions co;
    co.process = 0;
    co.parent =
        c->container() != nullptr && c->container()->native != 0 ? c->container()->native : top;
    co.visible = c->Visible();
    bool captioned = c->kind() == plat::Kind::kCheckBox || c->kind() == plat::Kind::kOptionButton;
    c->native = CreateWindow(cls, captioned ? c->Caption() : std::string(), co);
  }
}

void Desktop::DestroyForm(plat::Form& form) {
  ThrowIfFaulted(Op::kDestroyForm);
  for (const auto& c : form.controls()) {
    timers_.erase(c.get());
    screens_.erase(c.get());
    c->native = 0;
  }
  exposed_.erase(&form);
  pointers_.erase(&form);
  if (Window* w = Find(form.native); w != nullptr && w->form == &form) DestroyTree(form.native);
}

void Desktop::ShowForm(plat::Form& form, bool visible) {
  ThrowIfFaulted(Op::kShowForm);
  Window* w = Find(form.native);
  if (w == nullptr) return;
  w->visible = visible;
  if (visible) {
    SetForeground(form.native);
    exposed_.insert(&form);
  } else if (foreground_ == form.native) {
    foreground_ = 0;
    for (WindowId t : z_order_) {
      if (Find(t)->visible) {
        foreground_ = t;
        break;
      }
    }
  }
}

void Desktop::ControlChanged(plat::Control& control, int what) {
  ThrowIfFaulted(Op::kControlChanged);
  Window* w = Find(control.native);
  if (w == nullptr) return;
  if (what & plat::kChangeVisible) {
    w->visible = control.Visible();
    if (control.Visible()) exposed_.insert(&control.form());
  }
  if (what & plat::kChangeCaption) w->caption = control.Caption();
}

void Desktop::PaintExposed() {
  std::set<const plat::Form*> forms;
  forms.swap(exposed_);
  for (const plat::Form* f : forms) {
    if (!f->Loaded() || !f->Visible()) continue;
    for (const auto& c : f->controls()) {
      if (c->kind() == plat::Kind::kPictureBox && c->Visible()) {
        screens_[c.get()].image = c->Retained();
      }
    }
  }
}

void Desktop::Repaint(plat::Form& form, plat::Control* control) {
  ThrowIfFaulted(Op::kRepaint);
  auto paint = [this](plat::Control& c) {
    ScreenState& s = screens_[&c];
    s.image = c.Retained();
    ++s.repaints;
  };
  if (control != nullptr) {
    if (control->kind() == plat::Kind::kPictureBox) paint(*control);
    return;
  }
  for (const auto& c : form.controls()) {
    if (c->kind() == plat::Kind::kPictureBox) paint(*c);
  }
}

void Desktop::SetPointer(plat::Form& form, int code) {
  ThrowIfFaulted(Op::kSetPointer);
  pointers_[&form] = code;
}

WindowId Desktop::Handle(const plat::Form& form) {
  int error = 0;
  if (Faulted(Op::kHandle, &error)) return 0;
  return form.native;
}

WindowId Desktop::WindowOf(const plat::Control& c) const {
  return Find(c.native) ? c.native : 0;
}

const plat::Image& Desktop::Screen(const plat::Control& picture_box) const {
  static const plat::Image kNothing;
  auto it = screens_.find(&picture_box);
  return it == screens_.end() ? kNothing : it->second.image;
}

int Desktop::RepaintCount(const plat::Control& picture_box) const {
  auto it = screens_.find(&picture_box);
  return it == screens_.end() ? 0 : it->second.repaints;
}

int Desktop::Pointer(const plat::Form& f) const {
  auto it = pointers_.find(&f);
  return it == pointers_.end() ? plat::kPointerDefault : it->second;
}

bool Desktop::FormVisible(const plat::Form& f) const {
  return f.Loaded() && Visible(f.native);
}

void Desktop::MeasureText(const plat::FontDesc& font, std::string_view text, int* width,
                          int* height) {
  ThrowIfFaulted(Op::kMeasureText);
  int shown = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        ++shown;
        ++i;
      }
      continue;  // an access-key marker takes no room
    }
    ++shown;
  }
  const int per_char = static_cast<int>(std::lround(font.points * 2 / 3)) + (font.bold ? 1 : 0);
  if (width) *width = shown * per_char;
  if (height) *height = static_cast<int>(std::lround(font.points * 4 / 3)) + 2;
}

plat::Pixel Desktop::SystemColourPixel(int index) {
  ThrowIfFaulted(Op::kSystemColourPixel);
  auto it = system_colours_.find(index);
  return it == system_colours_.end() ? plat::MakePixel(192, 192, 192) : it->second;
}

void Desktop::EndProcess() {
  ThrowIfFaulted(Op::kEndProcess);
  process_ended_ = true;
  Record({now_, "EndProcess", {}});
  throw ProcessEnded();
}

// ================================================================ message boxes

void Desktop::AnswerNextBox(int answer, std::uint32_t after_ms, std::function<void()> while_open) {
  box_script_.push_back({answer, after_ms, std::move(while_open)});
}

int Desktop::MessageBox(const std::string& text, const std::string& caption, int style) {
  int error = 0;
  if (Faulted(Op::kMessageBox, &error)) return 0;
  Record({now_, "MessageBox", {caption, text, std::to_string(style)}});
  const std::vector<BoxButton> buttons = ButtonsOf(style);

  BoxAnswer script;
  if (!box_script_.empty()) {
    script = std::move(box_script_.front());
    box_script_.pop_front();
  } else if (unscripted_ == UnscriptedBoxes::kFail) {
    std::string msg = "unscripted message box \"" + caption + "\": " + text;
    script_errors_.push_back(msg);
    throw ScriptError(msg);
  } else {
    script.answer = buttons.front().id;
  }
  if (std::none_of(buttons.begin(), buttons.end(),
                   [&](const BoxButton& b) { return b.id == script.answer; })) {
    std::string msg = "answer " + std::to_string(script.answer) + " is no button of box \"" +
                      caption + "\" (style " + std::to_string(style) + ")";
    script_errors_.push_back(msg);
    throw ScriptError(msg);
  }

  const WindowId previous = foreground_;
  WindowOptions o;
  o.process = 0;
  o.activate = true;
  const WindowId box = CreateWindow("#32770", caption, o);
  WindowOptions co;
  co.parent = box;
  co.process = 0;
  CreateWindow("Static", text, co);
  for (const BoxButton& b : buttons) CreateWindow("Button", b.caption, co);
  open_boxes_.push_back(box);
  const std::size_t record = boxes_.size();
  boxes_.push_back({now_, caption, text, style, script.answer});
  Finally close([this, box, previous] {
    std::erase(open_boxes_, box);
    DestroyWindow(box);
    if (Find(previous) != nullptr && Visible(previous)) SetForeground(previous);
  });

  PaintExposed();
  if (script.while_open) script.while_open();
  if (script.after_ms > 0) RunFor(script.after_ms);  // a modal loop: timers keep ticking
  return boxes_[record].answer;
}

// ================================================================ input

bool Desktop::Reachable(const plat::Control& c) const {
  const plat::Form& f = c.form();
  if (!f.Loaded() || !Visible(f.native)) return false;
  for (const plat::Control* p = &c; p != nullptr; p = p->container()) {
    if (!p->Visible()) return false;
  }
  return true;
}

bool Desktop::MouseMove(plat::Control& c, int x, int y, int button, int shift) {
  if (!Reachable(c)) return false;
  plat::Dispatch::MouseMove(c, button, shift, x, y);
  return true;
}

bool Desktop::MouseDown(plat::Control& c, int x, int y, int button, int shift) {
  if (!Reachable(c)) return false;
  plat::Dispatch::MouseDown(c, button, shift, x, y);
  return true;
}

bool Desktop::Click(plat::Control& c, int x, int y) {
  if (!Reachable(c)) return false;
  plat::Dispatch::MouseDown(c, plat::kLeftButton, 0, x, y);
  if (Reachable(c)) plat::Dispatch::Click(c);
  return true;
}

plat::Control* Desktop::ClickAt(plat::Form& f, plat::Control* container, int x, int y) {
  if (plat::Control* label = plat::Dispatch::LabelAt(f, container, x, y)) {
    plat::PixelRect r = label->Rect();
    Click(*label, x - r.x, y - r.y);
    return label;
  }
  if (container != nullptr) Click(*container, x, y);
  return nullptr;
}

bool Desktop::Toggle(plat::Control& c) {
  if (!Reachable(c)) return false;
  plat::Dispatch::UserToggle(c);
  return true;
}

bool Desktop::Select(plat::Control& list, int index) {
  if (!Reachable(list)) return false;
  plat::Dispatch::UserSelect(list, index);
  return true;
}

void Desktop::RequestClose(plat::Form& f) {
  plat::Dispatch::CloseRequest(f);
}

}  // namespace headless
