// Stand-in for the Windows 98 ScanDisk (scandskw.exe) in the Wine lab. Shows a window
// captioned "ScanDisk - <drive>" for BRIVANE_LAB_SCANDISK_MS (default 8000), after an
// optional BRIVANE_LAB_SCANDISK_DELAY_MS, then goes away by itself; WM_CLOSE ends it
// early. With BRIVANE_LAB_SCANDISK_PROMPT_MS set, a Yes/No box captioned like the
// window follows that long after the window has gone, as ScanDisk's own questions do.
#include <windows.h>

#include <cstdio>

#include "lablog.h"
#include "workwindow.h"

namespace {

const char kProgram[] = "scandskw";

void AskAfterRun(const char* caption) {
  if (std::getenv("BRIVANE_LAB_SCANDISK_PROMPT_MS") == nullptr) return;
  Sleep(lab::EnvMs("BRIVANE_LAB_SCANDISK_PROMPT_MS", 0));
  lab::Log(kProgram, "prompt shown caption=%s", caption);
  int answer = MessageBoxA(nullptr, "Do you want to see the log of this check?", caption,
                           MB_YESNO | MB_ICONQUESTION);
  lab::Log(kProgram, "answer %s", answer == IDYES ? "Yes" : answer == IDNO ? "No" : "none");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  lab::LogStart(kProgram);
  lab::LogScreenSaver(kProgram);
  Sleep(lab::EnvMs("BRIVANE_LAB_SCANDISK_DELAY_MS", 0));
  const char* drive = lab::DriveArgument();
  char caption[64];
  std::snprintf(caption, sizeof caption, *drive ? "ScanDisk - %s" : "ScanDisk", drive);
  char activity[64];
  std::snprintf(activity, sizeof activity, "Checking files and folders on %s",
                *drive ? drive : "C:");
  lab::WorkWindow work = {kProgram, caption, activity, lab::EnvMs("BRIVANE_LAB_SCANDISK_MS", 8000),
                          nullptr,  0,       nullptr,  false};
  if (!lab::RunWorkWindow(instance, work, show)) return 1;
  if (work.finished) AskAfterRun(caption);
  lab::Log(kProgram, "exit");
  return 0;
}
