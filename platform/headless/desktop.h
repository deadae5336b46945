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
// The desktop is assembled from its parts, each with its own state, its rules
// (see its header) and its share of the test API:
//   Clock         virtual time, scheduled events, timers, the message loop
//   Journal       the event log, the write observer, the script's failures
//   WindowTable   every window, the Z-order, the foreground, sent messages
//   Forms         the program's forms, what the screen shows, the user's input
//   MessageBoxes  the program's message boxes and their scripted answers
//   Programs      the other programs, started and simulated
//   Disk          files, profile files, drive types, short names
//   Registry      the keys and values (registry())
//   Faults        fault injection and call counts over every operation
// This class routes each call of plat::System and plat::UiBackend to its part,
// after asking Faults whether it is to fail, and holds the few services that
// need no part of their own (resources, help, shutdown requests, colours).
#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/clock.h"
#include "platform/headless/disk.h"
#include "platform/headless/event_log.h"
#include "platform/headless/faults.h"
#include "platform/headless/forms.h"
#include "platform/headless/journal.h"
#include "platform/headless/message_boxes.h"
#include "platform/headless/programs.h"
#include "platform/headless/registry.h"
#include "platform/headless/window_table.h"
#include "platform/system.h"
#include "platform/toolkit.h"

namespace headless {

// Thrown by EndProcess: the program asked to end at once. Tests catch it.
class ProcessEnded : public std::exception {
 public:
  const char* what() const noexcept override { return "the program ended its process"; }
};

class Desktop : public plat::System,
                public plat::UiBackend,
                public Faults,
                public Clock,
                public Journal,
                public WindowTable,
                public Forms,
                public MessageBoxes,
                public Programs,
                public Disk {
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
  // "Restart" event. The screen saver is the stored setting again, and nothing
  // keeps the machine awake or refuses a suspend. The program's own objects are the caller's to
  // discard (app::ResetProgram) before it starts the program again.
  void Restart();

  // ---- Registry
  Registry& registry() { return registry_; }
  std::optional<RegValue> RegGet(plat::RegKey root, const std::string& path,
                                 const std::string& name) const {
    return registry_.Get(root, path, name);
  }
  void RegPutString(plat::RegKey root, const std::string& path, const std::string& name,
                    const std::string& text, bool with_terminator = true);

  // ---- Shutdown, resources, help, colours
  // A refusal leaves `error` for GetLastError.
  void SetExitWindowsResult(bool accepted, std::uint32_t error = 0) {
    exit_windows_result_ = accepted;
    exit_windows_error_ = error;
  }
  void OverrideResource(const std::string& type, int id, std::vector<std::uint8_t> bytes);
  void RemoveResource(const std::string& type, int id);  // reads as missing
  void SetHelpEngineMissing(bool missing) { help_engine_missing_ = missing; }
  void SetSystemColour(int index, plat::Pixel pixel) { system_colours_[index] = pixel; }
  bool process_ended() const { return process_ended_; }

  // ---- Local time, the screen saver and power management
  // The local time when the clock reads 0; GetLocalTime adds the clock's time.
  // GetTickCount is the clock's time plus `uptime_ms` (to try the wrap).
  void SetBootTime(const plat::LocalTime& at, std::uint32_t uptime_ms = 0) {
    boot_time_ = at;
    uptime_at_boot_ = uptime_ms;
  }
  // The user's stored screen-saver setting, which every start of Windows takes.
  void SetStoredScreenSaver(bool active) {
    stored_screen_saver_ = active;
    screen_saver_ = active;
  }
  bool screen_saver_active() const { return screen_saver_; }
  bool kept_awake() const { return kept_awake_; }
  // What Windows hears when it asks before a suspend: false when refused.
  bool QuerySuspend() const { return !refuse_suspend_; }

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
  std::uint32_t AppendFileBytes(const std::string& path,
                                std::span<const std::uint8_t> bytes) override;
  long MoveFile(const std::string& from, const std::string& to) override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint32_t GetTickCount() override;
  plat::LocalTime GetLocalTime() override;
  bool GetScreenSaveActive(bool* active) override;
  bool SetScreenSaveActive(bool active) override;
  bool KeepSystemAwake(bool on) override;
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
  std::uint32_t GetLastError() override;
  ProcessId StartProgram(const std::string& command_line, int show_state) override;
  bool ProgramHasEnded(ProcessId id) override;
  WindowId FindWindow(const char* class_name, const char* caption) override;
  void EnumWindows(const std::function<bool(WindowId)>& visit) override;
  void EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) override;
  WindowId GetNextWindow(WindowId window) override;
  int GetWindowTextLength(WindowId window) override;
  int GetWindowText(WindowId window, char* buffer, int size) override;
  int GetClassName(WindowId window, char* buffer, int size) override;
  ProcessId GetWindowProcess(WindowId window) override;
  int GetDlgCtrlID(WindowId window) override;
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
  // Every character is w pixels wide and the text h pixels high, w = round(points
  // * 2 / 3) + (bold ? 1 : 0), h = round(points * 4 / 3) + 2; an '&' marking an
  // access key takes no room ("&&" shows one '&'). MS Sans Serif 8.25 pt bold:
  // 7 x 13 per character.
  void MeasureText(const plat::FontDesc& font, std::string_view text, int* width,
                   int* height) override;
  plat::Pixel SystemColourPixel(int index) override;
  void RefuseSuspend(bool refuse) override;
  [[noreturn]] void EndProcess() override;

 private:
  Registry registry_;
  bool exit_windows_result_ = true;
  std::uint32_t exit_windows_error_ = 0;
  std::uint32_t last_error_ = 0;
  std::map<std::pair<std::string, int>, std::optional<std::vector<std::uint8_t>>> resources_;
  bool help_engine_missing_ = false;
  std::map<std::string, WindowId> help_viewers_;  // by full path of the file
  std::map<int, plat::Pixel> system_colours_;
  bool process_ended_ = false;
  bool installed_ = false;
  plat::LocalTime boot_time_{2026, 12, 7, 3, 0, 0};
  std::uint32_t uptime_at_boot_ = 0;
  bool stored_screen_saver_ = true;
  bool screen_saver_ = true;
  bool kept_awake_ = false;
  bool refuse_suspend_ = false;
};

}  // namespace headless
