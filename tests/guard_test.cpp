// The guard of a run: no screen saver, no standby, suspend requests refused,
// from the armed load to the run's end; a failing guard changes nothing else.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "machine.h"

namespace brivane_test {
namespace {

using headless::Op;

// What the machine's power and screen-saver settings are at a moment.
struct State {
  bool screen_saver;
  bool awake;
  bool suspend_allowed;
  bool operator==(const State&) const = default;
};
std::ostream& operator<<(std::ostream& os, const State& s) {
  return os << "{screen saver " << s.screen_saver << ", awake " << s.awake << ", suspend allowed "
            << s.suspend_allowed << "}";
}
State Now(const headless::Desktop& d) {
  return {d.screen_saver_active(), d.kept_awake(), d.QuerySuspend()};
}

constexpr State kFree{true, false, true};
constexpr State kGuarded{false, true, false};

struct Case {
  const char* name;
  bool stored_screen_saver;
  bool armed;
  std::function<void(Station&)> then;  // after the load
  State during;                        // once the load is done
  State after;
};

TEST(GuardTest, OnFromTheArmedLoadUntilTheRunEnds) {
  const auto exit_after = [](std::uint64_t ms) {
    return [ms](Station& s) {
      s.d.RunFor(ms);
      s.m.PressExit();
      s.WaitForTheEnd();
    };
  };
  const Case kCases[] = {
      {"interactive start", true, false, [](Station&) {}, kFree, kFree},
      {"run completes: the restart will reset it", true, true,
       [](Station& s) { s.WaitForTheEnd(); }, kGuarded, kGuarded},
      {"Exit during the run", true, true, exit_after(20000), kGuarded, kFree},
      {"Exit, the user's screen saver was off",
       false,
       true,
       exit_after(0),
       {false, true, false},
       {false, false, true}},
      {"power cut during the run", true, true,
       [](Station& s) {
         s.d.RunFor(20000);
         s.m.PowerCycle();
       },
       kGuarded, kFree},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Station s;
    s.d.SetStoredScreenSaver(c.stored_screen_saver);
    if (c.armed) s.Arm();
    s.m.StartBrivane();
    EXPECT_EQ(Now(s.d), c.during);
    c.then(s);
    EXPECT_EQ(Now(s.d), c.after);
  }
}

// Each guard call failing at every call: the run does and shows exactly what it
// does with a guard that works.
TEST(GuardTest, FailingGuardCallsChangeNothingElse) {
  auto outcome = [](std::optional<Op> failing) {
    Station s;
    s.Arm();
    if (failing) s.d.Fail(*failing, 0, 1000);
    s.RunToTheEnd();
    return s.Outcome({"ScreenSaver", "KeepAwake", "RefuseSuspend"});
  };
  const std::string baseline = outcome(std::nullopt);
  EXPECT_NE(baseline.find("ExitWindows"), std::string::npos);
  for (Op op : {Op::kGetScreenSaveActive, Op::kSetScreenSaveActive, Op::kKeepSystemAwake,
                Op::kRefuseSuspend}) {
    SCOPED_TRACE(static_cast<int>(op));
    EXPECT_EQ(outcome(op), baseline);
  }
}

}  // namespace
}  // namespace brivane_test
