// Stand-in for the Windows 98 Disk Defragmenter (Defrag.exe) in the Wine lab. Shows
// "Defragmenting Drive <letter>" for BRIVANE_LAB_DEFRAG_MS (default 8000), then the
// standard Yes/No message box captioned "Disk Defragmenter" asking whether to quit,
// logs the answer and exits. WM_CLOSE on the work window ends it early.
// BRIVANE_LAB_LANGUAGE=de|fr plays that edition (edition.h); with
// BRIVANE_LAB_DEFRAG_NO_PROMPT=1 it ends without the final prompt, as Defrag does
// when it is set not to ask.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "edition.h"
#include "lablog.h"
#include "prompt.h"
#include "workwindow.h"

namespace {

const char kProgram[] = "Defrag";
char drive_letter = 'C';

void AskToQuit(HWND window) {
  const char* no_prompt = std::getenv("BRIVANE_LAB_DEFRAG_NO_PROMPT");
  if (no_prompt != nullptr && std::strcmp(no_prompt, "1") == 0) {
    lab::Log(kProgram, "no prompt");
    return;
  }
  const lab::Edition& edition = lab::CurrentEdition();
  char text[256];
  std::snprintf(text, sizeof text, edition.defrag_question, drive_letter);
  lab::AskYesNo(kProgram, window, text, edition.defrag_prompt);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  lab::LogStart(kProgram);
  lab::LogScreenSaver(kProgram);
  const char* drive = lab::DriveArgument();
  if (*drive) drive_letter = drive[0];
  const lab::Edition& edition = lab::CurrentEdition();
  char caption[64];
  std::snprintf(caption, sizeof caption, edition.defrag_window, drive_letter);
  lab::WorkWindow work = {kProgram,
                          caption,
                          edition.defrag_activity,
                          edition.progress,
                          lab::EnvMs("BRIVANE_LAB_DEFRAG_MS", 8000),
                          AskToQuit,
                          0,
                          nullptr,
                          false};
  if (!lab::RunWorkWindow(instance, work, show)) return 1;
  lab::Log(kProgram, "exit");
  return 0;
}
