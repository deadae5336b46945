// The program's windows, one instance each, created by Main. They are the only
// state the program keeps between window events.
#pragma once

#include <memory>

namespace windows {
class FrmSplash;
class FrmAbout;
}  // namespace windows

namespace app {

class FrmMain;

struct Program {
  std::unique_ptr<windows::FrmSplash> splash;
  std::unique_ptr<FrmMain> main;
  std::unique_ptr<windows::FrmAbout> about;
};

Program& TheProgram();
// The main window reference: set by Main before the window is loaded.
FrmMain* MainWindow();
// The about window, created on first use.
windows::FrmAbout& AboutWindow();
// Discards every window and with them all the program's state (a test's next
// boot starts from nothing).
void ResetProgram();

}  // namespace app
