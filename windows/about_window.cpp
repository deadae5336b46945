#include "windows/about_window.h"

#include "common/error_codes.h"
#include "common/error_report.h"
#include "common/failure.h"
#include "common/registry.h"
#include "platform/platform.h"
#include "skin/resource_file.h"
#include "windows/layouts.h"
#include "windows/splash_window.h"

namespace windows {

using namespace skin::about_sheet;

FrmAbout::FrmAbout()
    : form_(AboutLayout()),
      picTitlebar(form_["picTitlebar"]),
      picMain(form_["picMain"]),
      timActive(form_["timActive"]),
      picX(form_["picX"]),
      picPicture(form_["picPicture"]),
      picClose(form_["picClose"]),
      lblVersion(form_["lblVersion"]),
      lblName(form_["lblName"]),
      title_bar_(form_, picPicture, picTitlebar, picX, timActive,
                 {kTitleActive, kTitleInactive, kXActive, kXInactive}) {
  form_.on_load = [this] { Form_Load(); };
  picMain.on_mouse_move = [this](int, int, double, double) { picMain_MouseMove(); };
  skin::BindFaces(picX, picPicture, kXHover, kXPressed);
  picX.on_click = [this] { picX_Click(); };
  skin::BindFaces(picClose, picPicture, kCloseHover, kClosePressed);
  picClose.on_click = [this] { picClose_Click(); };
}

void FrmAbout::Form_Load() {
  common::OnErrorReportAndResume step(common::codes::kAboutLoad);
  step([&] { lblVersion.Move(160, 55); });
  step([&] { lblVersion.SetCaption(VersionText()); });
  step([&] { skin::LoadSkinPicture(skin::kResourceAbout, picPicture); });
  step([&] { PaintAboutSkin(); });
  step([&] {
    lblName.SetCaption(common::GetRegString(plat::kHkeyLocalMachine,
                                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                            "RegisteredOwner")
                           .value_or(""));
  });
}

void FrmAbout::PaintAboutSkin() {
  common::OnErrorReportAndResume step(common::codes::kAboutPaint);
  step([&] { skin::CopyPiece(picTitlebar, picPicture, kTitleActive); });
  step([&] { skin::CopyPiece(picMain, picPicture, kBody); });
  step([&] { skin::CopyPiece(picClose, picPicture, kCloseNormal); });
  step([&] { skin::CopyPiece(picX, picPicture, kXActive); });
}

void FrmAbout::picMain_MouseMove() {
  common::OnErrorResumeNext resume;
  resume([&] { skin::CopyPiece(picClose, picPicture, kCloseNormal); });
  if (IsActive() != plat::kFalse) {
    resume([&] { skin::CopyPiece(picX, picPicture, kXActive); });
  }
  resume([&] { picClose.Refresh(); });
  resume([&] { picX.Refresh(); });
}

void FrmAbout::picX_Click() {
  common::OnErrorResumeNext resume;
  resume([&] { form_.Unload(); });
}

void FrmAbout::picClose_Click() {
  plat::RuntimeError error(0);
  if (common::Attempt([&] { form_.Unload(); }, &error)) return;
  common::ShowError(error.number(), error.description(), common::codes::kAboutUnload);
  common::Attempt([&] { form_.Hide(); });
}

}  // namespace windows
