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
#pragma once

#include <map>
#include <set>

#include "platform/headless/clock.h"
#include "platform/headless/window_table.h"
#include "platform/image.h"
#include "platform/toolkit.h"

namespace headless {

class Forms {
 public:
  Forms(WindowTable& windows, Clock& clock) : windows_(windows), clock_(clock) {}

  // ---- What the screen shows
  WindowId WindowOf(const plat::Control& c) const;
  const plat::Image& Screen(const plat::Control& picture_box) const;
  int RepaintCount(const plat::Control& picture_box) const;
  int Pointer(const plat::Form& f) const;
  bool FormVisible(const plat::Form& f) const;
  // Off: Refresh only counts repaints and keeps no copy of the pictures, for
  // hosts that never look at the screen (the fuzzer); Screen() is then empty.
  void KeepScreens(bool keep) { keep_screens_ = keep; }

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
    int repaints = 0;
  };
  bool Reachable(const plat::Control& c) const;

  WindowTable& windows_;
  Clock& clock_;
  std::map<const plat::Control*, ScreenState> screens_;
  std::map<const plat::Form*, int> pointers_;
  std::set<const plat::Form*> exposed_;
};

}  // namespace headless
