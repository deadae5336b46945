#include "run/pause.h"

#include "common/failure.h"
#include "platform/platform.h"

namespace run {

void Pause(std::int32_t milliseconds) {
  common::OnErrorResumeNext resume;
  resume([&] { plat::Sys().Sleep(static_cast<std::uint32_t>(milliseconds)); });
}

}  // namespace run
