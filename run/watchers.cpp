// Following the tools through their windows: ScanDisk until it has gone, then
// Defrag until its final prompt, which is answered.
#include <string>

#include "common/failure.h"
#include "common/settings.h"
#include "platform/platform.h"
#include "run/record.h"
#include "run/run.h"
#include "run/window_search.h"

namespace run {

bool MaintenanceRun::ScanDiskEnded() {
  if (ScanDiskWindowShown()) {
    scandisk_seen_ = true;
    return false;
  }
  // A ScanDisk whose window has not appeared yet has not finished.
  common::OnErrorResumeNext resume;
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
    LogStarted(command);
    defrag_started_ = plat::Sys().GetTickCount();
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
    title = WindowCaption(FindWindowByTitle(window_.Handle(), text, case_sensitive));
  });
  if (completed_ || !window_.Loaded() || title.empty()) return;
  const plat::WindowId dialog = FindToolWindow("#32770", title.c_str());
  if (dialog != 0) PressButton(FindButton(dialog, "&No"));
}

void MaintenanceRun::timScanDisk_Timer() {
  if (!ScanDiskEnded()) return;
  if (!scandisk_end_logged_) {
    scandisk_end_logged_ = true;
    LogScanDiskFinished(scandisk_started_);
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
  const plat::WindowId dialog = FindToolWindow("#32770", "Disk Defragmenter");
  if (dialog == 0) return;
  PressButton(FindButton(dialog, "&Yes"));
  LogPromptAnswered(defrag_started_);
  resume([&] { FinishRun(); });
}

}  // namespace run
