// frmMain: the main window, where a run is armed and which carries the run after
// the restart. Its load, arming, painted buttons and title bar are here; the run
// itself is a run::MaintenanceRun that reaches the window through run::Window.
#pragma once

#include <string>

#include "platform/convert.h"
#include "platform/system.h"
#include "platform/toolkit.h"
#include "run/run.h"
#include "skin/skins.h"

namespace app {

class LoadSteps;

class FrmMain : private run::Window {
 public:
  FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  plat::Form& form() { return form_; }

  // ---- Load and resume
  void Form_Load();
  void FillDriveList();
  // True when the load put the window in run mode.
  bool InRunMode() const { return run_mode_; }

  // ---- Arming
  void PicExecute_Click();

  // ---- Painted buttons and title bar
  void picMain_MouseMove();
  void picHelp_Click();
  void picAbout_Click();
  plat::Bool16 IsActive() const { return title_bar_.IsActive(); }

 private:
  // Load steps and arming steps, in their order.
  void RestoreChoices(LoadSteps& step);
  void LockForRun(LoadSteps& step);
  bool ChoicesComplete();
  void StoreChoices();
  void MakeThisTheShell();
  void ToggleBox(plat::Control& box);

  // run::Window
  int ScanDiskValue() override { return chkScanDisk.Value(); }
  int DefragValue() override { return chkDefrag.Value(); }
  std::string DriveText() override { return lstDrive.Text(); }
  plat::Bool16 ShutdownValue() override { return optShutdown.Value(); }
  bool ExecuteVisible() override { return PicExecute.Visible(); }
  void EnableTimer(run::Timer timer, bool enabled) override;
  bool Loaded() override { return form_.Loaded(); }
  plat::WindowId Handle() override { return form_.Handle(); }
  const std::string& SettingsPath() override { return settings_path_; }

  plat::Form form_;
  // The controls, bound once: a name the layout lacks fails here with error 730.
  plat::Control &picAbout, &picPicture, &picMain, &picTitlebar, &picHelp, &optRestart, &optShutdown,
      &lstDrive, &chkScanDisk, &chkDefrag, &picExit, &PicExecute, &lblDefrag, &lblScandisk,
      &timClean, &timScanDisk, &timDefrag, &picClose, &timActive;
  skin::TitleBar title_bar_;
  run::MaintenanceRun run_;
  // The settings file: App.Path, "\", App.Title, ".ini"; set by the load.
  std::string settings_path_;
  bool run_mode_ = false;
};

// Paints the main window's title strip, body and button faces from its
// picPicture. A surface the window lacks is reported ("MSK148") and ends the program.
void PaintSkin(plat::Form& window);

}  // namespace app
