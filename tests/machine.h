// A whole simulated machine around Brivane for tests of complete cycles: the
// disk tools as they behave, the user's clicks, and boots the way Windows does
// them (read Shell from system.ini, start what it names). Free of GoogleTest,
// so the fuzz target can drive it too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "app/program.h"
#include "app/shell_entry.h"
#include "platform/convert.h"
#include "platform/headless/desktop.h"
#include "platform/headless/profile.h"
#include "platform/platform.h"
#include "run/window_search.h"

namespace brivane_test {

inline constexpr const char* kMachineSettings = "C:\\Program Files\\Brivane\\Brivane.ini";
inline constexpr const char* kMachineSystemIni = "C:\\WINDOWS\\system.ini";

// Thrown from a write observer: the power goes at that instant. The program's
// handlers catch only plat::RuntimeError, so nothing of the session survives.
struct PowerCut {};

struct ToolTimes {
  std::uint32_t scandisk_delay = 300;  // until ScanDisk's window shows
  std::uint32_t scandisk_ms = 30000;   // how long it shows
  std::uint32_t defrag_ms = 20000;     // until Defrag's final prompt
};

class Machine {
 public:
  explicit Machine(headless::Desktop& d, ToolTimes times = {}) : d_(d), times_(times) {
    InstallTools();
  }

  // ---- Boots
  // Power off and on: only the disk stays; the program starts from nothing.
  void PowerCycle() {
    d_.Restart();
    app::ResetProgram();
    run::ResetSearchGlobals();
    app::SetSettingsPath("");
  }
  // Starts brivane.exe in the running session, as Windows or the user does.
  void StartBrivane() {
    try {
      ProgramMain();
    } catch (const headless::ProcessEnded&) {
    }
  }

  // ---- What is on the disk (read without the platform, so faults and counts stay)
  std::string Profile(const char* file, const char* section, const char* key,
                      const char* fallback = "") const {
    std::optional<std::string> text = d_.ReadFile(file);
    char buffer[1024] = {};
    headless::profile::Read(text ? &*text : nullptr, section, key, fallback, buffer, sizeof buffer);
    return buffer;
  }
  std::string Shell() const { return Profile(kMachineSystemIni, "Boot", "Shell"); }
  bool ShellNamesBrivane() const {
    std::string shell = plat::LowerAscii(Shell());
    return shell == "c:\\progra~1\\brivane\\brivane.exe" ||
           shell == "c:\\program files\\brivane\\brivane.exe" ||
           (shell.size() >= 11 && shell.substr(shell.size() - 11) == "brivane.exe");
  }
  bool Armed() const {
    return Profile(kMachineSettings, "Configeration", "Set").substr(0, 3) == "Yes";
  }

  // ---- The program's state
  app::FrmMain* Main() const { return app::MainWindow(); }
  bool MainLoaded() const { return Main() != nullptr && Main()->form().Loaded(); }
  bool InRunMode() const { return MainLoaded() && Main()->InRunMode(); }
  std::size_t ExitRequests() const { return d_.log().Of("ExitWindows").size(); }

  // ---- The user
  // Picks the first drive and presses Execute, answering Yes.
  void Arm() {
    if (!MainLoaded()) return;
    d_.Select((*Main())["lstDrive"], 0);
    d_.AnswerNextBox(plat::kIdYes);
    d_.Click((*Main())["PicExecute"]);
  }
  void PressExit() {
    if (!MainLoaded()) return;
    d_.AnswerNextBox(plat::kIdYes);
    d_.Click((*Main())["picExit"]);
  }
  // Lets the session run until Windows is asked to end it or the program has
  // gone; a program still waiting after `limit_ms` gets the user's Exit.
  // Returns true when a shutdown or restart was asked for.
  bool Settle(std::uint64_t limit_ms = 300000) {
    const std::size_t asked = ExitRequests();
    auto done = [&] { return ExitRequests() > asked || plat::LoadedForms().empty(); };
    d_.RunUntil(done, limit_ms);
    if (!done()) {
      PressExit();
      d_.RunUntil(done, limit_ms);
    }
    return ExitRequests() > asked;
  }

 private:
  void InstallTools() {
    d_.AddProgram("c:\\windows\\scandskw.exe", [this](headless::SimProcess& p) {
      p.After(times_.scandisk_delay, [this, &p] {
        p.CreateWindow("ScanDiskWnd", "ScanDisk - (C:)");
        p.After(times_.scandisk_ms, [&p] { p.End(); });
      });
    });
    auto defrag = [this](headless::SimProcess& p) {
      plat::WindowId w = p.CreateWindow("DefragWnd", "Defragmenting Drive C");
      p.After(times_.defrag_ms, [this, &p, w] {
        d_.DestroyWindow(w);
        p.CreateDialog("Disk Defragmenter", {"&Yes", "&No"}, [&p](const std::string&) { p.End(); });
      });
    };
    d_.AddProgram("c:\\windows\\defrag.exe", defrag);
    d_.AddProgram("defrag.exe", defrag);
  }

  headless::Desktop& d_;
  ToolTimes times_;
};

}  // namespace brivane_test
