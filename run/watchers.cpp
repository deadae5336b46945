// Following the tools through their windows: ScanDisk until it has gone, then
// Defrag until its final prompt, which is answered.
#include <string>

#include "common/failure.h"
#include "common/log.h"
#include "common/settings.h"
#include "platform/platform.h"
#include "run/run.h"

namespace run {

bool MaintenanceRun::ScanDiskEnded() {
  common::OnErrorResumeNext resume;
  resume([&] {
    plat::Sys().EnumWindows(
        [this](plat::WindowId w) { return search_.EnumScanDiskWindow(w, 0) != 0; });
  });
  if (search_.ScanDiskFound != plat::kFalse) {
    scandisk_seen_ = true;
    return false;
  }
  // A ScanDisk whose window has not appeared yet has not finished.
  bool ended = false;
  resume([&] { ended = scandisk_seen_ || plat::Sys().ProgramHasEnded(scandisk_process_); });
  return ended;
}

void MaintenanceRun::StartDefragAfterScanDisk() {
  common::OnErrorResumeNext resume;
  resume([&] { plat::Sys().Sleep(10000); });
  resume([&] {
    // By its bare name on purpose, unlike the launcher: Windows' program search
    // finds Defrag, started activated and without /n so that the user sees it work.
    const std::string command = std::string("Defrag.exe ") + StoredDriveLetter() + ":";
    plat::Sys().StartProgram(command, plat::kShowNormalFocus);
    common::Log(std::string(common::kLogStarted) + command);
    defrag_started_ = Ticks();
  });
  resume([&] { window_.EnableTimer(Timer::kDefrag, true); });
  resume([&] { window_.EnableTimer(Timer::kScanDisk, false); });
}

void MaintenanceRun::AnswerScanDiskDialog() {
  common::OnErrorResumeNext resume;
  std::string title;
  resume([&] {
    std::string text = "ScanDisk";
    const plat::Bool16 case_sensitive = plat::kTrue;
    title = GetWindowTitle(FindWindowByTitle(window_.Handle(), text, case_sensitive));
  });
  if (completed_ || !window_.Loaded() || title.empty()) return;
  resume([&] { search_.ToolDialog = FindToolWindow("#32770", title.c_str()); });
  if (search_.ToolDialog == 0) return;
  resume([&] { search_.FindButton(search_.ToolDialog, "&No"); });
  resume([&] { search_.PressButton(); });
}

void MaintenanceRun::timScanDisk_Timer() {
  if (!ScanDiskEnded()) return;
  if (!scandisk_end_logged_) {
    scandisk_end_logged_ = true;
    common::Log("ScanDisk finished after " + common::Elapsed(Ticks() - scandisk_started_));
  }
  common::OnErrorResumeNext resume;
  bool defrag = false;
  resume([&] { defrag = window_.DefragValue() == 1; });
  if (defrag) {
    StartDefragAfterScanDisk();
  } else {
    resume([&] { FinishRun(); });
    if (completed_) return;
    resume([&] { window_.EnableTimer(Timer::kScanDisk, false); });
  }
  // A ScanDisk dialog that came up meanwhile is answered No.
  AnswerScanDiskDialog();
}

void MaintenanceRun::timDefrag_Timer() {
  common::OnErrorResumeNext resume;
  resume([&] { search_.ToolDialog = FindToolWindow("#32770", "Disk Defragmenter"); });
  if (search_.ToolDialog == 0) return;
  resume([&] { search_.FindButton(search_.ToolDialog, "&Yes"); });
  if (common::Attempt([&] { search_.PressButton(); })) {
    common::Log("Defrag's final prompt answered after " +
                common::Elapsed(Ticks() - defrag_started_));
  }
  resume([&] { FinishRun(); });
}

}  // namespace run
