// paletteref [SECONDS]
//
// What a screen with a palette makes of the two ways Brivane paints: a 32-bit DIB
// through SetDIBitsToDevice (the skin) and solid brushes (its plain colours). The
// window (client 512 x 256, at the screen's top left, caption "paletteref") has
// four quarters: on the left painted in the DC's default palette, on the right
// with a halftone palette selected and realised; above the DIB, a gradient
// between skin colours; below, solid brushes of skin colours (left RGB, right
// PALETTERGB). Once painted it reads the quarters back from the screen and prints
// the screen's caps and, for each quarter, how many colours it holds:
//   screen bits B rc_palette P palette_size S colours C
//   realised N
//   QUARTER colours N first R,G,B
//   system_palette M of H halftone colours
//   nearest R,G,B default R,G,B halftone R,G,B
// (how many of the halftone palette's colours the system palette holds once it is
// realised; GetNearestColor of each swatch colour in either palette),
// then stays SECONDS (default 20) for a screenshot and ends.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "platform/win32/win_headers.h"

namespace {

constexpr int kWidth = 512, kHeight = 256, kHalf = kWidth / 2, kRow = kHeight / 2;
constexpr COLORREF kSwatches[] = {
    RGB(0, 106, 126),    // teal, behind the options
    RGB(255, 128, 128),  // salmon, the buttons' back
    RGB(128, 0, 0),      // dark red, the body
    RGB(255, 255, 0),    // yellow, the captions
    RGB(200, 150, 100),  // none of the 20 static colours, nor near one
    RGB(90, 90, 90),
};
constexpr int kSwatchCount = sizeof kSwatches / sizeof kSwatches[0];

HPALETTE g_halftone = nullptr;
std::vector<DWORD> g_gradient;  // kHalf x kRow, 0x00RRGGBB, top-down

// From teal across to salmon, darkening downwards towards the body's dark red:
// the skin's own range of colours, with every step between.
void MakeGradient() {
  g_gradient.resize(static_cast<std::size_t>(kHalf) * kRow);
  for (int y = 0; y < kRow; ++y) {
    for (int x = 0; x < kHalf; ++x) {
      double across = x / double(kHalf - 1), down = y / double(kRow - 1);
      double r = 0 + across * 255, g = 106 + across * (128 - 106), b = 126 + across * (128 - 126);
      r = r * (1 - down) + 128 * down;
      g = g * (1 - down);
      b = b * (1 - down);
      g_gradient[static_cast<std::size_t>(y) * kHalf + x] =
          (DWORD(r) << 16) | (DWORD(g) << 8) | DWORD(b);
    }
  }
}

// A 32-bit DIB of w x h pixels, rows top-down.
BITMAPINFO Dib32(int w, int h) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  return bmi;
}

void PaintGradient(HDC dc, int left) {
  BITMAPINFO bmi = Dib32(kHalf, kRow);
  SetDIBitsToDevice(dc, left, 0, kHalf, kRow, 0, 0, 0, kRow, g_gradient.data(), &bmi,
                    DIB_RGB_COLORS);
}

