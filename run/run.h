// The maintenance run after the armed restart: the launcher, the disk tools'
// settings, the watchers, the completion and the way out through Exit. The main
// window owns one; the run reaches the window only through run::Window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/convert.h"
#include "platform/system.h"
#include "run/guard.h"

namespace run {

// The run's timers, which tick on the main window.
enum class Timer { kClean, kScanDisk, kDefrag };

// What the run needs of the window that owns it. A call may throw
// plat::RuntimeError as the control behind it does.
class Window {
 public:
  virtual ~Window() = default;
  // The choices the load restored: check box values (1 is ticked) and optShutdown.
  virtual int ScanDiskValue() = 0;
  virtual int DefragValue() = 0;
  // The drive the load selected, e.g. "C:\\".
  virtual std::string DriveText() = 0;
  virtual plat::Bool16 ShutdownValue() = 0;
  // Execute is shown only in interactive mode.
  virtual bool ExecuteVisible() = 0;
  virtual void EnableTimer(Timer timer, bool enabled) = 0;
  virtual bool Loaded() = 0;
  // Where the searches for the tools' windows start.
  virtual plat::WindowId Handle() = 0;
  // The settings file the load found the armed run in.
  virtual const std::string& SettingsPath() = 0;
};

class MaintenanceRun {
 public:
  explicit MaintenanceRun(Window& window) : window_(window) {}
  MaintenanceRun(const MaintenanceRun&) = delete;
  MaintenanceRun& operator=(const MaintenanceRun&) = delete;

  // The armed load has restored the choices and locked them: the run is on.
  // Logged (with a run that a power cut broke off before) and guarded.
  void Resume();

  // ---- Launcher: timClean ticks once, 2 s after an armed load.
  void timClean_Timer();
  void StartRun();
  void SetCheckDriveOptions();
  void SetDefragOptions();

  // ---- Watchers, every 100 ms
  void timScanDisk_Timer();
  void timDefrag_Timer();

  // ---- The end: completion, and Exit (also the close glyph and Alt+F4)
  void FinishRun();
  void picExit_Click();
  // True once a completion has unloaded the windows: nothing may touch them after.
  bool Completed() const { return completed_; }

 private:
  char StoredDriveLetter();
  void StartTool(const char* program);
  bool ScanDiskEnded();
  void StartDefragAfterScanDisk();
  void AnswerScanDiskDialog();
  void StartShellAfterRefusal(const std::string& shell);

  Window& window_;
  RunGuard guard_;
  bool completed_ = false;
  // When each tool started (GetTickCount), for the log.
  std::uint32_t scandisk_started_ = 0;
  std::uint32_t defrag_started_ = 0;
  bool scandisk_end_logged_ = false;
  // ScanDisk counts as finished only after its window was seen or its process ended.
  plat::ProcessId scandisk_process_ = 0;
  bool scandisk_seen_ = false;
  // Defrag's process: its prompt in another language, and its end without one.
  plat::ProcessId defrag_process_ = 0;
  bool defrag_prompt_seen_ = false;
  bool defrag_end_seen_ = false;
};

}  // namespace run
