#include "platform/headless/forms.h"

#include <algorithm>

#include "platform/platform.h"

namespace headless {
namespace {

const char* KindClass(plat::Kind k) {
  switch (k) {
    case plat::Kind::kPictureBox:
      return "BrivanePicture";
    case plat::Kind::kListBox:
      return "ListBox";
    case plat::Kind::kCheckBox:
    case plat::Kind::kOptionButton:
      return "Button";
    default:
      return nullptr;  // labels and timers have no window
  }
}

}  // namespace

// ================================================================ the forms' windows

void Forms::Create(plat::Form& form) {
  WindowOptions o;
  o.process = 0;
  o.visible = false;
  WindowId top = windows_.CreateWindow("BrivaneForm", form.layout().caption, o);
  windows_.BindForm(top, &form);
  form.native = top;
  for (const auto& c : form.controls()) {
    const char* cls = KindClass(c->kind());
    if (cls == nullptr) continue;
    WindowOptions co;
    co.process = 0;
    co.parent =
        c->container() != nullptr && c->container()->native != 0 ? c->container()->native : top;
    co.visible = c->Visible();
    bool captioned = c->kind() == plat::Kind::kCheckBox || c->kind() == plat::Kind::kOptionButton;
    c->native = windows_.CreateWindow(cls, captioned ? c->Caption() : std::string(), co);
  }
}

void Forms::Destroy(plat::Form& form) {
  for (const auto& c : form.controls()) {
    clock_.StopTimer(c.get());
    screens_.erase(c.get());
    c->native = 0;
  }
  exposed_.erase(&form);
  pointers_.erase(&form);
  if (windows_.BoundForm(form.native) == &form) windows_.DestroyWindow(form.native);
}

void Forms::Show(plat::Form& form, bool visible) {
  if (!windows_.WindowExists(form.native)) return;
  windows_.ShowWindow(form.native, visible);
  if (visible) exposed_.insert(&form);
}

void Forms::Changed(plat::Control& control, int what) {
  if (!windows_.WindowExists(control.native)) return;
  if (what & plat::kChangeVisible) {
    windows_.SetVisible(control.native, control.Visible());
    if (control.Visible()) exposed_.insert(&control.form());
  }
  if (what & plat::kChangeCaption) windows_.SetCaption(control.native, control.Caption());
}

void Forms::PowerOff() {
  SetScreenBits(palette_screen_ ? 8 : 32);  // the system palette starts afresh
  screens_.clear();
  pointers_.clear();
  exposed_.clear();
}

// ================================================================ the screen

void Forms::PaintExposed() {
  std::set<const plat::Form*> forms;
  forms.swap(exposed_);
  for (const plat::Form* f : forms) {
    if (!f->Loaded() || !f->Visible()) continue;
    for (const auto& c : f->controls()) {
      if (c->kind() == plat::Kind::kPictureBox && c->Visible()) Paint(*c, screens_[c.get()]);
    }
  }
}

void Forms::Refresh(plat::Form& form, plat::Control* control) {
  auto paint = [this](plat::Control& c) {
    ScreenState& s = screens_[&c];
    if (keep_screens_) Paint(c, s);
    ++s.repaints;
  };
  if (control != nullptr) {
    if (control->kind() == plat::Kind::kPictureBox) paint(*control);
    return;
  }
  for (const auto& c : form.controls()) {
    if (c->kind() == plat::Kind::kPictureBox) paint(*c);
  }
}

void Forms::Paint(const plat::Control& c, ScreenState& s) {
  const plat::Image& from = c.Retained();
  if (!palette_screen_) {
    s.image = from;
    return;
  }
  RealisePalette(c.form());
  s.image.Reset(from.width, from.height, 0);
  s.entries.resize(from.pixels.size());
  for (std::size_t i = 0; i < from.pixels.size(); ++i) {
    s.entries[i] = mapped_[LogicalEntry(from.pixels[i])];
    s.image.pixels[i] = system_[s.entries[i]];
  }
}

// ================================================================ the palette

void Forms::SetScreenBits(int bits) {
  palette_screen_ = bits <= 8;
  const std::span<const plat::Pixel> fixed = plat::StaticColours();
  system_.fill(0);
  std::copy(fixed.begin(), fixed.begin() + plat::kStaticEntries, system_.begin());
  std::copy(fixed.begin() + plat::kStaticEntries, fixed.end(),
            system_.end() - plat::kStaticEntries);
  ours_in_front_ = false;
  mapped_valid_ = false;
}

int Forms::LogicalEntry(plat::Pixel p) {
  auto it = logical_.find(p);
  if (it != logical_.end()) return it->second;
  auto e = static_cast<std::uint8_t>(plat::NearestEntry(plat::HalftonePalette(), p));
  logical_.emplace(p, e);
  return e;
}

bool Forms::RealisePalette(const plat::Form& f) {
  const plat::Palette& halftone = plat::HalftonePalette();
  bool changed = false;
  if (windows_.Foreground() == f.native && !ours_in_front_) {
    std::copy(halftone.begin() + plat::kStaticEntries, halftone.end() - plat::kStaticEntries,
              system_.begin() + plat::kStaticEntries);
    ours_in_front_ = true;
    mapped_valid_ = false;
    changed = true;
  }
  if (!mapped_valid_) {
    for (int i = 0; i < plat::kPaletteEntries; ++i) {
      mapped_[i] = static_cast<std::uint8_t>(plat::NearestEntry(system_, halftone[i]));
    }
    mapped_valid_ = true;
  }
  if (changed) PaletteChanged(f.native);
  return changed;
}

// What the screen shows are entries: a new system palette recolours them at
// once; every form but the one that made the change realises its own again and
// paints.
void Forms::PaletteChanged(WindowId changer) {
  for (auto& [control, screen] : screens_) {
    for (std::size_t i = 0; i < screen.entries.size(); ++i) {
      screen.image.pixels[i] = system_[screen.entries[i]];
    }
  }
  for (plat::Form* f : plat::LoadedForms()) {
    if (f->native != changer && FormVisible(*f)) RepaintForm(*f);
  }
}

void Forms::RepaintForm(const plat::Form& f) {
  for (const auto& c : f.controls()) {
    if (c->kind() != plat::Kind::kPictureBox || !c->Visible()) continue;
    ScreenState& s = screens_[c.get()];
    if (keep_screens_) Paint(*c, s);
    ++s.repaints;
  }
}

void Forms::ForeignPalette(WindowId foreign, const plat::Palette& palette) {
  if (!palette_screen_) return;
  windows_.SetForeground(foreign);
  std::copy(palette.begin() + plat::kStaticEntries, palette.end() - plat::kStaticEntries,
            system_.begin() + plat::kStaticEntries);
  ours_in_front_ = false;
  mapped_valid_ = false;
  PaletteChanged(foreign);
}

void Forms::Activate(plat::Form& f) {
  if (!windows_.WindowExists(f.native)) return;
  windows_.SetForeground(f.native);
  if (palette_screen_ && RealisePalette(f)) RepaintForm(f);
}

Forms::Solid Forms::ShownBackColour(const plat::Control& c) const {
  plat::Pixel rgb = plat::ColourToPixel(c.BackColor());
  if (!palette_screen_) return {rgb, false};
  std::uint32_t bgr = ((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff);
  if (plat::SolidColourRef(bgr, palette_screen_) & plat::kPaletteRelative) {
    const plat::Palette& halftone = plat::HalftonePalette();
    return {system_[plat::NearestEntry(system_, halftone[plat::NearestEntry(halftone, rgb)])],
            false};
  }
  // A plain RGB: a pattern of the system's colours unless it is one of them.
  if (plat::IsStaticColour(rgb)) return {rgb, false};
  return {plat::StaticColours()[plat::NearestEntry(plat::StaticColours(), rgb)], true};
}

WindowId Forms::WindowOf(const plat::Control& c) const {
  return windows_.WindowExists(c.native) ? c.native : 0;
}

const plat::Image& Forms::Screen(const plat::Control& picture_box) const {
  static const plat::Image kNothing;
  auto it = screens_.find(&picture_box);
  return it == screens_.end() ? kNothing : it->second.image;
}

int Forms::RepaintCount(const plat::Control& picture_box) const {
  auto it = screens_.find(&picture_box);
  return it == screens_.end() ? 0 : it->second.repaints;
}

int Forms::Pointer(const plat::Form& f) const {
  auto it = pointers_.find(&f);
  return it == pointers_.end() ? plat::kPointerDefault : it->second;
}

bool Forms::FormVisible(const plat::Form& f) const {
  return f.Loaded() && windows_.Visible(f.native);
}

// ================================================================ input

bool Forms::Reachable(const plat::Control& c) const {
  const plat::Form& f = c.form();
  if (!f.Loaded() || !windows_.Visible(f.native)) return false;
  for (const plat::Control* p = &c; p != nullptr; p = p->container()) {
    if (!p->Visible()) return false;
  }
  return true;
}

bool Forms::MouseMove(plat::Control& c, int x, int y, int button, int shift) {
  if (!Reachable(c)) return false;
  plat::Dispatch::MouseMove(c, button, shift, x, y);
  return true;
}

bool Forms::MouseDown(plat::Control& c, int x, int y, int button, int shift) {
  if (!Reachable(c)) return false;
  plat::Dispatch::MouseDown(c, button, shift, x, y);
  return true;
}

bool Forms::Click(plat::Control& c, int x, int y) {
  if (!Reachable(c)) return false;
  plat::Dispatch::MouseDown(c, plat::kLeftButton, 0, x, y);
  if (Reachable(c)) plat::Dispatch::Click(c);
  return true;
}

plat::Control* Forms::ClickAt(plat::Form& f, plat::Control* container, int x, int y) {
  if (plat::Control* label = plat::Dispatch::LabelAt(f, container, x, y)) {
    plat::PixelRect r = label->Rect();
    Click(*label, x - r.x, y - r.y);
    return label;
  }
  if (container != nullptr) Click(*container, x, y);
  return nullptr;
}

bool Forms::Toggle(plat::Control& c) {
  if (!Reachable(c)) return false;
  plat::Dispatch::UserToggle(c);
  return true;
}

bool Forms::Select(plat::Control& list, int index) {
  if (!Reachable(list)) return false;
  plat::Dispatch::UserSelect(list, index);
  return true;
}

void Forms::RequestClose(plat::Form& f) {
  plat::Dispatch::CloseRequest(f);
}

}  // namespace headless
