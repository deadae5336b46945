// plat::UiBackend over user32 and gdi32: every form is a borderless popup window,
// picture boxes are child windows of the toolkit's own class that show their
// retained image, the standard controls are the system's LISTBOX and BUTTON.
#pragma once

#include "platform/toolkit.h"
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win_headers.h"

namespace plat::win32 {

class Win32Ui : public UiBackend {
 public:
  // Registers the window classes; one instance per process.
  Win32Ui();
  ~Win32Ui() override;
  Win32Ui(const Win32Ui&) = delete;
  Win32Ui& operator=(const Win32Ui&) = delete;

  void CreateForm(Form& form) override;
  void DestroyForm(Form& form) override;
  void ShowForm(Form& form, bool visible) override;
  void ControlChanged(Control& control, int what) override;
  void TimerChanged(Control& timer) override;
  void Repaint(Form& form, Control* control) override;
  void SetPointer(Form& form, int code) override;
  WindowId Handle(const Form& form) override;
  int MessageBox(const std::string& text, const std::string& caption, int style) override;
  void DoEvents() override;
  void MeasureText(const FontDesc& font, std::string_view text, int* width, int* height) override;
  Pixel SystemColourPixel(int index) override;
  void RefuseSuspend(bool refuse) override { refuse_suspend_ = refuse; }
  [[noreturn]] void EndProcess() override;

 private:
  // What a window of the toolkit draws and hands mouse input to: a form (box
  // null) or one of its picture boxes.
  struct Surface {
    Form* form = nullptr;
    Control* box = nullptr;
  };
  // The mouse button that went down on a surface, until it comes up again.
  struct Press {
    HWND window = nullptr;
    int button = 0;
    Control* label = nullptr;
  };

  // The window procedure of forms (T = Form) and of picture boxes (T = Control).
  template <typename T>
  static LRESULT CALLBACK SurfaceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static Surface SurfaceOf(Form& form) { return {&form, nullptr}; }
  static Surface SurfaceOf(Control& box) { return {&box.form(), &box}; }
  // Messages only a form, or only a picture box, handles; false for any other.
  bool OwnMessage(HWND hwnd, Form& form, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
  bool OwnMessage(HWND hwnd, Control& box, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
  // Messages both kinds of surface handle alike; false when `msg` is not one of them.
  bool SurfaceMessage(HWND hwnd, const Surface& s, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

  // ---- Creation
  HWND CreateControlWindow(Control& c, HWND parent);
  void StackInListOrder(Form& form);
  // Adds what the list box lacks; false when it refused an item.
  bool SyncList(Control& list);

  // ---- Message handlers
  LRESULT OnPaint(HWND hwnd, const Surface& s);
  LRESULT OnNcPaint(HWND hwnd, WPARAM wp, LPARAM lp);
  LRESULT OnButtonDown(HWND hwnd, const Surface& s, int button, WPARAM wp, LPARAM lp);
  LRESULT OnButtonUp(HWND hwnd, const Surface& s, int button, LPARAM lp);
  LRESULT OnMouseMove(HWND hwnd, const Surface& s, WPARAM wp, LPARAM lp);
  LRESULT OnCaptureChanged(HWND hwnd);
  LRESULT OnSetCursor(HWND hwnd, const Surface& s, WPARAM wp, LPARAM lp);
  LRESULT OnCommand(HWND hwnd, WPARAM wp, LPARAM lp);
  LRESULT OnCtlColor(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnTimer(Form& form, WPARAM id);
  LRESULT OnClose(Form& form);
  LRESULT OnQueryNewPalette(HWND hwnd);
  LRESULT OnPaletteChanged(HWND hwnd, HWND changer);

  HINSTANCE instance_;
  GdiCache gdi_;
  Press press_;
  bool refuse_suspend_ = false;
};

// Tab, Shift+Tab and access keys among the standard controls of the active form,
// as in a dialog. True when the message was handled (and must not be dispatched).
bool DialogKeys(MSG* msg);

// Shows an exception that no handler caught, the way the runtime reports an
// untrapped error, and ends the process. Call only inside a catch block.
[[noreturn]] void ReportUnhandledException() noexcept;

}  // namespace plat::win32
