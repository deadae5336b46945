// labstart SHOW "COMMAND LINE" [--wait]: starts a program the way Brivane starts the
// disk tools, with CreateProcessA and the show state SHOW (STARTF_USESHOWWINDOW), and
// returns at once, or after the program has ended with --wait (its exit status).
// Exit status 9 when the program cannot be started, 3 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: labstart SHOW \"COMMAND LINE\" [--wait]\n");
    return 3;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(std::atoi(argv[1]));
  PROCESS_INFORMATION process = {};
  char command[1024];
  std::snprintf(command, sizeof command, "%s", argv[2]);
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("cannot start %s: error %lu\n", argv[2], GetLastError());
    return 9;
  }
  std::printf("started pid %lu: %s\n", process.dwProcessId, argv[2]);
  DWORD status = 0;
  if (argc > 3 && std::strcmp(argv[3], "--wait") == 0) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
