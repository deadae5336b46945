#include "common/log.h"

#include <span>
#include <vector>

#include "common/failure.h"
#include "platform/platform.h"

namespace common {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Appends `n` with leading zeros to `width` digits. By hand: the C library's
// formatted output would bring its whole implementation into the executable.
void AppendDigits(std::string& out, std::uint32_t n, int width) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0 && count < 10);
  while (width-- > count) out += '0';
  while (count > 0) out += digits[--count];
}

std::string Line(const plat::LocalTime& t, std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  std::string line;
  // "YYYY-MM-DD HH:MM:SS  ": each field, then what follows it.
  const struct {
    int value;
    int width;
    const char* after;
  } kFields[] = {{t.year, 4, "-"}, {t.month, 2, "-"},  {t.day, 2, " "},
                 {t.hour, 2, ":"}, {t.minute, 2, ":"}, {t.second, 2, "  "}};
  for (const auto& f : kFields) {
    AppendDigits(line, static_cast<std::uint32_t>(f.value < 0 ? 0 : f.value), f.width);
    line += f.after;
  }
  for (std::size_t i = 0; i < text.size() && i < kLogTextMax; ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == '\r' || c == '\n') {
      line += " / ";
    } else {
      line += c;
    }
  }
  line += "\r\n";
  return line;
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

// False when the log's last line was cut short (a full disk, the power gone
// inside a write): the next line must not be glued to it.
bool EndsWithLineEnd(const std::string& path) {
  std::vector<std::uint8_t> all;
  if (!Attempt([&] { all = plat::Sys().ReadFileBytes(path); })) return true;
  return all.empty() || all.back() == '\n';
}

}  // namespace

std::string LogFilePath() {
  return plat::InFolder(plat::AppPath(), plat::AppTitle() + ".log");
}

void Log(std::initializer_list<std::string_view> parts) {
  Attempt([&] {
    const std::string path = LogFilePath();
    std::string line = Line(plat::Sys().GetLocalTime(), parts);
    if (!EndsWithLineEnd(path)) line.insert(0, "\r\n");
    if (plat::Sys().AppendFileBytes(path, Bytes(line)) >= kLogLimit) Rotate(path);
  });
}

std::vector<std::string> LogTexts() {
  std::vector<std::string> texts;
  Attempt([&] {
    const std::vector<std::uint8_t> all = plat::Sys().ReadFileBytes(LogFilePath());
    const std::string_view log(reinterpret_cast<const char*>(all.data()), all.size());
    for (std::size_t at = 0; at < log.size();) {
      std::size_t end = log.find('\n', at);
      if (end == std::string_view::npos) end = log.size();
      std::size_t to = end;
      if (to > at && log[to - 1] == '\r') --to;
      const std::size_t from = std::min(at + kLogStampLength, to);
      texts.emplace_back(log.substr(from, to - from));
      at = end + 1;
    }
  });
  return texts;
}

void RecoverLog() {
  Attempt([] {
    const std::string path = LogFilePath(), tmp = path + ".tmp";
    const long moved = plat::Sys().MoveFile(tmp, path);
    // Failing with the .tmp there, the move found the log whole: the kept lines are
    // a leftover (a folder where the move is refused refuses the delete too).
    if (moved != plat::kErrorSuccess && moved != plat::kErrorFileNotFound &&
        moved != plat::kErrorPathNotFound) {
      plat::Sys().DeleteFile(tmp);
    }
  });
}

}  // namespace common
