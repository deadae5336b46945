// Functions the program calls only when the running Windows has them. They are
// looked up at run time so that the import table stays loadable on Windows 95.
#pragma once

#include "platform/win32/win_headers.h"

namespace plat::win32 {

struct LateApi {
  // advapi32, Windows NT 3.1. Windows 9x exports them but they only fail there;
  // they matter on NT-family systems (and Wine), where shutting down needs a privilege.
  BOOL(WINAPI* OpenProcessToken)(HANDLE, DWORD, PHANDLE) = nullptr;
  BOOL(WINAPI* LookupPrivilegeValueA)(LPCSTR, LPCSTR, PLUID) = nullptr;
  BOOL(WINAPI* AdjustTokenPrivileges)
  (HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD) = nullptr;
  // hhctrl.ocx, HTML Help 1.0 (Internet Explorer 4); absent on a stock Windows 95.
  HWND(WINAPI* HtmlHelpA)(HWND, LPCSTR, UINT, DWORD_PTR) = nullptr;
  // kernel32 of Windows 98 and later; Windows 95 has no such call.
  EXECUTION_STATE(WINAPI* SetThreadExecutionState)(EXECUTION_STATE) = nullptr;
};

// The process-wide table. The advapi32 and kernel32 entries are filled on first use; the
// help engine only by LoadHtmlHelp, because loading it is slow.
LateApi& Late();
// Loads hhctrl.ocx once; false when it or HtmlHelpA is missing.
bool LoadHtmlHelp();

}  // namespace plat::win32
