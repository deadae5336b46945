// The simulated Windows 98 desktop: both platform interfaces on Linux, with a
// virtual clock, so the program's tests run fast and always the same way.
//
//   headless::Desktop d;           // C:\Program Files\Brivane\brivane.exe, C:\WINDOWS
//   d.Install();                   // plat::Sys() and plat::Ui() are now `d`
//   d.AddProgram("c:\\windows\\scandskw.exe", [&](headless::SimProcess& p) {
//     WindowId w = p.CreateWindow("ScanDiskClass", "ScanDisk - (C:)");
//     p.After(30000, [&, w] { d.DestroyWindow(w); p.End(); });
//   });
//   d.AnswerNextBox(plat::kIdYes);
//   ProgramMain();
//   d.RunFor(60000);               // timers tick, the simulated programs act
//   EXPECT_TRUE(EventsMatch(d.log(), {{"StartProgram", {"c:\\windows\\scandskw.exe C: /n",
//   "4"}}}));
//
// Time. The clock counts milliseconds from 0 and moves only when the test says so
// (RunFor, RunUntil) or when the program blocks (Sleep, SendMessageTimeout to a
// hung window, a scripted message box delay). Scheduled events (After) are the
// other programs' actions: they run whenever time passes, also inside Sleep.
// Timers tick only where a real program processes messages: in RunFor/RunUntil,
// in DoEvents and inside a message box. A timer is running while its form is
// loaded, it is Enabled and its Interval is not 0; it is first due one interval
// after it started. A timer that fell due while the program was blocked ticks
// once afterwards and is next due one interval after that tick (as WM_TIMER is
// coalesced). At equal times scheduled events run first, in the order they were
// scheduled, then timers in the order they were started.
//
// Windows. Every window has a unique non-zero handle (or a reused one after
// SetReuseHandles(true), as Windows 9x does), a class, a caption, a parent, a
// visibility and an owning process: 0 is this program, anything else a
// simulated program. Top-level windows are kept in Z-order, top first; a new
// window goes on top. FindWindow matches class and caption as whole texts
// without regard to case, as user32 does; it sees hidden windows too.
//
// The program's forms: CreateForm makes a hidden top-level window of class
// "BrivaneForm" with the form's caption, and a child window for each windowed
// control: class "BrivanePicture" (picture box), "ListBox", "Button" (check
// box, option button), nested as the controls are, in layout order (top-most
// first). Labels and timers have no window. ShowForm(true) shows the window,
// puts it on top and makes it the foreground window.
//
// The screen: each picture box has an on-screen image. Repaint (Refresh) copies
// the retained image onto it and counts a repaint; a form that is shown paints
// its visible picture boxes at the next message processing (DoEvents, a timer
// step, a message box), as WM_PAINT would, without counting a repaint. Labels
// are not rasterised; their captions and positions are on the controls.
//
// Text metric (MeasureText): every character is w pixels wide and the text
// h pixels high, w = round(points * 2 / 3) + (bold ? 1 : 0), h = round(points *
// 4 / 3) + 2; an '&' marking an access key takes no room ("&&" shows one '&').
// MS Sans Serif 8.25 pt bold: 7 x 13 per character.
//
// Message boxes: each one is logged, shown as an own "#32770" top-level window
// with the box's caption (foreground while open, with a "Static" child holding
// the text and one "Button" child per button), and answered by the next entry
// of a queue the test fills (AnswerNextBox). An entry may run a callback while
// the box is open and let virtual time pass with timers ticking, as a real modal
// loop does. A box with nothing queued answers its first button (OK or Yes)
// unless SetUnscriptedBoxes(kFail) is set.
//
// Failures of the test's own script (an unscripted box under kFail, an answer
// that is not one of the box's buttons) throw ScriptError and are kept in
// script_errors(), so that a program catching everything cannot hide them.
//
// Files: Windows paths map to a private temporary folder (removed with the
// desktop), lower-cased, so "C:\Program Files\x.INI" is <root>/c/program
// files/x.ini. Relative paths start in the executable's folder.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/event_log.h"
#include "platform/headless/registry.h"
#include "platform/system.h"
#include "platform/toolkit.h"

