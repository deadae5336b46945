#include "tools/artgen/style.h"

#include <algorithm>
#include <cmath>

namespace art {
namespace {

constexpr Rgb kEdgeLight{128, 200, 212};
constexpr Rgb kEdgeLighter{176, 226, 234};
constexpr Rgb kEdgeDark{0, 56, 68};
constexpr Rgb kEdgeDarker{0, 30, 38};

float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}

}  // namespace

void DrawField(Canvas& c, const Piece& p) {
  c.Fill(p.x, p.y, p.w, p.h, kTeal);
  c.Bevel(p.x, p.y, p.shown_w, p.shown_h, kEdgeLighter, kEdgeDarker, 1);
  c.Bevel(p.x + 1, p.y + 1, p.shown_w - 2, p.shown_h - 2, kEdgeLight, kEdgeDark, 1);
}

void DrawLogo(Canvas& c, const Font& font, std::string_view text, float size, int box_x, int box_y,
              int box_w, int box_h) {
  const int depth = std::max(3, static_cast<int>(size / 12.0f));
  Mask probe = font.Render(text, size, 0, 0);
  int l, t, r, b;
  probe.Bounds(l, t, r, b);
  // Centre the letters together with their extrusion.
  const int ink_w = r - l + 1 + depth, ink_h = b - t + 1 + depth;
  const int dx = box_x + (box_w - ink_w) / 2 - l, dy = box_y + (box_h - ink_h) / 2 - t;
  const Mask letters = probe.Shifted(dx, dy);
  const float top = static_cast<float>(t + dy), height = static_cast<float>(b - t + 1);

  const Mask rim = letters.Dilated(1.0f);
  c.Paint(rim.Dilated(1.0f).Blurred(2).Shifted(depth + 2, depth + 3), kBlack, 0.45f);
  for (int i = depth; i >= 1; --i) {
    const float k = static_cast<float>(i) / static_cast<float>(depth);
    c.Paint(rim.Shifted(i, i), Mix(Rgb{18, 52, 140}, Rgb{4, 16, 58}, k));
  }
  c.Paint(rim, Rgb{6, 22, 80});
  c.Paint(letters, [&](int, int y) {
    const float v = Clamp01((static_cast<float>(y) - top) / height);
    if (v < 0.5f) return Mix(Rgb{190, 228, 255}, Rgb{70, 150, 250}, v / 0.5f);
    return Mix(Rgb{20, 92, 226}, Rgb{30, 120, 240}, (v - 0.5f) / 0.5f);
  });
}

void DrawHeading(Canvas& c, const Font& font, std::string_view text, float size, float x, float y) {
  const Mask ink = font.Render(text, size, x, y);
  const Mask outline = ink.Dilated(1.4f);
  c.Paint(outline.Shifted(1, 1), Rgb{0, 24, 30}, 0.55f);
  c.Paint(outline, Rgb{206, 18, 24});
  c.Paint(ink, kWhite);
}

void DrawTitleStrip(Canvas& c, const Font& font, std::string_view caption, const Piece& p,
                    bool active) {
  const Rgb top = active ? Rgb{112, 172, 244} : Rgb{214, 214, 214};
  const Rgb bottom = active ? Rgb{4, 24, 96} : Rgb{112, 112, 112};
  c.VGradient(p.x, p.y, p.w, p.shown_h, top, bottom);
  c.Fill(p.x, p.y + p.shown_h, p.w, p.h - p.shown_h, bottom);
  const float size = 12.5f;
  const float baseline = std::round(static_cast<float>(p.y) +
                                    (static_cast<float>(p.shown_h) + font.CapHeight(size)) / 2.0f);
  DrawText(c, font, caption, size, static_cast<float>(p.x + 7), baseline,
           active ? kWhite : Rgb{248, 248, 248}, active ? 0.6f : 0.45f);
}

