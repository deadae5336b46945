// Painting a window from its sprite sheet, and moving a frameless window.
#pragma once

#include "platform/toolkit.h"
#include "skin/sheets.h"

namespace skin {

// Copies `piece` of the sheet held by `sheet` to (0, 0) of `surface`.
void CopyPiece(plat::Control& surface, plat::Control& sheet, const Piece& piece);
// The same, then puts the surface on the screen at once.
void ShowPiece(plat::Control& surface, plat::Control& sheet, const Piece& piece);

// Paints the main window's title strip, body and button faces from its picPicture.
void PaintSkin(plat::Form& window);
// Lets the system move `window` with the mouse until the button is released.
void DragWindow(plat::Form& window);

}  // namespace skin
