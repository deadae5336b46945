#include "platform/win32/win32_gdi.h"

#include <cmath>

namespace plat::win32 {

COLORREF ToColorRef(Colour colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xff));
  return colour & 0x00ffffffu;
}

// ---------------------------------------------------------------- cache

GdiCache::~GdiCache() {
  for (auto& f : fonts_) DeleteObject(f.font);
  for (auto& b : brushes_) DeleteObject(b.second);
}

HFONT GdiCache::Font(const FontDesc& layout) {
  for (auto& f : fonts_) {
    if (f.face == layout.face && f.points == layout.points && f.bold == layout.bold) return f.font;
  }
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  LOGFONTA lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(layout.points * dpi / 72.0));
  lf.lfWeight = layout.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;  // a sans-serif stands in if the face is missing
  lstrcpynA(lf.lfFaceName, layout.face, LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  if (font == nullptr) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.push_back({layout.face, layout.points, layout.bold, font});
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
  COLORREF old_colour = SetTextColor(dc, ToColorRef(label.ForeColor()));
  DrawTextA(dc, label.Caption().c_str(), -1, &r, format);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
  SelectObject(dc, old_font);
}

}  // namespace plat::win32
