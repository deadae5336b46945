// labexit reboot|shutdown|none [WAIT_MS]: a minimal shell for the lab's boots. Shows a
// small window, asks Windows to restart (EWX_REBOOT) or shut down (EWX_SHUTDOWN) the
// way Brivane does, without the force flag, and keeps answering messages for WAIT_MS
// (default 10000) so that the end-session messages reach it; each step is logged.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "lablog.h"

namespace {

const char kProgram[] = "labexit";

LRESULT CALLBACK ShellProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_QUERYENDSESSION:
      lab::Log(kProgram, "WM_QUERYENDSESSION");
      return TRUE;
    case WM_ENDSESSION:
      lab::Log(kProgram, "WM_ENDSESSION ending=%d", wparam != 0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

UINT FlagsFor(const char* request) {
  if (std::strcmp(request, "reboot") == 0) return EWX_REBOOT;
  if (std::strcmp(request, "shutdown") == 0) return EWX_SHUTDOWN;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  lab::LogStart(kProgram);
  const char* request = argc > 1 ? argv[1] : "none";
  DWORD wait_ms = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ShellProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "LabShell";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("LabShell", "Lab shell", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              240, 80, nullptr, nullptr, wc.hInstance, nullptr);
  UINT flags = FlagsFor(request);
  if (flags != 0) {
    BOOL ok = ExitWindowsEx(flags, 0);
    if (ok) {
      lab::Log(kProgram, "request %s flags=%u accepted", request, flags);
    } else {
      lab::Log(kProgram, "request %s flags=%u refused error=%lu", request, flags, GetLastError());
    }
  }
  DWORD started = GetTickCount();
  MSG msg;
  while (GetTickCount() - started < wait_ms) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  DestroyWindow(window);
  lab::Log(kProgram, "exit");
  return 0;
}
