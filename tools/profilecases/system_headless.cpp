#include "cases.h"
#include "platform/headless/desktop.h"

namespace profilecases {
std::unique_ptr<plat::System> MakeSystem() {
  return std::make_unique<headless::Desktop>();
}
}  // namespace profilecases
