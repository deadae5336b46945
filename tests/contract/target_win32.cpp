// The contract tables on the real API (run under Wine by tests/wine/contract.sh).
#include <string>
#include <vector>

#include "platform/win32/win32_system.h"
#include "platform/win32/win_headers.h"
#include "target.h"

namespace contract {
namespace {

HKEY ToHkey(plat::RegKey key) {
  if (key == plat::kHkeyCurrentUser) return HKEY_CURRENT_USER;
  if (key == plat::kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
  return reinterpret_cast<HKEY>(key);
}

// RegDeleteKeyA leaves a key with subkeys on NT (and Wine): the subkeys go first.
void DeleteTree(HKEY parent, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyA(parent, path, &key) != ERROR_SUCCESS) return;
  char name[MAX_PATH];
  while (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) DeleteTree(key, name);
  RegCloseKey(key);
  RegDeleteKeyA(parent, path);
}

class Win32Target : public Target {
 public:
  ~Win32Target() override {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) DestroyWindow(*it);
  }

  plat::System& Sys() override { return sys_; }
  bool Real() const override { return true; }

  plat::WindowId MakeWindow(const char* class_name, const char* caption, plat::WindowId parent,
                            bool visible) override {
    WNDCLASSA wc{};
    if (!GetClassInfoA(nullptr, class_name, &wc) &&
        !GetClassInfoA(GetModuleHandleA(nullptr), class_name, &wc)) {
      wc.lpfnWndProc = DefWindowProcA;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = class_name;
      RegisterClassA(&wc);
    }
    DWORD style = (parent ? WS_CHILD : WS_POPUP) | (visible ? WS_VISIBLE : 0);
    HWND w =
        CreateWindowExA(0, class_name, caption, style, 0, 0, 40, 20, reinterpret_cast<HWND>(parent),
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    if (w != nullptr && parent == 0) windows_.push_back(w);
    return reinterpret_cast<plat::WindowId>(w);
  }
  plat::WindowId ForeignWindow() override {
    return reinterpret_cast<plat::WindowId>(GetDesktopWindow());
  }

  void DeleteKey(plat::RegKey root, const char* path) override { DeleteTree(ToHkey(root), path); }

  void SetLastErrorSentinel() override { SetLastError(kLastErrorSentinel); }
  std::optional<std::uint32_t> LastError() override { return GetLastError(); }

 private:
  plat::win32::Win32System sys_;
  std::vector<HWND> windows_;
};

}  // namespace

std::unique_ptr<Target> MakeTarget() {
  return std::make_unique<Win32Target>();
}

// The DLL's own function by its symbol, past MinGW's strtod, which std::strtod is
// here: "_strtod" in the i686 build, "strtod" in the x86-64 one, whose C symbols
// have no leading underscore.
#define BRIVANE_SYMBOL_TEXT(prefix, name) #prefix #name
#define BRIVANE_SYMBOL(prefix, name) BRIVANE_SYMBOL_TEXT(prefix, name)
extern "C" double MsvcrtStrtod(const char* text,
                               char** end) __asm__(BRIVANE_SYMBOL(__USER_LABEL_PREFIX__, strtod));

double ReferenceStrtod(const char* text, char** end) {
  return MsvcrtStrtod(text, end);
}
const char* const kReferenceStrtodName = "MSVCRT.DLL";

}  // namespace contract
