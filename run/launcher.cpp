// The first step of a run: wait, preset the tools, start the first tool.
#include <string>

#include "common/error_codes.h"
#include "common/error_report.h"
#include "common/failure.h"
#include "common/settings.h"
#include "common/support.h"
#include "platform/platform.h"
#include "run/pause.h"
#include "run/record.h"
#include "run/run.h"

namespace run {

void MaintenanceRun::timClean_Timer() {
  common::OnErrorResumeNext resume;
  resume([&] { StartRun(); });
  if (completed_) return;
  resume([&] { window_.EnableTimer(Timer::kClean, false); });
}

char MaintenanceRun::StoredDriveLetter() {
  std::string drive = common::ReadIni(window_.SettingsPath(), common::kSection, common::kKeyDrive);
  char letter = drive.empty() ? '\0' : drive[0];
  // Anything but a drive letter would end up on a tool's command line.
  if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) {
    plat::Raise(plat::kErrInvalidCall);
  }
  return letter;
}

void MaintenanceRun::StartTool(const char* program) {
  // The tools live in the Windows folder, wherever that is.
  const std::string path = plat::InFolder(plat::Sys().WindowsDirectory(), program);
  const std::string command = path + " " + StoredDriveLetter() + ": /n";
  plat::ProcessId id = plat::Sys().StartProgram(command, plat::kShowNormalNoFocus);
  LogStarted(command);
  if (std::string(program) == "scandskw.exe") {
    scandisk_process_ = id;
    scandisk_seen_ = false;
    scandisk_started_ = plat::Sys().GetTickCount();
  } else {
    defrag_process_ = id;
    defrag_started_ = plat::Sys().GetTickCount();
  }
}

void MaintenanceRun::Resume() {
  common::OnErrorResumeNext resume;
  if (LastRunInterrupted()) LogInterruptedBefore();
  std::string run;
  resume([&] {
    run = DescribeRun(window_.DriveText(), window_.ScanDiskValue() == 1, window_.DefragValue() == 1,
                      window_.ShutdownValue() == plat::kTrue);
  });
  LogResumed(run);
  guard_.On();
}

void MaintenanceRun::StartRun() {
  bool started = common::OnErrorReportAndReturn(common::codes::kStartRun, [&] {
    Pause(10000);
    SetCheckDriveOptions();
    SetDefragOptions();
    if (window_.ScanDiskValue() == 1) {
      StartTool("scandskw.exe");
      window_.EnableTimer(Timer::kScanDisk, true);
    } else if (window_.DefragValue() == 1) {
      StartTool("Defrag.exe");
      window_.EnableTimer(Timer::kDefrag, true);
    }
  });
  if (started) return;
  common::Attempt([] {
    const std::string text = std::string("Your computer will now reboot.  Please contact ") +
                             common::kSupportEmail + " with the error number and description.";
    common::LogBox(text);
    plat::MsgBox(text, plat::kMbOkCancel | plat::kMbInformation, "Reboot");
  });
  if (completed_) return;
  FinishRun();
}

}  // namespace run
