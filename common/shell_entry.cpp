#include "common/shell_entry.h"

#include <algorithm>

#include "common/log.h"
#include "common/settings.h"
#include "common/short_path.h"
#include "platform/convert.h"
#include "platform/platform.h"

namespace common {
namespace {

std::string Unquoted(std::string v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.erase(v.begin());
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.pop_back();
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return v;
}

std::string FileName(const std::string& path) {
  auto slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ExecutablePath() {
  // At a drive's root App.Path already ends in a backslash.
  return plat::InFolder(plat::AppPath(), plat::AppExeName() + ".exe");
}

bool NamesThisProgram(const std::string& shell_value) {
  std::string value = plat::LowerAscii(Unquoted(shell_value));
  if (value.empty()) return false;
  std::string exe = plat::LowerAscii(ExecutablePath());
  if (value == exe) return true;
  std::string short_path = plat::LowerAscii(ShortPathOrEmpty(ExecutablePath()));
  if (!short_path.empty() && value == short_path) return true;
  return FileName(value) == FileName(exe) ||
         (!short_path.empty() && FileName(value) == FileName(short_path));
}

void KeepCurrentShell(const std::string& settings_file) {
  std::string current = ReadProfileFull(SystemIniPath(), kBootSection, kKeyShell);
  if (NamesThisProgram(current)) return;
  // One pair of quotes, because reading strips one surrounding pair.
  WriteIni(settings_file, kSection, kKeyKeptShell, "\"" + current + "\"");
}

std::string KeptShell(const std::string& settings_file) {
  std::string kept = Unquoted(ReadProfileFull(settings_file, kSection, kKeyKeptShell));
  // A damaged or hand-edited file may hold no shell at all. A kept value that
  // names this program would make it the shell for good (and a second Set line
  // would run it at every start); one with control characters loses them on its
  // way through system.ini, so the shell written is not the one checked here.
  const bool control = std::any_of(kept.begin(), kept.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  return kept.empty() || control || NamesThisProgram(kept) ? kExplorer : kept;
}

void RestoreShellIfStranded() {
  const std::string system_ini = SystemIniPath();
  if (!NamesThisProgram(ReadProfileFull(system_ini, kBootSection, kKeyShell))) return;
  const std::string kept = KeptShell(SettingsFilePath());
  WriteIni(system_ini, kBootSection, kKeyShell, kept);
  FlushProfile(system_ini);
  Log({"Start-up: Brivane was still the shell; put back ", kept});
}

}  // namespace common
