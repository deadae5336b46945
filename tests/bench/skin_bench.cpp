// The main window's work per title bar tick and per mouse move over its body,
// on the headless desktop after a normal start, with the heap allocations each
// makes (the global allocator of this program counts them).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdlib>
#include <new>

#include "app/main_window.h"
#include "app/program.h"
#include "platform/headless/desktop.h"
#include "platform/platform.h"
#include "platform/toolkit.h"

namespace {
// One thread only: a plain counter will do.
long long g_allocations = 0;

void* Allocate(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
  ++g_allocations;
  const std::size_t a = static_cast<std::size_t>(align);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t align) {
  return AllocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align) {
  return AllocateAligned(size, align);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}

namespace {

// A started program: splash gone, main window shown, its first tick done.
class Booted {
 public:
  explicit Booted(bool in_front) {
    d.Install();
    ProgramMain();
    if (!in_front) {
      headless::WindowOptions o;
      o.activate = true;
      d.CreateWindow("Notepad", "Untitled - Notepad", o);
    }
    d.RunFor(100);
  }
  ~Booted() { app::ResetProgram(); }
  Booted(const Booted&) = delete;
  Booted& operator=(const Booted&) = delete;

  app::FrmMain& main() { return *app::MainWindow(); }
  headless::Desktop d;
};

// Each iteration must really have repainted `surface` once, or nothing was measured.
void CheckRepainted(benchmark::State& state, Booted& b, const char* surface, int before) {
  const int repaints = b.d.RepaintCount(b.main().form()[surface]) - before;
  if (repaints != static_cast<int>(state.iterations())) {
    state.SkipWithError("the handler did not repaint once per iteration");
  }
}

void ReportAllocations(benchmark::State& state, long long before) {
  state.counters["allocs/iter"] = benchmark::Counter(static_cast<double>(g_allocations - before),
                                                     benchmark::Counter::kAvgIterations);
}

// One timActive tick as the toolkit delivers it; arg 1: the window in front, 0: behind another.
void BM_TitleBarTick(benchmark::State& state) {
  Booted b(state.range(0) != 0);
  plat::Control& timer = b.main().form()["timActive"];
  const int repaints = b.d.RepaintCount(b.main().form()["picTitlebar"]);
  const long long before = g_allocations;
  for (auto _ : state) plat::Dispatch::Timer(timer);
  ReportAllocations(state, before);
  CheckRepainted(state, b, "picTitlebar", repaints);
}
BENCHMARK(BM_TitleBarTick)->ArgName("in_front")->Arg(1)->Arg(0);

// The same tick reached through the desktop's clock: 100 ms of virtual time pass.
void BM_TitleBarTickOnTheClock(benchmark::State& state) {
  Booted b(true);
  const int repaints = b.d.RepaintCount(b.main().form()["picTitlebar"]);
  const long long before = g_allocations;
  for (auto _ : state) b.d.RunFor(100);
  ReportAllocations(state, before);
  CheckRepainted(state, b, "picTitlebar", repaints);
}
BENCHMARK(BM_TitleBarTickOnTheClock);

// A mouse move over the body: five button faces copied and refreshed.
void BM_BodyMouseMove(benchmark::State& state) {
  Booted b(true);
  plat::Control& body = b.main().form()["picMain"];
  const int repaints = b.d.RepaintCount(b.main().form()["picAbout"]);
  const long long before = g_allocations;
  for (auto _ : state) b.d.MouseMove(body, 200, 20);
  ReportAllocations(state, before);
  CheckRepainted(state, b, "picAbout", repaints);
}
BENCHMARK(BM_BodyMouseMove);

// A whole start-up for comparison: three pictures decoded, windows made. Its
// count also shows that the allocation counter is live.
void BM_StartUp(benchmark::State& state) {
  long long allocations = 0;
  for (auto _ : state) {
    const long long before = g_allocations;
    Booted b(true);
    allocations += g_allocations - before;
  }
  state.counters["allocs/iter"] =
      benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
