// The disk tools' unattended settings, written before any tool starts.
#include <string>

#include "common/failure.h"
#include "common/registry.h"
#include "run/run.h"

namespace run {
namespace {
constexpr const char* kCheckDrive =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Check Drive";
// Singular "Applet": the value lands in a key of its own, as the tools expect it.
constexpr const char* kCheckDriveApplet =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applet\\Check Drive";
constexpr const char* kDefragSettings =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Defrag\\Settings";
}  // namespace

void MaintenanceRun::SetCheckDriveOptions() {
  common::OnErrorResumeNext resume;
  using common::SaveRegBinary;
  const std::string settings{'\x80', '\x04', '\0', '\0'};
  const std::string zeros(4, '\0');
  resume([&] { SaveRegBinary(plat::kHkeyCurrentUser, kCheckDrive, "Settings", settings); });
  resume([&] { SaveRegBinary(plat::kHkeyCurrentUser, kCheckDrive, "Autochk", zeros); });
  resume([&] {
    SaveRegBinary(plat::kHkeyCurrentUser, kCheckDriveApplet, "NoUnknownDDErrDrvs", zeros);
  });
}

void MaintenanceRun::SetDefragOptions() {
  common::OnErrorResumeNext resume;
  using common::SaveRegString;
  const std::string base = kDefragSettings;
  resume([&] { SaveRegString(plat::kHkeyCurrentUser, base + "\\scandisk", "", "FALSE"); });
  resume([&] { SaveRegString(plat::kHkeyCurrentUser, base + "\\method", "", "FULLNOAPPLOG"); });
}

}  // namespace run
