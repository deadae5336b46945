// The desktop's record: the event log of what the program did to the outside
// world, the observer of its writes, and the failures of the test's own script.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/headless/clock.h"
#include "platform/headless/event_log.h"

namespace headless {

// A mistake in the test's script rather than in the program.
class ScriptError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class Journal {
 public:
  explicit Journal(const Clock& clock) : clock_(clock) {}

  const EventLog& log() const { return log_; }
  EventLog& log() { return log_; }
  // Called after every write the program makes through the platform (profile
  // writes and flushes, file deletes and writes, registry writes, program
  // starts, ExitWindowsEx), after it has been logged.
  void SetWriteObserver(std::function<void(const Event&)> observer) {
    write_observer_ = std::move(observer);
  }
  // Failures of the script (see ScriptError), kept so that a program catching
  // everything cannot hide them.
  const std::vector<std::string>& script_errors() const { return script_errors_; }

  // ---- for the desktop's own parts
  // Logs an event at the current time.
  void Record(std::string kind, std::vector<std::string> args = {});
  // Logs a write and tells the observer.
  void Wrote(std::string kind, std::vector<std::string> args);
  // Keeps the message and throws it as a ScriptError.
  [[noreturn]] void ScriptFailed(const std::string& message);

 private:
  const Clock& clock_;
  EventLog log_;
  std::function<void(const Event&)> write_observer_;
  std::vector<std::string> script_errors_;
};

}  // namespace headless
