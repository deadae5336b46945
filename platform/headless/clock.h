// Virtual time and the program's message loop: the other programs' scheduled
// actions and the program's timers, in the order Windows would run them.
//
// The clock counts milliseconds from 0 and moves only when the test says so
// (RunFor, RunUntil) or when the program blocks (Sleep, SendMessageTimeout to a
// hung window, a scripted message box delay). Scheduled events (After) are the
// other programs' actions: they run whenever time passes, also inside Sleep.
// Timers tick only where a real program processes messages: in RunFor/RunUntil,
// in DoEvents and inside a message box. A timer is running while its form is
// loaded, it is Enabled and its Interval is not 0; it is first due one interval
// after it started. A timer that fell due while the program was blocked ticks
// once afterwards and is next due one interval after that tick (as WM_TIMER is
// coalesced). At equal times scheduled events run first, in the order they were
// scheduled, then timers in the order they were started.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/toolkit.h"

namespace headless {

class Clock {
 public:
  std::uint64_t Now() const { return now_; }
  // Lets `ms` pass with messages processed: timers tick, events run, in time order.
  void RunFor(std::uint64_t ms);
  // Runs as RunFor until `done` is true (checked before each step and at the
  // end); false when `limit_ms` passed first.
  bool RunUntil(const std::function<bool()>& done, std::uint64_t limit_ms);
  // Schedules a simulated event `ms` from now; returns an id for Cancel.
  int After(std::uint64_t ms, std::function<void()> fn);
  void Cancel(int event_id);
  // When a running timer is next due, or nullopt when it is not running.
  std::optional<std::uint64_t> TimerDue(const plat::Control& timer) const;

 public:  // ---- for the desktop's own parts
  // What the message loop does before anything else is processed: paint the
  // windows that were exposed (WM_PAINT).
  void SetPaintHook(std::function<void()> paint) { paint_ = std::move(paint); }
  void Paint() {
    if (paint_) paint_();
  }
  // The program blocks for `ms`: the other programs act, no timer ticks.
  void Block(std::uint64_t ms);
  // DoEvents: what is due now, timers included.
  void ProcessDue();
  // Starts, stops or re-times the timer after a change of the control.
  void UpdateTimer(const plat::Control& timer);
  void StopTimer(const plat::Control* timer) { timers_.erase(timer); }
  // Power cycle: nothing scheduled, no timer running.
  void PowerOff();

 private:
  struct Timer {
    std::uint64_t due = 0;
    unsigned interval = 0;
    std::uint64_t order = 0;
  };
  struct Scheduled {
    std::uint64_t time = 0;
    std::uint64_t order = 0;
    int id = 0;
    std::function<void()> fn;
  };

  // One step of the message loop at or before `limit`; false when nothing was due.
  bool Step(std::uint64_t limit, bool timers);

  std::uint64_t now_ = 0;
  std::uint64_t order_ = 0;
  std::vector<Scheduled> scheduled_;
  int next_event_id_ = 1;
  std::map<const plat::Control*, Timer> timers_;
  std::function<void()> paint_;
};

}  // namespace headless
