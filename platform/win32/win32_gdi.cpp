#include "platform/win32/win32_gdi.h"

#include <cmath>

#include "platform/palette.h"

namespace plat::win32 {
namespace {

constexpr int kLayoutDpi = 96;  // Small Fonts, which the layouts were made for

// Scalable sans-serif faces for a bitmap face that has no size small enough:
// Tahoma (Windows 98 and ME, 95 with a later Internet Explorer), else Arial (every
// release), both near MS Sans Serif's widths.
constexpr const char* kScalableFaces[] = {"Tahoma", "Arial"};

// The font's character height (the cell without its leading) and whether the
// face it got is `face` and not a stand-in.
int CharHeight(HFONT font, const char* face, bool* got_face) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(screen, &tm);
  char got[LF_FACESIZE] = "";
  GetTextFaceA(screen, sizeof got, got);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  *got_face = lstrcmpiA(got, face) == 0;
  return tm.tmHeight - tm.tmInternalLeading;
}

}  // namespace

COLORREF ToColorRef(Colour colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xff));
  return colour & 0x00ffffffu;
}

// ---------------------------------------------------------------- cache

GdiCache::~GdiCache() {
  for (auto& f : fonts_) DeleteObject(f.font);
  for (auto& b : brushes_) DeleteObject(b.second);
  if (palette_ != nullptr) DeleteObject(palette_);
}

// At the height the font has at 96 dpi, whatever LOGPIXELSY says: the layouts are
// fixed pixels, so under Large Fonts (120 dpi) a font scaled by it would overflow
// the painted boxes (8.25 pt: 11 pixels, not 14). Large Fonts also swaps MS Sans
// Serif for its 120-dpi file, whose smallest size has 13-pixel characters: where
// the face has nothing that small (or is missing), a scalable face makes the height.
HFONT GdiCache::Font(const FontDesc& desc) {
  for (auto& f : fonts_) {
    if (f.face == desc.face && f.points == desc.points && f.bold == desc.bold) return f.font;
  }
  const LONG height = std::lround(desc.points * kLayoutDpi / 72.0);
  LOGFONTA lf{};
  lf.lfHeight = -height;
  lf.lfWeight = desc.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;  // a sans-serif stands in if the face is missing
  lstrcpynA(lf.lfFaceName, desc.face, LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  bool got_face = false;
  if (font != nullptr && (CharHeight(font, desc.face, &got_face) > height || !got_face)) {
    for (const char* face : kScalableFaces) {
      lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
      HFONT scalable = CreateFontIndirectA(&lf);
      if (scalable == nullptr) continue;
      if (CharHeight(scalable, face, &got_face) <= height && got_face) {
        DeleteObject(font);
        font = scalable;
        break;
      }
      DeleteObject(scalable);
    }
  }
  if (font == nullptr) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.push_back({desc.face, desc.points, desc.bold, font});
  return font;
}

HBRUSH GdiCache::Brush(COLORREF colour) {
  for (auto& b : brushes_) {
    if (b.first == colour) return b.second;
  }
  HBRUSH brush = CreateSolidBrush(colour);
  if (brush == nullptr) return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  brushes_.emplace_back(colour, brush);
  return brush;
}

HPALETTE GdiCache::Palette() {
  if (palette_checked_) return palette_;
  palette_checked_ = true;
  HDC screen = GetDC(nullptr);
  if (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) palette_ = CreateHalftonePalette(screen);
  ReleaseDC(nullptr, screen);
  return palette_;
}

HPALETTE GdiCache::UsePalette(HDC dc) {
  if (Palette() == nullptr) return nullptr;
  HPALETTE old = SelectPalette(dc, palette_, FALSE);
  RealizePalette(dc);
  return old;
}

COLORREF GdiCache::Solid(Colour colour) {
  return SolidColourRef(ToColorRef(colour), Palette() != nullptr);
}

// ---------------------------------------------------------------- drawing

std::string WithoutAccessMarks(std::string_view caption) {
  std::string shown;
  shown.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

void DrawImage(HDC dc, const Image& image) {
  if (image.empty()) return;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = image.width;
  bmi.bmiHeader.biHeight = -image.height;  // top-down rows
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(image.width), static_cast<DWORD>(image.height), 0,
                    0, 0, static_cast<UINT>(image.height), image.pixels.data(), &bmi,
                    DIB_RGB_COLORS);
}

void DrawLabel(HDC dc, GdiCache& gdi, const Control& label, const RECT& rect) {
  const ControlLayout& layout = label.layout();
  UINT format = layout.align == Align::kCenter  ? DT_CENTER
                : layout.align == Align::kRight ? DT_RIGHT
                                                : DT_LEFT;
  format |= layout.auto_size ? DT_SINGLELINE : DT_WORDBREAK;
  RECT r = rect;
  HGDIOBJ old_font = SelectObject(dc, gdi.Font(layout.font));
  int old_mode = SetBkMode(dc, TRANSPARENT);
  COLORREF old_colour = SetTextColor(dc, gdi.Solid(label.ForeColor()));
  DrawTextA(dc, label.Caption().c_str(), -1, &r, format);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);
}

}  // namespace plat::win32
