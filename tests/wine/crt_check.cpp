// The program's own C library (platform/win32/crt) under Wine, in an executable
// linked on it as brivane.exe is. Run by test_runtime.py as
//   crt_check.exe CASE
// Every line goes to crt_check.log beside the executable (a program started by
// another has no output of its own to write to).
//   start      what WinMain was given and the order the global constructors ran
//              in; as the process ends, atexit's functions and the destructors
//              print their names; exit status 7
//   library    the heap and the memory and string functions against what C says
//              they do: a line per mismatch, then "checked N, F failed"
//   errors     the program's own errors thrown through frames and caught, and
//              std::bad_alloc for a request no heap can meet
//   terminate  an exception leaves a noexcept function: abort's box, status 3
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/win32/win_headers.h"

namespace {

void Say(const std::string& line) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  lstrcpynA(path + n - 3, "log", 4);  // crt_check.exe -> crt_check.log
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  SetFilePointer(file, 0, nullptr, FILE_END);
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// ---------------------------------------------------------------- start

int g_order = 0;

struct Recorder {
  explicit Recorder(const char* name) : name(name), at(++g_order) {}
  ~Recorder() { Say(std::string("destroyed ") + name); }
  const char* name;
  int at;
};

Recorder g_first("first");
Recorder g_second("second");

const Recorder& LocalStatic() {
  static Recorder local("local static");
  return local;
}

template <int N>
void Numbered() {
  Say("exit function " + std::to_string(N));
}

template <int... N>
void RegisterNumbered(std::integer_sequence<int, N...>) {
  (std::atexit(Numbered<N>), ...);
}

void RegisteredWhileExiting() {
  Say("exit function registered while exiting");
}

int Start(const char* command_tail, int show) {
  Say(std::string("command tail [") + command_tail + "]");
  Say("show " + std::to_string(show));
  Say("constructed first " + std::to_string(g_first.at) + " second " + std::to_string(g_second.at));
  Say("constructed " + std::string(LocalStatic().name));
  // More than the first block of exit functions holds.
  RegisterNumbered(std::make_integer_sequence<int, 40>());
  std::atexit([] {
    Say("exit function that registers another");
    std::atexit(RegisteredWhileExiting);
  });
  return 7;
}

// ---------------------------------------------------------------- library

int g_checks = 0;
int g_failed = 0;

void Check(bool ok, const std::string& what) {
  ++g_checks;
  if (!ok) {
    ++g_failed;
    Say("FAIL " + what);
  }
}

bool AllBytes(const unsigned char* p, std::size_t n, unsigned char value) {
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] != value) return false;
  }
  return true;
}

// Sizes the compiler does not see, so that it neither warns nor folds. Half the
// address space is not enough: 32-bit Wine on a 64-bit kernel gives a process
// nearly 4 GB, and 2 GB of it were found in one piece there.
volatile std::size_t g_huge = static_cast<std::size_t>(-1) - 0xFFFF;
volatile std::size_t g_four = 4;

// A failed realloc leaves the block where it was, which this reads on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
void CheckHeap() {
  const std::size_t huge = g_huge;
  void* a = std::malloc(0);
  void* b = std::malloc(0);
  Check(a != nullptr && b != nullptr && a != b, "malloc(0) gives blocks of their own");
  std::free(a);
  std::free(b);
  std::free(nullptr);
  Check(std::malloc(huge) == nullptr, "malloc of all but 64 KB of the address space fails");
  Check(std::calloc(huge, g_four) == nullptr, "calloc whose product overflows fails");
  auto* zeroed = static_cast<unsigned char*>(std::calloc(1000, 3));
  Check(zeroed != nullptr && AllBytes(zeroed, 3000, 0), "calloc clears the block");
  std::memset(zeroed, 0x5A, 3000);
  auto* grown = static_cast<unsigned char*>(std::realloc(zeroed, 300000));
  Check(grown != nullptr && AllBytes(grown, 3000, 0x5A), "realloc keeps the bytes");
  Check(std::realloc(grown, huge) == nullptr, "realloc that cannot grow fails");
  Check(AllBytes(grown, 3000, 0x5A), "a failed realloc leaves the block alone");
  Check(std::realloc(grown, 0) == nullptr, "realloc to 0 frees");
  void* fresh = std::realloc(nullptr, 10);
  Check(fresh != nullptr, "realloc of null allocates");
  std::free(fresh);
  Check(reinterpret_cast<std::uintptr_t>(std::malloc(24)) % alignof(double) == 0,
        "blocks are aligned for a double");
}
#pragma GCC diagnostic pop

// A byte-by-byte copy through a separate buffer: what memmove must give.
std::vector<unsigned char> Moved(std::vector<unsigned char> bytes, std::size_t to, std::size_t from,
                                 std::size_t n) {
  const std::vector<unsigned char> source(bytes.begin() + from, bytes.begin() + from + n);
  for (std::size_t i = 0; i < n; ++i) bytes[to + i] = source[i];
  return bytes;
}

