// Screens with a palette (256 colours): the 20 colours the system keeps for
// itself, the halftone palette the program paints through, the nearest-colour
// rule by which a colour is mapped to a palette, and how the toolkit names a solid
// colour there. The real palette comes from CreateHalftonePalette; the headless
// desktop paints through the one below, made the same way (the system's colours
// at both ends, a colour cube and greys between).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/image.h"

namespace plat {

inline constexpr int kPaletteEntries = 256;
inline constexpr int kStaticEntries = 10;  // at each end of the system palette
using Palette = std::array<Pixel, kPaletteEntries>;

// The default palette: the system's 20 colours, what a surface painted without a
// palette of its own is mapped to.
std::span<const Pixel> StaticColours();
// Entries 0-9 and 246-255 the system's colours, 10-225 a 6 x 6 x 6 cube, 226-245 greys.
const Palette& HalftonePalette();
// The entry of `palette` nearest to `p` (least squared distance; the first of
// equals), as GDI maps a colour to a palette.
int NearestEntry(std::span<const Pixel> palette, Pixel p);
bool IsStaticColour(Pixel p);

// A solid colour (0x00BBGGRR) as the toolkit asks GDI for it: on a screen with a
// palette, the nearest entry of the realised palette (PALETTERGB), which fills
// solid where a plain RGB would dither from the system's 20 colours.
inline constexpr std::uint32_t kPaletteRelative = 0x02000000;
constexpr std::uint32_t SolidColourRef(std::uint32_t bgr, bool palette_screen) {
  return palette_screen ? (bgr & 0x00ffffffu) | kPaletteRelative : bgr & 0x00ffffffu;
}

}  // namespace plat