namespace headless {

using plat::ProcessId;
using plat::WindowId;

// Thrown by EndProcess: the program asked to end at once. Tests catch it.
class ProcessEnded : public std::exception {
 public:
  const char* what() const noexcept override { return "the program ended its process"; }
};

// A mistake in the test's script rather than in the program.
class ScriptError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Every operation of both interfaces, for fault injection.
enum class Op {
  // plat::System. Those marked * fail their API's way (0 / false / a Windows
  // error code, or visiting nothing); the others throw plat::RuntimeError.
  kExecutablePath,
  kWindowsDirectory,
  kGetPrivateProfileString,    // * 0, empty buffer
  kWritePrivateProfileString,  // * false
  kRegOpenKey,
  kRegCreateKey,
  kRegQueryValueEx,
  kRegSetValueEx,
  kRegCloseKey,       // * the error number
  kGetDriveType,      // * 0 (DRIVE_UNKNOWN)
  kGetShortPathName,  // * 0
  kDeleteFile,
  kWriteFileBytes,
  kReadFileBytes,
  kReadResource,
  kSleep,
  kExitWindowsEx,  // * false
  kStartProgram,
  kProgramHasEnded,
  kFindWindow,
  kEnumWindows,
  kEnumChildWindows,
  kGetNextWindow,  // * 0 / nothing
  kGetWindowTextLength,
  kGetWindowText,
  kGetClassName,        // * 0
  kSendMessage,         // * 0, not delivered
  kSendMessageTimeout,  // * false
  kGetForegroundWindow,
  kReleaseCapture,
  kIsOwnWindow,
  kHtmlHelp,  // * 0 / false
  // plat::UiBackend: all throw plat::RuntimeError, except
  kCreateForm,
  kDestroyForm,
  kShowForm,
  kControlChanged,
  kTimerChanged,
  kRepaint,
  kSetPointer,
  kHandle,      // * 0
  kMessageBox,  // * 0 (no box shown)
  kDoEvents,
  kMeasureText,
  kSystemColourPixel,
  kEndProcess,  // throws plat::RuntimeError instead of ending
};
inline constexpr std::size_t kOpCount = static_cast<std::size_t>(Op::kEndProcess) + 1;

// What the simulated program's behaviour sees and can do.
class Desktop;
struct SimProcess {
  Desktop& desktop;
  ProcessId id = 0;
  std::string command_line;
  int show_state = 0;

  // A top-level window of this process, visible; it takes the foreground when
  // the process was started activated (show state 1).
  WindowId CreateWindow(const std::string& class_name, const std::string& caption);
  // A "#32770" dialog with "Button" children (see Desktop::CreateDialog).
  WindowId CreateDialog(const std::string& caption, std::vector<std::string> buttons,
                        std::function<void(const std::string& pressed)> on_press = {});
  // Runs `fn` `ms` of virtual time from now.
  void After(std::uint32_t ms, std::function<void()> fn);
  // Ends the process: its windows are destroyed, ProgramHasEnded turns true.
  void End();
  bool ended() const;
};

// A message as a window's handler receives it.
struct SentMessage {
  WindowId window = 0;
  unsigned message = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};
using MessageHandler = std::function<std::intptr_t(const SentMessage&)>;

struct WindowOptions {
  WindowId parent = 0;    // 0: top-level
  ProcessId process = 1;  // 0 is this program; simulated programs have their own id
  bool visible = true;
  bool activate = false;   // make it the foreground window
  bool at_bottom = false;  // a top-level window placed below all others
};

enum class UnscriptedBoxes { kAnswerFirstButton, kFail };

// One entry of the message box script.
struct BoxAnswer {
  int answer = plat::kIdOk;
  std::uint32_t after_ms = 0;             // virtual time the box stays open, timers ticking
  std::function<void()> while_open = {};  // runs first, while the box is open
};

// A message box as it was shown.
struct BoxRecord {
  std::uint64_t time = 0;
  std::string caption, text;
  int style = 0;
  int answer = 0;
};

class Desktop : public plat::System, public plat::UiBackend {
 public:
  Desktop();
  ~Desktop() override;
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Makes this desktop plat::Sys() and plat::Ui() (undone by the destructor).
  void Install();
  // Power cycle: what only lived in memory is gone, the disk stays. Windows,
  // timers, scheduled events, open boxes and help viewers vanish and every
  // simulated program counts as ended; files, the registry, the installed
  // programs, the box script, faults, the clock and the log carry on. Logs a
  // "Restart" event. The program's own objects are the caller's to discard
  // (app::ResetProgram) before it starts the program again.
  void Restart();

