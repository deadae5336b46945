#include "common/log.h"

#include <cstdio>
#include <span>
#include <vector>

#include "common/failure.h"
#include "platform/platform.h"

namespace common {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string Line(const plat::LocalTime& t, std::string_view text) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d  ", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  std::string line = stamp;
  for (std::size_t i = 0; i < text.size() && i < kLogTextMax; ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    line += (c == '\r' || c == '\n') ? std::string_view(" / ") : std::string_view(&c, 1);
  }
  return line + "\r\n";
}

// Keeps the newest lines, at most kLogKept bytes of them. The kept lines are on
// the disk in the .tmp file before the log goes, so a power cut at any point
// leaves one whole file for RecoverLog.
void Rotate(const std::string& path) {
  const std::vector<std::uint8_t> all = plat::Sys().ReadFileBytes(path);
  std::size_t from = all.size() > kLogKept ? all.size() - kLogKept : 0;
  while (from > 0 && from < all.size() && all[from - 1] != '\n') ++from;
  const std::string tmp = path + ".tmp";
  plat::RuntimeError error(0);
  // Appending to a leftover would keep its lines twice.
  if (!Attempt([&] { plat::Sys().DeleteFile(tmp); }, &error) &&
      error.number() != plat::kErrFileNotFound) {
    return;
  }
  plat::Sys().AppendFileBytes(tmp, std::span(all).subspan(from));
  plat::Sys().DeleteFile(path);
  plat::Sys().MoveFile(tmp, path);
}

}  // namespace

std::string LogFilePath() {
  return plat::InFolder(plat::AppPath(), plat::AppTitle() + ".log");
}

void Log(std::string_view text) {
  Attempt([&] {
    const std::string path = LogFilePath();
    const std::string line = Line(plat::Sys().GetLocalTime(), text);
    if (plat::Sys().AppendFileBytes(path, Bytes(line)) >= kLogLimit) Rotate(path);
  });
}

void LogBox(std::string_view text) {
  Attempt([&] { Log("Error box: " + std::string(text)); });
}

std::string DescribeRun(std::string_view drive, bool scandisk, bool defrag, bool shutdown) {
  std::string tools = scandisk && defrag ? "ScanDisk and Defrag"
                      : scandisk         ? "ScanDisk"
                      : defrag           ? "Defrag"
                                         : "no tool";
  return "drive " + std::string(drive) + ", " + tools + ", then " +
         (shutdown ? "shut down" : "restart");
}

std::string Elapsed(std::uint32_t ms) {
  const std::uint32_t s = ms / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
  return text;
}

bool LastRunInterrupted() {
  bool interrupted = false;
  Attempt([&] {
    const std::vector<std::uint8_t> all = plat::Sys().ReadFileBytes(LogFilePath());
    const std::string_view log(reinterpret_cast<const char*>(all.data()), all.size());
    bool in_run = false, started = false;
    for (std::size_t at = 0; at < log.size();) {
      std::size_t end = log.find('\n', at);
      if (end == std::string_view::npos) end = log.size();
      // Past the stamp "YYYY-MM-DD HH:MM:SS  ".
      const std::string_view text =
          log.substr(at, end - at).substr(std::min<std::size_t>(21, end - at));
      if (text.starts_with(kLogResumed)) {
        in_run = true;
        started = false;
      } else if (text.starts_with(kLogStarted)) {
        started = in_run;
      } else if (text.starts_with(kLogCompleted)) {
        in_run = false;
      }
      at = end + 1;
    }
    interrupted = in_run && started;
  });
  return interrupted;
}

void RecoverLog() {
  Attempt([] {
    const std::string path = LogFilePath(), tmp = path + ".tmp";
    const long moved = plat::Sys().MoveFile(tmp, path);
    if (moved == plat::kErrorSuccess || moved == plat::kErrorFileNotFound ||
        moved == plat::kErrorPathNotFound)
      return;
    // The move failed with both there: the log is whole, the kept lines are a leftover.
    plat::Sys().ReadFileBytes(path);
    plat::Sys().DeleteFile(tmp);
  });
}

}  // namespace common
