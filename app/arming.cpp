// Execute: check the choices, store them, make this program the shell, restart.
#include <string>

#include "app/main_window.h"
#include "common/error_codes.h"
#include "common/failure.h"
#include "common/settings.h"
#include "common/shell_entry.h"
#include "common/short_path.h"
#include "platform/platform.h"
#include "run/record.h"

namespace app {

void FrmMain::PicExecute_Click() {
  common::OnErrorReportAndEnd(common::codes::kArming, [&] {
    if (!ChoicesComplete()) return;
    if (plat::MsgBox("You have choosen to start Brivane.  Click Yes to restart your computer or No "
                     "to Cancel",
                     plat::kMbYesNo, "Restart Computer?") != plat::kIdYes) {
      return;
    }
    StoreChoices();
    MakeThisTheShell();
    common::Attempt([&] {
      run::LogArmed(run::DescribeRun(lstDrive.Text(), chkScanDisk.Value() == 1,
                                     chkDefrag.Value() == 1, optShutdown.Value() == plat::kTrue));
    });
    plat::Sys().ExitWindowsEx(plat::kEwxReboot, 0);
  });
}

bool FrmMain::ChoicesComplete() {
  // Only the first problem is shown.
  const char* problem = nullptr;
  if (lstDrive.Text().empty()) {
    problem = "Please select a drive";
  } else if (chkDefrag.Value() == 0 && chkScanDisk.Value() == 0) {
    problem = "Please select a program";
  } else if (optShutdown.Value() == plat::kFalse && optRestart.Value() == plat::kFalse) {
    problem = "Please select what you wish to have down when Brivane has finished";
  }
  if (problem != nullptr) plat::MsgBox(problem);
  return problem == nullptr;
}

void FrmMain::StoreChoices() {
  using namespace common;
  const std::string& settings = settings_path_;
  KeepCurrentShell(settings);
  WriteIni(settings, kSection, kKeyDrive, lstDrive.Text());
  WriteIni(settings, kSection, kKeyScandisk, std::to_string(chkScanDisk.Value()));
  WriteIni(settings, kSection, kKeyDefrag, std::to_string(chkDefrag.Value()));
  WriteIni(settings, kSection, kKeyShutdown, plat::BooleanText(optShutdown.Value()));
  WriteIni(settings, kSection, kKeyRestart, plat::BooleanText(optRestart.Value()));
  WriteIni(settings, kSection, kKeySet, "Yes");
}

void FrmMain::MakeThisTheShell() {
  using namespace common;
  const std::string system_ini = SystemIniPath();
  // After a failed conversion the shell entry is left as it is: no empty or cut path.
  const std::string shell = GetShortName(ExecutablePath());
  if (!shell.empty()) WriteIni(system_ini, kBootSection, kKeyShell, shell);
  // Windows 9x caches profile writes; they must be on disk before the restart.
  FlushProfile(settings_path_);
  FlushProfile(system_ini);
}

}  // namespace app
