#include "app/main_window.h"

#include <string>

#include "app/program.h"
#include "common/error_codes.h"
#include "common/error_report.h"
#include "common/failure.h"
#include "common/settings.h"
#include "common/shell_entry.h"
#include "platform/errors.h"
#include "platform/platform.h"
#include "skin/resource_file.h"
#include "skin/sheets.h"
#include "windows/about_window.h"
#include "windows/help_launcher.h"
#include "windows/layouts.h"

namespace app {

using namespace skin::main_sheet;

namespace {

// Run mode moves Exit to where Execute stood: 2640 twips, 176 pixels.
constexpr double kExitLeftInRunMode = 2640;
// The labels of the locked check boxes: a dimmed yellow.
constexpr plat::Colour kDimmedYellow = plat::Rgb(192, 192, 0);

// Steps the selection through the list until its text is the wanted entry,
// comparing before each step (first with nothing selected). An entry that is not
// listed ends the loop only as the index runs past the last entry, with error 380.
void SelectByStepping(plat::Control& list, const std::string& wanted) {
  for (int i = 0; list.Text() != wanted; ++i) list.SetListIndex(i);
}

}  // namespace

// The load's own failure handling: a type mismatch (a stored value that is no
// number or Boolean) skips its step; any other failure is shown in two lines and
// ends the load.
class LoadSteps {
 public:
  void operator()(common::Statement step);
  void End() { ended_ = true; }

