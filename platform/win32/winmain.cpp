// The Windows entry point: installs the real platform, runs the program's
// start-up procedure, then serves window messages until no form is loaded.
#include <cstdlib>
#include <exception>

#include "platform/platform.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32/win_headers.h"

// An exception that escapes every handler ends the process by abort(), as with the
// runtime's own terminate handler. That one first prints the exception's demangled
// type to stderr, which a Windows program without a console has nowhere to show; this
// one leaves the message out, and with it the demangler and the printf it pulls in.
void __gnu_cxx::__verbose_terminate_handler() {
  std::abort();
}

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
