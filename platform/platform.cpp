#include "platform/platform.h"

#include "platform/errors.h"

namespace plat {
namespace {
System* g_system = nullptr;
UiBackend* g_ui = nullptr;
}  // namespace

void Install(System* system, UiBackend* ui) {
  g_system = system;
  g_ui = ui;
}

bool Installed() {
  return g_system != nullptr && g_ui != nullptr;
}

System& Sys() {
  if (g_system == nullptr) Raise(kErrObjectNotSet);
  return *g_system;
}

UiBackend& Ui() {
  if (g_ui == nullptr) Raise(kErrObjectNotSet);
  return *g_ui;
}

std::string AppPath() {
  std::string exe = Sys().ExecutablePath();
  auto slash = exe.find_last_of("\\/");
  if (slash == std::string::npos) return "";
  std::string folder = exe.substr(0, slash);
  if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // a drive's root keeps it
  return folder;
}

std::string InFolder(std::string folder, std::string_view name) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder.append(name);
}

std::string AppTitle() {
  return "Brivane";
}

std::string AppExeName() {
  std::string exe = Sys().ExecutablePath();
  auto slash = exe.find_last_of("\\/");
  std::string file = slash == std::string::npos ? exe : exe.substr(slash + 1);
  if (file.size() > 4) {
    if (EqualNoCase(file.substr(file.size() - 4), ".exe")) file.resize(file.size() - 4);
  }
  return file;
}

}  // namespace plat
