// The look shared by all three skin pictures: teal fields, the blue logo, the
// outlined headings, the red button words, title strips and close glyphs.
#pragma once

#include <string_view>

#include "tools/artgen/font.h"
#include "tools/artgen/raster.h"

namespace art {

inline constexpr Rgb kTeal{0, 107, 127};
inline constexpr Rgb kButtonRed{255, 52, 44};

struct Fonts {
  const Font& bold;
  const Font& bold_italic;
};

enum class Face { kNormal, kHover, kPressed };
enum class Glyph { kActive, kHover, kPressed, kInactive };

// A piece rectangle and the part of it its surface really shows.
struct Piece {
  int x, y, w, h;
  int shown_w, shown_h;
};

// Teal field with a raised edge around the shown part; rows and columns beyond
// it are filled with the field colour so the compressed edge stays clean.
void DrawField(Canvas& c, const Piece& p);
// The product name as a glossy blue raised logo, its ink centred in the box.
void DrawLogo(Canvas& c, const Font& font, std::string_view text, float size, int box_x, int box_y,
              int box_w, int box_h);
// White bold italic heading with a red outline, pen at x, baseline at y.
void DrawHeading(Canvas& c, const Font& font, std::string_view text, float size, float x, float y);
// A title strip, gradient over the shown rows, the caption in white at the left.
void DrawTitleStrip(Canvas& c, const Font& font, std::string_view caption, const Piece& p,
                    bool active);
// A rectangle inside a piece, relative to the piece's top-left corner.
struct Frame {
  int x, y, w, h;
};

// A teal button face: a raised (pressed: sunken) frame and the word centred in it.
void DrawButton(Canvas& c, const Font& font, std::string_view word, float size, const Piece& p,
                Face face, Frame frame);
// A close glyph square with its cross centred in the shown part.
void DrawCloseGlyph(Canvas& c, const Piece& p, Glyph glyph);
// Plain text, for labels painted into the artwork.
void DrawText(Canvas& c, const Font& font, std::string_view text, float size, float x, float y,
              Rgb colour, float shadow = 0.0f);
// The same, centred between left and left + width.
void DrawTextCentred(Canvas& c, const Font& font, std::string_view text, float size, int left,
                     int width, float y, Rgb colour, float shadow = 0.0f);

}  // namespace art
