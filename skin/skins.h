// The skin library: surfaces painted from a sprite sheet that a hidden picture
// box holds, button faces that follow the mouse, and the title bar of a
// frameless window. It knows pieces and controls, never a particular window.
#pragma once

#include "platform/convert.h"
#include "platform/toolkit.h"
#include "skin/sheets.h"

namespace skin {

// Copies `piece` of the sheet held by `sheet` to (0, 0) of `surface`.
void CopyPiece(plat::Control& surface, plat::Control& sheet, const Piece& piece);
// The same, then puts the surface on the screen at once.
void ShowPiece(plat::Control& surface, plat::Control& sheet, const Piece& piece);

// Makes `surface` a painted button: its mouse handlers, which ignore failures,
// show the pressed face on any mouse button going down and the hover face on a
// move with no button held. Releasing changes nothing.
void BindFaces(plat::Control& surface, plat::Control& sheet, const Piece& hover,
               const Piece& pressed);

// Lets the system move `window` with the mouse until the button is released.
void DragWindow(plat::Form& window);

struct TitleFaces {
  Piece strip_active, strip_inactive, glyph_active, glyph_inactive;
};

// The painted title bar: a press on the strip drags the window under the move
// pointer, a move over it lights the close glyph, and each tick of the window's
// 100 ms timer shows the strip and the glyph as active or inactive.
class TitleBar {
 public:
  TitleBar(plat::Form& window, plat::Control& sheet, plat::Control& strip, plat::Control& glyph,
           plat::Control& timer, const TitleFaces& faces);
  TitleBar(const TitleBar&) = delete;
  TitleBar& operator=(const TitleBar&) = delete;

  // True while the window was the foreground window at the last tick.
  plat::Bool16 IsActive() const { return active_; }
  const TitleFaces& faces() const { return faces_; }

 private:
  void Drag();
  void Tick();

  plat::Form& window_;
  plat::Control& sheet_;
  plat::Control& strip_;
  plat::Control& glyph_;
  TitleFaces faces_;
  plat::Bool16 active_ = plat::kFalse;
};

}  // namespace skin
