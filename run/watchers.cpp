// Following the tools through their windows: ScanDisk until it has gone, then
// Defrag until its final prompt, which is answered.
#include <string>

#include "app/main_window.h"
#include "common/failure.h"
#include "platform/platform.h"
#include "run/window_search.h"

namespace app {

void FrmMain::timScanDisk_Timer() {
  common::OnErrorResumeNext resume;
  resume([&] {
    plat::Sys().EnumWindows([](plat::WindowId w) { return run::EnumScanDiskWindow(w, 0) != 0; });
  });
  if (run::ScanDiskFound != plat::kFalse) {
    scandisk_seen_ = true;
    return;
  }
  // A ScanDisk whose window has not appeared yet has not finished.
  bool ended = false;
  resume([&] { ended = scandisk_seen_ || plat::Sys().ProgramHasEnded(scandisk_process_); });
  if (!ended) return;

  bool defrag = false;
  resume([&] { defrag = form_["chkDefrag"].Value() == 1; });
  if (defrag) {
    resume([&] { plat::Sys().Sleep(10000); });
    resume([&] {
      const std::string command = std::string("Defrag.exe ") + StoredDriveLetter() + ":";
      plat::Sys().StartProgram(command, plat::kShowNormalFocus);
    });
    resume([&] { form_["timDefrag"].SetEnabled(true); });
    resume([&] { form_["timScanDisk"].SetEnabled(false); });
  } else {
    resume([&] { FinishRun(); });
    if (completed_) return;
    resume([&] { form_["timScanDisk"].SetEnabled(false); });
  }

  // A ScanDisk dialog that came up meanwhile is answered No.
  std::string title;
  resume([&] {
    std::string text = "ScanDisk";
    const plat::Bool16 case_sensitive = plat::kTrue;
    title = run::GetWindowTitle(run::FindWindowByTitle(form_, text, case_sensitive));
  });
  if (completed_ || !form_.Loaded() || title.empty()) return;
  resume([&] { run::ToolDialog = run::FindToolWindow("#32770", title.c_str()); });
  if (run::ToolDialog == 0) return;
  resume([&] { run::FindButton(run::ToolDialog, "&No"); });
  resume([&] { run::PressButton(); });
}

void FrmMain::timDefrag_Timer() {
  common::OnErrorResumeNext resume;
  resume([&] { run::ToolDialog = run::FindToolWindow("#32770", "Disk Defragmenter"); });
  if (run::ToolDialog == 0) return;
  resume([&] { run::FindButton(run::ToolDialog, "&Yes"); });
  resume([&] { run::PressButton(); });
  resume([&] { FinishRun(); });
}

}  // namespace app
