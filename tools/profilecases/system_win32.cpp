#include "cases.h"
#include "platform/win32/win32_system.h"

namespace profilecases {
std::unique_ptr<plat::System> MakeSystem() {
  return std::make_unique<plat::win32::Win32System>();
}
}  // namespace profilecases
