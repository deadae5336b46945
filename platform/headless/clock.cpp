#include "platform/headless/clock.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"

namespace headless {

int Clock::After(std::uint64_t ms, std::function<void()> fn) {
  int id = next_event_id_++;
  scheduled_.push_back({now_ + ms, ++order_, id, std::move(fn)});
  return id;
}

void Clock::Cancel(int event_id) {
  std::erase_if(scheduled_, [event_id](const Scheduled& s) { return s.id == event_id; });
}

std::optional<std::uint64_t> Clock::TimerDue(const plat::Control& timer) const {
  auto it = timers_.find(&timer);
  if (it == timers_.end()) return std::nullopt;
  return it->second.due;
}

bool Clock::Step(std::uint64_t limit, bool timers) {
  auto ev = scheduled_.end();
  for (auto it = scheduled_.begin(); it != scheduled_.end(); ++it) {
    if (it->time > limit) continue;
    if (ev == scheduled_.end() || std::pair(it->time, it->order) < std::pair(ev->time, ev->order)) {
      ev = it;
    }
  }
  const plat::Control* tc = nullptr;
  if (timers) {
    for (const auto& [c, t] : timers_) {
      if (t.due > limit) continue;
      if (tc == nullptr ||
          std::pair(t.due, t.order) < std::pair(timers_.at(tc).due, timers_.at(tc).order)) {
        tc = c;
      }
    }
  }
  if (ev == scheduled_.end() && tc == nullptr) return false;
  if (ev != scheduled_.end() && (tc == nullptr || ev->time <= timers_.at(tc).due)) {
    now_ = std::max(now_, ev->time);
    std::function<void()> fn = std::move(ev->fn);
    scheduled_.erase(ev);
    fn();
    return true;
  }
  Timer& t = timers_.at(tc);
  now_ = std::max(now_, t.due);
  t.due = now_ + t.interval;  // a late tick comes once; the next is an interval after it
  Paint();
  plat::Dispatch::Timer(*const_cast<plat::Control*>(tc));
  return true;
}

void Clock::Block(std::uint64_t ms) {
  const std::uint64_t limit = now_ + ms;
  while (Step(limit, false)) {
  }
  now_ = std::max(now_, limit);
}

void Clock::RunFor(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  Paint();
  while (Step(target, true)) {
  }
  now_ = std::max(now_, target);
}

bool Clock::RunUntil(const std::function<bool()>& done, std::uint64_t limit_ms) {
  const std::uint64_t target = now_ + limit_ms;
  Paint();
  while (!done()) {
    if (!Step(target, true)) {
      now_ = std::max(now_, target);
      return done();
    }
  }
  return true;
}

void Clock::ProcessDue() {
  Paint();
  while (Step(now_, true)) {
  }
}

void Clock::UpdateTimer(const plat::Control& timer) {
  const bool running = timer.form().Loaded() && timer.Enabled() && timer.Interval() > 0;
  auto it = timers_.find(&timer);
  if (!running) {
    if (it != timers_.end()) timers_.erase(it);
    return;
  }
  if (it == timers_.end()) {
    timers_[&timer] = {now_ + timer.Interval(), timer.Interval(), ++order_};
  } else if (it->second.interval != timer.Interval()) {
    it->second.interval = timer.Interval();
    it->second.due = now_ + timer.Interval();
  }
}

void Clock::PowerOff() {
  scheduled_.clear();
  timers_.clear();
}

}  // namespace headless