 private:
  bool ended_ = false;
};

void LoadSteps::operator()(common::Statement step) {
  if (ended_) return;
  plat::RuntimeError error(0);
  if (common::Attempt(step, &error)) return;
  if (error.number() == plat::kErrTypeMismatch) return;
  common::Attempt([&] {
    const std::string text =
        "Error: " + std::to_string(error.number()) + "\r\nDescription: " + error.description();
    common::LogBox(text);
    plat::MsgBox(text);
  });
  ended_ = true;
}

FrmMain::FrmMain()
    : form_(windows::MainLayout()),
      picAbout(form_["picAbout"]),
      picPicture(form_["picPicture"]),
      picMain(form_["picMain"]),
      picTitlebar(form_["picTitlebar"]),
      picHelp(form_["picHelp"]),
      optRestart(form_["optRestart"]),
      optShutdown(form_["optShutdown"]),
      lstDrive(form_["lstDrive"]),
      chkScanDisk(form_["chkScanDisk"]),
      chkDefrag(form_["chkDefrag"]),
      picExit(form_["picExit"]),
      PicExecute(form_["PicExecute"]),
      lblDefrag(form_["lblDefrag"]),
      lblScandisk(form_["lblScandisk"]),
      timClean(form_["timClean"]),
      timScanDisk(form_["timScanDisk"]),
      timDefrag(form_["timDefrag"]),
      picClose(form_["picClose"]),
      timActive(form_["timActive"]),
      title_bar_(form_, picPicture, picTitlebar, picClose, timActive,
                 {kTitleActive, kTitleInactive, kCloseActive, kCloseInactive}),
      run_(*this) {
  const auto exit = [this] { run_.picExit_Click(); };
  form_.on_load = [this] { Form_Load(); };
  form_.on_close_request = exit;
  lblDefrag.on_click = [this] { ToggleBox(chkDefrag); };
  lblScandisk.on_click = [this] { ToggleBox(chkScanDisk); };
  PicExecute.on_click = [this] { PicExecute_Click(); };
  picExit.on_click = exit;
  // The close glyph does exactly what Exit does.
  picClose.on_click = [exit] {
    common::OnErrorResumeNext resume;
    resume(exit);
  };
  picHelp.on_click = [this] { picHelp_Click(); };
  picAbout.on_click = [this] { picAbout_Click(); };
  skin::BindFaces(PicExecute, picPicture, kExecuteHover, kExecutePressed);
  skin::BindFaces(picExit, picPicture, kExitHover, kExitPressed);
  skin::BindFaces(picClose, picPicture, kCloseHover, kClosePressed);
  skin::BindFaces(picHelp, picPicture, kHelpHover, kHelpPressed);
  skin::BindFaces(picAbout, picPicture, kAboutHover, kAboutPressed);
  picMain.on_mouse_move = [this](int, int, double, double) { picMain_MouseMove(); };
  timClean.on_timer = [this] { run_.timClean_Timer(); };
  timScanDisk.on_timer = [this] { run_.timScanDisk_Timer(); };
  timDefrag.on_timer = [this] { run_.timDefrag_Timer(); };
}

void FrmMain::EnableTimer(run::Timer timer, bool enabled) {
  switch (timer) {
    case run::Timer::kClean:
      return timClean.SetEnabled(enabled);
    case run::Timer::kScanDisk:
      return timScanDisk.SetEnabled(enabled);
    case run::Timer::kDefrag:
      return timDefrag.SetEnabled(enabled);
  }
}

void FrmMain::Form_Load() {
  LoadSteps step;
  step([&] { skin::LoadSkinPicture(skin::kResourceMain, picPicture); });
  step([&] { PaintSkin(form_); });
  step([&] { settings_path_ = common::SettingsFilePath(); });
  step([&] { FillDriveList(); });
  step([&] {
    const std::string set = common::ReadIni(settings_path_, common::kSection, common::kKeySet);
    if (set.substr(0, 3) != "Yes") step.End();
  });
  // A run is armed: restore the choices, lock them and let the run timer start it.
  RestoreChoices(step);
  LockForRun(step);
  if (run_mode_) run_.Resume();
}

void FrmMain::RestoreChoices(LoadSteps& step) {
  using namespace common;
  const auto read = [this](const char* key) { return ReadIni(settings_path_, kSection, key); };
  step([&] { SelectByStepping(lstDrive, read(kKeyDrive).substr(0, 3)); });
  step([&] { chkScanDisk.SetValue(plat::ToInteger(read(kKeyScandisk))); });
  step([&] { chkDefrag.SetValue(plat::ToInteger(read(kKeyDefrag))); });
  step([&] { optShutdown.SetValue(plat::ToBool16(plat::ToBoolean(read(kKeyShutdown)))); });
  step([&] { optRestart.SetValue(plat::ToBool16(plat::ToBoolean(read(kKeyRestart)))); });
}

void FrmMain::LockForRun(LoadSteps& step) {
  step([&] { picExit.SetLeft(kExitLeftInRunMode); });
  step([&] { PicExecute.SetVisible(false); });
  step([&] {
    for (plat::Control* c : {&lstDrive, &chkScanDisk, &chkDefrag, &optRestart, &optShutdown}) {
      c->SetEnabled(false);
    }
  });
  step([&] {
    lblDefrag.SetForeColor(kDimmedYellow);
    lblScandisk.SetForeColor(kDimmedYellow);
  });
  step([&] {
    timClean.SetEnabled(true);
    run_mode_ = true;
  });
}

void FrmMain::FillDriveList() {
  bool filled = common::OnErrorReportAndReturn(common::codes::kDriveList, [&] {
    for (char letter = 'C'; letter != 'Z'; ++letter) {
      const std::string root = std::string(1, letter) + ":\\";
      if (plat::Sys().GetDriveType(root.c_str()) == plat::kDriveFixed) lstDrive.AddItem(root);
    }
  });
  if (!filled) common::Attempt([&] { lstDrive.AddItem("C:\\"); });
}

void FrmMain::ToggleBox(plat::Control& box) {
  common::OnErrorResumeNext resume;
  // In run mode the choices are locked: the label follows its box.
  resume([&] {
    if (box.Enabled()) box.SetValue(box.Value() == 1 ? 0 : 1);
  });
}

void FrmMain::picHelp_Click() {
  // A help engine that cannot be reached must not take the window with it.
  common::Attempt([] { windows::ShowHelp(plat::AppPath() + "\\Help.chm"); });
}

void FrmMain::picAbout_Click() {
  common::OnErrorResumeNext resume;
  resume([] { AboutWindow().form().Show(); });
}

}  // namespace app
