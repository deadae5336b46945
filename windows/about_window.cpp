#include "windows/about_window.h"

#include "common/error_report.h"
#include "common/failure.h"
#include "common/registry.h"
#include "platform/platform.h"
#include "skin/resource_file.h"
#include "skin/skins.h"
#include "windows/layouts.h"
#include "windows/splash_window.h"

namespace windows {
namespace {
using namespace skin::about_sheet;
}  // namespace

FrmAbout::FrmAbout() : form_(AboutLayout()) {
  auto moved = [](auto handler) {
    return [handler](int button, int, double, double) { handler(button); };
  };
  form_.on_load = [this] { Form_Load(); };
  form_["picTitlebar"].on_mouse_down = moved([this](int) { picTitlebar_MouseDown(); });
  form_["picTitlebar"].on_mouse_move = moved([this](int) { picTitlebar_MouseMove(); });
  form_["picMain"].on_mouse_move = moved([this](int) { picMain_MouseMove(); });
  form_["picX"].on_mouse_move = moved([this](int b) { picX_MouseMove(b); });
  form_["picX"].on_mouse_down = moved([this](int) { picX_MouseDown(); });
  form_["picX"].on_click = [this] { picX_Click(); };
  form_["picClose"].on_mouse_move = moved([this](int b) { picClose_MouseMove(b); });
  form_["picClose"].on_mouse_down = moved([this](int) { picClose_MouseDown(); });
  form_["picClose"].on_click = [this] { picClose_Click(); };
  form_["timActive"].on_timer = [this] { timActive_Timer(); };
}

void FrmAbout::Form_Load() {
  common::OnErrorReportAndResume step("FA146");
  step([&] { form_["lblVersion"].Move(160, 55); });
  step([&] { form_["lblVersion"].SetCaption(VersionText()); });
  step([&] { skin::LoadSkinPicture(skin::kResourceAbout, form_["picPicture"]); });
  step([&] { PaintAboutSkin(); });
  step([&] {
    form_["lblName"].SetCaption(common::GetRegString(plat::kHkeyLocalMachine,
                                                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                                     "RegisteredOwner")
                                    .value_or(""));
  });
}

void FrmAbout::PaintAboutSkin() {
  common::OnErrorReportAndResume step("FA73");
  step([&] { skin::CopyPiece(form_["picTitlebar"], form_["picPicture"], kTitleActive); });
  step([&] { skin::CopyPiece(form_["picMain"], form_["picPicture"], kBody); });
  step([&] { skin::CopyPiece(form_["picClose"], form_["picPicture"], kCloseNormal); });
  step([&] { skin::CopyPiece(form_["picX"], form_["picPicture"], kXActive); });
}

void FrmAbout::picTitlebar_MouseDown() {
  common::OnErrorResumeNext resume;
  resume([&] { form_.SetMousePointer(plat::kPointerSizeAll); });
  resume([&] { skin::DragWindow(form_); });
  resume([&] { form_.SetMousePointer(plat::kPointerDefault); });
}

void FrmAbout::picTitlebar_MouseMove() {
  common::OnErrorResumeNext resume;
  resume([&] { skin::ShowPiece(form_["picX"], form_["picPicture"], kXActive); });
}

void FrmAbout::picMain_MouseMove() {
  common::OnErrorResumeNext resume;
  resume([&] { skin::CopyPiece(form_["picClose"], form_["picPicture"], kCloseNormal); });
  if (IsActive != plat::kFalse) {
    resume([&] { skin::CopyPiece(form_["picX"], form_["picPicture"], kXActive); });
  }
  resume([&] { form_["picClose"].Refresh(); });
  resume([&] { form_["picX"].Refresh(); });
}

void FrmAbout::picX_MouseMove(int button) {
  skin::HoverFace(form_, "picX", kXHover, button);
}

void FrmAbout::picX_MouseDown() {
  skin::PressFace(form_, "picX", kXPressed);
}

void FrmAbout::picX_Click() {
  common::OnErrorResumeNext resume;
  resume([&] { form_.Unload(); });
}

void FrmAbout::picClose_MouseMove(int button) {
  skin::HoverFace(form_, "picClose", kCloseHover, button);
}

void FrmAbout::picClose_MouseDown() {
  skin::PressFace(form_, "picClose", kClosePressed);
}

void FrmAbout::picClose_Click() {
  plat::RuntimeError error(0);
  if (common::Attempt([&] { form_.Unload(); }, &error)) return;
  common::ShowError(error.number(), error.description(), "FA186");
  common::Attempt([&] { form_.Hide(); });
}

void FrmAbout::timActive_Timer() {
  common::OnErrorResumeNext resume;
  bool active = false;
  resume([&] { active = plat::Sys().GetForegroundWindow() == form_.Handle(); });
  IsActive = plat::ToBool16(active);
  resume([&] {
    skin::CopyPiece(form_["picTitlebar"], form_["picPicture"],
                    active ? kTitleActive : kTitleInactive);
  });
  resume(
      [&] { skin::CopyPiece(form_["picX"], form_["picPicture"], active ? kXActive : kXInactive); });
  resume([&] { form_["picTitlebar"].Refresh(); });
  resume([&] { form_["picX"].Refresh(); });
}

}  // namespace windows
