// Every way out of a run ends here: run disarmed, shell back, settings gone,
// shutdown or restart.
#include <string>

#include "common/error_codes.h"
#include "common/failure.h"
#include "common/settings.h"
#include "common/shell_entry.h"
#include "common/termination.h"
#include "platform/platform.h"
#include "run/pause.h"
#include "run/record.h"
#include "run/run.h"

namespace run {

// Windows (or a program that would not end) refused to end the session: with no
// shell running the screen would stay empty. The settings file is gone already,
// so the next start is an ordinary one.
void MaintenanceRun::StartShellAfterRefusal(const std::string& shell) {
  std::uint32_t error = 0;
  common::Attempt([&] { error = plat::Sys().GetLastError(); });
  LogShutdownRefused(error, shell);
  guard_.Off();
  plat::RuntimeError failure(0);
  if (!common::Attempt([&] { plat::Sys().StartProgram(shell, plat::kShowNormalFocus); },
                       &failure)) {
    LogShellNotStarted(failure.number());
  }
}

void MaintenanceRun::FinishRun() {
  if (completed_) return;
  common::OnErrorReportAndReturn(common::codes::kFinishRun, [&] {
    using namespace common;
    const std::string settings = window_.SettingsPath();
    const std::string system_ini = SystemIniPath();
    // Read before the file that keeps it goes.
    const std::string shell = KeptShell(settings);
    const bool shutdown = window_.ShutdownValue() == plat::kTrue;
    // Disarmed first, but the file that keeps the shell goes only once the shell
    // is back: power lost in between boots Brivane once with no run, and start-up
    // puts the kept shell back instead of falling back to Explorer.
    plat::Sys().WritePrivateProfileString(kSection, kKeySet, nullptr, settings.c_str());
    FlushProfile(settings);
    WriteIni(system_ini, kBootSection, kKeyShell, shell);
    FlushProfile(system_ini);
    // A shell write that did not take leaves the kept shell for start-up's repair.
    const bool shell_back = !NamesThisProgram(ReadProfileFull(system_ini, kBootSection, kKeyShell));
    plat::RuntimeError error(0);
    if (shell_back && !Attempt([&] { plat::Sys().DeleteFile(settings); }, &error) &&
        error.number() != plat::kErrFileNotFound) {
      throw error;
    }
    Pause(5000);
    run::LogCompleted(shutdown);
    if (!plat::Sys().ExitWindowsEx(shutdown ? plat::kEwxShutdown : plat::kEwxReboot, 0)) {
      StartShellAfterRefusal(shell);
    }
    EndApplication();
    completed_ = true;
  });
}

}  // namespace run
