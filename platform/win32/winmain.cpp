// The Windows entry point: installs the real platform, runs the program's
// start-up procedure, then serves window messages until no form is loaded.
#include "platform/platform.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32/win_headers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  plat::win32::Win32System system;
  plat::win32::Win32Ui ui;
  plat::Install(&system, &ui);
  try {
    ProgramMain();
    MSG msg;
    while (!plat::LoadedForms().empty() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (plat::win32::DialogKeys(&msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  } catch (...) {
    plat::win32::ReportUnhandledException();
  }
  // Forms that outlive this function must not reach the backends being destroyed.
  plat::Install(nullptr, nullptr);
  return 0;
}
