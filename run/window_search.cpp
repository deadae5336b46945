#include "run/window_search.h"

#include "common/failure.h"
#include "platform/platform.h"

namespace run {

namespace {
// Another program's window must answer within this time or be left alone.
constexpr unsigned kSendTimeoutMs = 5000;
}  // namespace

std::string StripNull(const std::string& text) {
  return std::string(plat::StripNull(text));
}

std::string GetWindowTitle(plat::WindowId window) {
  std::string title;
  common::OnErrorResumeNext resume;
  resume([&] {
    int n = plat::Sys().GetWindowTextLength(window);
    if (n <= 0) return;
    std::string buffer(static_cast<std::size_t>(n) + 1, '\0');
    int got = plat::Sys().GetWindowText(window, buffer.data(), n + 1);
    buffer.resize(static_cast<std::size_t>(n));
    // A caption that shrank in between reads as what was copied.
    if (got >= 0 && got < n) buffer.resize(static_cast<std::size_t>(got));
    title = buffer;
  });
  return title;
}

plat::WindowId FindWindowByTitle(plat::WindowId start, std::string& text,
                                 const plat::Bool16& case_sensitive) {
  plat::WindowId current = start;
  common::OnErrorResumeNext resume;
  for (;;) {
    resume([] { plat::DoEvents(); });
    if (current == 0) return 0;
    bool match = false;
    resume([&] {
      // The program's own windows (its help viewer, a message box) are never a tool.
      if (plat::Sys().IsOwnWindow(current)) return;
      std::string caption = GetWindowTitle(current);
      if (case_sensitive == plat::kFalse) {
        caption = plat::LowerAscii(caption);
        text = plat::LowerAscii(text);
      }
      match = caption.find(text) != std::string::npos;
    });
    if (match) return current;
    plat::WindowId next = 0;
    resume([&] { next = plat::Sys().GetNextWindow(current); });
    current = next;
  }
}

int WindowSearch::EnumScanDiskWindow(plat::WindowId window, std::intptr_t) {
  ScanDiskFound = plat::kFalse;
  int result = 1;
  common::OnErrorResumeNext resume;
  resume([&] {
    int n = plat::Sys().GetWindowTextLength(window) + 1;
    if (n <= 1 || plat::Sys().IsOwnWindow(window)) return;
    std::string buffer(static_cast<std::size_t>(n), ' ');
    plat::Sys().GetWindowText(window, buffer.data(), n);
    if (buffer.find("ScanDisk") != std::string::npos) {
      ScanDiskFound = plat::kTrue;
      result = 0;
    }
  });
  return result;
}

std::string GetWindowIdentity(plat::WindowId window, std::string& kind, std::string& class_name) {
  std::string identity;
  common::OnErrorResumeNext resume;
  resume([&] {
    int n = plat::Sys().GetWindowTextLength(window);
    std::string cls(64, ' ');
    plat::Sys().GetClassName(window, cls.data(), 64);
    class_name = cls;
    if (n <= 0) {
      kind = "class";
      identity = cls;
    } else {
      kind = "title";
      std::string buffer(static_cast<std::size_t>(n) + 1, ' ');
      plat::Sys().GetWindowText(window, buffer.data(), n + 1);
      identity = buffer;
    }
  });
  return StripNull(identity);
}

int WindowSearch::EnumButtonWindow(plat::WindowId window, std::intptr_t) {
  common::OnErrorResumeNext resume;
  resume([&] {
    std::string kind, class_name;
    if (GetWindowIdentity(window, kind, class_name) == ButtonCaption) ButtonWindow = window;
  });
  return 1;
}

void Pause(std::int32_t milliseconds) {
  common::OnErrorResumeNext resume;
  resume([&] { plat::Sys().Sleep(static_cast<std::uint32_t>(milliseconds)); });
}

plat::WindowId FindToolWindow(const char* class_name, const char* caption) {
  plat::WindowId found = 0;
  common::OnErrorResumeNext resume;
  resume([&] {
    found = plat::Sys().FindWindow(class_name, caption);
    if (found == 0 || !plat::Sys().IsOwnWindow(found)) return;
    // The first match is one of ours: look at every top-level window instead.
    found = 0;
    plat::Sys().EnumWindows([&](plat::WindowId w) {
      if (plat::Sys().IsOwnWindow(w)) return true;
      char cls[64] = {}, text[256] = {};
      plat::Sys().GetClassName(w, cls, sizeof cls);
      plat::Sys().GetWindowText(w, text, sizeof text);
      if (std::string(cls) == class_name && std::string(text) == caption) {
        found = w;
        return false;
      }
      return true;
    });
  });
  return found;
}

void WindowSearch::FindButton(plat::WindowId dialog, const char* caption) {
  common::OnErrorResumeNext resume;
  ButtonCaption = caption;
  // Handles are reused: an old match must never be pressed in a new dialog.
  ButtonWindow = 0;
  resume([&] {
    plat::Sys().EnumChildWindows(dialog,
                                 [this](plat::WindowId w) { return EnumButtonWindow(w, 0) != 0; });
  });
}

void SendToTool(plat::WindowId window, unsigned message) {
  common::OnErrorResumeNext resume;
  resume([&] {
    std::uintptr_t result = 0;
    plat::Sys().SendMessageTimeout(window, message, 0, 0, plat::kSmtoAbortIfHung, kSendTimeoutMs,
                                   &result);
  });
}

void WindowSearch::PressButton() {
  if (ButtonWindow == 0) return;
  for (unsigned message :
       {plat::kWmLButtonDown, plat::kWmLButtonUp, plat::kWmLButtonDown, plat::kWmLButtonUp}) {
    SendToTool(ButtonWindow, message);
  }
}

}  // namespace run
