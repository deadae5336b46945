#include "platform/win32/win32_ui.h"

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/platform.h"

namespace plat::win32 {
namespace {

constexpr char kFormClass[] = "BrivaneForm";
constexpr char kPictureClass[] = "BrivanePicture";
constexpr int kAppIconId = 1;

Win32Ui* g_ui = nullptr;

// ---------------------------------------------------------------- window data

// Each window of the toolkit carries its Form (form windows) or Control (all
// child windows) in GWLP_USERDATA, set while the window is being created.
template <typename T>
T* DataOf(HWND hwnd) {
  return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void AttachCreateParam(HWND hwnd, LPARAM lp) {
  auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
}

void Detach(HWND hwnd) {
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

HWND WindowOf(const Form& form) {
  HWND hwnd = reinterpret_cast<HWND>(form.native);
  return hwnd != nullptr && IsWindow(hwnd) ? hwnd : nullptr;
}

HWND WindowOf(const Control& c) {
  return reinterpret_cast<HWND>(c.native);
}

bool IsWindowed(const Control& c) {
  return c.kind() != Kind::kLabel && c.kind() != Kind::kTimer;
}

// The system's own controls: the keyboard moves among these.
bool IsStandard(const Control& c) {
  return c.kind() == Kind::kListBox || c.kind() == Kind::kCheckBox ||
         c.kind() == Kind::kOptionButton;
}

// A box holding standard controls lets the dialog keys reach into it.
bool HoldsStandardControls(const Control& box) {
  for (auto& c : box.form().controls()) {
    if (c->container() == &box && IsStandard(*c)) return true;
  }
  return false;
}

// The window a control stands in: its container box, or the form.
HWND ContainerWindow(const Control& c) {
  return c.container() ? WindowOf(*c.container()) : WindowOf(c.form());
}

// Control ids and timer ids are the control's place in its form, from 1.
UINT_PTR IdOf(const Control& c) {
  auto controls = c.form().controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].get() == &c) return i + 1;
  }
  return 0;
}

// A child of `parent` that the toolkit created, or null.
Control* ChildControl(HWND parent, HWND child) {
  if (child == nullptr || GetParent(child) != parent) return nullptr;
  return DataOf<Control>(child);
}

// ---------------------------------------------------------------- mouse input

int XOf(LPARAM lp) {
  return static_cast<short>(LOWORD(lp));
}
int YOf(LPARAM lp) {
  return static_cast<short>(HIWORD(lp));
}

int ButtonsOf(WPARAM wp) {
  return ((wp & MK_LBUTTON) ? kLeftButton : 0) | ((wp & MK_RBUTTON) ? kRightButton : 0) |
         ((wp & MK_MBUTTON) ? kMiddleButton : 0);
}

// The runtime's shift bits: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState() {
  return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

bool InClient(HWND hwnd, int x, int y) {
  RECT r;
  GetClientRect(hwnd, &r);
  return x >= r.left && y >= r.top && x < r.right && y < r.bottom;
}

// Calls `f` for the control under the mouse: a label of the surface if one is
// under the point (with the position made relative to it), else the box itself.
template <typename F>
void ToMouseTarget(Control* box, Control* label, int x, int y, F f) {
  if (label != nullptr) {
    PixelRect r = label->Rect();
    f(*label, x - r.x, y - r.y);
  } else if (box != nullptr) {
    f(*box, x, y);
  }
}

bool IsWithin(HWND window, HWND top) {
  for (; window != nullptr; window = GetParent(window)) {
    if (window == top) return true;
  }
  return false;
}

// ---------------------------------------------------------------- creation

DWORD ControlStyle(const Control& c) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (c.Visible() ? WS_VISIBLE : 0);
  switch (c.kind()) {
    case Kind::kPictureBox:
      // The border is non-client, so children and mouse positions count from inside it.
      return style | WS_CLIPCHILDREN | (c.layout().border ? WS_BORDER : 0);
    case Kind::kListBox:
      return style | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    case Kind::kCheckBox:
      // Not an auto check box: the toolkit owns the value. 3-state so that 2 shows grey.
      return style | WS_TABSTOP | BS_3STATE;
    case Kind::kOptionButton:
      return style | WS_TABSTOP | BS_RADIOBUTTON;
    default:
      return style;
  }
}

