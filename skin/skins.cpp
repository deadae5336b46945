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

void BindFaces(plat::Control& surface, plat::Control& sheet, const Piece& hover,
               const Piece& pressed) {
  surface.on_mouse_down = [&surface, &sheet, pressed](int, int, double, double) {
    common::OnErrorResumeNext resume;
    resume([&] { ShowPiece(surface, sheet, pressed); });
  };
  surface.on_mouse_move = [&surface, &sheet, hover](int button, int, double, double) {
    if (button != 0) return;
    common::OnErrorResumeNext resume;
    resume([&] { ShowPiece(surface, sheet, hover); });
  };
}

void DragWindow(plat::Form& window) {
  common::OnErrorResumeNext resume;
  plat::WindowId handle = 0;
  resume([&] { plat::Sys().ReleaseCapture(); });
  resume([&] { handle = window.Handle(); });
  resume([&] { plat::Sys().SendMessage(handle, plat::kWmNcLButtonDown, plat::kHtCaption, 0); });
}

TitleBar::TitleBar(plat::Form& window, plat::Control& sheet, plat::Control& strip,
                   plat::Control& glyph, plat::Control& timer, const TitleFaces& faces)
    : window_(window), sheet_(sheet), strip_(strip), glyph_(glyph), faces_(faces) {
  strip.on_mouse_down = [this](int, int, double, double) { Drag(); };
  strip.on_mouse_move = [this](int, int, double, double) {
    common::OnErrorResumeNext resume;
    resume([&] { ShowPiece(glyph_, sheet_, faces_.glyph_active); });
  };
  timer.on_timer = [this] { Tick(); };
}

void TitleBar::Drag() {
  common::OnErrorResumeNext resume;
  resume([&] { window_.SetMousePointer(plat::kPointerSizeAll); });
  resume([&] { DragWindow(window_); });
  resume([&] { window_.SetMousePointer(plat::kPointerDefault); });
}

void TitleBar::Tick() {
  common::OnErrorResumeNext resume;
  plat::WindowId foreground = 0, own = 0;
  resume([&] { foreground = plat::Sys().GetForegroundWindow(); });
  resume([&] { own = window_.Handle(); });
  const bool active = foreground == own;
  active_ = plat::ToBool16(active);
  resume([&] { CopyPiece(strip_, sheet_, active ? faces_.strip_active : faces_.strip_inactive); });
  resume([&] { CopyPiece(glyph_, sheet_, active ? faces_.glyph_active : faces_.glyph_inactive); });
  resume([&] { strip_.Refresh(); });
  resume([&] { glyph_.Refresh(); });
}

}  // namespace skin
