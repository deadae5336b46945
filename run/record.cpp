#include "run/record.h"

#include <initializer_list>
#include <string>
#include <vector>

#include "common/log.h"
#include "platform/platform.h"

namespace run {
namespace {

constexpr std::string_view kArmed = "Armed: ";
constexpr std::string_view kResumed = "Run resumed after the restart: ";
constexpr std::string_view kStarted = "Started: ";
constexpr std::string_view kCompleted = "Run completed: ";

// `n` with leading zeros to `width` digits.
std::string Digits(std::uint32_t n, std::size_t width) {
  std::string text = std::to_string(n);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// "1:02:05": hours, minutes and seconds of `ms`.
std::string Elapsed(std::uint32_t ms) {
  const std::uint32_t s = ms / 1000;
  return Digits(s / 3600, 1) + ':' + Digits(s / 60 % 60, 2) + ':' + Digits(s % 60, 2);
}

// "`what` after 1:02:05`more`".
void LogDuration(std::string_view what, std::uint32_t started,
                 std::initializer_list<std::string_view> more = {}) {
  std::string line(what);
  line += " after ";
  line += Elapsed(plat::Sys().GetTickCount() - started);
  for (std::string_view part : more) line += part;
  common::Log(line);
}

}  // namespace

std::string DescribeRun(std::string_view drive, bool scandisk, bool defrag, bool shutdown) {
  std::string run = "drive ";
  run += drive;
  run += scandisk && defrag ? ", ScanDisk and Defrag"
         : scandisk         ? ", ScanDisk"
         : defrag           ? ", Defrag"
                            : ", no tool";
  run += shutdown ? ", then shut down" : ", then restart";
  return run;
}

void LogArmed(std::string_view run) {
  common::Log({kArmed, run});
}

void LogResumed(std::string_view run) {
  common::Log({kResumed, run});
}

void LogStarted(std::string_view command) {
  common::Log({kStarted, command});
}

void LogCompleted(bool shutdown) {
  common::Log({kCompleted, shutdown ? "shut down requested" : "restart requested"});
}

bool LastRunInterrupted() {
  bool in_run = false, started = false;
  for (const std::string& text : common::LogTexts()) {
    const std::string_view line = text;
    if (line.starts_with(kResumed)) {
      in_run = true;
      started = false;
    } else if (line.starts_with(kStarted)) {
      started = in_run;
    } else if (line.starts_with(kCompleted) || line.starts_with(kArmed)) {
      in_run = false;
    }
  }
  return in_run && started;
}

void LogInterruptedBefore() {
  common::Log(
      "The last run was interrupted after a tool had started (a power cut?); it starts "
      "over");
}

void LogScanDiskFinished(std::uint32_t started) {
  LogDuration("ScanDisk finished", started);
}

void LogPromptAnswered(std::uint32_t defrag_started) {
  LogDuration("Defrag's final prompt answered", defrag_started);
}

void LogPromptAnsweredById(std::uint32_t defrag_started, std::string_view caption) {
  LogDuration("Defrag's final prompt answered", defrag_started,
              {" (\"", caption, "\", a question of Defrag's process, by the Yes button's ID)"});
}

void LogPromptNotAnswered(std::string_view caption, bool button_found) {
  common::Log({"Defrag's final prompt \"", caption, "\" seen, but ",
               button_found ? "its Yes button did not take the clicks" : "it has no Yes button",
               ": not answered"});
}

void LogDefragEndedWithoutPrompt(std::uint32_t defrag_started) {
  LogDuration("Defrag ended without its final prompt", defrag_started);
}

void LogScanDiskQuestionAnswered(std::string_view caption) {
  common::Log(
      {"A question of ScanDisk's process (\"", caption, "\") answered No by the button's ID"});
}

void LogShutdownRefused(std::uint32_t error, std::string_view shell) {
  common::Log({"Windows refused to end the session (error ", std::to_string(error),
               "): starting the shell ", shell});
}

void LogShellNotStarted(int error) {
  common::Log({"The shell could not be started (error ", std::to_string(error), ")"});
}

void LogExitDuringRun() {
  common::Log("Exit during the run: closing the tools");
}

}  // namespace run