const char* ControlClass(Kind kind) {
  switch (kind) {
    case Kind::kPictureBox:
      return kPictureClass;
    case Kind::kListBox:
      return "LISTBOX";
    default:
      return "BUTTON";
  }
}

void ApplyValue(Control& c) {
  HWND hwnd = WindowOf(c);
  if (c.kind() == Kind::kCheckBox) SendMessageA(hwnd, BM_SETCHECK, c.Value(), 0);
  if (c.kind() == Kind::kOptionButton) {
    SendMessageA(hwnd, BM_SETCHECK, c.Value() != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  if (c.kind() == Kind::kListBox) SendMessageA(hwnd, LB_SETCURSEL, c.ListIndex(), 0);
}

void MoveToRect(Control& c) {
  PixelRect r = c.Rect();
  SetWindowPos(WindowOf(c), nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void InvalidateContainer(const Control& c) {
  if (HWND container = ContainerWindow(c)) InvalidateRect(container, nullptr, FALSE);
}

// Forms and controls point at the window code through their data, so a failure
// thrown by a handler must stop here, before it reaches user32's frames.
template <typename F>
LRESULT Guarded(F f) {
  try {
    return f();
  } catch (...) {
    ReportUnhandledException();
  }
}

}  // namespace

// ---------------------------------------------------------------- lifetime

Win32Ui::Win32Ui() : instance_(GetModuleHandleA(nullptr)) {
  g_ui = this;
  WNDCLASSA wc{};
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpfnWndProc = SurfaceProc<Form>;
  wc.lpszClassName = kFormClass;
  wc.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(kAppIconId));
  RegisterClassA(&wc);
  wc.lpfnWndProc = SurfaceProc<Control>;
  wc.lpszClassName = kPictureClass;
  wc.hIcon = nullptr;
  RegisterClassA(&wc);
}

Win32Ui::~Win32Ui() {
  UnregisterClassA(kPictureClass, instance_);
  UnregisterClassA(kFormClass, instance_);
  if (g_ui == this) g_ui = nullptr;
}

// ---------------------------------------------------------------- forms

void Win32Ui::CreateForm(Form& form) {
  const FormLayout& layout = form.layout();
  DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU;
  DWORD ex_style = layout.taskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
  RECT r{0, 0, form.client_width(), form.client_height()};
  AdjustWindowRectEx(&r, style, FALSE, ex_style);
  int w = r.right - r.left, h = r.bottom - r.top;
  // Centred on the screen; nothing moves a form before it is first shown.
  int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  HWND hwnd = CreateWindowExA(ex_style, kFormClass, layout.caption, style, x, y, w, h, nullptr,
                              nullptr, instance_, &form);
  if (hwnd == nullptr) Raise(kErrOutOfMemory);
  form.native = reinterpret_cast<std::uintptr_t>(hwnd);
  if (layout.icon) {
    HICON big = LoadIconA(instance_, MAKEINTRESOURCEA(kAppIconId));
    auto small = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(kAppIconId), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : big));
  }
  // Containers come before what they hold in every layout, so parents exist.
  for (auto& c : form.controls()) {
    if (!IsWindowed(*c)) continue;
    HWND parent = ContainerWindow(*c);
    HWND child = parent ? CreateControlWindow(*c, parent) : nullptr;
    if (child == nullptr) {
      DestroyForm(form);
      Raise(kErrOutOfMemory);
    }
  }
  StackInListOrder(form);
}

