// The main window's skin: painted at load from its sheet, the button faces put
// back to normal when the mouse crosses the body.
#include "app/main_window.h"
#include "common/error_codes.h"
#include "common/failure.h"
#include "skin/sheets.h"
#include "skin/skins.h"

namespace app {

using namespace skin::main_sheet;

void PaintSkin(plat::Form& window) {
  // By name, so that a surface the window lacks is a report rather than a crash.
  common::OnErrorReportAndEnd(common::codes::kPaintSkin, [&] {
    plat::Control& sheet = window["picPicture"];
    skin::CopyPiece(window["picTitlebar"], sheet, kTitleActive);
    skin::CopyPiece(window["picMain"], sheet, kBody);
    skin::CopyPiece(window["PicExecute"], sheet, kExecuteNormal);
    skin::CopyPiece(window["picExit"], sheet, kExitNormal);
    skin::CopyPiece(window["picClose"], sheet, kCloseActive);
    skin::CopyPiece(window["picHelp"], sheet, kHelpNormal);
    skin::CopyPiece(window["picAbout"], sheet, kAboutNormal);
    window["picTitlebar"].Refresh();
    window["picMain"].Refresh();
    window["PicExecute"].Refresh();
  });
}

void FrmMain::picMain_MouseMove() {
  common::OnErrorResumeNext resume;
  const bool active = IsActive() != plat::kFalse;
  resume([&] { skin::CopyPiece(PicExecute, picPicture, kExecuteNormal); });
  resume([&] { skin::CopyPiece(picExit, picPicture, kExitNormal); });
  resume([&] { skin::CopyPiece(picClose, picPicture, active ? kCloseActive : kCloseInactive); });
  resume([&] { skin::CopyPiece(picHelp, picPicture, kHelpNormal); });
  resume([&] { skin::CopyPiece(picAbout, picPicture, kAboutNormal); });
  for (plat::Control* button : {&PicExecute, &picExit, &picClose, &picHelp, &picAbout}) {
    resume([&] { button->Refresh(); });
  }
}

}  // namespace app
