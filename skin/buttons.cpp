// The main window's painted buttons: pressed on mouse down, lit under the mouse,
// normal again when the mouse crosses the body.
#include "app/main_window.h"
#include "app/program.h"
#include "common/failure.h"
#include "platform/platform.h"
#include "skin/skins.h"
#include "windows/about_window.h"
#include "windows/help_launcher.h"

namespace app {
namespace {
using namespace skin::main_sheet;
}  // namespace

void FrmMain::PicExecute_MouseDown(int) {
  skin::PressFace(form_, "PicExecute", kExecutePressed);
}

void FrmMain::PicExecute_MouseMove(int button) {
  skin::HoverFace(form_, "PicExecute", kExecuteHover, button);
}

void FrmMain::picExit_MouseDown(int) {
  skin::PressFace(form_, "picExit", kExitPressed);
}

void FrmMain::picExit_MouseMove(int button) {
  skin::HoverFace(form_, "picExit", kExitHover, button);
}

void FrmMain::picClose_MouseDown(int) {
  skin::PressFace(form_, "picClose", kClosePressed);
}

void FrmMain::picClose_MouseMove(int button) {
  skin::HoverFace(form_, "picClose", kCloseHover, button);
}

void FrmMain::picClose_Click() {
  common::OnErrorResumeNext resume;
  resume([&] { picExit_Click(); });
}

void FrmMain::picHelp_MouseDown(int) {
  skin::PressFace(form_, "picHelp", kHelpPressed);
}

void FrmMain::picHelp_MouseMove(int button) {
  skin::HoverFace(form_, "picHelp", kHelpHover, button);
}

void FrmMain::picHelp_Click() {
  // A help engine that cannot be reached must not take the window with it.
  common::Attempt([] { windows::ShowHelp(plat::AppPath() + "\\Help.chm"); });
}

void FrmMain::picAbout_MouseDown(int) {
  skin::PressFace(form_, "picAbout", kAboutPressed);
}

void FrmMain::picAbout_MouseMove(int button) {
  skin::HoverFace(form_, "picAbout", kAboutHover, button);
}

void FrmMain::picAbout_Click() {
  common::OnErrorResumeNext resume;
  resume([] { AboutWindow().form().Show(); });
}

void FrmMain::picMain_MouseMove() {
  common::OnErrorResumeNext resume;
  plat::Control* sheet = nullptr;
  resume([&] { sheet = &form_["picPicture"]; });
  if (sheet == nullptr) return;
  resume([&] { skin::CopyPiece(form_["PicExecute"], *sheet, kExecuteNormal); });
  resume([&] { skin::CopyPiece(form_["picExit"], *sheet, kExitNormal); });
  resume([&] {
    skin::CopyPiece(form_["picClose"], *sheet,
                    IsActive != plat::kFalse ? kCloseActive : kCloseInactive);
  });
  resume([&] { skin::CopyPiece(form_["picHelp"], *sheet, kHelpNormal); });
  resume([&] { skin::CopyPiece(form_["picAbout"], *sheet, kAboutNormal); });
  for (const char* name : {"PicExecute", "picExit", "picClose", "picHelp", "picAbout"}) {
    resume([&] { form_[name].Refresh(); });
  }
}

}  // namespace app
