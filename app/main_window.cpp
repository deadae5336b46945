#include "app/main_window.h"

#include <string>

#include "common/failure.h"
#include "common/settings.h"
#include "platform/errors.h"
#include "platform/platform.h"
#include "skin/resource_file.h"
#include "skin/sheets.h"
#include "skin/skins.h"
#include "windows/layouts.h"

namespace app {
namespace {

FrmMain* g_main_window = nullptr;
std::string g_settings_path;

// The load's own failure handling: a type mismatch (a stored value that is no
// number or Boolean) skips its step; any other failure is shown in two lines and
// ends the load.
class LoadSteps {
 public:
  template <class F>
  void operator()(F&& step) {
    if (ended_) return;
    plat::RuntimeError error(0);
    if (common::Attempt(std::forward<F>(step), &error)) return;
    if (error.number() == plat::kErrTypeMismatch) return;
    common::Attempt([&] {
      plat::MsgBox("Error: " + std::to_string(error.number()) +
                   "\r\nDescription: " + error.description());
    });
    ended_ = true;
  }
  bool ended() const { return ended_; }
  void End() { ended_ = true; }

 private:
  bool ended_ = false;
};

}  // namespace

FrmMain* MainWindow() {
  return g_main_window;
}
void SetMainWindow(FrmMain* window) {
  g_main_window = window;
}
const std::string& SettingsPath() {
  return g_settings_path;
}
void SetSettingsPath(std::string path) {
  g_settings_path = std::move(path);
}

char StoredDriveLetter() {
  std::string drive = common::ReadIni(SettingsPath(), common::kSection, common::kKeyDrive);
  char letter = drive.empty() ? '\0' : drive[0];
  // Anything but a drive letter would end up on a tool's command line.
  if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) {
    plat::Raise(plat::kErrInvalidCall);
  }
  return letter;
}

FrmMain::FrmMain() : form_(windows::MainLayout()) {
  BindHandlers();
}

void FrmMain::BindHandlers() {
  auto down = [](auto handler) {
    return [handler](int button, int, double, double) { handler(button); };
  };
  form_.on_load = [this] { Form_Load(); };
  form_.on_close_request = [this] { picExit_Click(); };
  form_["lblDefrag"].on_click = [this] { lblDefrag_Click(); };
  form_["lblScandisk"].on_click = [this] { lblScandisk_Click(); };
  form_["PicExecute"].on_click = [this] { PicExecute_Click(); };
  form_["PicExecute"].on_mouse_down = down([this](int b) { PicExecute_MouseDown(b); });
  form_["PicExecute"].on_mouse_move = down([this](int b) { PicExecute_MouseMove(b); });
  form_["picExit"].on_click = [this] { picExit_Click(); };
  form_["picExit"].on_mouse_down = down([this](int b) { picExit_MouseDown(b); });
  form_["picExit"].on_mouse_move = down([this](int b) { picExit_MouseMove(b); });
  form_["picClose"].on_click = [this] { picClose_Click(); };
  form_["picClose"].on_mouse_down = down([this](int b) { picClose_MouseDown(b); });
  form_["picClose"].on_mouse_move = down([this](int b) { picClose_MouseMove(b); });
  form_["picHelp"].on_click = [this] { picHelp_Click(); };
  form_["picHelp"].on_mouse_down = down([this](int b) { picHelp_MouseDown(b); });
  form_["picHelp"].on_mouse_move = down([this](int b) { picHelp_MouseMove(b); });
  form_["picAbout"].on_click = [this] { picAbout_Click(); };
  form_["picAbout"].on_mouse_down = down([this](int b) { picAbout_MouseDown(b); });
  form_["picAbout"].on_mouse_move = down([this](int b) { picAbout_MouseMove(b); });
  form_["picMain"].on_mouse_move = down([this](int) { picMain_MouseMove(); });
  form_["picTitlebar"].on_mouse_move = down([this](int) { picTitlebar_MouseMove(); });
  form_["picTitlebar"].on_mouse_down = down([this](int) { picTitlebar_MouseDown(); });
  form_["timActive"].on_timer = [this] { timActive_Timer(); };
  form_["timClean"].on_timer = [this] { timClean_Timer(); };
  form_["timScanDisk"].on_timer = [this] { timScanDisk_Timer(); };
  form_["timDefrag"].on_timer = [this] { timDefrag_Timer(); };
}

void FrmMain::Form_Load() {
  LoadSteps step;
  using common::kSection;
  const auto read = [](const char* key) { return common::ReadIni(SettingsPath(), kSection, key); };
  step([&] { skin::LoadSkinPicture(skin::kResourceMain, form_["picPicture"]); });
  step([&] {
    if (MainWindow() == nullptr) plat::Raise(plat::kErrObjectNotSet);
    skin::PaintSkin(MainWindow()->form());
  });
  step([&] { SetSettingsPath(plat::AppPath() + "\\" + plat::AppTitle() + ".ini"); });
  step([&] { FillDriveList(); });
  step([&] {
    if (read(common::kKeySet).substr(0, 3) != "Yes") step.End();
  });
  // A run is armed: restore the choices, lock them and let the run timer start it.
  step([&] {
    const std::string wanted = read(common::kKeyDrive).substr(0, 3);
    plat::Control& list = form_["lstDrive"];
    for (int i = 0; list.Text() != wanted; ++i) list.SetListIndex(i);
  });
  step([&] { form_["chkScanDisk"].SetValue(plat::ToInteger(read(common::kKeyScandisk))); });
  step([&] { form_["chkDefrag"].SetValue(plat::ToInteger(read("defrag"))); });
  step([&] { form_["optShutdown"].SetValue(plat::ToBool16(plat::ToBoolean(read("Shutdown")))); });
  step([&] { form_["optRestart"].SetValue(plat::ToBool16(plat::ToBoolean(read("Restart")))); });
  step([&] { form_["picExit"].SetLeft(2640); });
  step([&] { form_["PicExecute"].SetVisible(false); });
  step([&] {
    for (const char* name : {"lstDrive", "chkScanDisk", "chkDefrag", "optRestart", "optShutdown"}) {
      form_[name].SetEnabled(false);
    }
  });
  step([&] {
    form_["lblDefrag"].SetForeColor(0x0000C0C0);
    form_["lblScandisk"].SetForeColor(0x0000C0C0);
  });
  step([&] {
    form_["timClean"].SetEnabled(true);
    run_mode_ = true;
  });
}

void FrmMain::FillDriveList() {
  plat::Control& list = form_["lstDrive"];
  bool filled = common::OnErrorReportAndReturn("FM142", [&] {
    for (char letter = 'C'; letter != 'Z'; ++letter) {
      const std::string root = std::string(1, letter) + ":\\";
      if (plat::Sys().GetDriveType(root.c_str()) == plat::kDriveFixed) list.AddItem(root);
    }
  });
  if (!filled) common::Attempt([&] { list.AddItem("C:\\"); });
}

void FrmMain::ToggleBox(const char* name) {
  common::OnErrorResumeNext resume;
  // In run mode the choices are locked: the label follows its box.
  resume([&] {
    plat::Control& box = form_[name];
    if (box.Enabled()) box.SetValue(box.Value() == 1 ? 0 : 1);
  });
}

void FrmMain::lblDefrag_Click() {
  ToggleBox("chkDefrag");
}
void FrmMain::lblScandisk_Click() {
  ToggleBox("chkScanDisk");
}

}  // namespace app
