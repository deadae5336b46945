// A ScanDisk that runs for 24 hours of virtual time: the shell's memory stays
// flat and its watcher does the same work in every tick, early or late.
#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>

#include "machine.h"

#if defined(__SANITIZE_ADDRESS__)
#define BRIVANE_HEAP_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRIVANE_HEAP_ASAN 1
#endif
#endif

#ifdef BRIVANE_HEAP_ASAN
// From the sanitizer runtime (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace brivane_test {
namespace {

// Bytes of heap in use now (the sanitizer's allocator counts them under ASan).
std::size_t HeapInUse() {
#ifdef BRIVANE_HEAP_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

constexpr std::uint32_t kDay = 24u * 3600u * 1000u;
constexpr std::uint64_t kWindow = 10u * 60u * 1000u;  // ten minutes of ticks

struct Work {
  std::uint64_t ticks = 0;  // watcher ticks: each enumerates the top-level windows once
  std::uint64_t calls = 0;  // every platform call meanwhile
};

Work Measure(headless::Desktop& d, std::uint64_t ms) {
  auto total = [&] {
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < headless::kOpCount; ++i)
      n += d.CallCount(static_cast<headless::Op>(i));
    return n;
  };
  const std::uint64_t ticks = d.CallCount(headless::Op::kEnumWindows), calls = total();
  d.RunFor(ms);
  return {d.CallCount(headless::Op::kEnumWindows) - ticks, total() - calls};
}

TEST(LongRunTest, ADayOfScanDiskKeepsMemoryAndWorkPerTickFlat) {
  headless::Desktop d;
  d.Install();
  d.WriteFile(kSystemIni, SystemIniWithShell(kShortExe));
  d.WriteFile(kSettings, ArmedSettings("C:\\", 1, 0));
  Machine m(d, Tools{300, kDay, 2000});
  m.StartBrivane();
  ASSERT_TRUE(m.InRunMode());
  // Past the launcher and a first minute of watching: everything the run keeps exists.
  d.RunFor(12000 + 300 + 60000);
  ASSERT_EQ(d.log().Of("StartProgram").size(), 1u);
  const std::size_t log_before = d.log().size();
  const std::size_t heap_before = HeapInUse();
  const Work early = Measure(d, kWindow);
  d.RunFor(kDay - 2 * kWindow - 60000 - 1000);
  const Work late = Measure(d, kWindow);
  const std::size_t heap_after = HeapInUse();
  const std::size_t log_after = d.log().size();
  ASSERT_TRUE(d.log().Of("ExitWindows").empty()) << "ScanDisk is still running";

  std::printf("heap in use: %zu bytes after the first minute, %zu bytes after 24 h\n", heap_before,
              heap_after);
  std::printf(
      "watcher ticks in 10 min: %llu early, %llu late; platform calls per tick: %.2f, %.2f\n",
      static_cast<unsigned long long>(early.ticks), static_cast<unsigned long long>(late.ticks),
      static_cast<double>(early.calls) / static_cast<double>(early.ticks),
      static_cast<double>(late.calls) / static_cast<double>(late.ticks));
  EXPECT_EQ(early.ticks, kWindow / 100);
  EXPECT_EQ(late.ticks, early.ticks);
  EXPECT_EQ(late.calls, early.calls);
  EXPECT_EQ(log_after, log_before) << "nothing is recorded while ScanDisk is watched";
  // A few hundred bytes of slack for allocator bookkeeping; a leak of one
  // allocation per tick would be megabytes.
  EXPECT_LE(heap_after, heap_before + 1024);

  // ScanDisk ends at last and the run completes as ever.
  ASSERT_TRUE(m.Settle());
  EXPECT_EQ(m.Shell(), kKeptShell);
  EXPECT_FALSE(d.FileExists(kSettings));
  app::ResetProgram();
}

}  // namespace
}  // namespace brivane_test
