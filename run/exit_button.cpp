// Exit: leave the program, or stop a run by closing the tools and completing it.
#include <algorithm>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/termination.h"
#include "platform/platform.h"
#include "run/record.h"
#include "run/run.h"
#include "run/window_search.h"

namespace run {

void MaintenanceRun::picExit_Click() {
  common::OnErrorResumeNext resume;
  int answer = 0;
  resume([&] {
    answer = plat::MsgBox("Are you sure you would like to exit", plat::kMbYesNo, "Exit?");
  });
  // Timers ran while the box was open: a watcher may have completed the run.
  if (completed_ || !window_.Loaded() || answer != plat::kIdYes) return;
  bool interactive = true;
  resume([&] { interactive = window_.ExecuteVisible(); });
  if (interactive) {
    resume([] { common::EndApplication(); });
    return;
  }
  LogExitDuringRun();
  guard_.Off();
  resume([&] { window_.EnableTimer(Timer::kClean, false); });
  resume([&] { window_.EnableTimer(Timer::kScanDisk, false); });
  resume([&] { window_.EnableTimer(Timer::kDefrag, false); });
  std::vector<plat::WindowId> closed;
  for (const char* tool : {"Scandisk", "Defrag"}) {
    plat::WindowId window = 0;
    resume([&] {
      std::string text = tool;
      const plat::Bool16 case_sensitive = plat::kFalse;
      window = FindWindowByTitle(window_.Handle(), text, case_sensitive);
    });
    if (completed_ || !window_.Loaded()) return;
    if (window != 0) SendToTool(window, plat::kWmClose);
    closed.push_back(window);
  }
  // Captions in another language: the tools' windows by their processes too.
  for (plat::ProcessId tool : {scandisk_process_, defrag_process_}) {
    for (plat::WindowId window : WindowsOf(tool)) {
      if (std::find(closed.begin(), closed.end(), window) != closed.end()) continue;
      SendToTool(window, plat::kWmClose);
      closed.push_back(window);
    }
  }
  resume([&] { FinishRun(); });
}

}  // namespace run
