// A fresh simulated Windows 98 machine with Brivane installed, for tests of the
// program's own behaviour.
#pragma once

#include <string>

#include "app/main_window.h"
#include "app/program.h"
#include "platform/errors.h"
#include "platform/headless/testing.h"
#include "platform/platform.h"
#include "run/window_search.h"

namespace brivane_test {

inline constexpr const char* kSettings = "C:\\Program Files\\Brivane\\Brivane.ini";
inline constexpr const char* kSystemIni = "C:\\WINDOWS\\system.ini";
inline constexpr const char* kShortExe = "C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE";

inline constexpr const char* kTypicalSystemIni =
    "[boot]\r\n"
    "oemfonts.fon=vgaoem.fon\r\n"
    "shell=Explorer.exe\r\n"
    "system.drv=system.drv\r\n"
    "\r\n"
    "[386Enh]\r\n"
    "ebios=*ebios\r\n"
    "woafont=dosapp.fon\r\n"
    "\r\n"
    "[drivers]\r\n"
    "wave=mmsystem.dll\r\n";

// An armed settings file as Execute writes it.
inline std::string ArmedSettings(const std::string& drive = "C:\\", int scandisk = 1,
                                 int defrag = 1, bool shutdown = true) {
  return "[Configeration]\r\nDrive=" + drive + "\r\nScandisk=" + std::to_string(scandisk) +
         "\r\nDefrag=" + std::to_string(defrag) + "\r\nShutdown=" + (shutdown ? "True" : "False") +
         "\r\nRestart=" + (shutdown ? "False" : "True") + "\r\nSet=Yes\r\n";
}

class ProgramTest : public headless::DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    d.WriteFile(kSystemIni, kTypicalSystemIni);
    run::ResetSearchGlobals();
  }
  void TearDown() override {
    app::ResetProgram();
    run::ResetSearchGlobals();
    DesktopTest::TearDown();
  }

  // Starts the program as Windows or the user would.
  void Boot() {
    try {
      ProgramMain();
    } catch (const headless::ProcessEnded&) {
    }
  }
  app::FrmMain& Main() { return *app::MainWindow(); }
  plat::Control& C(const char* name) { return Main()[name]; }
  bool MainLoaded() { return app::MainWindow() && Main().form().Loaded(); }

  std::string Shell() {
    char buffer[512] = {};
    d.GetPrivateProfileString("Boot", "Shell", "", buffer, sizeof buffer, kSystemIni);
    return buffer;
  }
  std::string Setting(const char* key) {
    char buffer[512] = {};
    d.GetPrivateProfileString("Configeration", key, "(none)", buffer, sizeof buffer, kSettings);
    return buffer;
  }
  // The texts of the message boxes shown so far.
  std::vector<std::string> BoxTexts() {
    std::vector<std::string> out;
    for (const auto& b : d.boxes()) out.push_back(b.text);
    return out;
  }
};

}  // namespace brivane_test
