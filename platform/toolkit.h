// The window toolkit: forms made from layout tables, their controls and the rules
// the program relies on. The semantics live here, once; a UiBackend supplies only
// what is native (real windows and painting on Win32, the recorded desktop headless).
//
// Rules:
// - Positions are twips, 15 to a pixel. A container's scale (twips or pixels)
//   decides the unit of the positions of what it holds and of the mouse
//   coordinates its own handlers receive.
// - Message boxes are modal to the whole program: no form takes mouse or keyboard
//   input while one is open, while timers keep ticking.
// - A disabled timer never ticks, even if its tick was already queued; no timer
//   tick runs nested inside its own tick and no click handler inside itself.
// - Unloading a form from one of its own handlers is safe: its native window is
//   destroyed only when the outermost handler returns. Writes to an unloaded
//   form or its controls are ignored; nothing reloads it behind the caller's back.
// - Control values are validated as the runtime does: a check box takes 0, 1 or 2,
//   a list index -1 .. count - 1; anything else is error 380.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/convert.h"
#include "platform/image.h"
#include "platform/system.h"

namespace plat {

inline constexpr int kTwipsPerPixel = 15;
int TwipsToPixels(double twips);

// Colours in the runtime's form: 0x00BBGGRR, or 0x800000nn for system colour nn.
using Colour = std::uint32_t;
constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}
constexpr Colour SystemColour(int index) {
  return 0x80000000u | static_cast<Colour>(index);
}
inline constexpr Colour kColourWindowBackground = SystemColour(5);
inline constexpr Colour kColourMenuText = SystemColour(7);
inline constexpr Colour kColourWindowText = SystemColour(8);

enum class Kind : std::uint8_t { kPictureBox, kLabel, kCheckBox, kOptionButton, kListBox, kTimer };
enum class Scale : std::uint8_t { kTwips, kPixels };
enum class Align : std::uint8_t { kLeft, kCenter, kRight };

struct FontDesc {
  const char* face = "MS Sans Serif";
  double points = 8.25;
  bool bold = false;
};

// One row of a window layout. Positions are twips inside the container.
struct ControlLayout {
  const char* name = "";
  Kind kind = Kind::kPictureBox;
  const char* container = nullptr;  // null: the form itself
  int left = 0, top = 0, width = 0, height = 0;
  bool border = false;  // a flat one-pixel line inside the rectangle
  Scale scale = Scale::kTwips;
  bool visible = true;
  bool auto_size = false;  // picture boxes take their picture's size, labels their caption's
  Colour back = Rgb(255, 255, 255);
  Colour fore = Rgb(0, 0, 0);
  const char* caption = "";
  FontDesc font{};
  int value = 0;  // check box 0/1/2; option button 0/1
  int tab_index = 0;
  Align align = Align::kLeft;
  unsigned interval = 0;  // timers, milliseconds
  bool enabled = true;    // timers: running from the load
};

struct FormLayout {
  const char* name = "";
  const char* caption = "";
  int width = 0, height = 0;  // client area, twips
  bool taskbar = false;
  bool icon = false;
  std::span<const ControlLayout> controls;
};

// Runtime answers and styles of message boxes (equal to the Windows values).
enum : int {
  kMbOk = 0,
  kMbOkCancel = 1,
  kMbYesNo = 4,
  kMbCritical = 16,
  kMbQuestion = 32,
  kMbExclamation = 48,
  kMbInformation = 64,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// Mouse button bits as handlers receive them.
enum : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// Mouse pointer codes.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerSizeAll = 15;

class Form;
namespace detail {
void FlushPendingDestroys();
}

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
};

class Control {
 public:
  Control(Form& form, const ControlLayout& layout, Control* container);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlLayout& layout() const { return layout_; }
  const std::string& name() const { return name_; }
  Kind kind() const { return layout_.kind; }
  Form& form() const { return form_; }
  Control* container() const { return container_; }
  // The scale of this control's own coordinate space (for picture boxes).
  Scale scale() const { return layout_.scale; }

