// The Win32 System against the real API under Wine, for what the contract
// tables (tests/contract) and the profile cases do not cover: program facts,
// file errors, resources, starting programs. Run by system.sh as
//   win32_system_check.exe SCRATCH_FOLDER SPLASH_JPG
// Prints one line per failed expectation (expected beside actual) and exits 1
// when any failed. Every file it makes is removed before and after.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win_headers.h"

namespace {

int g_failures = 0;

#define EXPECT_EQ(expected, actual)                                                               \
  do {                                                                                            \
    auto e_ = (expected);                                                                         \
    auto a_ = (actual);                                                                           \
    if (!(e_ == a_)) {                                                                            \
      ++g_failures;                                                                               \
      std::printf("FAIL line %d: %s: expected %s, got %s\n", __LINE__, #actual, Show(e_).c_str(), \
                  Show(a_).c_str());                                                              \
    }                                                                                             \
  } while (0)

template <typename T>
std::string Show(T v) {
  if constexpr (std::is_same_v<T, bool>) {
    return v ? "true" : "false";
  } else if constexpr (std::is_arithmetic_v<T>) {
    return std::to_string(v);
  } else {
    return "\"" + std::string(v) + "\"";
  }
}

// The runtime error number a call throws, 0 when it throws none.
template <typename F>
int ErrorOf(F f) {
  try {
    f();
  } catch (const plat::RuntimeError& e) {
    return e.number();
  }
  return 0;
}

std::vector<std::uint8_t> Bytes(const char* s) {
  return {s, s + std::strlen(s)};
}
std::string Text(const std::vector<std::uint8_t>& b) {
  return {b.begin(), b.end()};
}

void Files(plat::System& sys, const std::string& dir) {
  std::string file = dir + "\\temp.jpg";
  DeleteFileA(file.c_str());
  EXPECT_EQ(53, ErrorOf([&] { sys.ReadFileBytes(file); }));
  EXPECT_EQ(53, ErrorOf([&] { sys.DeleteFile(file); }));
  EXPECT_EQ(76, ErrorOf([&] { sys.WriteFileBytes(dir + "\\none\\x.bin", Bytes("x")); }));
  sys.WriteFileBytes(file, Bytes("abcdef"));
  sys.WriteFileBytes(file, Bytes("XY"));  // never truncates
  EXPECT_EQ("XYcdef", Text(sys.ReadFileBytes(file)));
  EXPECT_EQ(0, ErrorOf([&] { sys.DeleteFile(file); }));
  EXPECT_EQ(53, ErrorOf([&] { sys.DeleteFile(file); }));
  EXPECT_EQ(75, ErrorOf([&] { sys.DeleteFile(dir); }));  // a folder is no file
}

void Resources(plat::System& sys, const char* splash_path) {
  std::ifstream in(splash_path, std::ios::binary);
  std::vector<std::uint8_t> want((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
  EXPECT_EQ(true, !want.empty());
  EXPECT_EQ(true, sys.ReadResource("JPG", 104) == want);
  EXPECT_EQ(326, ErrorOf([&] { sys.ReadResource("JPG", 103); }));
}

void Programs(plat::System& sys, const std::string& self) {
  EXPECT_EQ(5, ErrorOf([&] { sys.StartProgram("", plat::kShowNormalFocus); }));
  EXPECT_EQ(53, ErrorOf([&] { sys.StartProgram("C:\\no\\such.exe", plat::kShowNormalFocus); }));
  EXPECT_EQ(true, sys.ProgramHasEnded(12345));
  plat::ProcessId id = sys.StartProgram("\"" + self + "\" --exit", plat::kShowNormalNoFocus);
  EXPECT_EQ(true, id != 0);
  bool ended = false;
  for (int i = 0; i < 200 && !ended; ++i) {
    ended = sys.ProgramHasEnded(id);
    if (!ended) Sleep(50);
  }
  EXPECT_EQ(true, ended);
}

// A failure inside the visitor comes out of the call, not through user32's frames.
void Enumeration(plat::System& sys) {
  EXPECT_EQ(91, ErrorOf([&] { sys.EnumWindows([](plat::WindowId) -> bool { plat::Raise(91); }); }));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--exit") == 0) return 0;
  if (argc != 3) {
    std::printf("usage: win32_system_check SCRATCH_FOLDER SPLASH_JPG\n");
    return 2;
  }
  plat::win32::Win32System sys;
  std::string dir = argv[1];
  std::string exe = sys.ExecutablePath();
  EXPECT_EQ(".exe", exe.substr(exe.size() - 4));
  std::string windir = sys.WindowsDirectory();
  EXPECT_EQ(false, windir.empty() || windir.back() == '\\');
  EXPECT_EQ(static_cast<long long>(plat::kDriveFixed), sys.GetDriveType("C:\\"));
  char short_path[MAX_PATH];
  EXPECT_EQ(true, sys.GetShortPathName(exe.c_str(), short_path, MAX_PATH) > 0);
  EXPECT_EQ(0LL, sys.GetShortPathName("C:\\no\\such.exe", short_path, MAX_PATH));
  Files(sys, dir);
  Resources(sys, argv[2]);
  Programs(sys, exe);
  Enumeration(sys);
  std::printf("%s: %d failure(s)\n", g_failures ? "FAILED" : "OK", g_failures);
  return g_failures ? 1 : 0;
}
