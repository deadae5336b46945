// Every caption of every window fits the box its layout gives it, measured in the
// font the toolkit makes for it, at the screen's dpi. Run by fonts.sh as
//   fonts_check.exe DPI
// under a prefix set to that dpi (96: Small Fonts, 120: Large Fonts). Prints a
// line per caption and exits 1 when the screen's dpi is not DPI or any caption
// overflows.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32_ui.h"
#include "platform/win32/win_headers.h"
#include "windows/layouts.h"
#include "windows/splash_window.h"

namespace {

// A check box or option button draws its caption to the right of a 13-pixel
// glyph and a gap; a box no wider than that shows the glyph alone (a label
// beside it carries the caption).
constexpr int kGlyphAndGap = 17;

struct Shown {
  const plat::FormLayout* form;
  const char* control;
  std::string caption;  // "" for the layout's own
};

// 1 when the caption overflows, 0 when it fits, -1 when the box shows none.
int Check(plat::win32::Win32Ui& ui, const plat::FormLayout& form, const plat::ControlLayout& c,
          const std::string& caption) {
  bool button = c.kind == plat::Kind::kCheckBox || c.kind == plat::Kind::kOptionButton;
  int box_w = plat::TwipsToPixels(c.width), box_h = plat::TwipsToPixels(c.height);
  if (button) box_w -= kGlyphAndGap;
  if (caption.empty() || box_w <= 0) return -1;
  int w = 0, h = 0;
  ui.MeasureText(c.font, caption, &w, &h);
  bool fits = w <= box_w && h <= box_h;
  std::printf("%s %s.%s \"%s\" %dx%d in %dx%d\n", fits ? "fits" : "OVERFLOWS", form.name, c.name,
              caption.c_str(), w, h, box_w, box_h);
  return fits ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: fonts_check DPI\n");
    return 2;
  }
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi != std::atoi(argv[1])) {
    std::printf("FAIL: the screen has %d dpi, not %s: the prefix's setting did not take\n", dpi,
                argv[1]);
    return 1;
  }
  plat::win32::Win32Ui ui;
  // Captions the windows set while they load, in place of the layout's.
  const std::vector<Shown> set_at_load = {
      {&windows::SplashLayout(), "lblVersion", windows::VersionText()},
      {&windows::AboutLayout(), "lblVersion", windows::VersionText()},
  };
  int overflows = 0, checked = 0;
  for (const plat::FormLayout* form :
       {&windows::MainLayout(), &windows::SplashLayout(), &windows::AboutLayout()}) {
    for (const plat::ControlLayout& c : form->controls) {
      std::string caption = c.caption;
      for (const Shown& s : set_at_load) {
        if (s.form == form && std::string(s.control) == c.name) caption = s.caption;
      }
      if (caption.empty() || c.kind == plat::Kind::kListBox) continue;
      int result = Check(ui, *form, c, caption);
      if (result < 0) continue;
      overflows += result;
      ++checked;
    }
  }
  std::printf("%s: %d of %d captions overflow at %d dpi\n", overflows ? "FAIL" : "OK", overflows,
              checked, dpi);
  return overflows ? 1 : 0;
}
