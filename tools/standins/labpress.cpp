// labpress CAPTION BUTTON [WAIT_MS]: presses BUTTON in the dialog (class "#32770")
// whose whole caption is CAPTION the way Brivane does: WM_LBUTTONDOWN, WM_LBUTTONUP,
// twice, wParam 0 and lParam 0, sent synchronously. BUTTON is a caption ("&Yes"), or
// #N for the button of control ID N (#6 is IDYES) whatever its caption. Waits up to
// WAIT_MS (default 0) for the dialog. Exit status: 0 pressed, 1 no dialog, 2 no such
// button, 3 usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* wanted = "";
HWND button = nullptr;

// A child's identity: its caption, or its class name when it has none; or its
// control ID for #N. The last match in enumeration order wins.
BOOL CALLBACK MatchChild(HWND child, LPARAM) {
  if (wanted[0] == '#' && wanted[1] != '\0') {
    if (GetDlgCtrlID(child) == std::atoi(wanted + 1)) button = child;
    return TRUE;
  }
  char text[256] = "";
  if (GetWindowTextA(child, text, sizeof text) <= 0) GetClassNameA(child, text, sizeof text);
  if (std::strcmp(text, wanted) == 0) button = child;
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: labpress CAPTION BUTTON [WAIT_MS]\n");
    return 3;
  }
  wanted = argv[2];
  DWORD wait_ms = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 0;
  DWORD started = GetTickCount();
  HWND dialog = FindWindowA("#32770", argv[1]);
  while (dialog == nullptr && GetTickCount() - started < wait_ms) {
    Sleep(100);
    dialog = FindWindowA("#32770", argv[1]);
  }
  if (dialog == nullptr) {
    std::printf("no dialog \"%s\"\n", argv[1]);
    return 1;
  }
  EnumChildWindows(dialog, MatchChild, 0);
  if (button == nullptr) {
    std::printf("no button \"%s\" in \"%s\"\n", wanted, argv[1]);
    return 2;
  }
  for (int click = 0; click < 2; ++click) {
    SendMessageA(button, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(button, WM_LBUTTONUP, 0, 0);
  }
  std::printf("pressed \"%s\" in \"%s\"\n", wanted, argv[1]);
  return 0;
}