HWND Win32Ui::CreateControlWindow(Control& c, HWND parent) {
  PixelRect r = c.Rect();
  DWORD ex_style = c.kind() == Kind::kListBox ? WS_EX_CLIENTEDGE : 0;
  if (c.kind() == Kind::kPictureBox && HoldsStandardControls(c)) ex_style |= WS_EX_CONTROLPARENT;
  const char* text = c.kind() == Kind::kPictureBox ? "" : c.Caption().c_str();
  HWND hwnd =
      CreateWindowExA(ex_style, ControlClass(c.kind()), text, ControlStyle(c), r.x, r.y, r.width,
                      r.height, parent, reinterpret_cast<HMENU>(IdOf(c)), instance_, &c);
  if (hwnd == nullptr) return nullptr;
  c.native = reinterpret_cast<std::uintptr_t>(hwnd);
  // The system classes do not look at the creation parameter.
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c));
  if (c.kind() != Kind::kPictureBox) {
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(gdi_.Font(c.layout().font)), FALSE);
  }
  if (c.kind() == Kind::kListBox) SyncList(c);
  ApplyValue(c);
  if (!c.Enabled()) EnableWindow(hwnd, FALSE);
  return hwnd;
}

// Within a container the earlier row lies on top; new windows would otherwise
// stack in creation order. Tab moves the focus in this order too, so the standard
// controls (which never overlap one another) take their places in tab order.
void Win32Ui::StackInListOrder(Form& form) {
  std::vector<Control*> containers;
  for (auto& c : form.controls()) {
    if (IsWindowed(*c) && c->native != 0 &&
        std::find(containers.begin(), containers.end(), c->container()) == containers.end()) {
      containers.push_back(c->container());
    }
  }
  for (Control* box : containers) {
    std::vector<Control*> stack, tab_order;
    for (auto& c : form.controls()) {
      if (!IsWindowed(*c) || c->native == 0 || c->container() != box) continue;
      stack.push_back(c.get());
      if (!IsStandard(*c)) continue;
      // Into tab order as it comes, after those with an equal tab index.
      auto at = std::upper_bound(tab_order.begin(), tab_order.end(), c.get(),
                                 [](const Control* a, const Control* b) {
                                   return a->layout().tab_index < b->layout().tab_index;
                                 });
      tab_order.insert(at, c.get());
    }
    auto next = tab_order.begin();
    for (Control*& c : stack) {
      if (IsStandard(*c)) c = *next++;
    }
    HWND above = HWND_TOP;
    for (Control* c : stack) {
      SetWindowPos(WindowOf(*c), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      above = WindowOf(*c);
    }
  }
}

void Win32Ui::DestroyForm(Form& form) {
  if (HWND hwnd = WindowOf(form)) {
    if (IsWithin(press_.window, hwnd)) press_ = {};
    DestroyWindow(hwnd);
  }
  for (auto& c : form.controls()) {
    c->native = 0;
    c->native_extra = 0;
  }
  form.native = 0;
}

void Win32Ui::ShowForm(Form& form, bool visible) {
  HWND hwnd = WindowOf(form);
  if (hwnd == nullptr) return;
  ShowWindow(hwnd, visible ? SW_SHOWNORMAL : SW_HIDE);
  // Painted before the call returns: the start-up shows windows while no message
  // loop runs yet, and a form is never to be seen unpainted.
  if (visible) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
  }
}

WindowId Win32Ui::Handle(const Form& form) {
  return reinterpret_cast<WindowId>(WindowOf(form));
}

// ---------------------------------------------------------------- controls

void Win32Ui::ControlChanged(Control& c, int what) {
  if (!IsWindowed(c)) {
    InvalidateContainer(c);  // labels are part of their container's picture
    return;
  }
  HWND hwnd = WindowOf(c);
  if (hwnd == nullptr) return;
  if (what & kChangeGeometry) {
    MoveToRect(c);
    if (c.kind() == Kind::kPictureBox) InvalidateRect(hwnd, nullptr, FALSE);  // a new picture
  }
  if (what & kChangeVisible) ShowWindow(hwnd, c.Visible() ? SW_SHOWNA : SW_HIDE);
  if (what & kChangeEnabled) EnableWindow(hwnd, c.Enabled() ? TRUE : FALSE);
  if ((what & kChangeCaption) && c.kind() != Kind::kPictureBox) {
    SetWindowTextA(hwnd, c.Caption().c_str());
  }
  // The list box is out of room (64 KB of text on 9x): the toolkit keeps the item out.
  if ((what & kChangeList) && !SyncList(c)) Raise(kErrOutOfMemory);
  if (what & kChangeValue) ApplyValue(c);
  if (what & kChangeColour) InvalidateRect(hwnd, nullptr, TRUE);
}

