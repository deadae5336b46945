// labini get FILE SECTION KEY | labini set FILE SECTION KEY VALUE: reads or writes one
// entry of a profile file through the system's own profile functions, as Brivane
// does, so that the lab can check what they make of system.ini. FILE may be a bare
// name ("system.ini"), resolved in the Windows folder. Exit status 1 on a failed
// write or a missing key, 3 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "get") == 0) {
    char value[1024];
    DWORD n = GetPrivateProfileStringA(argv[3], argv[4], "\x01", value, sizeof value, argv[2]);
    if (n == 1 && value[0] == '\x01') return 1;
    std::printf("%s\n", value);
    return 0;
  }
  if (argc == 6 && std::strcmp(argv[1], "set") == 0) {
    return WritePrivateProfileStringA(argv[3], argv[4], argv[5], argv[2]) ? 0 : 1;
  }
  std::fprintf(stderr, "usage: labini get FILE SECTION KEY | labini set FILE SECTION KEY VALUE\n");
  return 3;
}
