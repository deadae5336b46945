// frmMain: the main window, where a run is armed and which drives the run after
// the restart. Its procedures are spread by role: load and arming in app/, the
// run in run/, its painted buttons and title bar in skin/.
#pragma once

#include <string>

#include "platform/convert.h"
#include "platform/system.h"
#include "platform/toolkit.h"

namespace app {

class FrmMain {
 public:
  FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  plat::Form& form() { return form_; }
  plat::Control& operator[](const char* name) { return form_[name]; }

  // ---- Load and resume
  void Form_Load();
  void FillDriveList();
  void lblDefrag_Click();
  void lblScandisk_Click();
  // True when the load put the window in run mode.
  bool InRunMode() const { return run_mode_; }

  // ---- Arming
  void PicExecute_Click();

  // ---- The run
  void timClean_Timer();
  void StartRun();
  void SetCheckDriveOptions();
  void SetDefragOptions();
  void timScanDisk_Timer();
  void timDefrag_Timer();
  void FinishRun();
  void picExit_Click();
  // True once a completion has unloaded the windows: nothing may touch them after.
  bool RunCompleted() const { return completed_; }

  // ---- Painted buttons and title bar
  void PicExecute_MouseDown(int button);
  void PicExecute_MouseMove(int button);
  void picExit_MouseDown(int button);
  void picExit_MouseMove(int button);
  void picClose_MouseDown(int button);
  void picClose_MouseMove(int button);
  void picClose_Click();
  void picHelp_MouseDown(int button);
  void picHelp_MouseMove(int button);
  void picHelp_Click();
  void picAbout_MouseDown(int button);
  void picAbout_MouseMove(int button);
  void picAbout_Click();
  void picMain_MouseMove();
  void picTitlebar_MouseMove();
  void picTitlebar_MouseDown();
  void timActive_Timer();

  plat::Bool16 IsActive = plat::kFalse;

 private:
  void BindHandlers();
  void ToggleBox(const char* name);
  void StartTool(const char* program, const char* option, int show_state);

  plat::Form form_;
  bool run_mode_ = false;
  bool completed_ = false;
  // ScanDisk counts as finished only after its window was seen or its process ended.
  plat::ProcessId scandisk_process_ = 0;
  bool scandisk_seen_ = false;
};

// The main window reference: set by Main before the window is loaded.
FrmMain* MainWindow();
void SetMainWindow(FrmMain* window);

// The settings file: App.Path, "\", App.Title, ".ini"; set by the main window's load.
const std::string& SettingsPath();
void SetSettingsPath(std::string path);

// The drive letter stored in the settings file; runtime error 5 unless A to Z.
char StoredDriveLetter();

}  // namespace app