void DrawButton(Canvas& c, const Font& font, std::string_view word, float size, const Piece& p,
                Face face, Frame frame) {
  c.Fill(p.x, p.y, p.w, p.h, kTeal);
  const int fx = p.x + frame.x, fy = p.y + frame.y;
  const bool sunken = face == Face::kPressed;
  c.Bevel(fx, fy, frame.w, frame.h, sunken ? kEdgeDarker : kEdgeLighter,
          sunken ? kEdgeLighter : kEdgeDarker, 1);
  c.Bevel(fx + 1, fy + 1, frame.w - 2, frame.h - 2, sunken ? kEdgeDark : kEdgeLight,
          sunken ? kEdgeLight : kEdgeDark, 1);
  float pen, baseline;
  CentreText(font, word, size, fx, fy, frame.w, frame.h, pen, baseline);
  // Hover lifts the word off the face (long shadow); pressed pushes it in
  // (the word moves down-right, the shadow stays close).
  int shift = 0, shadow = 0;
  if (face == Face::kHover) shadow = 2;
  if (face == Face::kPressed) shift = 1, shadow = 1;
  const Mask ink = font.Render(word, size, pen + static_cast<float>(shift),
                               baseline + static_cast<float>(shift));
  if (shadow > 0) c.Paint(ink.Shifted(shadow, shadow), Rgb{0, 20, 26}, 0.85f);
  c.Paint(ink, kButtonRed);
}

void DrawCloseGlyph(Canvas& c, const Piece& p, Glyph glyph) {
  Rgb top, bottom;
  switch (glyph) {
    case Glyph::kActive:
      top = bottom = Rgb{52, 104, 214};
      break;
    case Glyph::kHover:
      top = Rgb{176, 214, 255}, bottom = Rgb{84, 150, 246};
      break;
    case Glyph::kPressed:
      top = Rgb{14, 38, 118}, bottom = Rgb{44, 90, 192};
      break;
    case Glyph::kInactive:
      top = bottom = Rgb{160, 160, 160};
      break;
  }
  c.VGradient(p.x, p.y, p.w, p.shown_h, top, bottom);
  c.Fill(p.x, p.y + p.shown_h, p.w, p.h - p.shown_h, bottom);
  const bool sunken = glyph == Glyph::kPressed;
  const Rgb light = Mix(top, kWhite, 0.55f), dark = Mix(bottom, kBlack, 0.6f);
  c.Bevel(p.x, p.y, p.shown_w, p.shown_h, sunken ? dark : light, sunken ? light : dark, 1);
  // The cross, centred in the shown part, antialiased strokes.
  const float cx = static_cast<float>(p.x) + static_cast<float>(p.shown_w) / 2.0f;
  const float cy = static_cast<float>(p.y) + static_cast<float>(p.shown_h) / 2.0f;
  const float arm = 2.9f, half = 0.85f;
  const Mask cross = ShapeMask(p.x, p.y, p.shown_w, p.shown_h, [=](float x, float y) {
    const float u = x - cx, v = y - cy;
    if (std::fabs(u) > arm + half * 0.7f || std::fabs(v) > arm + half * 0.7f) return false;
    return std::fabs(u - v) <= half * 1.41421f || std::fabs(u + v) <= half * 1.41421f;
  });
  c.Paint(cross, kBlack);
}

void DrawText(Canvas& c, const Font& font, std::string_view text, float size, float x, float y,
              Rgb colour, float shadow) {
  const Mask ink = font.Render(text, size, x, y);
  if (shadow > 0.0f) c.Paint(ink.Shifted(1, 1), kBlack, shadow);
  c.Paint(ink, colour);
}

void DrawTextCentred(Canvas& c, const Font& font, std::string_view text, float size, int left,
                     int width, float y, Rgb colour, float shadow) {
  float pen, baseline;
  CentreText(font, text, size, left, 0, width, 0, pen, baseline);
  DrawText(c, font, text, size, pen, y, colour, shadow);
}

}  // namespace art