void CheckMemory() {
  std::vector<unsigned char> pattern(96);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<unsigned char>(i * 7);
  // Every alignment of both ends, overlapping either way, short and long.
  for (std::size_t to = 0; to < 9; ++to) {
    for (std::size_t from = 0; from < 9; ++from) {
      for (std::size_t n : {0, 1, 3, 8, 17, 40, 80}) {
        const std::string what = " to " + std::to_string(to) + " from " + std::to_string(from) +
                                 " n " + std::to_string(n);
        std::vector<unsigned char> bytes = pattern;
        std::memmove(bytes.data() + to, bytes.data() + from, n);
        Check(bytes == Moved(pattern, to, from, n), "memmove" + what);
        std::vector<unsigned char> copy(96, 0xEE);
        std::memcpy(copy.data() + to, pattern.data() + from, n);
        std::vector<unsigned char> want(96, 0xEE);
        for (std::size_t i = 0; i < n; ++i) want[to + i] = pattern[from + i];
        Check(copy == want, "memcpy" + what);
        std::vector<unsigned char> set = pattern;
        std::memset(set.data() + to, 0x1C3, n);  // only the low byte counts
        want = pattern;
        for (std::size_t i = 0; i < n; ++i) want[to + i] = 0xC3;
        Check(set == want, "memset" + what);
      }
    }
  }
  const unsigned char low[] = {1, 2, 3};
  const unsigned char high[] = {1, 2, 0xF0};
  Check(std::memcmp(low, high, 3) < 0 && std::memcmp(high, low, 3) > 0, "memcmp is unsigned");
  Check(std::memcmp(low, high, 2) == 0 && std::memcmp(low, high, 0) == 0, "memcmp of equals");
  const char text[] = "abc\0def";
  Check(std::memchr(text, 'e', sizeof text) == text + 5, "memchr past a NUL");
  Check(std::memchr(text, 'e', 5) == nullptr, "memchr stops at the length");
  Check(std::memchr(high, 0x1F0, 3) == high + 2, "memchr takes the low byte");
  Check(std::strlen("") == 0 && std::strlen(text) == 3, "strlen");
  Check(std::strcmp("abc", "abc") == 0 && std::strcmp("ab", "abc") < 0 &&
            std::strcmp("abd", "abc") > 0 && std::strcmp("\xE9", "e") > 0,
        "strcmp, bytes unsigned");
  Check(std::strncmp("abcx", "abcy", 3) == 0 && std::strncmp("abcx", "abcy", 4) < 0 &&
            std::strncmp("a", "a\0z", 3) == 0,
        "strncmp");
}

// ---------------------------------------------------------------- errors

struct Unwound {
  ~Unwound() { ++count; }
  static inline int count = 0;
};

__attribute__((noinline)) int Deep(int depth, const char* text) {
  Unwound on_the_way;
  return depth == 0 ? plat::ToInteger(text) : Deep(depth - 1, text) + 1;
}

void Errors() {
  try {
    Deep(5, "twelve");
    Say("no error for twelve");
  } catch (const plat::RuntimeError& e) {
    Say("caught error " + std::to_string(e.number()) + " " + e.description() + ", " +
        std::to_string(Unwound::count) + " frames unwound");
  }
  try {
    plat::Raise(plat::kErrFileNotFound);
  } catch (const std::exception& e) {
    Say(std::string("caught as std::exception: ") + e.what());
  }
  try {
    try {
      throw 42;
    } catch (int) {
      throw;
    }
  } catch (int n) {
    Say("rethrown " + std::to_string(n));
  }
  try {
    std::unique_ptr<char[]> block(new char[g_huge]);
    Say("allocated all but 64 KB of the address space");
  } catch (const std::bad_alloc& e) {
    Say(std::string("caught ") + e.what());
  }
}

// ---------------------------------------------------------------- terminate

__attribute__((noinline)) void Throws() {
  throw plat::RuntimeError(plat::kErrOverflow);
}

void LeavesNoexcept() noexcept {
  Throws();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_tail, int show) {
  const std::string tail = command_tail;
  const std::string what = tail.substr(0, tail.find(' '));
  if (instance != GetModuleHandleA(nullptr)) Say("WinMain's instance is not the module's");
  if (what == "start") return Start(command_tail, show);
  if (what == "library") {
    CheckHeap();
    CheckMemory();
    Say("checked " + std::to_string(g_checks) + ", " + std::to_string(g_failed) + " failed");
    return g_failed == 0 ? 0 : 1;
  }
  if (what == "errors") {
    Errors();
    return 0;
  }
  if (what == "terminate") {
    LeavesNoexcept();
    Say("still running after terminate");
    return 0;
  }
  Say("unknown case " + what);
  return 2;
}
