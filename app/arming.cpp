// Execute: check the choices, store them, make this program the shell, restart.
#include <string>

#include "app/dos.h"
#include "app/main_window.h"
#include "app/shell_entry.h"
#include "common/failure.h"
#include "common/settings.h"
#include "platform/platform.h"

namespace app {

void FrmMain::PicExecute_Click() {
  common::OnErrorReportAndEnd("FM831", [&] {
    if (form_["lstDrive"].Text().empty()) {
      plat::MsgBox("Please select a drive");
      return;
    }
    if (form_["chkDefrag"].Value() == 0 && form_["chkScanDisk"].Value() == 0) {
      plat::MsgBox("Please select a program");
      return;
    }
    if (form_["optShutdown"].Value() == plat::kFalse &&
        form_["optRestart"].Value() == plat::kFalse) {
      plat::MsgBox("Please select what you wish to have down when Brivane has finished");
      return;
    }
    if (plat::MsgBox("You have choosen to start Brivane.  Click Yes to restart your computer or No "
                     "to Cancel",
                     plat::kMbYesNo, "Restart Computer?") != plat::kIdYes) {
      return;
    }
    using namespace common;
    const std::string& settings = SettingsPath();
    KeepCurrentShell(settings);
    WriteIni(settings, kSection, kKeyDrive, form_["lstDrive"].Text());
    WriteIni(settings, kSection, kKeyScandisk, std::to_string(form_["chkScanDisk"].Value()));
    WriteIni(settings, kSection, kKeyDefrag, std::to_string(form_["chkDefrag"].Value()));
    WriteIni(settings, kSection, kKeyShutdown, plat::BooleanText(form_["optShutdown"].Value()));
    WriteIni(settings, kSection, kKeyRestart, plat::BooleanText(form_["optRestart"].Value()));
    WriteIni(settings, kSection, kKeySet, "Yes");

    const std::string system_ini = SystemIniPath();
    // After a failed conversion the shell entry is left as it is: no empty or cut path.
    const std::string shell = GetShortName(ExecutablePath());
    if (!shell.empty()) WriteIni(system_ini, "Boot", "Shell", shell);

    // Windows 9x caches profile writes; they must be on disk before the restart.
    FlushProfile(settings);
    FlushProfile(system_ini);
    plat::Sys().ExitWindowsEx(plat::kEwxReboot, 0);
  });
}

}  // namespace app