bool Win32Ui::SyncList(Control& list) {
  HWND hwnd = WindowOf(list);
  auto shown = static_cast<std::size_t>(SendMessageA(hwnd, LB_GETCOUNT, 0, 0));
  const auto& items = list.items();
  if (shown > items.size() || (shown + 1 != items.size() && shown != items.size())) {
    SendMessageA(hwnd, LB_RESETCONTENT, 0, 0);
    shown = 0;
  }
  // Items are only ever added at the end, one at a time.
  for (; shown < items.size(); ++shown) {
    LRESULT added =
        SendMessageA(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[shown].c_str()));
    if (added == LB_ERR || added == LB_ERRSPACE) return false;
  }
  SendMessageA(hwnd, LB_SETCURSEL, list.ListIndex(), 0);
  return true;
}

void Win32Ui::TimerChanged(Control& timer) {
  HWND hwnd = WindowOf(timer.form());
  UINT_PTR id = IdOf(timer);
  bool run = hwnd != nullptr && timer.form().Loaded() && timer.Enabled() && timer.Interval() > 0;
  // native: running; native_extra: the interval it runs with.
  if (!run) {
    if (hwnd != nullptr && timer.native != 0) KillTimer(hwnd, id);
    timer.native = 0;
    return;
  }
  if (timer.native != 0 && timer.native_extra == timer.Interval()) return;
  SetTimer(hwnd, id, timer.Interval(), nullptr);
  timer.native = 1;
  timer.native_extra = timer.Interval();
}

void Win32Ui::Repaint(Form& form, Control* control) {
  // RDW_UPDATENOW sends WM_PAINT at once, so this works before any message loop runs.
  if (control == nullptr) {
    if (HWND hwnd = WindowOf(form)) {
      RedrawWindow(hwnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
      GdiFlush();
    }
    return;
  }
  HWND hwnd = IsWindowed(*control) ? WindowOf(*control) : ContainerWindow(*control);
  if (hwnd != nullptr) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  // Batched drawing (and, under Wine, the window's off-screen surface) reaches
  // the screen now, not when the next message is fetched.
  GdiFlush();
}

void Win32Ui::SetPointer(Form& form, int code) {
  HWND hwnd = WindowOf(form);
  if (hwnd == nullptr) return;
  // The new shape shows at once when the mouse is over the form.
  POINT p;
  GetCursorPos(&p);
  for (HWND under = WindowFromPoint(p); under != nullptr; under = GetParent(under)) {
    if (under == hwnd) {
      SetCursor(LoadCursorA(nullptr, code == kPointerSizeAll ? IDC_SIZEALL : IDC_ARROW));
      break;
    }
  }
}

// ---------------------------------------------------------------- process-wide

int Win32Ui::MessageBox(const std::string& text, const std::string& caption, int style) {
  // The box is owned by a form of the program, so that closing it gives the
  // activation back to that form: an unowned box hands it to whatever window is
  // next, a disk tool's say, which then lies above the main window, where the
  // run's Exit does not look. Every other form is disabled meanwhile, as a
  // task-modal box would; the box's own message loop keeps the timers ticking.
  HWND owner = nullptr;
  HWND active = GetActiveWindow();
  std::vector<HWND> others;
  for (Form* f : LoadedForms()) {
    HWND hwnd = WindowOf(*f);
    if (hwnd == nullptr || !f->Visible()) continue;
    if (owner == nullptr || hwnd == active) owner = hwnd;
  }
  if (owner == nullptr) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                       static_cast<UINT>(style) | MB_TASKMODAL);
  }
  for (Form* f : LoadedForms()) {
    HWND hwnd = WindowOf(*f);
    if (hwnd != nullptr && hwnd != owner && IsWindowEnabled(hwnd)) {
      EnableWindow(hwnd, FALSE);
      others.push_back(hwnd);
    }
  }
  int answer =
      MessageBoxA(owner, text.c_str(), caption.c_str(), static_cast<UINT>(style) | MB_APPLMODAL);
  for (HWND hwnd : others) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
  return answer;
}

