// The first step of a run: wait, preset the tools, start the first tool.
#include <string>

#include "app/main_window.h"
#include "common/failure.h"
#include "common/support.h"
#include "platform/platform.h"
#include "run/window_search.h"

namespace app {

void FrmMain::timClean_Timer() {
  common::OnErrorResumeNext resume;
  resume([&] { StartRun(); });
  if (completed_) return;
  resume([&] { form_["timClean"].SetEnabled(false); });
}

void FrmMain::StartTool(const char* program, const char* option, int show_state) {
  // The tools live in the Windows folder, wherever that is.
  std::string folder = plat::Sys().WindowsDirectory();
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  const std::string command = folder + program + " " + StoredDriveLetter() + ":" + option;
  plat::ProcessId id = plat::Sys().StartProgram(command, show_state);
  if (std::string(program) == "scandskw.exe") {
    scandisk_process_ = id;
    scandisk_seen_ = false;
  }
}

void FrmMain::StartRun() {
  bool started = common::OnErrorReportAndReturn("FM227", [&] {
    run::Pause(10000);
    SetCheckDriveOptions();
    SetDefragOptions();
    if (form_["chkScanDisk"].Value() == 1) {
      StartTool("scandskw.exe", " /n", plat::kShowNormalNoFocus);
      form_["timScanDisk"].SetEnabled(true);
    } else if (form_["chkDefrag"].Value() == 1) {
      StartTool("Defrag.exe", " /n", plat::kShowNormalNoFocus);
      form_["timDefrag"].SetEnabled(true);
    }
  });
  if (started) return;
  common::Attempt([] {
    plat::MsgBox(std::string("Your computer will now reboot.  Please contact ") +
                     common::kSupportEmail + " with the error number and description.",
                 plat::kMbOkCancel | plat::kMbInformation, "Reboot");
  });
  if (completed_) return;
  FinishRun();
}

}  // namespace app