  // ---- Geometry, in the unit of the container's scale
  double Left() const;
  double Top() const;
  double Width() const;
  double Height() const;
  void SetLeft(double v);
  void SetTop(double v);
  void Move(double left, double top);
  // Rectangle in pixels inside the container's client area; inner size inside the border.
  PixelRect Rect() const;
  int InnerWidth() const;
  int InnerHeight() const;
  int twips_left() const { return left_; }
  int twips_top() const { return top_; }
  int twips_width() const { return width_; }
  int twips_height() const { return height_; }

  // ---- State shared by all kinds
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);  // for a timer: running or not

  // ---- Captions (labels, check boxes, option buttons) and colours
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  Colour ForeColor() const { return fore_; }
  void SetForeColor(Colour c);
  Colour BackColor() const { return layout_.back; }

  // ---- Values: check box 0..2, option button kTrue/kFalse (setting True clears
  // the other option buttons of the container).
  int Value() const { return value_; }
  void SetValue(int v);

  // ---- List box
  void AddItem(std::string item);
  int ListCount() const { return static_cast<int>(items_.size()); }
  const std::string& List(int index) const;  // error 381 when out of range
  int ListIndex() const { return list_index_; }
  void SetListIndex(int index);
  // The selected item's text, "" when nothing is selected.
  std::string Text() const;
  const std::vector<std::string>& items() const { return items_; }

  // ---- Picture box: the retained image (inner size) and its picture
  Image& Retained() { return retained_; }
  const Image& Retained() const { return retained_; }
  // Makes `picture` the box's picture; an auto-sizing box takes its size.
  void SetPicture(Image picture);
  bool HasPicture() const { return has_picture_; }
  // Puts the retained image (and the labels on it) on the screen at once.
  void Refresh();

  // ---- Timer
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  bool in_tick() const { return in_handler_; }

  // Event handlers, bound by the window's code. Positions are in this control's scale.
  std::function<void()> on_click;
  std::function<void(int button, int shift, double x, double y)> on_mouse_down;
  std::function<void(int button, int shift, double x, double y)> on_mouse_move;
  std::function<void()> on_timer;

  // Backend-private data (a native window, say).
  std::uintptr_t native = 0;
  std::uintptr_t native_extra = 0;

 private:
  friend class Form;
  friend struct Dispatch;
  void Changed(int what);
  double ToContainerUnits(int twips) const;
  int FromContainerUnits(double v) const;
  void ResetFromLayout();
  template <class T>
  void Assign(T& field, T value, int what);

  Form& form_;
  const ControlLayout& layout_;
  Control* container_;
  std::string name_;
  int left_, top_, width_, height_;  // twips
  bool visible_, enabled_;
  std::string caption_;
  Colour fore_;
  int value_;
  std::vector<std::string> items_;
  int list_index_ = -1;
  Image retained_;
  bool has_picture_ = false;
  unsigned interval_;
  bool in_handler_ = false;
};

class Form {
 public:
  explicit Form(const FormLayout& layout);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const FormLayout& layout() const { return layout_; }
  const std::string& name() const { return name_; }

  // A control by its name; throws error 730 when the form has none of that name.
  Control& operator[](std::string_view name);
  Control* Find(std::string_view name);
  std::span<const std::unique_ptr<Control>> controls() const { return controls_; }

  // Creates the native window (hidden) and runs on_load. Does nothing when loaded.
  void Load();
  void Show();  // loads first when needed; modeless
  void Hide();
  // Hides, stops the timers and discards the window. Safe from the form's own handlers.
  void Unload();
  bool Loaded() const { return loaded_; }
  // True once unloaded (until a later explicit Load).
  bool Unloaded() const { return unloaded_; }
  bool Visible() const { return visible_; }
  // Paints the whole form and everything on it now, without a message loop.
  void Refresh();
  WindowId Handle() const;
  int MousePointer() const { return pointer_; }
  void SetMousePointer(int code);
  int client_width() const { return TwipsToPixels(layout_.width); }
  int client_height() const { return TwipsToPixels(layout_.height); }

