#include "platform/headless/journal.h"

#include <utility>

namespace headless {

void Journal::Record(std::string kind, std::vector<std::string> args) {
  log_.Add({clock_.Now(), std::move(kind), std::move(args)});
}

void Journal::Wrote(std::string kind, std::vector<std::string> args) {
  Record(std::move(kind), std::move(args));
  if (write_observer_) write_observer_(log_[log_.size() - 1]);
}

void Journal::ScriptFailed(const std::string& message) {
  script_errors_.push_back(message);
  throw ScriptError(message);
}

}  // namespace headless
