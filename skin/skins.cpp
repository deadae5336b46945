#include "skin/skins.h"

#include "common/failure.h"
#include "platform/platform.h"

namespace skin {

void CopyPiece(plat::Control& surface, plat::Control& sheet, const Piece& piece) {
  plat::BitBlt(surface, 0, 0, piece.w, piece.h, sheet, piece.x, piece.y);
}

void ShowPiece(plat::Control& surface, plat::Control& sheet, const Piece& piece) {
  CopyPiece(surface, sheet, piece);
  surface.Refresh();
}

void PressFace(plat::Form& window, const char* surface, const Piece& pressed) {
  common::OnErrorResumeNext resume;
  resume([&] { ShowPiece(window[surface], window["picPicture"], pressed); });
}

void HoverFace(plat::Form& window, const char* surface, const Piece& hover, int button) {
  if (button != 0) return;
  common::OnErrorResumeNext resume;
  resume([&] { ShowPiece(window[surface], window["picPicture"], hover); });
}

void PaintSkin(plat::Form& window) {
  common::OnErrorReportAndEnd("MSK148", [&] {
    plat::Control& sheet = window["picPicture"];
    CopyPiece(window["picTitlebar"], sheet, main_sheet::kTitleActive);
    CopyPiece(window["picMain"], sheet, main_sheet::kBody);
    CopyPiece(window["PicExecute"], sheet, main_sheet::kExecuteNormal);
    CopyPiece(window["picExit"], sheet, main_sheet::kExitNormal);
    CopyPiece(window["picClose"], sheet, main_sheet::kCloseActive);
    CopyPiece(window["picHelp"], sheet, main_sheet::kHelpNormal);
    CopyPiece(window["picAbout"], sheet, main_sheet::kAboutNormal);
    window["picTitlebar"].Refresh();
    window["picMain"].Refresh();
    window["PicExecute"].Refresh();
  });
}

void DragWindow(plat::Form& window) {
  common::OnErrorResumeNext resume;
  plat::WindowId handle = 0;
  resume([&] { plat::Sys().ReleaseCapture(); });
  resume([&] { handle = window.Handle(); });
  resume([&] { plat::Sys().SendMessage(handle, plat::kWmNcLButtonDown, plat::kHtCaption, 0); });
}

}  // namespace skin