  // ================================================================ test API

  // ---- Clock
  std::uint64_t Now() const { return now_; }
  // Lets `ms` pass with messages processed: timers tick, events run, in time order.
  void RunFor(std::uint64_t ms);
  // Runs as RunFor until `done` is true (checked before each step and at the
  // end); false when `limit_ms` passed first.
  bool RunUntil(const std::function<bool()>& done, std::uint64_t limit_ms);
  // Schedules a simulated event `ms` from now; returns an id for Cancel.
  int After(std::uint64_t ms, std::function<void()> fn);
  void Cancel(int event_id);
  // When a running timer is next due, or nullopt when it is not running.
  std::optional<std::uint64_t> TimerDue(const plat::Control& timer) const;

  // ---- Windows
  WindowId CreateWindow(const std::string& class_name, const std::string& caption,
                        const WindowOptions& options = {});
  // A "#32770" dialog of a simulated process with one "Button" child per caption
  // (e.g. {"&Yes", "&No"}). A button clicked (WM_LBUTTONDOWN then WM_LBUTTONUP)
  // calls `on_press` with its caption and then, when `close_on_press`, destroys
  // the dialog.
  WindowId CreateDialog(const std::string& caption, const std::vector<std::string>& buttons,
                        ProcessId process = 1,
                        std::function<void(const std::string& pressed)> on_press = {},
                        bool close_on_press = true);
  void DestroyWindow(WindowId w);
  bool WindowExists(WindowId w) const;
  void SetCaption(WindowId w, const std::string& caption);
  void SetVisible(WindowId w, bool visible);
  void BringToTop(WindowId w);
  void SetForeground(WindowId w);
  // A hung window answers nothing: SendMessageTimeout with SMTO_ABORTIFHUNG
  // fails at once, one without waits its timeout, and a plain SendMessage is
  // recorded as a "Hang" event (the program would never come back).
  void SetHung(WindowId w, bool hung);
  // Replaces the window's default message handling; DefWindowProc gives it back.
  void SetHandler(WindowId w, MessageHandler handler);
  std::intptr_t DefWindowProc(const SentMessage& m);
  // Handles freed by DestroyWindow are handed out again, newest first.
  void SetReuseHandles(bool reuse) { reuse_handles_ = reuse; }
  std::string Caption(WindowId w) const;
  std::string ClassOf(WindowId w) const;
  WindowId Parent(WindowId w) const;
  bool Visible(WindowId w) const;
  ProcessId ProcessOf(WindowId w) const;
  std::vector<WindowId> Children(WindowId w) const;
  std::vector<WindowId> TopLevelWindows() const;  // Z-order, top first
  // Button clicks (down then up) a "Button" window has received.
  int ClickCount(WindowId button) const;
  // The child of `parent` (any depth) with this caption, 0 when none.
  WindowId FindChild(WindowId parent, const std::string& caption) const;
  int hang_count() const { return hang_count_; }
  int capture_releases() const { return capture_releases_; }

