// The program's own forms on the desktop, what the screen shows of them, and
// the user's input to them.
//
// CreateForm makes a hidden top-level window of class "BrivaneForm" with the
// form's caption, and a child window for each windowed control: class
// "BrivanePicture" (picture box), "ListBox", "Button" (check box, option
// button), nested as the controls are, in layout order (top-most first). Labels
// and timers have no window. ShowForm(true) shows the window, puts it on top and
// makes it the foreground window.
//
// The screen: each picture box has an on-screen image. Repaint (Refresh) copies
// the retained image onto it and counts a repaint; a form that is shown paints
// its visible picture boxes at the next message processing (DoEvents, a timer
// step, a message box), as WM_PAINT would, without counting a repaint. Labels
// are not rasterised; their captions and positions are on the controls.
//
// A screen of 256 colours (SetScreenBits(8)) has a system palette: entries 0-9
// and 246-255 the system's colours, the rest the foreground program's. As on the
// Win32 toolkit, each surface is painted with the halftone palette realised
// (foreground when its form is the foreground window), so every pixel shows the
// system entry nearest to the halftone entry nearest to it; without that it would
// show the nearest of the 20 system colours. What the screen shows is kept as
// entries: when another program realises its palette (ForeignPalette) those
// entries show its colours until the forms answer the palette change and paint
// again. A form answers every change but its own; one that becomes the foreground
// window (Activate) realises its palette and, if that changed the system palette,
// paints again. Other screens show the retained image as it is.
#pragma once

#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "platform/headless/clock.h"
#include "platform/headless/window_table.h"
#include "platform/image.h"
#include "platform/palette.h"
#include "platform/toolkit.h"

namespace headless {

class Forms {
 public:
  Forms(WindowTable& windows, Clock& clock) : windows_(windows), clock_(clock) {
    SetScreenBits(32);
  }

  // ---- What the screen shows
  WindowId WindowOf(const plat::Control& c) const;
  const plat::Image& Screen(const plat::Control& picture_box) const;
  int RepaintCount(const plat::Control& picture_box) const;
  int Pointer(const plat::Form& f) const;
  bool FormVisible(const plat::Form& f) const;
  // Off: Refresh only counts repaints and keeps no copy of the pictures, for
  // hosts that never look at the screen (the fuzzer); Screen() is then empty.
  void KeepScreens(bool keep) { keep_screens_ = keep; }

  // ---- Screens with a palette
  // Bits per pixel of the screen (32 unless set); 8 and fewer have a palette. Set
  // before the program makes its forms.
  void SetScreenBits(int bits);
  bool PaletteScreen() const { return palette_screen_; }
  const plat::Palette& SystemPalette() const { return system_; }
  // Another program's window `foreign` comes to the front and realises `palette`
  // (its entries 10-245 take the system palette's); every form hears of it.
  void ForeignPalette(WindowId foreign, const plat::Palette& palette);
  // The form's window becomes the foreground window (the user clicks on it).
  void Activate(plat::Form& f);
  // A control's back colour as the screen shows it: dithered from the system's
  // colours, or solid in `colour`.
  struct Solid {
    plat::Pixel colour = 0;
    bool dithered = false;
  };
  Solid ShownBackColour(const plat::Control& c) const;

  // ---- Input, delivered through plat::Dispatch so the toolkit's rules apply.
  // Coordinates are pixels inside the control. Each returns false when the
  // control could not be reached at all (its form or itself hidden, no window).
  bool MouseMove(plat::Control& c, int x, int y, int button = 0, int shift = 0);
  bool MouseDown(plat::Control& c, int x, int y, int button = plat::kLeftButton, int shift = 0);
  // Mouse down at (x, y), then Click.
  bool Click(plat::Control& c, int x = 0, int y = 0);
  // A click at (x, y) of `container` (null: the form): on the label there if
  // any, else on the container. Returns the label clicked, or null.
  plat::Control* ClickAt(plat::Form& f, plat::Control* container, int x, int y);
  bool Toggle(plat::Control& check_or_option);
  bool Select(plat::Control& list, int index);
  void RequestClose(plat::Form& f);

  // ---- for the desktop's own parts: plat::UiBackend without its faults
  void Create(plat::Form& form);
  void Destroy(plat::Form& form);
  void Show(plat::Form& form, bool visible);
  void Changed(plat::Control& control, int what);
  void Refresh(plat::Form& form, plat::Control* control);  // Repaint
  void KeepPointer(plat::Form& form, int code) { pointers_[&form] = code; }
  // WM_PAINT: the exposed forms' picture boxes show their retained images.
  void PaintExposed();
  void PowerOff();

 private:
  bool keep_screens_ = true;
  struct ScreenState {
    plat::Image image;
    std::vector<std::uint8_t> entries;  // screens with a palette: what `image` shows
    int repaints = 0;
  };
  bool Reachable(const plat::Control& c) const;
  void Paint(const plat::Control& c, ScreenState& s);
  // Realises the halftone palette for the form's surfaces; true when that changed
  // the system palette (and every other form heard of it).
  bool RealisePalette(const plat::Form& f);
  void PaletteChanged(WindowId changer);
  void RepaintForm(const plat::Form& f);
  int LogicalEntry(plat::Pixel p);

  bool palette_screen_ = false;
  plat::Palette system_{};
  bool ours_in_front_ = false;  // the system palette holds the halftone palette
  bool mapped_valid_ = false;
  std::array<std::uint8_t, plat::kPaletteEntries> mapped_{};  // halftone entry -> system entry
  std::unordered_map<plat::Pixel, std::uint8_t> logical_;     // colour -> halftone entry

  WindowTable& windows_;
  Clock& clock_;
  std::map<const plat::Control*, ScreenState> screens_;
  std::map<const plat::Form*, int> pointers_;
  std::set<const plat::Form*> exposed_;
};

}  // namespace headless
