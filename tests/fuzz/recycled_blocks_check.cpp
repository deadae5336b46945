// The reports recycled_blocks.cpp keeps, each shown by a deliberate fault, and
// its recycling itself; run by tests/fuzz/run.sh (which expects each case's
// report) as
//   recycled_blocks_check CASE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

// Every block passes through here, so the compiler can neither drop an
// allocation nor see how it is used.
void* volatile g_escape;
template <typename T>
T* Seen(T* p) {
  g_escape = p;
  return static_cast<T*>(g_escape);
}

constexpr std::size_t kPicture = std::size_t{1} << 20;  // a large block
constexpr int kCycles = 8;                              // 8 MB: still in quarantine

int Read(const char* p) {
  return *static_cast<const volatile char*>(p);
}

// A large block deleted, then blocks of its size given and deleted as runs do,
// and one more given and kept: the stale pointer must not reach into that one.
char* StalePicture() {
  char* stale = Seen(new char[kPicture]);
  std::memset(stale, 1, kPicture);
  delete[] Seen(stale);
  for (int i = 0; i < kCycles; ++i) {
    char* next = Seen(new char[kPicture]);
    std::memset(next, 2, kPicture);
    delete[] Seen(next);
  }
  std::memset(Seen(new char[kPicture]), 3, kPicture);
  return stale;
}

// Past the quarantine the same blocks come back, without a report.
int Recycles() {
  void* first = Seen(new char[kPicture]);
  delete[] Seen(static_cast<char*>(first));
  for (int i = 0; i < 200; ++i) {
    char* next = Seen(new char[kPicture]);
    std::memset(next, 3, kPicture);
    const bool again = next == first;
    delete[] Seen(next);
    if (again) {
      std::printf("recycled after %d blocks\n", i + 1);
      return 0;
    }
  }
  std::printf("no block was handed out again\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view what = argc > 1 ? argv[1] : "";
  if (what == "recycles") return Recycles();
  if (what == "new[]-delete") delete Seen(new char[10]);
  if (what == "new-delete[]") delete[] Seen(new char);
  if (what == "malloc-delete") delete Seen(static_cast<char*>(std::malloc(10)));
  if (what == "new-free") std::free(Seen(new char));
  if (what == "delete-twice") {
    char* p = Seen(new char);
    delete p;
    delete Seen(p);
  }
  if (what == "underflow") return Read(Seen(new char[100]) - 1);
  if (what == "overflow") return Read(Seen(new char[100]) + 100);
  if (what == "use-after-recycle") return Read(StalePicture() + 1000);
  if (what == "delete-after-recycle") delete[] Seen(StalePicture());
  std::printf("no report for %s\n", argv[argc > 1 ? 1 : 0]);
  return 0;
}