  // ---- The program's own forms and what the screen shows
  WindowId WindowOf(const plat::Control& c) const;
  const plat::Image& Screen(const plat::Control& picture_box) const;
  int RepaintCount(const plat::Control& picture_box) const;
  int Pointer(const plat::Form& f) const;
  bool FormVisible(const plat::Form& f) const;

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

  // ---- Message boxes
  void AnswerNextBox(int answer, std::uint32_t after_ms = 0, std::function<void()> while_open = {});
  void AnswerNextBox(BoxAnswer answer) { box_script_.push_back(std::move(answer)); }
  void SetUnscriptedBoxes(UnscriptedBoxes policy) { unscripted_ = policy; }
  std::size_t PendingBoxAnswers() const { return box_script_.size(); }
  const std::vector<BoxRecord>& boxes() const { return boxes_; }
  // The box open now (innermost), 0 when none.
  WindowId OpenBox() const { return open_boxes_.empty() ? 0 : open_boxes_.back(); }

  // ---- Programs
  // A program started by a command line that begins with `prefix` (ASCII case
  // ignored), or that `matches` accepts. The first registered match wins. The
  // behaviour runs when time next passes after the start (the start itself is
  // asynchronous).
  void AddProgram(const std::string& prefix, std::function<void(SimProcess&)> behaviour);
  void AddProgram(std::function<bool(const std::string&)> matches,
                  std::function<void(SimProcess&)> behaviour);
  SimProcess* Process(ProcessId id);
  // The processes started so far, in start order.
  std::vector<ProcessId> Processes() const;
  void EndProgram(ProcessId id);

  // ---- Files
  void SetExecutablePath(const std::string& path);    // creates the file
  void SetWindowsDirectory(const std::string& path);  // creates the folder
  // The host path of a Windows path.
  std::filesystem::path HostPath(const std::string& windows_path) const;
  void WriteFile(const std::string& path, std::string_view content);  // replaces it
  std::optional<std::string> ReadFile(const std::string& path) const;
  bool FileExists(const std::string& path) const;
  void MakeFolder(const std::string& path);
  void RemoveFile(const std::string& path);
  // A read-only file can be read, not written or deleted; in a read-only folder
  // nothing can be created, written or deleted.
  void SetReadOnly(const std::string& path, bool read_only);
  // "c:\program files\brivane\brivane.ini": absolute, lower case, single separators.
  std::string FullPath(const std::string& path) const;

  // ---- Registry
  Registry& registry() { return registry_; }
  std::optional<RegValue> RegGet(plat::RegKey root, const std::string& path,
                                 const std::string& name) const {
    return registry_.Get(root, path, name);
  }
  void RegPutString(plat::RegKey root, const std::string& path, const std::string& name,
                    const std::string& text, bool with_terminator = true);

  // ---- Drives, short names, shutdown, resources, help
  void SetDriveType(char letter, unsigned type);
  void SetShortPath(const std::string& long_path, const std::string& short_path);
  void SetExitWindowsResult(bool accepted) { exit_windows_result_ = accepted; }
  void OverrideResource(const std::string& type, int id, std::vector<std::uint8_t> bytes);
  void RemoveResource(const std::string& type, int id);  // reads as missing
  void SetHelpEngineMissing(bool missing) { help_engine_missing_ = missing; }

  // ---- Colours
  void SetSystemColour(int index, plat::Pixel pixel) { system_colours_[index] = pixel; }

  // ---- Faults: the call of `op` after the next `after` successful ones fails
  // `times` times with `error_number` (an error code for the registry, a
  // runtime error number for the calls that throw).
  void Fail(Op op, int error_number, int times = 1, int after = 0);
  void ClearFaults() { faults_.clear(); }
  // How often `op` was called so far, failed calls included.
  std::uint64_t CallCount(Op op) const { return calls_[static_cast<std::size_t>(op)]; }
  // Called after every write the program makes through the platform (profile
  // writes and flushes, file deletes and writes, registry writes, program
  // starts, ExitWindowsEx), after it has been logged.
  void SetWriteObserver(std::function<void(const Event&)> observer) {
    write_observer_ = std::move(observer);
  }

