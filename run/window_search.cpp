#include "run/window_search.h"

#include "common/failure.h"
#include "platform/platform.h"

namespace run {

namespace {
// Another program's window must answer within this time or be left alone.
constexpr unsigned kSendTimeoutMs = 5000;

std::string ClassName(plat::WindowId window) {
  char name[64] = {};
  common::Attempt([&] { plat::Sys().GetClassName(window, name, sizeof name); });
  return std::string(plat::StripNull(std::string_view(name, sizeof name)));
}

bool IsOwn(plat::WindowId window) {
  bool own = false;
  // Unknown counts as ours: a window that cannot be told apart is left alone.
  if (!common::Attempt([&] { own = plat::Sys().IsOwnWindow(window); })) return true;
  return own;
}
}  // namespace

std::string WindowCaption(plat::WindowId window) {
  std::string title;
  common::Attempt([&] {
    const int n = plat::Sys().GetWindowTextLength(window);
    if (n <= 0) return;
    std::string buffer(static_cast<std::size_t>(n) + 1, '\0');
    const int got = plat::Sys().GetWindowText(window, buffer.data(), n + 1);
    buffer.resize(static_cast<std::size_t>(n));
    // A caption that shrank in between reads as what was copied.
    if (got >= 0 && got < n) buffer.resize(static_cast<std::size_t>(got));
    title = plat::StripNull(buffer);
  });
  return title;
}

std::string WindowIdentity(plat::WindowId window) {
  std::string caption = WindowCaption(window);
  return caption.empty() ? ClassName(window) : caption;
}

bool ScanDiskWindowShown() {
  bool shown = false;
  common::Attempt([&] {
    plat::Sys().EnumWindows([&](plat::WindowId w) {
      shown = WindowCaption(w).find("ScanDisk") != std::string::npos && !IsOwn(w);
      return !shown;
    });
  });
  return shown;
}

plat::WindowId FindWindowByTitle(plat::WindowId start, std::string& text,
                                 const plat::Bool16& case_sensitive) {
  common::OnErrorResumeNext resume;
  for (plat::WindowId current = start;;) {
    resume([] { plat::DoEvents(); });
    if (current == 0) return 0;
    // The program's own windows (its help viewer, a message box) are never a tool.
    if (!IsOwn(current)) {
      std::string caption = WindowCaption(current);
      if (case_sensitive == plat::kFalse) {
        caption = plat::LowerAscii(caption);
        text = plat::LowerAscii(text);
      }
      if (caption.find(text) != std::string::npos) return current;
    }
    plat::WindowId next = 0;
    resume([&] { next = plat::Sys().GetNextWindow(current); });
    current = next;
  }
}

plat::WindowId FindToolWindow(const char* class_name, const char* caption) {
  plat::WindowId found = 0;
  common::Attempt([&] {
    found = plat::Sys().FindWindow(class_name, caption);
    if (found == 0 || !IsOwn(found)) return;
    // The first match is one of ours: look at every top-level window instead.
    found = 0;
    plat::Sys().EnumWindows([&](plat::WindowId w) {
      if (!IsOwn(w) && ClassName(w) == class_name && WindowCaption(w) == caption) found = w;
      return found == 0;
    });
  });
  return found;
}

plat::WindowId FindButton(plat::WindowId dialog, std::string_view caption) {
  plat::WindowId button = 0;
  common::Attempt([&] {
    plat::Sys().EnumChildWindows(dialog, [&](plat::WindowId w) {
      if (WindowIdentity(w) == caption) button = w;
      return true;
    });
  });
  return button;
}

plat::WindowId FindButtonById(plat::WindowId dialog, int id) {
  plat::WindowId button = 0;
  common::Attempt([&] {
    plat::Sys().EnumChildWindows(dialog, [&](plat::WindowId w) {
      if (plat::Sys().GetDlgCtrlID(w) == id && ClassName(w) == "Button") button = w;
      return button == 0;
    });
  });
  return button;
}

std::vector<plat::WindowId> WindowsOf(plat::ProcessId process) {
  std::vector<plat::WindowId> windows;
  if (process == 0) return windows;
  common::Attempt([&] {
    plat::Sys().EnumWindows([&](plat::WindowId w) {
      if (plat::Sys().GetWindowProcess(w) == process && !IsOwn(w)) windows.push_back(w);
      return true;
    });
  });
  return windows;
}

plat::WindowId FindQuestionOf(plat::ProcessId process) {
  for (plat::WindowId w : WindowsOf(process)) {
    // A box whose caption is not set yet is still being made: its texts may be
    // missing too, and the English search may yet know it.
    if (ClassName(w) == "#32770" && !WindowCaption(w).empty() &&
        FindButtonById(w, plat::kIdYesButton) != 0 && FindButtonById(w, plat::kIdNoButton) != 0) {
      return w;
    }
  }
  return 0;
}

bool SendToTool(plat::WindowId window, unsigned message) {
  bool sent = false;
  common::Attempt([&] {
    std::uintptr_t result = 0;
    sent = plat::Sys().SendMessageTimeout(window, message, 0, 0, plat::kSmtoAbortIfHung,
                                          kSendTimeoutMs, &result);
  });
  return sent;
}

bool PressButton(plat::WindowId button) {
  if (button == 0) return false;
  // The first click is the answer: the dialog may well be gone for the second.
  bool pressed = SendToTool(button, plat::kWmLButtonDown);
  pressed = SendToTool(button, plat::kWmLButtonUp) && pressed;
  SendToTool(button, plat::kWmLButtonDown);
  SendToTool(button, plat::kWmLButtonUp);
  return pressed;
}

}  // namespace run
