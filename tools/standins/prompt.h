// A stand-in's Yes/No question: the system's own MessageBoxA, as the real tools ask
// theirs. The log gets the caption, then each button's control ID and text as the box
// shows them (the texts come from the system's language), then the answer.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "lablog.h"

namespace lab {

namespace prompt_detail {

inline const char* program = "";
inline HHOOK hook = nullptr;

inline BOOL CALLBACK AddButton(HWND child, LPARAM lparam) {
  char cls[16] = "";
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Button") != 0) return TRUE;
  auto* line = reinterpret_cast<char*>(lparam);
  char text[64] = "";
  GetWindowTextA(child, text, sizeof text);
  std::size_t used = std::strlen(line);
  std::snprintf(line + used, 256 - used, " %d=%s", GetDlgCtrlID(child), text);
  return TRUE;
}

// The box is made and filled before it is activated: its buttons are there then.
inline LRESULT CALLBACK OnCbt(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wparam);
    char cls[16] = "";
    GetClassNameA(box, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0) {
      char line[256] = "";
      EnumChildWindows(box, AddButton, reinterpret_cast<LPARAM>(line));
      Log(program, "prompt buttons%s", line);
      UnhookWindowsHookEx(hook);
      hook = nullptr;
      return 0;
    }
  }
  return CallNextHookEx(hook, code, wparam, lparam);
}

}  // namespace prompt_detail

// Asks, logs what the box showed and the answer; returns MessageBoxA's answer.
inline int AskYesNo(const char* program, HWND owner, const char* text, const char* caption) {
  Log(program, "prompt shown caption=%s", caption);
  prompt_detail::program = program;
  prompt_detail::hook =
      SetWindowsHookExA(WH_CBT, prompt_detail::OnCbt, nullptr, GetCurrentThreadId());
  int answer = MessageBoxA(owner, text, caption, MB_YESNO | MB_ICONQUESTION);
  if (prompt_detail::hook != nullptr) {
    UnhookWindowsHookEx(prompt_detail::hook);
    prompt_detail::hook = nullptr;
  }
  Log(program, "answer %s", answer == IDYES ? "Yes" : answer == IDNO ? "No" : "none");
  return answer;
}

}  // namespace lab
