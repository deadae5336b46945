#include "platform/toolkit.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/errors.h"
#include "platform/platform.h"

namespace plat {
namespace {

std::vector<Form*> g_loaded;   // load order
std::vector<Form*> g_pending;  // unloaded inside a handler, window not yet destroyed
int g_depth = 0;               // handlers running, outermost first
int g_modal = 0;               // message boxes open

}  // namespace

void detail::FlushPendingDestroys() {
  while (!g_pending.empty()) {
    Form* f = g_pending.back();
    g_pending.pop_back();
    f->destroy_pending_ = false;
    // Runs from a destructor: a window the native side will not destroy is left
    // to the process's end rather than ending the process at once.
    try {
      if (Installed()) Ui().DestroyForm(*f);
    } catch (...) {
    }
    f->native = 0;
  }
}

namespace {

// Counts running handlers so that a form unloaded inside one is destroyed only
// once the outermost handler has returned.
class HandlerScope {
 public:
  HandlerScope() { ++g_depth; }
  ~HandlerScope() {
    if (--g_depth == 0) detail::FlushPendingDestroys();
  }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;
};

class ModalScope {
 public:
  ModalScope() { ++g_modal; }
  ~ModalScope() { --g_modal; }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

double PixelsToScale(const Control& c, int pixels) {
  return c.scale() == Scale::kPixels ? pixels : static_cast<double>(pixels) * kTwipsPerPixel;
}

}  // namespace

int TwipsToPixels(double twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

Pixel ColourToPixel(Colour c) {
  if (c & 0x80000000u) return Ui().SystemColourPixel(static_cast<int>(c & 0xff));
  return MakePixel(static_cast<int>(c & 0xff), static_cast<int>((c >> 8) & 0xff),
                   static_cast<int>((c >> 16) & 0xff));
}

// ---------------------------------------------------------------- Control

Control::Control(Form& form, const ControlLayout& layout, Control* container)
    : form_(form),
      layout_(layout),
      container_(container),
      name_(layout.name),
      left_(layout.left),
      top_(layout.top),
      width_(layout.width),
      height_(layout.height),
      visible_(layout.visible),
      enabled_(layout.enabled),
      caption_(layout.caption),
      fore_(layout.fore),
      value_(layout.kind == Kind::kOptionButton ? (layout.value ? kTrue : kFalse) : layout.value),
      interval_(layout.interval) {}

void Control::ResetFromLayout() {
  left_ = layout_.left;
  top_ = layout_.top;
  width_ = layout_.width;
  height_ = layout_.height;
  visible_ = layout_.visible;
  enabled_ = layout_.enabled;
  caption_ = layout_.caption;
  fore_ = layout_.fore;
  value_ = layout_.kind == Kind::kOptionButton ? (layout_.value ? kTrue : kFalse) : layout_.value;
  items_.clear();
  list_index_ = -1;
  retained_ = Image();
  has_picture_ = false;
  interval_ = layout_.interval;
  in_handler_ = false;
}

double Control::ToContainerUnits(int twips) const {
  if (container_ != nullptr && container_->scale() == Scale::kPixels) {
    return static_cast<double>(twips) / kTwipsPerPixel;
  }
  return twips;
}

int Control::FromContainerUnits(double v) const {
  if (container_ != nullptr && container_->scale() == Scale::kPixels) {
    return static_cast<int>(std::lround(v * kTwipsPerPixel));
  }
  return static_cast<int>(std::lround(v));
}

double Control::Left() const {
  return ToContainerUnits(left_);
}
double Control::Top() const {
  return ToContainerUnits(top_);
}
double Control::Width() const {
  return ToContainerUnits(width_);
}
double Control::Height() const {
  return ToContainerUnits(height_);
}

void Control::SetLeft(double v) {
  Move(v, Top());
}
void Control::SetTop(double v) {
  Move(Left(), v);
}

void Control::Move(double left, double top) {
  if (form_.unloaded_) return;
  left_ = FromContainerUnits(left);
  top_ = FromContainerUnits(top);
  Changed(kChangeGeometry);
}

PixelRect Control::Rect() const {
  // Each value converts on its own, as the runtime sizes windows: picMain's 4910
  // twips are 327 pixels although its edges round to 21 and 349.
  return {TwipsToPixels(left_), TwipsToPixels(top_), TwipsToPixels(width_), TwipsToPixels(height_)};
}

int Control::InnerWidth() const {
  return std::max(0, Rect().width - (layout_.border ? 2 : 0));
}
int Control::InnerHeight() const {
  return std::max(0, Rect().height - (layout_.border ? 2 : 0));
}

void Control::Changed(int what) {
  if (form_.loaded_ && form_.native != 0) {
    if (kind() == Kind::kTimer) {
      Ui().TimerChanged(*this);
    } else {
      Ui().ControlChanged(*this, what);
    }
  }
}

// A change the native side refuses is not kept: the control stays as it was.
template <class T>
void Control::Assign(T& field, T value, int what) {
  T old = std::move(field);
  field = std::move(value);
  try {
    Changed(what);
  } catch (...) {
    field = std::move(old);
    throw;
  }
}

void Control::SetVisible(bool v) {
  if (!form_.unloaded_) Assign(visible_, v, kChangeVisible);
}

void Control::SetEnabled(bool v) {
  if (!form_.unloaded_) Assign(enabled_, v, kind() == Kind::kTimer ? kChangeTimer : kChangeEnabled);
}

void Control::SetCaption(std::string caption) {
  if (form_.unloaded_) return;
  caption_ = std::move(caption);
  if (kind() == Kind::kLabel && layout_.auto_size && form_.native != 0) {
    int w = 0, h = 0;
    Ui().MeasureText(layout_.font, caption_, &w, &h);
    width_ = w * kTwipsPerPixel;
    height_ = h * kTwipsPerPixel;
  }
  Changed(kChangeCaption);
}

void Control::SetForeColor(Colour c) {
  if (form_.unloaded_) return;
  Assign(fore_, c, kChangeColour);
}

void Control::SetValue(int v) {
  if (form_.unloaded_) return;
  switch (kind()) {
    case Kind::kCheckBox:
      if (v < 0 || v > 2) Raise(kErrInvalidProperty);
      Assign(value_, v, kChangeValue);
      return;
    case Kind::kOptionButton:
      value_ = v != 0 ? kTrue : kFalse;
      if (value_ == kTrue) {
        // One option group per container: selecting one clears the others.
        for (auto& other : form_.controls_) {
          if (other.get() != this && other->kind() == Kind::kOptionButton &&
              other->container_ == container_ && other->value_ != kFalse) {
            other->value_ = kFalse;
            other->Changed(kChangeValue);
          }
        }
      }
      Changed(kChangeValue);
      return;
    default:
      Raise(kErrInvalidProperty);
  }
}

void Control::AddItem(std::string item) {
  if (form_.unloaded_) return;
  if (kind() != Kind::kListBox) Raise(kErrInvalidProperty);
  items_.push_back(std::move(item));
  try {
    Changed(kChangeList);
  } catch (...) {
    items_.pop_back();
    throw;
  }
}

const std::string& Control::List(int index) const {
  if (index < 0 || index >= ListCount()) Raise(381, "Invalid property array index");
  return items_[static_cast<std::size_t>(index)];
}

void Control::SetListIndex(int index) {
  if (form_.unloaded_) return;
  if (kind() != Kind::kListBox || index < -1 || index >= ListCount()) {
    Raise(kErrInvalidProperty);
  }
  Assign(list_index_, index, kChangeValue);
}

std::string Control::Text() const {
  if (kind() == Kind::kListBox) {
    return list_index_ < 0 ? std::string() : items_[static_cast<std::size_t>(list_index_)];
  }
  return caption_;
}

void Control::SetPicture(Image picture) {
  if (form_.unloaded_) return;
  if (kind() != Kind::kPictureBox) Raise(kErrInvalidProperty);
  if (layout_.auto_size) {
    int border = layout_.border ? 2 : 0;
    width_ = (picture.width + border) * kTwipsPerPixel;
    height_ = (picture.height + border) * kTwipsPerPixel;
    retained_ = std::move(picture);
  } else {
    Image canvas;
    canvas.Reset(InnerWidth(), InnerHeight(), ColourToPixel(layout_.back));
    BlockCopy(picture, 0, 0, picture.width, picture.height, canvas, 0, 0);
    retained_ = std::move(canvas);
  }
  has_picture_ = true;
  Changed(kChangeGeometry);
}

void Control::Refresh() {
  if (form_.Loaded() && form_.native != 0) Ui().Repaint(form_, this);
}

void Control::SetInterval(unsigned ms) {
  if (form_.unloaded_) return;
  interval_ = ms;
  Changed(kChangeTimer);
}

// ---------------------------------------------------------------- Form

Form::Form(const FormLayout& layout) : layout_(layout), name_(layout.name) {
  controls_.reserve(layout.controls.size());
  for (const ControlLayout& row : layout.controls) {
    Control* container = row.container ? Find(row.container) : nullptr;
    controls_.push_back(std::make_unique<Control>(*this, row, container));
  }
}

Form::~Form() {
  g_loaded.erase(std::remove(g_loaded.begin(), g_loaded.end(), this), g_loaded.end());
  g_pending.erase(std::remove(g_pending.begin(), g_pending.end(), this), g_pending.end());
  try {
    if (native != 0 && Installed()) Ui().DestroyForm(*this);
  } catch (...) {
  }
}

Control* Form::Find(std::string_view name) {
  for (auto& c : controls_) {
    if (EqualNoCase(c->name(), name)) return c.get();
  }
  return nullptr;
}

Control& Form::operator[](std::string_view name) {
  Control* c = Find(name);
  if (c == nullptr) Raise(kErrControlNotFound, "Control '" + std::string(name) + "' not found");
  return *c;
}

void Form::Load() {
  if (loaded_) return;
  if (destroy_pending_) Raise(kErrObjectUnloaded);
  if (unloaded_) {
    // A fresh load after an unload starts from the layout again; handlers stay bound.
    for (auto& c : controls_) c->ResetFromLayout();
    pointer_ = kPointerDefault;
    unloaded_ = false;
  }
  for (auto& c : controls_) {
    if (c->kind() == Kind::kPictureBox) {
      c->retained_.Reset(c->InnerWidth(), c->InnerHeight(), ColourToPixel(c->layout_.back));
    }
  }
  Ui().CreateForm(*this);  // sets `native`
  if (native == 0) native = 1;
  loaded_ = true;
  g_loaded.push_back(this);
  for (auto& c : controls_) {
    if (c->kind() == Kind::kLabel && c->layout_.auto_size) c->SetCaption(c->caption_);
    if (c->kind() == Kind::kTimer) Ui().TimerChanged(*c);
  }
  if (on_load) {
    HandlerScope scope;
    on_load();
  }
}

void Form::Show() {
  Load();
  if (!loaded_) return;
  visible_ = true;
  Ui().ShowForm(*this, true);
}

void Form::Hide() {
  if (!loaded_) return;
  visible_ = false;
  Ui().ShowForm(*this, false);
}

void Form::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  unloaded_ = true;
  const auto place = std::find(g_loaded.begin(), g_loaded.end(), this) - g_loaded.begin();
  g_loaded.erase(std::remove(g_loaded.begin(), g_loaded.end(), this), g_loaded.end());
  try {
    for (auto& c : controls_) {
      if (c->kind() == Kind::kTimer) Ui().TimerChanged(*c);
    }
    if (visible_) {
      Ui().ShowForm(*this, false);
      visible_ = false;
    }
  } catch (...) {
    // A form the native side would not let go stays loaded as it was, timers
    // running, so the caller can still hide or show it.
    loaded_ = true;
    unloaded_ = false;
    g_loaded.insert(g_loaded.begin() + std::min<std::ptrdiff_t>(place, std::ssize(g_loaded)), this);
    for (auto& c : controls_) {
      if (c->kind() == Kind::kTimer) {
        try {
          Ui().TimerChanged(*c);
        } catch (...) {
        }
      }
    }
    throw;
  }
  if (g_depth > 0) {
    destroy_pending_ = true;
    g_pending.push_back(this);
  } else {
    Ui().DestroyForm(*this);
    native = 0;
  }
}

void Form::Refresh() {
  if (loaded_) Ui().Repaint(*this, nullptr);
}

WindowId Form::Handle() const {
  return loaded_ ? Ui().Handle(*this) : 0;
}

void Form::SetMousePointer(int code) {
  if (!loaded_) return;
  pointer_ = code;
  Ui().SetPointer(*this, code);
}

// ---------------------------------------------------------------- functions

std::vector<Form*> LoadedForms() {
  return g_loaded;
}

int MsgBox(const std::string& text, int style, const std::string& caption) {
  ModalScope modal;
  return Ui().MessageBox(text, caption.empty() ? AppTitle() : caption, style);
}

bool InMessageBox() {
  return g_modal > 0;
}

void DoEvents() {
  HandlerScope scope;
  Ui().DoEvents();
}

bool BitBlt(Control& dest, int dx, int dy, int w, int h, Control& src, int sx, int sy) {
  if (!dest.form().Loaded() || !src.form().Loaded()) return false;
  if (dest.kind() != Kind::kPictureBox || src.kind() != Kind::kPictureBox) return false;
  BlockCopy(src.Retained(), sx, sy, w, h, dest.Retained(), dx, dy);
  return true;
}

// ---------------------------------------------------------------- Dispatch

int Dispatch::depth() {
  return g_depth;
}

bool Dispatch::InputBlocked(const Form& f) {
  return g_modal > 0 || !f.Loaded();
}

void Dispatch::MouseDown(Control& c, int button, int shift, double x, double y) {
  if (InputBlocked(c.form()) || !c.Enabled() || !c.on_mouse_down) return;
  HandlerScope scope;
  c.on_mouse_down(button, shift, PixelsToScale(c, static_cast<int>(x)),
                  PixelsToScale(c, static_cast<int>(y)));
}

void Dispatch::MouseMove(Control& c, int button, int shift, double x, double y) {
  if (InputBlocked(c.form()) || !c.Enabled() || !c.on_mouse_move) return;
  HandlerScope scope;
  c.on_mouse_move(button, shift, PixelsToScale(c, static_cast<int>(x)),
                  PixelsToScale(c, static_cast<int>(y)));
}

void Dispatch::Click(Control& c) {
  if (InputBlocked(c.form()) || !c.Enabled() || c.in_handler_ || !c.on_click) return;
  HandlerScope scope;
  FlagScope running(c.in_handler_);
  c.on_click();
}

void Dispatch::Timer(Control& c) {
  // A tick may have been queued before the timer was switched off.
  if (!c.form().Loaded() || c.kind() != Kind::kTimer || !c.Enabled() || c.Interval() == 0 ||
      c.in_handler_ || !c.on_timer) {
    return;
  }
  HandlerScope scope;
  FlagScope running(c.in_handler_);
  c.on_timer();
}

void Dispatch::UserToggle(Control& c) {
  if (InputBlocked(c.form()) || !c.Enabled()) return;
  if (c.kind() == Kind::kCheckBox) {
    c.SetValue(c.Value() == 1 ? 0 : 1);
  } else if (c.kind() == Kind::kOptionButton) {
    c.SetValue(kTrue);
  } else {
    return;
  }
  Click(c);
}

void Dispatch::UserSelect(Control& c, int index) {
  if (InputBlocked(c.form()) || !c.Enabled() || c.kind() != Kind::kListBox) return;
  if (index < -1 || index >= c.ListCount()) return;
  c.SetListIndex(index);
  Click(c);
}

void Dispatch::CloseRequest(Form& f) {
  if (InputBlocked(f)) return;
  HandlerScope scope;
  if (f.on_close_request) {
    f.on_close_request();
  } else {
    f.Unload();
  }
}

Control* Dispatch::LabelAt(Form& f, Control* container, int x, int y) {
  for (auto& c : f.controls()) {
    if (c->kind() != Kind::kLabel || c->container() != container || !c->Visible()) continue;
    PixelRect r = c->Rect();
    if (x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height) return c.get();
  }
  return nullptr;
}

}  // namespace plat
