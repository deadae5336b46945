#include "platform/win32/win32_api.h"

namespace plat::win32 {
namespace {

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn*& slot) {
  slot = module ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

LateApi MakeLateApi() {
  LateApi api;
  // advapi32 is already imported (registry functions), so GetModuleHandleA finds it.
  HMODULE advapi = GetModuleHandleA("advapi32.dll");
  Resolve(advapi, "OpenProcessToken", api.OpenProcessToken);
  Resolve(advapi, "LookupPrivilegeValueA", api.LookupPrivilegeValueA);
  Resolve(advapi, "AdjustTokenPrivileges", api.AdjustTokenPrivileges);
  Resolve(GetModuleHandleA("kernel32.dll"), "SetThreadExecutionState", api.SetThreadExecutionState);
  return api;
}

}  // namespace

LateApi& Late() {
  static LateApi api = MakeLateApi();
  return api;
}

bool LoadHtmlHelp() {
  static bool tried = false;
  if (!tried) {
    tried = true;
    // Kept loaded for the life of the process: the viewer window lives in it.
    Resolve(LoadLibraryA("hhctrl.ocx"), "HtmlHelpA", Late().HtmlHelpA);
  }
  return Late().HtmlHelpA != nullptr;
}

}  // namespace plat::win32
