// The desktop's windows: every window of every program, the Z-order, the
// foreground window and the messages sent to windows.
//
// Every window has a unique non-zero handle (or a reused one after
// SetReuseHandles(true), as Windows 9x does), a class, a caption, a parent, a
// visibility and an owning process: 0 is this program, anything else a
// simulated program. Top-level windows are kept in Z-order, top first; a new
// window goes on top. FindWindow matches class and caption as whole texts
// without regard to case, as user32 does; it sees hidden windows too.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/headless/clock.h"
#include "platform/headless/journal.h"
#include "platform/system.h"
#include "platform/toolkit.h"

namespace headless {

using plat::ProcessId;
using plat::WindowId;

// A message as a window's handler receives it.
struct SentMessage {
  WindowId window = 0;
  unsigned message = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};
using MessageHandler = std::function<std::intptr_t(const SentMessage&)>;

struct WindowOptions {
  WindowId parent = 0;    // 0: top-level
  ProcessId process = 1;  // 0 is this program; simulated programs have their own id
  bool visible = true;
  bool activate = false;   // make it the foreground window
  bool at_bottom = false;  // a top-level window placed below all others
};

class WindowTable {
 public:
  WindowTable(Journal& journal, Clock& clock) : journal_(journal), clock_(clock) {}

  WindowId CreateWindow(const std::string& class_name, const std::string& caption,
                        const WindowOptions& options = {});
  // A "#32770" dialog of a simulated process with one "Button" child per caption
  // (e.g. {"&Yes", "&No"}). A button clicked (WM_LBUTTONDOWN then WM_LBUTTONUP)
  // calls `on_press` with its caption and then, when `close_on_press`, destroys
  // the dialog.
  WindowId CreateDialog(const std::string& caption, const std::vector<std::string>& buttons,
                        ProcessId process = 1,
                        std::function<void(const std::string& pressed)> on_press = {},
                        bool close_on_press = true);
  void DestroyWindow(WindowId w);
  bool WindowExists(WindowId w) const { return Find(w) != nullptr; }
  void SetCaption(WindowId w, const std::string& caption);
  void SetVisible(WindowId w, bool visible);
  void BringToTop(WindowId w);
  void SetForeground(WindowId w);
  // A hung window answers nothing: SendMessageTimeout with SMTO_ABORTIFHUNG
  // fails at once, one without waits its timeout, and a plain SendMessage is
  // recorded as a "Hang" event (the program would never come back).
  void SetHung(WindowId w, bool hung);
  // Replaces the window's default message handling; DefWindowProc gives it back.
  void SetHandler(WindowId w, MessageHandler handler);
  std::intptr_t DefWindowProc(const SentMessage& m);
  // Handles freed by DestroyWindow are handed out again, newest first.
  void SetReuseHandles(bool reuse) { reuse_handles_ = reuse; }
  std::string Caption(WindowId w) const;
  std::string ClassOf(WindowId w) const;
  WindowId Parent(WindowId w) const;
  bool Visible(WindowId w) const;
  ProcessId ProcessOf(WindowId w) const;
  // A child's control ID (0 unless set).
  int ControlId(WindowId w) const;
  void SetControlId(WindowId w, int id);
  std::vector<WindowId> Children(WindowId w) const;
  std::vector<WindowId> TopLevelWindows() const { return z_order_; }  // Z-order, top first
  // Button clicks (down then up) a "Button" window has received.
  int ClickCount(WindowId button) const;
  // The child of `parent` (any depth) with this caption, 0 when none.
  WindowId FindChild(WindowId parent, const std::string& caption) const;
  int hang_count() const { return hang_count_; }
  int capture_releases() const { return capture_releases_; }

  // ---- for the desktop's own parts: the window calls of plat::System
  WindowId FindTopLevel(const char* class_name, const char* caption) const;
  // Every descendant of `parent` depth first (of the desktop when 0).
  std::vector<WindowId> Descendants(WindowId parent) const;
  WindowId NextWindow(WindowId window) const;
  bool OwnWindow(WindowId window) const;  // of process 0
  int CaptionLength(WindowId window) const;
  // GetWindowTextA / GetClassNameA: size - 1 characters at most and a terminator;
  // for no window, an empty text and an untouched buffer.
  int CopyCaption(WindowId window, char* buffer, int size) const;
  int CopyClassName(WindowId window, char* buffer, int size) const;
  std::intptr_t Send(WindowId window, unsigned message, std::uintptr_t wparam,
                     std::intptr_t lparam);
  bool SendWithTimeout(WindowId window, unsigned message, std::uintptr_t wparam,
                       std::intptr_t lparam, unsigned flags, unsigned timeout_ms,
                       std::uintptr_t* result);
  WindowId Foreground() const { return Find(foreground_) ? foreground_ : 0; }
  void CountCaptureRelease() { ++capture_releases_; }

  // ---- the rest of the desktop's own use
  // WM_CLOSE to the top-level window of a form is the form's close request.
  void BindForm(WindowId top, plat::Form* form);
  const plat::Form* BoundForm(WindowId top) const;
  // An open message box ends only by its answer; WM_CLOSE does nothing.
  void KeepOpenOnClose(WindowId box);
  // ShowWindow: shown and activated, or hidden with the activation passed on.
  void ShowWindow(WindowId w, bool visible);
  // Power cycle: no window left.
  void PowerOff();

 private:
  struct Window {
    WindowId id = 0;
    std::string class_name, caption;
    WindowId parent = 0;
    std::vector<WindowId> children;  // Z-order, top first
    bool visible = false;
    ProcessId process = 0;
    bool hung = false;
    int control_id = 0;
    bool keep_on_close = false;
    MessageHandler handler;
    bool button_down = false;
    int clicks = 0;
    std::function<void()> on_click;  // "Button" windows
    plat::Form* form = nullptr;      // the program's form, for its top-level window
  };

  WindowId NewHandle();
  Window* Find(WindowId w);
  const Window* Find(WindowId w) const;
  void DestroyTree(WindowId w);
  void Unlink(WindowId w);
  // Windows activates the next visible top-level window.
  void ActivateNext();
  std::string Identity(WindowId w) const;
  void EnumDescendants(WindowId parent, std::vector<WindowId>& out) const;
  std::intptr_t Deliver(Window& win, const SentMessage& m);

  Journal& journal_;
  Clock& clock_;
  std::map<WindowId, Window> windows_;
  std::vector<WindowId> z_order_;  // top-level, top first
  WindowId foreground_ = 0;
  WindowId next_handle_ = 0x1A4;
  bool reuse_handles_ = false;
  std::vector<WindowId> free_handles_;
  int hang_count_ = 0;
  int capture_releases_ = 0;
};

}  // namespace headless
