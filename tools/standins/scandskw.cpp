// Stand-in for the Windows 98 ScanDisk (scandskw.exe) in the Wine lab. Shows a window
// captioned "ScanDisk - <drive>" for BRIVANE_LAB_SCANDISK_MS (default 8000), after an
// optional BRIVANE_LAB_SCANDISK_DELAY_MS, then goes away by itself; WM_CLOSE ends it
// early. With BRIVANE_LAB_SCANDISK_PROMPT_MS set, a Yes/No box captioned like the
// window follows that long after the window has gone, as ScanDisk's own questions do.
// BRIVANE_LAB_LANGUAGE=de|fr plays that edition (edition.h): the captions keep the
// product name, the texts and the box's buttons are the edition's.
#include <windows.h>

#include <cstdio>

#include "edition.h"
#include "lablog.h"
#include "prompt.h"
#include "workwindow.h"

namespace {

const char kProgram[] = "scandskw";

void AskAfterRun(const char* caption) {
  if (std::getenv("BRIVANE_LAB_SCANDISK_PROMPT_MS") == nullptr) return;
  Sleep(lab::EnvMs("BRIVANE_LAB_SCANDISK_PROMPT_MS", 0));
  lab::AskYesNo(kProgram, nullptr, lab::CurrentEdition().scandisk_question, caption);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  lab::LogStart(kProgram);
  lab::LogScreenSaver(kProgram);
  Sleep(lab::EnvMs("BRIVANE_LAB_SCANDISK_DELAY_MS", 0));
  const lab::Edition& edition = lab::CurrentEdition();
  const char* drive = lab::DriveArgument();
  char caption[64];
  std::snprintf(caption, sizeof caption, *drive ? "ScanDisk - %s" : "ScanDisk", drive);
  char activity[96];
  std::snprintf(activity, sizeof activity, edition.scandisk_activity, *drive ? drive : "C:");
  lab::WorkWindow work = {kProgram,
                          caption,
                          activity,
                          edition.progress,
                          lab::EnvMs("BRIVANE_LAB_SCANDISK_MS", 8000),
                          nullptr,
                          0,
                          nullptr,
                          false};
  if (!lab::RunWorkWindow(instance, work, show)) return 1;
  if (work.finished) AskAfterRun(caption);
  lab::Log(kProgram, "exit");
  return 0;
}
