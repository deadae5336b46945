#include "run/guard.h"

#include "common/failure.h"
#include "platform/platform.h"

namespace run {

// The calls report failure by their results, which change nothing here; the
// Attempt is only a net for a platform that throws after all.
void RunGuard::On() {
  if (on_) return;
  on_ = true;
  common::Attempt([this] {
    bool active = false;
    // Unknown counts as off: then nothing is put back, and the next start of
    // Windows has the stored setting anyway.
    screen_saver_was_on_ = plat::Sys().GetScreenSaveActive(&active) && active;
    plat::Sys().SetScreenSaveActive(false);
    plat::Sys().KeepSystemAwake(true);
    plat::Ui().RefuseSuspend(true);
  });
}

void RunGuard::Off() {
  if (!on_) return;
  on_ = false;
  common::Attempt([this] {
    if (screen_saver_was_on_) plat::Sys().SetScreenSaveActive(true);
    plat::Sys().KeepSystemAwake(false);
    plat::Ui().RefuseSuspend(false);
  });
}

}  // namespace run