void Win32Ui::DoEvents() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
      return;
    }
    if (DialogKeys(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Ui::MeasureText(const FontDesc& font, std::string_view text, int* width, int* height) {
  std::string shown = WithoutAccessMarks(text);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, gdi_.Font(font));
  SIZE size{};
  GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  *width = size.cx;
  *height = tm.tmHeight;
}

Pixel Win32Ui::SystemColourPixel(int index) {
  COLORREF c = GetSysColor(index);
  return MakePixel(GetRValue(c), GetGValue(c), GetBValue(c));
}

void Win32Ui::EndProcess() {
  ExitProcess(0);
}

// ---------------------------------------------------------------- window procedures

// Every window of the toolkit opens alike: its data attached at creation, nothing
// of the program before that or after WM_NCDESTROY, no exception past this frame.
template <typename T>
LRESULT CALLBACK Win32Ui::SurfaceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) AttachCreateParam(hwnd, lp);
  T* data = DataOf<T>(hwnd);
  if (data == nullptr || g_ui == nullptr) return DefWindowProcA(hwnd, msg, wp, lp);
  return Guarded([&]() -> LRESULT {
    if (msg == WM_NCDESTROY) Detach(hwnd);
    LRESULT result = 0;
    if (g_ui->OwnMessage(hwnd, *data, msg, wp, lp, &result) ||
        g_ui->SurfaceMessage(hwnd, SurfaceOf(*data), msg, wp, lp, &result)) {
      return result;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  });
}

bool Win32Ui::OwnMessage(HWND hwnd, Form& form, UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
  switch (msg) {
    case WM_TIMER:
      *result = OnTimer(form, wp);
      return true;
    case WM_CLOSE:
      *result = OnClose(form);
      return true;
    case WM_POWERBROADCAST:
      if (wp != PBT_APMQUERYSUSPEND || !refuse_suspend_) return false;
      *result = BROADCAST_QUERY_DENY;
      return true;
    case WM_QUERYNEWPALETTE:
      *result = OnQueryNewPalette(hwnd);
      return true;
    case WM_PALETTECHANGED:
      *result = OnPaletteChanged(hwnd, reinterpret_cast<HWND>(wp));
      return true;
    default:
      return false;
  }
}

bool Win32Ui::OwnMessage(HWND hwnd, Control&, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg != WM_NCPAINT) return false;
  *result = OnNcPaint(hwnd, wp, lp);
  return true;
}

