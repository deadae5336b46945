// Exit: leave the program, or stop a run by closing the tools and completing it.
#include <string>

#include "app/main_window.h"
#include "common/failure.h"
#include "common/termination.h"
#include "platform/platform.h"
#include "run/window_search.h"

namespace app {

void FrmMain::picExit_Click() {
  common::OnErrorResumeNext resume;
  int answer = 0;
  resume([&] {
    answer = plat::MsgBox("Are you sure you would like to exit", plat::kMbYesNo, "Exit?");
  });
  // Timers ran while the box was open: a watcher may have completed the run.
  if (completed_ || !form_.Loaded() || answer != plat::kIdYes) return;
  bool interactive = true;
  resume([&] { interactive = form_["PicExecute"].Visible(); });
  if (interactive) {
    resume([] { common::EndApplication(); });
    return;
  }
  resume([&] { form_["timClean"].SetEnabled(false); });
  resume([&] { form_["timScanDisk"].SetEnabled(false); });
  resume([&] { form_["timDefrag"].SetEnabled(false); });
  for (const char* tool : {"Scandisk", "Defrag"}) {
    plat::WindowId window = 0;
    resume([&] {
      std::string text = tool;
      const plat::Bool16 case_sensitive = plat::kFalse;
      window = run::FindWindowByTitle(form_, text, case_sensitive);
    });
    if (completed_ || !form_.Loaded()) return;
    if (window != 0) run::SendToTool(window, plat::kWmClose);
  }
  resume([&] { FinishRun(); });
}

}  // namespace app
