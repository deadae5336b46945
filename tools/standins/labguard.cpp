// labguard [CAPTION [CLASS]]: what a run's guard looks like from another program of
// the session. Prints "screensaver active=0|1"; with CAPTION, also asks the top-level
// window of that whole caption (and class) whether the system may go to standby, as
// Windows does before a suspend (WM_POWERBROADCAST, PBT_APMQUERYSUSPEND), and prints
// "suspend denied", "suspend allowed" or "suspend no answer" with what came back.
// Exit status: 0 done, 1 no such window, 2 the screen saver state cannot be read.
#include <windows.h>

#include <cstdio>

namespace {

// What a window returns to refuse the query (BROADCAST_QUERY_DENY, "QDMB" in ASCII).
const DWORD_PTR kQueryDeny = 0x424D5144;

}  // namespace

int main(int argc, char** argv) {
  BOOL active = FALSE;
  if (!SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0)) {
    std::printf("screensaver active=failed error=%lu\n", GetLastError());
    return 2;
  }
  std::printf("screensaver active=%d\n", active ? 1 : 0);
  if (argc < 2) return 0;
  HWND window = FindWindowA(argc > 2 ? argv[2] : nullptr, argv[1]);
  if (window == nullptr) {
    std::printf("no window \"%s\"\n", argv[1]);
    return 1;
  }
  DWORD_PTR result = 0;
  // A window busy in one of the run's pauses answers nothing; that is no consent.
  if (!SendMessageTimeoutA(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0, SMTO_ABORTIFHUNG,
                           5000, &result)) {
    std::printf("suspend no answer error=%lu\n", GetLastError());
  } else {
    std::printf("suspend %s result=0x%lx\n", result == kQueryDeny ? "denied" : "allowed",
                static_cast<unsigned long>(result));
  }
  return 0;
}