bool Win32Ui::SurfaceMessage(HWND hwnd, const Surface& s, UINT msg, WPARAM wp, LPARAM lp,
                             LRESULT* result) {
  switch (msg) {
    case WM_PAINT:
      *result = OnPaint(hwnd, s);
      return true;
    case WM_ERASEBKGND:
      *result = 1;
      return true;  // WM_PAINT covers every pixel
    case WM_LBUTTONDOWN:
      *result = OnButtonDown(hwnd, s, kLeftButton, wp, lp);
      return true;
    case WM_RBUTTONDOWN:
      *result = OnButtonDown(hwnd, s, kRightButton, wp, lp);
      return true;
    case WM_MBUTTONDOWN:
      *result = OnButtonDown(hwnd, s, kMiddleButton, wp, lp);
      return true;
    case WM_LBUTTONUP:
      *result = OnButtonUp(hwnd, s, kLeftButton, lp);
      return true;
    case WM_RBUTTONUP:
      *result = OnButtonUp(hwnd, s, kRightButton, lp);
      return true;
    case WM_MBUTTONUP:
      *result = OnButtonUp(hwnd, s, kMiddleButton, lp);
      return true;
    case WM_MOUSEMOVE:
      *result = OnMouseMove(hwnd, s, wp, lp);
      return true;
    case WM_CAPTURECHANGED:
      *result = OnCaptureChanged(hwnd);
      return true;
    case WM_SETCURSOR:
      *result = OnSetCursor(hwnd, s, wp, lp);
      return true;
    case WM_COMMAND:
      *result = OnCommand(hwnd, wp, lp);
      return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      *result = OnCtlColor(hwnd, msg, wp, lp);
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------- message handlers

// The retained image, the back colour where the image does not reach, then the
// labels that stand on the surface (windowed children are clipped out).
LRESULT Win32Ui::OnPaint(HWND hwnd, const Surface& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HPALETTE old_palette = gdi_.UsePalette(dc);
  RECT client;
  GetClientRect(hwnd, &client);
  int covered_w = 0, covered_h = 0;
  if (s.box != nullptr) {
    const Image& image = s.box->Retained();
    DrawImage(dc, image);
    if (!image.empty()) covered_w = image.width, covered_h = image.height;
  }
  HBRUSH back =
      s.box ? gdi_.Brush(gdi_.Solid(s.box->BackColor())) : GetSysColorBrush(COLOR_BTNFACE);
  RECT right{covered_w, 0, client.right, client.bottom};
  RECT below{0, covered_h, covered_w, client.bottom};
  if (right.left < right.right) FillRect(dc, &right, back);
  if (below.top < below.bottom) FillRect(dc, &below, back);
  for (auto& c : s.form->controls()) {
    if (c->kind() != Kind::kLabel || c->container() != s.box || !c->Visible()) continue;
    PixelRect r = c->Rect();
    RECT rect{r.x, r.y, r.x + r.width, r.y + r.height};
    DrawLabel(dc, gdi_, *c, rect);
  }
  if (old_palette != nullptr) SelectPalette(dc, old_palette, TRUE);
  EndPaint(hwnd, &ps);
  return 0;
}

// A flat black line, whatever the colour scheme says a window frame looks like.
LRESULT Win32Ui::OnNcPaint(HWND hwnd, WPARAM wp, LPARAM lp) {
  if ((GetWindowLongA(hwnd, GWL_STYLE) & WS_BORDER) == 0) {
    return DefWindowProcA(hwnd, WM_NCPAINT, wp, lp);
  }
  HDC dc = GetWindowDC(hwnd);
  RECT r;
  GetWindowRect(hwnd, &r);
  OffsetRect(&r, -r.left, -r.top);
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(hwnd, dc);
  return 0;
}

LRESULT Win32Ui::OnButtonDown(HWND hwnd, const Surface& s, int button, WPARAM wp, LPARAM lp) {
  (void)wp;
  int x = XOf(lp), y = YOf(lp);
  SetCapture(hwnd);  // the press ends with the release, wherever the mouse is then
  press_ = {hwnd, button, Dispatch::LabelAt(*s.form, s.box, x, y)};
  ToMouseTarget(s.box, press_.label, x, y, [&](Control& c, int cx, int cy) {
    Dispatch::MouseDown(c, button, ShiftState(), cx, cy);
  });
  return 0;
}

// A click is a left button that comes up over the control it went down on.
LRESULT Win32Ui::OnButtonUp(HWND hwnd, const Surface& s, int button, LPARAM lp) {
  if (press_.window != hwnd || press_.button != button) return 0;
  Press press = press_;
  press_ = {};
  ReleaseCapture();
  int x = XOf(lp), y = YOf(lp);
  if (button != kLeftButton || !InClient(hwnd, x, y)) return 0;
  Control* label = Dispatch::LabelAt(*s.form, s.box, x, y);
  if (label != press.label) return 0;
  if (Control* target = label ? label : s.box) Dispatch::Click(*target);
  return 0;
}

LRESULT Win32Ui::OnMouseMove(HWND hwnd, const Surface& s, WPARAM wp, LPARAM lp) {
  int x = XOf(lp), y = YOf(lp);
  // While a button is held the control it went down on keeps the mouse.
  Control* label = press_.window == hwnd ? press_.label : Dispatch::LabelAt(*s.form, s.box, x, y);
  ToMouseTarget(s.box, label, x, y, [&](Control& c, int cx, int cy) {
    Dispatch::MouseMove(c, ButtonsOf(wp), ShiftState(), cx, cy);
  });
  return 0;
}

// Someone else took the mouse (a drag started by a handler, a message box):
// the press can no longer end in a click.
LRESULT Win32Ui::OnCaptureChanged(HWND hwnd) {
  if (press_.window == hwnd) press_ = {};
  return 0;
}

LRESULT Win32Ui::OnSetCursor(HWND hwnd, const Surface& s, WPARAM wp, LPARAM lp) {
  if (s.form->MousePointer() == kPointerSizeAll && LOWORD(lp) == HTCLIENT) {
    SetCursor(LoadCursorA(nullptr, IDC_SIZEALL));
    return TRUE;
  }
  return DefWindowProcA(hwnd, WM_SETCURSOR, wp, lp);
}

LRESULT Win32Ui::OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) {
  HWND child = reinterpret_cast<HWND>(lp);
  Control* c = ChildControl(hwnd, child);
  if (c == nullptr) return DefWindowProcA(hwnd, WM_COMMAND, wp, lp);
  UINT code = HIWORD(wp);
  bool toggle = c->kind() == Kind::kCheckBox || c->kind() == Kind::kOptionButton;
  if (toggle && code == BN_CLICKED) Dispatch::UserToggle(*c);
  if (c->kind() == Kind::kListBox && code == LBN_SELCHANGE) {
    Dispatch::UserSelect(*c, static_cast<int>(SendMessageA(child, LB_GETCURSEL, 0, 0)));
  }
  return 0;
}

LRESULT Win32Ui::OnCtlColor(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* c = ChildControl(hwnd, reinterpret_cast<HWND>(lp));
  if (c == nullptr) return DefWindowProcA(hwnd, msg, wp, lp);
  HDC dc = reinterpret_cast<HDC>(wp);
  gdi_.UsePalette(dc);  // the control's DC goes back to its defaults when released
  COLORREF back = gdi_.Solid(c->BackColor());
  SetTextColor(dc, gdi_.Solid(c->ForeColor()));
  SetBkColor(dc, back);
  return reinterpret_cast<LRESULT>(gdi_.Brush(back));
}

// Timer ids are control places; one that names no timer is a bug, reported once
// and stopped rather than left ticking.
LRESULT Win32Ui::OnTimer(Form& form, WPARAM id) {
  auto controls = form.controls();
  if (id == 0 || id > controls.size() || controls[id - 1]->kind() != Kind::kTimer) {
    OutputDebugStringA("Brivane: tick of an unknown timer id; stopped\n");
    KillTimer(WindowOf(form), id);
    return 0;
  }
  Dispatch::Timer(*controls[id - 1]);
  return 0;
}

// The form comes to the front: its palette takes the system palette, and what
// was painted through the old one is painted again.
LRESULT Win32Ui::OnQueryNewPalette(HWND hwnd) {
  HPALETTE palette = gdi_.Palette();
  if (palette == nullptr) return FALSE;
  HDC dc = GetDC(hwnd);
  HPALETTE old = SelectPalette(dc, palette, FALSE);
  UINT changed = RealizePalette(dc);
  SelectPalette(dc, old, TRUE);
  ReleaseDC(hwnd, dc);
  if (changed != 0) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  return TRUE;
}

// Another window changed the system palette: paint again, realising ours in the
// background. Never for a change of our own, which would repaint without end.
LRESULT Win32Ui::OnPaletteChanged(HWND hwnd, HWND changer) {
  if (gdi_.Palette() != nullptr && !IsWithin(changer, hwnd)) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  return 0;
}

LRESULT Win32Ui::OnClose(Form& form) {
  Dispatch::CloseRequest(form);  // the window goes only if the program unloads the form
  return 0;
}

// ---------------------------------------------------------------- keyboard

bool DialogKeys(MSG* msg) {
  // Mouse and everything else keep their own path through the window procedures.
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  HWND active = GetActiveWindow();
  char name[sizeof kFormClass + 1] = "";
  if (active == nullptr || GetClassNameA(active, name, sizeof name) == 0 ||
      lstrcmpA(name, kFormClass) != 0) {
    return false;  // a message box handles its own keys
  }
  return IsDialogMessageA(active, msg) != FALSE;
}

// ---------------------------------------------------------------- failures

void ReportUnhandledException() noexcept {
  std::string text;
  try {
    throw;
  } catch (const RuntimeError& e) {
    text = "Run-time error '" + std::to_string(e.number()) + "':\n\n" + e.description();
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "Unexpected failure";
  }
  MessageBoxA(nullptr, text.c_str(), AppTitle().c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  ExitProcess(1);
}

}  // namespace plat::win32