  std::function<void()> on_load;
  // A close request from the system (Alt+F4, the task list).
  std::function<void()> on_close_request;

  std::uintptr_t native = 0;

 private:
  friend struct Dispatch;
  friend class Control;
  friend void detail::FlushPendingDestroys();
  const FormLayout& layout_;
  std::string name_;
  std::vector<std::unique_ptr<Control>> controls_;
  bool loaded_ = false;
  bool visible_ = false;
  bool unloaded_ = false;
  bool destroy_pending_ = false;
  int pointer_ = kPointerDefault;
};

// What changed, for UiBackend::Changed.
enum Change : int {
  kChangeGeometry = 1,
  kChangeVisible = 2,
  kChangeEnabled = 4,
  kChangeCaption = 8,
  kChangeValue = 16,
  kChangeColour = 32,
  kChangeList = 64,
  kChangeTimer = 128,
};

// The native part of the toolkit. Methods may throw RuntimeError to report a
// failure of the native operation.
class UiBackend {
 public:
  virtual ~UiBackend() = default;
  // Creates the form's window and its windowed controls, all hidden.
  virtual void CreateForm(Form& form) = 0;
  virtual void DestroyForm(Form& form) = 0;
  virtual void ShowForm(Form& form, bool visible) = 0;
  virtual void ControlChanged(Control& control, int what) = 0;
  // Starts or stops the native timer to match Loaded, Enabled and Interval.
  virtual void TimerChanged(Control& timer) = 0;
  // Synchronous repaint of a control (or, with null, of the whole form).
  virtual void Repaint(Form& form, Control* control) = 0;
  virtual void SetPointer(Form& form, int code) = 0;
  virtual WindowId Handle(const Form& form) = 0;
  // Shows a box modal to the whole program; timers keep ticking. Returns kId*.
  virtual int MessageBox(const std::string& text, const std::string& caption, int style) = 0;
  // Runs the messages that are waiting, then returns.
  virtual void DoEvents() = 0;
  // Size in pixels of a caption in a font.
  virtual void MeasureText(const FontDesc& font, std::string_view text, int* width,
                           int* height) = 0;
  // The colour of the user's scheme for a system colour index.
  virtual Pixel SystemColourPixel(int index) = 0;
  // While on, the program's forms answer Windows' query before a suspend
  // (standby) with a refusal.
  virtual void RefuseSuspend(bool refuse) = 0;
  // Ends the process at once, with no further window events.
  [[noreturn]] virtual void EndProcess() = 0;
};

// ---- Process-wide toolkit functions

// Every form that is loaded, in load order.
std::vector<Form*> LoadedForms();
// A message box; a box that names no caption carries the program's title.
int MsgBox(const std::string& text, int style = kMbOk, const std::string& caption = "");
bool InMessageBox();
void DoEvents();
// Plain source copy from one picture box's retained image into another's; false
// when the copy was refused. Changes only the retained image (Refresh shows it).
bool BitBlt(Control& dest, int dx, int dy, int w, int h, Control& src, int sx, int sy);
Pixel ColourToPixel(Colour c);

// The entry points a backend calls for native events. Each enforces the rules
// at the top of this file before it runs a handler.
struct Dispatch {
  static void MouseDown(Control& c, int button, int shift, double x, double y);
  static void MouseMove(Control& c, int button, int shift, double x, double y);
  static void Click(Control& c);
  static void Timer(Control& c);
  // A check box or option button clicked by the user, a list item chosen.
  static void UserToggle(Control& c);
  static void UserSelect(Control& c, int index);
  static void CloseRequest(Form& f);
  // The label of `container` (null: the form) under a point in pixels, if any.
  static Control* LabelAt(Form& f, Control* container, int x, int y);
  static bool InputBlocked(const Form& f);
  static int depth();
};

}  // namespace plat
