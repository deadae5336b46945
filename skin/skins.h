// Painting a window from its sprite sheet, and moving a frameless window.
#pragma once

#include "platform/toolkit.h"
#include "skin/sheets.h"

namespace skin {

// Copies `piece` of the sheet held by `sheet` to (0, 0) of `surface`.
void CopyPiece(plat::Control& surface, plat::Control& sheet, const Piece& piece);
// The same, then puts the surface on the screen at once.
void ShowPiece(plat::Control& surface, plat::Control& sheet, const Piece& piece);

// A button's face changes from its mouse handlers, which ignore failures: the
// pressed face on any mouse button going down, the hover face on a move with no
// button held. The sheet is the window's picPicture.
void PressFace(plat::Form& window, const char* surface, const Piece& pressed);
void HoverFace(plat::Form& window, const char* surface, const Piece& hover, int button);

// Paints the main window's title strip, body and button faces from its picPicture.
void PaintSkin(plat::Form& window);
// Lets the system move `window` with the mouse until the button is released.
void DragWindow(plat::Form& window);

}  // namespace skin
