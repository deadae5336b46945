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
    defrag_process_ = plat::Sys().StartProgram(command, plat::kShowNormalFocus);
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
  if (completed_ || !window_.Loaded()) return;
  const plat::WindowId dialog = title.empty() ? 0 : FindToolWindow("#32770", title.c_str());
  const plat::WindowId button = dialog == 0 ? 0 : FindButton(dialog, "&No");
  if (button != 0) {
    PressButton(button);
    return;
  }
  // Another language: a question of ScanDisk's own process, answered by its ID.
  const plat::WindowId question = FindQuestionOf(scandisk_process_);
  if (question != 0 && PressButton(FindButtonById(question, plat::kIdNoButton))) {
    LogScanDiskQuestionAnswered(WindowCaption(question));
  }
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
  plat::WindowId dialog = FindToolWindow("#32770", "Disk Defragmenter");
  plat::WindowId button = dialog == 0 ? 0 : FindButton(dialog, "&Yes");
  const bool english = button != 0;
  if (!english) {
    // Another language, or a prompt whose Yes reads otherwise: a question of
    // Defrag's own process, answered by the Yes button's ID.
    if (const plat::WindowId question = FindQuestionOf(defrag_process_); question != 0) {
      dialog = question;
      button = FindButtonById(question, plat::kIdYesButton);
    } else if (dialog != 0) {
      button = FindButtonById(dialog, plat::kIdYesButton);
    }
  }
  if (dialog == 0) {
    // A Defrag that has gone without asking (closed, or an edition without the
    // prompt) has finished all the same, once; one that never started, or whose
    // prompt was answered before a completion that failed, is left to Exit.
    if (defrag_prompt_seen_ || defrag_end_seen_) return;
    bool ended = false;
    resume([&] { ended = defrag_process_ != 0 && plat::Sys().ProgramHasEnded(defrag_process_); });
    if (!ended) return;
    defrag_end_seen_ = true;
    LogDefragEndedWithoutPrompt(defrag_started_);
  } else {
    defrag_prompt_seen_ = true;
    const std::string caption = WindowCaption(dialog);
    if (!PressButton(button)) {
      LogPromptNotAnswered(caption, button != 0);
    } else if (english) {
      LogPromptAnswered(defrag_started_);
    } else {
      LogPromptAnsweredById(defrag_started_, caption);
    }
  }
  resume([&] { FinishRun(); });
}

}  // namespace run
