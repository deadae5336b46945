#include "app/shell_entry.h"

#include "app/dos.h"
#include "common/settings.h"
#include "platform/convert.h"
#include "platform/platform.h"

namespace app {
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

std::string DefaultSettingsPath() {
  return plat::AppPath() + "\\" + plat::AppTitle() + ".ini";
}

std::string ExecutablePath() {
  std::string folder = plat::AppPath();
  // At a drive's root App.Path already ends in a backslash.
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder + plat::AppExeName() + ".exe";
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
  std::string current = common::ReadProfileFull(common::SystemIniPath(), "Boot", "Shell");
  if (NamesThisProgram(current)) return;
  // One pair of quotes, because reading strips one surrounding pair.
  common::WriteIni(settings_file, common::kSection, common::kKeyKeptShell, "\"" + current + "\"");
}

std::string KeptShell(const std::string& settings_file) {
  std::string kept =
      Unquoted(common::ReadProfileFull(settings_file, common::kSection, common::kKeyKeptShell));
  return kept.empty() ? "Explorer.exe" : kept;
}

void RestoreShellIfStranded() {
  const std::string system_ini = common::SystemIniPath();
  if (!NamesThisProgram(common::ReadProfileFull(system_ini, "Boot", "Shell"))) return;
  common::WriteIni(system_ini, "Boot", "Shell", KeptShell(DefaultSettingsPath()));
  common::FlushProfile(system_ini);
}

}  // namespace app