  // ---- The record
  const EventLog& log() const { return log_; }
  EventLog& log() { return log_; }
  const std::vector<std::string>& script_errors() const { return script_errors_; }
  bool process_ended() const { return process_ended_; }

  // ================================================================ plat::System
  std::string ExecutablePath() override;
  std::string WindowsDirectory() override;
  std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                        const char* default_value, char* buffer, std::uint32_t size,
                                        const char* file) override;
  bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                                 const char* file) override;
  long RegOpenKey(plat::RegKey root, const char* path, plat::RegKey* result) override;
  long RegCreateKey(plat::RegKey root, const char* path, plat::RegKey* result) override;
  long RegQueryValueEx(plat::RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size) override;
  long RegSetValueEx(plat::RegKey key, const char* name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override;
  long RegCloseKey(plat::RegKey key) override;
  unsigned GetDriveType(const char* root) override;
  std::uint32_t GetShortPathName(const char* long_path, char* buffer, std::uint32_t size) override;
  void DeleteFile(const std::string& path) override;
  void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) override;
  std::vector<std::uint8_t> ReadFileBytes(const std::string& path) override;
  std::vector<std::uint8_t> ReadResource(const char* type, int id) override;
  void Sleep(std::uint32_t milliseconds) override;
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
  ProcessId StartProgram(const std::string& command_line, int show_state) override;
  bool ProgramHasEnded(ProcessId id) override;
  WindowId FindWindow(const char* class_name, const char* caption) override;
  void EnumWindows(const std::function<bool(WindowId)>& visit) override;
  void EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) override;
  WindowId GetNextWindow(WindowId window) override;
  int GetWindowTextLength(WindowId window) override;
  int GetWindowText(WindowId window, char* buffer, int size) override;
  int GetClassName(WindowId window, char* buffer, int size) override;
  std::intptr_t SendMessage(WindowId window, unsigned message, std::uintptr_t wparam,
                            std::intptr_t lparam) override;
  bool SendMessageTimeout(WindowId window, unsigned message, std::uintptr_t wparam,
                          std::intptr_t lparam, unsigned flags, unsigned timeout_ms,
                          std::uintptr_t* result) override;
  WindowId GetForegroundWindow() override;
  bool ReleaseCapture() override;
  bool IsOwnWindow(WindowId window) override;
  WindowId HtmlHelp(WindowId owner, const char* file, unsigned command,
                    std::uintptr_t data) override;

  // ================================================================ plat::UiBackend
  void CreateForm(plat::Form& form) override;
  void DestroyForm(plat::Form& form) override;
  void ShowForm(plat::Form& form, bool visible) override;
  void ControlChanged(plat::Control& control, int what) override;
  void TimerChanged(plat::Control& timer) override;
  void Repaint(plat::Form& form, plat::Control* control) override;
  void SetPointer(plat::Form& form, int code) override;
  WindowId Handle(const plat::Form& form) override;
  int MessageBox(const std::string& text, const std::string& caption, int style) override;
  void DoEvents() override;
  void MeasureText(const plat::FontDesc& font, std::string_view text, int* width,
                   int* height) override;
  plat::Pixel SystemColourPixel(int index) override;
  [[noreturn]] void EndProcess() override;

 private:
  struct Window {
    WindowId id = 0;
    std::string class_name, caption;
    WindowId parent = 0;
    std::vector<WindowId> children;  // Z-order, top first
    bool visible = false;
    ProcessId process = 0;
    bool hung = false;
    MessageHandler handler;
    bool button_down = false;
    int clicks = 0;
    std::function<void()> on_click;  // "Button" windows
    plat::Form* form = nullptr;      // the program's form, for its top-level window
  };
  struct Timer {
    std::uint64_t due = 0;
    unsigned interval = 0;
    std::uint64_t order = 0;
  };
  struct Scheduled {
    std::uint64_t time = 0;
    std::uint64_t order = 0;
    int id = 0;
    std::function<void()> fn;
  };
  struct Fault {
    Op op;
    int error = 0;
    int times = 0;
    int after = 0;
  };
  struct ProgramRule {
    std::function<bool(const std::string&)> matches;
    std::function<void(SimProcess&)> behaviour;
  };
  struct ScreenState {
    plat::Image image;
    int repaints = 0;
  };

  friend struct SimProcess;

  // Fault check: true (and the error) when this call of `op` is to fail.
  bool Faulted(Op op, int* error);
  void ThrowIfFaulted(Op op);
  void Wrote(Event e);  // logs a write and tells the observer
  void Record(Event e) { log_.Add(std::move(e)); }

  WindowId NewHandle();
  Window* Find(WindowId w);
  const Window* Find(WindowId w) const;
  void DestroyTree(WindowId w);
  void Unlink(WindowId w);
  std::string Identity(WindowId w) const;
  void EnumDescendants(WindowId parent, std::vector<WindowId>& out) const;

  // One step of the message loop at or before `limit`; false when nothing was due.
  bool Step(std::uint64_t limit, bool timers);
  void RunScheduledUpTo(std::uint64_t limit);
  void PaintExposed();
  void CreateControlWindows(plat::Form& form);
  bool Reachable(const plat::Control& c) const;

  std::string ResolveProfile(const char* file) const;
  bool Writable(const std::string& full) const;
  std::string ShortPathOf(const std::string& full_long, bool* exists) const;

  std::uint64_t now_ = 0;
  std::uint64_t order_ = 0;
  std::vector<Scheduled> scheduled_;
  int next_event_id_ = 1;
  std::map<const plat::Control*, Timer> timers_;

  std::map<WindowId, Window> windows_;
  std::vector<WindowId> z_order_;  // top-level, top first
  WindowId foreground_ = 0;
  WindowId next_handle_ = 0x1A4;
  bool reuse_handles_ = false;
  std::vector<WindowId> free_handles_;
  int hang_count_ = 0;
  int capture_releases_ = 0;

  std::map<const plat::Control*, ScreenState> screens_;
  std::map<const plat::Form*, int> pointers_;
  std::set<const plat::Form*> exposed_;

  std::deque<BoxAnswer> box_script_;
  UnscriptedBoxes unscripted_ = UnscriptedBoxes::kAnswerFirstButton;
  std::vector<BoxRecord> boxes_;
  std::vector<WindowId> open_boxes_;
  std::vector<std::string> script_errors_;

  std::vector<ProgramRule> programs_;
  std::map<ProcessId, std::unique_ptr<SimProcess>> processes_;
  std::map<ProcessId, bool> ended_;
  std::vector<ProcessId> process_order_;
  ProcessId next_process_ = 0xFFF1A2B0;

  std::filesystem::path root_;
  std::string exe_path_;
  std::string windows_dir_;
  std::set<std::string> read_only_;

  Registry registry_;
  std::map<char, unsigned> drive_types_;
  std::map<std::string, std::string> short_paths_;  // full long path -> short path
  bool exit_windows_result_ = true;
  std::map<std::pair<std::string, int>, std::optional<std::vector<std::uint8_t>>> resources_;
  bool help_engine_missing_ = false;
  std::map<std::string, WindowId> help_viewers_;  // by full path of the file
  std::map<int, plat::Pixel> system_colours_;

  std::vector<Fault> faults_;
  std::array<std::uint64_t, kOpCount> calls_{};
  std::function<void(const Event&)> write_observer_;
  EventLog log_;
  bool process_ended_ = false;
  bool installed_ = false;
};

}  // namespace headless
