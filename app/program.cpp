// Start-up: splash, main window load, main window shown, splash gone.
#include "app/program.h"

#include "app/main_window.h"
#include "common/error_codes.h"
#include "common/failure.h"
#include "common/log.h"
#include "common/shell_entry.h"
#include "platform/errors.h"
#include "platform/platform.h"
#include "windows/about_window.h"
#include "windows/splash_window.h"

namespace app {

Program& TheProgram() {
  static Program program;
  return program;
}

FrmMain* MainWindow() {
  return TheProgram().main.get();
}

windows::FrmAbout& AboutWindow() {
  Program& p = TheProgram();
  if (!p.about) p.about = std::make_unique<windows::FrmAbout>();
  return *p.about;
}

void ResetProgram() {
  Program& p = TheProgram();
  p.about.reset();
  p.main.reset();
  p.splash.reset();
}

namespace {

// A window that was never created is an unset reference: error 91, reported by
// the step that needs it (a control missing from a layout fails creation).
template <class W>
W& Created(const std::unique_ptr<W>& window) {
  if (!window) plat::Raise(plat::kErrObjectNotSet);
  return *window;
}

}  // namespace
}  // namespace app

void ProgramMain() {
  common::OnErrorReportAndResume step(common::codes::kStartUp);
  app::Program& program = app::TheProgram();
  common::RecoverLog();
  step([&] {
    program.splash = std::make_unique<windows::FrmSplash>();
    program.splash->form().Show();
  });
  step([&] { app::Created(program.splash).form().Refresh(); });
  step([&] {
    program.main = std::make_unique<app::FrmMain>();
    program.main->form().Load();
  });
  step([&] { app::Created(program.main).form().Show(); });
  step([&] { app::Created(program.splash).form().Unload(); });
  // A machine must never keep booting into a program that has no run to do.
  step([&] {
    bool run_mode = program.main && program.main->form().Loaded() && program.main->InRunMode();
    if (!run_mode) common::RestoreShellIfStranded();
  });
}
