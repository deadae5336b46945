#include "platform/palette.h"

namespace plat {
namespace {

constexpr Pixel kStatic[2 * kStaticEntries] = {
    MakePixel(0, 0, 0),       MakePixel(128, 0, 0),     MakePixel(0, 128, 0),
    MakePixel(128, 128, 0),   MakePixel(0, 0, 128),     MakePixel(128, 0, 128),
    MakePixel(0, 128, 128),   MakePixel(192, 192, 192), MakePixel(192, 220, 192),
    MakePixel(166, 202, 240), MakePixel(255, 251, 240), MakePixel(160, 160, 164),
    MakePixel(128, 128, 128), MakePixel(255, 0, 0),     MakePixel(0, 255, 0),
    MakePixel(255, 255, 0),   MakePixel(0, 0, 255),     MakePixel(255, 0, 255),
    MakePixel(0, 255, 255),   MakePixel(255, 255, 255),
};

Palette MakeHalftone() {
  Palette p{};
  int i = 0;
  for (int s = 0; s < kStaticEntries; ++s) p[i++] = kStatic[s];
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) p[i++] = MakePixel(r * 51, g * 51, b * 51);
    }
  }
  // Greys between the cube's: 12, 24, ... 252 without its own 51, 102, 153, 204.
  for (int v = 12; i < kPaletteEntries - kStaticEntries; v += 12) {
    if (v % 51 != 0) p[i++] = MakePixel(v, v, v);
  }
  for (int s = kStaticEntries; s < 2 * kStaticEntries; ++s) p[i++] = kStatic[s];
  return p;
}

int Distance(Pixel a, Pixel b) {
  int dr = static_cast<int>((a >> 16) & 0xff) - static_cast<int>((b >> 16) & 0xff);
  int dg = static_cast<int>((a >> 8) & 0xff) - static_cast<int>((b >> 8) & 0xff);
  int db = static_cast<int>(a & 0xff) - static_cast<int>(b & 0xff);
  return dr * dr + dg * dg + db * db;
}

}  // namespace

std::span<const Pixel> StaticColours() {
  return kStatic;
}

const Palette& HalftonePalette() {
  static const Palette halftone = MakeHalftone();
  return halftone;
}

int NearestEntry(std::span<const Pixel> palette, Pixel p) {
  int best = 0, best_distance = Distance(palette[0], p);
  for (std::size_t i = 1; i < palette.size() && best_distance != 0; ++i) {
    int d = Distance(palette[i], p);
    if (d < best_distance) best = static_cast<int>(i), best_distance = d;
  }
  return best;
}

bool IsStaticColour(Pixel p) {
  for (Pixel s : kStatic) {
    if (s == (p & 0xffffff)) return true;
  }
  return false;
}

}  // namespace plat
