// The program's windows, one instance each, created by Main.
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
// The about window, created on first use.
windows::FrmAbout& AboutWindow();
// Discards every window (a test's next boot starts from nothing).
void ResetProgram();

}  // namespace app
