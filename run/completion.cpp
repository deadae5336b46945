// Every way out of a run ends here: run disarmed, shell back, settings gone,
// shutdown or restart.
#include <string>

#include "app/main_window.h"
#include "app/shell_entry.h"
#include "common/failure.h"
#include "common/settings.h"
#include "common/termination.h"
#include "platform/platform.h"
#include "run/window_search.h"

namespace app {

void FrmMain::FinishRun() {
  if (completed_) return;
  common::OnErrorReportAndReturn("FM316", [&] {
    const std::string settings = SettingsPath();
    const std::string system_ini = common::SystemIniPath();
    // Read before the file that keeps it goes.
    const std::string shell = KeptShell(settings);
    const bool shutdown = form_["optShutdown"].Value() == plat::kTrue;
    // Disarmed first, but the file that keeps the shell goes only once the shell
    // is back: power lost in between boots Brivane once with no run, and start-up
    // puts the kept shell back instead of falling back to Explorer.
    plat::Sys().WritePrivateProfileString(common::kSection, common::kKeySet, nullptr,
                                          settings.c_str());
    common::FlushProfile(settings);
    common::WriteIni(system_ini, "Boot", "Shell", shell);
    common::FlushProfile(system_ini);
    // A shell write that did not take leaves the kept shell for start-up's repair.
    const bool shell_back = !NamesThisProgram(common::ReadProfileFull(system_ini, "Boot", "Shell"));
    plat::RuntimeError error(0);
    if (shell_back && !common::Attempt([&] { plat::Sys().DeleteFile(settings); }, &error) &&
        error.number() != plat::kErrFileNotFound) {
      throw error;
    }
    run::Pause(5000);
    plat::Sys().ExitWindowsEx(shutdown ? plat::kEwxShutdown : plat::kEwxReboot, 0);
    common::EndApplication();
    completed_ = true;
  });
}

}  // namespace app