void PaintSwatches(HDC dc, int left, bool through_palette) {
  int w = kHalf / kSwatchCount;
  for (int i = 0; i < kSwatchCount; ++i) {
    COLORREF c = kSwatches[i];
    HBRUSH brush = CreateSolidBrush(
        through_palette ? PALETTERGB(GetRValue(c), GetGValue(c), GetBValue(c)) : c);
    RECT r{left + i * w, kRow, left + (i + 1) * w, kHeight};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
}

int g_realised = -1;

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  PaintGradient(dc, 0);
  PaintSwatches(dc, 0, false);
  HPALETTE old = SelectPalette(dc, g_halftone, FALSE);
  g_realised = static_cast<int>(RealizePalette(dc));
  PaintGradient(dc, kHalf);
  PaintSwatches(dc, kHalf, true);
  SelectPalette(dc, old, TRUE);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
      if (msg == WM_PALETTECHANGED && reinterpret_cast<HWND>(wp) == hwnd) return 0;
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

// The quarter at (x, y) as the screen holds it, through a 32-bit DIB section.
void Report(HWND hwnd, const char* name, int x, int y, int w, int h) {
  BITMAPINFO bmi = Dib32(w, h);
  void* bits = nullptr;
  HDC screen = GetDC(hwnd);
  HBITMAP dib = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
  GdiFlush();
  std::set<DWORD> colours;
  const auto* p = static_cast<const DWORD*>(bits);
  for (int i = 0; i < w * h; ++i) colours.insert(p[i] & 0xffffff);
  std::printf("%s colours %u first %lu,%lu,%lu\n", name, static_cast<unsigned>(colours.size()),
              (p[0] >> 16) & 0xff, (p[0] >> 8) & 0xff, p[0] & 0xff);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(dib);
  ReleaseDC(hwnd, screen);
}

void PaletteFacts(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  COLORREF nearest_default[kSwatchCount];
  for (int i = 0; i < kSwatchCount; ++i) nearest_default[i] = GetNearestColor(dc, kSwatches[i]);
  HPALETTE old = SelectPalette(dc, g_halftone, FALSE);
  RealizePalette(dc);
  PALETTEENTRY halftone[256] = {}, system[256] = {};
  UINT count = GetPaletteEntries(g_halftone, 0, 256, halftone);
  UINT system_count = GetSystemPaletteEntries(dc, 0, 256, system);
  int held = 0;
  for (UINT i = 0; i < count; ++i) {
    for (UINT j = 0; j < system_count; ++j) {
      if (halftone[i].peRed == system[j].peRed && halftone[i].peGreen == system[j].peGreen &&
          halftone[i].peBlue == system[j].peBlue) {
        ++held;
        break;
      }
    }
  }
  std::printf("system_palette %d of %u halftone colours\n", held, count);
  for (int i = 0; i < kSwatchCount; ++i) {
    COLORREF c = kSwatches[i], d = nearest_default[i], h = GetNearestColor(dc, c);
    std::printf("nearest %d,%d,%d default %d,%d,%d halftone %d,%d,%d\n", GetRValue(c), GetGValue(c),
                GetBValue(c), GetRValue(d), GetGValue(d), GetBValue(d), GetRValue(h), GetGValue(h),
                GetBValue(h));
  }
  SelectPalette(dc, old, TRUE);
  ReleaseDC(hwnd, dc);
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  HDC screen = GetDC(nullptr);
  std::printf("screen bits %d rc_palette %d palette_size %d colours %d\n",
              GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES),
              (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) ? 1 : 0,
              GetDeviceCaps(screen, SIZEPALETTE), GetDeviceCaps(screen, NUMCOLORS));
  g_halftone = CreateHalftonePalette(screen);
  ReleaseDC(nullptr, screen);
  MakeGradient();

  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "paletteref";
  RegisterClassA(&wc);
  RECT r{0, 0, kWidth, kHeight};
  AdjustWindowRect(&r, WS_POPUP | WS_BORDER, FALSE);
  HWND hwnd =
      CreateWindowExA(0, "paletteref", "paletteref", WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0,
                      r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
  UpdateWindow(hwnd);
  GdiFlush();
  std::printf("realised %d\n", g_realised);
  Report(hwnd, "dib-default", 0, 0, kHalf, kRow);
  Report(hwnd, "dib-halftone", kHalf, 0, kHalf, kRow);
  int w = kHalf / kSwatchCount;
  for (int i = 0; i < kSwatchCount; ++i) {
    char name[40];
    std::snprintf(name, sizeof name, "brush%d-rgb", i);
    Report(hwnd, name, i * w, kRow, w, kRow);
    std::snprintf(name, sizeof name, "brush%d-palettergb", i);
    Report(hwnd, name, kHalf + i * w, kRow, w, kRow);
  }
  PaletteFacts(hwnd);
  std::fflush(stdout);
  SetTimer(hwnd, 1, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) DestroyWindow(hwnd);
    DispatchMessageA(&msg);
  }
  DeleteObject(g_halftone);
  return 0;
}
