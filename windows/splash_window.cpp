#include "windows/splash_window.h"

#include "common/failure.h"
#include "platform/platform.h"
#include "skin/resource_file.h"
#include "skin/sheets.h"
#include "windows/layouts.h"

namespace windows {

std::string VersionText() {
  return "Version " + std::to_string(plat::kVersionMajor) + "." +
         std::to_string(plat::kVersionMinor) + "." + std::to_string(plat::kVersionRevision);
}

FrmSplash::FrmSplash()
    : form_(SplashLayout()), Picture1(form_["Picture1"]), lblVersion(form_["lblVersion"]) {
  form_.on_load = [this] { Form_Load(); };
}

void FrmSplash::Form_Load() {
  common::OnErrorResumeNext resume;
  resume([&] { lblVersion.Move(4500, 1800); });
  resume([&] { lblVersion.SetCaption(VersionText()); });
  resume([&] { skin::LoadSkinPicture(skin::kResourceSplash, Picture1); });
  resume([&] { Picture1.Move(0, 0); });
}

}  // namespace windows
