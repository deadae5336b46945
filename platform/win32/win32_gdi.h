// GDI helpers of the Win32 toolkit: colours, the shared font and brush cache,
// and the drawing of retained images and labels. Every DC and temporary object
// is released by the function that took it: the Windows 9x GDI heap is small.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit.h"
#include "platform/win32/win_headers.h"

namespace plat::win32 {

// A toolkit colour (0x00BBGGRR or a system colour) as a COLORREF.
COLORREF ToColorRef(Colour colour);

// Fonts (at their pixel height at 96 dpi) and solid brushes, each created on
// first use and kept until the cache goes (at exit): windows keep using them
// after the call that asked.
class GdiCache {
 public:
  GdiCache() = default;
  ~GdiCache();
  GdiCache(const GdiCache&) = delete;
  GdiCache& operator=(const GdiCache&) = delete;

  HFONT Font(const FontDesc& desc);
  HBRUSH Brush(COLORREF colour);

  // On a screen with a palette (256 colours or fewer) the halftone palette that
  // every surface paints through, made once; null on any other screen.
  HPALETTE Palette();
  // Selects the palette into `dc` and realises it (in the foreground when the
  // window is the active one); returns the palette to select back, or null
  // when the screen has none and nothing was selected.
  HPALETTE UsePalette(HDC dc);
  // A toolkit colour for solid fills and text: on a palette screen the nearest
  // entry of the realised palette, which fills solid instead of dithering.
  COLORREF Solid(Colour colour);

 private:
  struct FontEntry {
    std::string face;
    double points;
    bool bold;
    HFONT font;
  };
  std::vector<FontEntry> fonts_;
  std::vector<std::pair<COLORREF, HBRUSH>> brushes_;
  bool palette_checked_ = false;
  HPALETTE palette_ = nullptr;
};

// The text as shown: "&x" marks an access key, "&&" is a plain ampersand.
std::string WithoutAccessMarks(std::string_view caption);

// Puts a retained image (0x00RRGGBB rows, top-down) at the DC's origin.
void DrawImage(HDC dc, const Image& image);

// Draws a label over whatever is already in the DC: transparent background,
// fore colour, font, alignment, access key underlined. `rect` is in DC units.
void DrawLabel(HDC dc, GdiCache& gdi, const Control& label, const RECT& rect);

}  // namespace plat::win32
