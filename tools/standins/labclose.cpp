// labclose TEXT: sends WM_CLOSE to the first top-level window whose caption contains
// TEXT, letter case ignored, the way Brivane's Exit closes a disk tool. Exit status:
// 0 sent, 1 no such window, 3 bad usage.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

char wanted[256];
HWND found = nullptr;

void LowerCase(char* text) {
  for (; *text; ++text) *text = static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
}

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM) {
  char caption[256] = "";
  GetWindowTextA(window, caption, sizeof caption);
  LowerCase(caption);
  if (std::strstr(caption, wanted) == nullptr) return TRUE;
  found = window;
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: labclose TEXT\n");
    return 3;
  }
  std::snprintf(wanted, sizeof wanted, "%s", argv[1]);
  LowerCase(wanted);
  EnumWindows(MatchTopLevel, 0);
  if (found == nullptr) {
    std::printf("no window with \"%s\"\n", argv[1]);
    return 1;
  }
  char caption[256] = "";
  GetWindowTextA(found, caption, sizeof caption);
  SendMessageA(found, WM_CLOSE, 0, 0);
  std::printf("closed \"%s\"\n", caption);
  return 0;
}
