// The window a stand-in disk tool shows while it "works": its caption, one line of
// progress, gone after a set time or early on WM_CLOSE. Every step lands in the lab log.
#pragma once

#include <windows.h>

#include <cstdio>

#include "lablog.h"

namespace lab {

struct WorkWindow {
  const char* program;          // name in the log
  const char* caption;          // the top-level caption the lab's driver looks for
  const char* activity;         // progress line, before the percentage
  const char* progress_format;  // the line: activity, then percentage done
  DWORD duration_ms;
  // Runs when the time is up, the window still shown; may show a prompt of its own.
  void (*on_done)(HWND window);
  DWORD started;
  HWND progress;
  bool finished;  // true: ran its time; false: closed early
};

enum : UINT_PTR { kProgressTimer = 1 };

inline WorkWindow* WorkOf(HWND window) {
  return reinterpret_cast<WorkWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

inline void OnWorkCreate(HWND window, LPARAM lparam) {
  auto* work = static_cast<WorkWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(work));
  // Wide enough for the German and French lines too.
  work->progress = CreateWindowA("STATIC", work->activity, WS_CHILD | WS_VISIBLE, 16, 24, 380, 20,
                                 window, nullptr, nullptr, nullptr);
  work->started = GetTickCount();
  SetTimer(window, kProgressTimer, 100, nullptr);
}

inline void OnWorkTimer(HWND window) {
  WorkWindow* work = WorkOf(window);
  DWORD elapsed = GetTickCount() - work->started;
  if (elapsed < work->duration_ms) {
    char line[160];
    std::snprintf(line, sizeof line, work->progress_format, work->activity,
                  static_cast<unsigned long>(elapsed * 100 / work->duration_ms));
    SetWindowTextA(work->progress, line);
    return;
  }
  KillTimer(window, kProgressTimer);
  Log(work->program, "done after %lu ms", static_cast<unsigned long>(elapsed));
  work->finished = true;
  if (work->on_done != nullptr) work->on_done(window);
  DestroyWindow(window);
}

inline void OnWorkClose(HWND window) {
  Log(WorkOf(window)->program, "closed by WM_CLOSE");
  DestroyWindow(window);
}

inline LRESULT CALLBACK WorkProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnWorkCreate(window, lparam);
      return 0;
    case WM_TIMER:
      OnWorkTimer(window);
      return 0;
    case WM_CLOSE:
      OnWorkClose(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Shows the window with the starter's show state and runs it until it is gone.
// Returns false when it could not be created.
inline bool RunWorkWindow(HINSTANCE instance, WorkWindow& work, int show) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WorkProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "LabDiskTool";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("LabDiskTool", work.caption,
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 120, 120,
                              420, 120, nullptr, nullptr, instance, &work);
  if (window == nullptr) {
    Log(work.program, "no window error=%lu", GetLastError());
    return false;
  }
  ShowWindow(window, show);
  UpdateWindow(window);
  Log(work.program, "window shown caption=%s foreground=%s", work.caption, ForegroundText(window));
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

}  // namespace lab
