// The program icon: drawn at 32 x 32, reduced to a 256-colour palette with a
// one-bit transparency mask, as a Windows 95 icon resource expects.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/artgen/raster.h"

namespace art {

struct Icon {
  static constexpr int kSize = 32;
  std::array<std::array<std::uint8_t, 3>, 256> palette{};  // R, G, B; entry 0 is black
  std::array<std::uint8_t, kSize * kSize> index{};         // rows from the top
  std::array<bool, kSize * kSize> transparent{};
};

Icon MakeIcon();

// The .ico file: one 32 x 32 image, 8 bits per pixel, colour table, XOR and AND bitmaps.
std::vector<std::uint8_t> IcoFile(const Icon& icon);

// Draws the icon's opaque pixels with their palette colours, top-left at (x, y).
void DrawIcon(Canvas& canvas, const Icon& icon, int x, int y);

}  // namespace art
