// The main window's title bar: dragging moves the window; a 100 ms timer shows
// whether the window is the active one.
#include "app/main_window.h"
#include "common/failure.h"
#include "platform/platform.h"
#include "skin/skins.h"

namespace app {
namespace {
using namespace skin::main_sheet;
}  // namespace

void FrmMain::picTitlebar_MouseMove() {
  common::OnErrorResumeNext resume;
  resume([&] { skin::ShowPiece(form_["picClose"], form_["picPicture"], kCloseActive); });
}

void FrmMain::picTitlebar_MouseDown() {
  common::OnErrorResumeNext resume;
  resume([&] { form_.SetMousePointer(plat::kPointerSizeAll); });
  resume([&] { skin::DragWindow(form_); });
  resume([&] { form_.SetMousePointer(plat::kPointerDefault); });
}

void FrmMain::timActive_Timer() {
  common::OnErrorResumeNext resume;
  plat::WindowId foreground = 0, own = 0;
  resume([&] { foreground = plat::Sys().GetForegroundWindow(); });
  resume([&] { own = form_.Handle(); });
  plat::Control* sheet = nullptr;
  resume([&] { sheet = &form_["picPicture"]; });
  if (sheet == nullptr) return;
  const bool active = foreground == own;
  IsActive = plat::ToBool16(active);
  resume([&] {
    skin::CopyPiece(form_["picTitlebar"], *sheet, active ? kTitleActive : kTitleInactive);
  });
  resume(
      [&] { skin::CopyPiece(form_["picClose"], *sheet, active ? kCloseActive : kCloseInactive); });
  resume([&] { form_["picTitlebar"].Refresh(); });
  resume([&] { form_["picClose"].Refresh(); });
}

}  // namespace app
