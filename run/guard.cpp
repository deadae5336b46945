#include "run/guard.h"

#include "common/failure.h"
#include "platform/platform.h"

namespace run {

void RunGuard::On() {
  if (on_) return;
  on_ = true;
  common::OnErrorResumeNext resume;
  bool active = false;
  // Unknown counts as off: then nothing is put back, and the next start of
  // Windows has the stored setting anyway.
  resume([&] { screen_saver_was_on_ = plat::Sys().GetScreenSaveActive(&active) && active; });
  resume([] { plat::Sys().SetScreenSaveActive(false); });
  resume([] { plat::Sys().KeepSystemAwake(true); });
  resume([] { plat::Ui().RefuseSuspend(true); });
}

void RunGuard::Off() {
  if (!on_) return;
  on_ = false;
  common::OnErrorResumeNext resume;
  if (screen_saver_was_on_) resume([] { plat::Sys().SetScreenSaveActive(true); });
  resume([] { plat::Sys().KeepSystemAwake(false); });
  resume([] { plat::Ui().RefuseSuspend(false); });
}

}  // namespace run
