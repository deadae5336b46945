// Stand-in for the Windows 98 Disk Defragmenter (Defrag.exe) in the Wine lab. Shows
// "Defragmenting Drive <letter>" for BRIVANE_LAB_DEFRAG_MS (default 8000), then the
// standard Yes/No message box captioned "Disk Defragmenter" asking whether to quit,
// logs the answer and exits. WM_CLOSE on the work window ends it early.
#include <windows.h>

#include <cstdio>

#include "lablog.h"
#include "workwindow.h"

namespace {

const char kProgram[] = "Defrag";
char drive_letter = 'C';

void AskToQuit(HWND window) {
  char text[160];
  std::snprintf(text, sizeof text,
                "Defragmentation of drive %c is complete.\n\nDo you want to quit Disk "
                "Defragmenter?",
                drive_letter);
  lab::Log(kProgram, "prompt shown caption=Disk Defragmenter");
  int answer = MessageBoxA(window, text, "Disk Defragmenter", MB_YESNO | MB_ICONQUESTION);
  lab::Log(kProgram, "answer %s", answer == IDYES ? "Yes" : answer == IDNO ? "No" : "none");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  lab::LogStart(kProgram);
  lab::LogScreenSaver(kProgram);
  const char* drive = lab::DriveArgument();
  if (*drive) drive_letter = drive[0];
  char caption[64];
  std::snprintf(caption, sizeof caption, "Defragmenting Drive %c", drive_letter);
  lab::WorkWindow work = {kProgram,
                          caption,
                          "Defragmenting file system",
                          lab::EnvMs("BRIVANE_LAB_DEFRAG_MS", 8000),
                          AskToQuit,
                          0,
                          nullptr,
                          false};
  if (!lab::RunWorkWindow(instance, work, show)) return 1;
  lab::Log(kProgram, "exit");
  return 0;
}
