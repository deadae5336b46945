// A whole simulated machine around Brivane: the disk tools as they behave, the
// user's clicks, and boots the way Windows does them (read Shell from
// system.ini, start what it names). Free of GoogleTest, so the fuzz target can
// drive it too.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "platform/convert.h"
#include "platform/headless/desktop.h"
#include "platform/headless/profile.h"
#include "platform/platform.h"

namespace brivane_test {

inline constexpr const char* kSettings = "C:\\Program Files\\Brivane\\Brivane.ini";
inline constexpr const char* kSystemIni = "C:\\WINDOWS\\system.ini";
inline constexpr const char* kLog = "C:\\Program Files\\Brivane\\Brivane.log";
inline constexpr const char* kShortExe = "C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE";
inline constexpr const char* kKeptShell = "C:\\Tools\\Shell.exe";
inline constexpr const char* kTypicalSystemIni =
    "[boot]\r\noemfonts.fon=vgaoem.fon\r\nshell=Explorer.exe\r\nsystem.drv=system.drv\r\n\r\n"
    "[386Enh]\r\nebios=*ebios\r\nwoafont=dosapp.fon\r\n\r\n[drivers]\r\nwave=mmsystem.dll\r\n";

// kTypicalSystemIni with another shell line.
inline std::string SystemIniWithShell(const std::string& shell) {
  std::string s = kTypicalSystemIni;
  return s.replace(s.find("Explorer.exe"), 12, shell);
}

// An armed settings file as Execute writes it, keeping kKeptShell.
inline std::string ArmedSettings(const std::string& drive = "C:\\", int scandisk = 1,
                                 int defrag = 1, bool shutdown = true) {
  return "[Configeration]\r\nDrive=" + drive + "\r\nScandisk=" + std::to_string(scandisk) +
         "\r\nDefrag=" + std::to_string(defrag) + "\r\nShutdown=" + (shutdown ? "True" : "False") +
         "\r\nRestart=" + (shutdown ? "False" : "True") + "\r\nSet=Yes\r\nKeptShell=\"" +
         kKeptShell + "\"\r\n";
}

// Thrown from a write observer: the power goes at that instant. The program's
// handlers catch only plat::RuntimeError, so nothing of the session survives.
struct PowerCut {};

// The simulated disk tools, with the behaviour of the real ones the run relies on.
struct Tools {
  std::uint32_t scandisk_delay = 300;  // until ScanDisk's window shows
  std::uint32_t scandisk_ms = 30000;   // how long it shows
  std::uint32_t defrag_ms = 20000;     // until Defrag's final prompt
  std::string defrag_caption = "Defragmenting Drive C";
  bool scandisk_window = true;
  std::string defrag_dialog_class = "#32770";
  std::vector<std::string> defrag_buttons = {"&Yes", "&No"};
  // A localised edition: its prompt's caption and the buttons' control IDs.
  std::string defrag_prompt_caption = "Disk Defragmenter";
  std::vector<int> defrag_button_ids = {};
  bool defrag_prompt = true;  // false: Defrag ends without asking
  bool close_on_press = true;
  std::vector<std::string> pressed = {};  // answers the Defrag prompt received
  plat::WindowId scandisk = 0, defrag = 0, prompt = 0;
};

class Machine {
 public:
  explicit Machine(headless::Desktop& d, Tools tools = {}, bool install = true)
      : tools(std::move(tools)), d_(d) {
    if (install) InstallTools();
  }

  // Power off and on: only the disk stays; the program starts from nothing.
  void PowerCycle() {
    d_.Restart();
    app::ResetProgram();
  }
  // Starts brivane.exe in the running session, as Windows or the user does.
  void StartBrivane() {
    try {
      ProgramMain();
    } catch (const headless::ProcessEnded&) {
    }
  }

  // What is on the disk (read without the platform, so faults and counts stay).
  // Through a buffer of `size` characters, as the profile functions fill it.
  std::string Profile(const char* file, const char* section, const char* key,
                      const char* fallback = "", std::uint32_t size = 1024) const {
    std::optional<std::string> text = d_.ReadFile(file);
    std::vector<char> buffer(size);
    headless::profile::Read(text ? &*text : nullptr, section, key, fallback, buffer.data(), size);
    return buffer.data();
  }
  std::string Shell() const { return Profile(kSystemIni, "Boot", "Shell"); }
  std::string Setting(const char* key) const {
    return Profile(kSettings, "Configeration", key, "(none)");
  }
  bool ShellNamesBrivane() const {
    const std::string shell = plat::LowerAscii(Shell());
    return shell.size() >= 11 && shell.substr(shell.size() - 11) == "brivane.exe";
  }
  // As the load reads Set: through its 50-character buffer (what a quoted value
  // loses depends on it), blanks before the value not counting.
  bool Armed() const {
    const std::string set = Profile(kSettings, "Configeration", "Set", "", 50);
    return set.substr(std::min(set.find_first_not_of(' '), set.size()), 3) == "Yes";
  }

  app::FrmMain* Main() const { return app::MainWindow(); }
  bool MainLoaded() const { return Main() != nullptr && Main()->form().Loaded(); }
  bool InRunMode() const { return MainLoaded() && Main()->InRunMode(); }
  std::size_t ExitRequests() const { return d_.log().Of("ExitWindows").size(); }

  // The user: picks the first drive and presses Execute, or presses Exit; Yes to both.
  void Arm() {
    if (!MainLoaded()) return;
    d_.Select(Main()->form()["lstDrive"], 0);
    d_.AnswerNextBox(plat::kIdYes);
    d_.Click(Main()->form()["PicExecute"]);
  }
  void PressExit() {
    if (!MainLoaded()) return;
    d_.AnswerNextBox(plat::kIdYes);
    d_.Click(Main()->form()["picExit"]);
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

  void InstallTools() {
    d_.AddProgram("c:\\windows\\scandskw.exe", [this](headless::SimProcess& p) {
      if (!tools.scandisk_window) return p.After(tools.scandisk_ms, [&p] { p.End(); });
      p.After(tools.scandisk_delay, [this, &p] {
        tools.scandisk = p.CreateWindow("ScanDiskWnd", "ScanDisk - (C:)");
        p.After(tools.scandisk_ms, [&p] { p.End(); });
      });
    });
    auto defrag = [this](headless::SimProcess& p) {
      tools.defrag = p.CreateWindow("DefragWnd", tools.defrag_caption);
      p.After(tools.defrag_ms, [this, &p] {
        d_.DestroyWindow(tools.defrag);
        if (!tools.defrag_prompt) return p.End();
        if (tools.defrag_dialog_class != "#32770") {
          headless::WindowOptions o;
          o.process = p.id;
          tools.prompt = d_.CreateWindow(tools.defrag_dialog_class, "Disk Defragmenter", o);
          return;
        }
        auto press = [this, &p](const std::string& b) {
          tools.pressed.push_back(b);
          if (tools.close_on_press) p.End();
        };
        tools.prompt = d_.CreateDialog(tools.defrag_prompt_caption, tools.defrag_buttons, p.id,
                                       press, tools.close_on_press);
        for (std::size_t i = 0; i < tools.defrag_button_ids.size(); ++i) {
          d_.SetControlId(d_.FindChild(tools.prompt, tools.defrag_buttons[i]),
                          tools.defrag_button_ids[i]);
        }
      });
    };
    d_.AddProgram("c:\\windows\\defrag.exe", defrag);
    d_.AddProgram("defrag.exe", defrag);
  }

  Tools tools;

 private:
  headless::Desktop& d_;
};

// A machine of its own, for tests that go through many cases each on a fresh one.
struct Station {
  headless::Desktop d;
  Machine m{d, {}, false};

  Station() {
    d.Install();
    d.WriteFile(kSystemIni, kTypicalSystemIni);
  }
  ~Station() { app::ResetProgram(); }
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;
  // A run armed as Execute leaves it, with the tools installed.
  void Arm(int scandisk = 1, int defrag = 1, bool shutdown = true) {
    d.WriteFile(kSettings, ArmedSettings("C:\\", scandisk, defrag, shutdown));
    d.WriteFile(kSystemIni, SystemIniWithShell(kShortExe));
    m.InstallTools();
  }
  // Starts Brivane and lets it run until it asks Windows to end the session.
  void RunToTheEnd() {
    m.StartBrivane();
    WaitForTheEnd();
  }
  void WaitForTheEnd() {
    d.RunUntil([this] { return m.ExitRequests() > 0; }, 200000);
  }
  plat::Control& C(const char* name) { return app::MainWindow()->form()[name]; }
  // What the program did and showed, one line each: the events but those of
  // the `left_out` kinds, then the boxes.
  std::string Outcome(std::initializer_list<std::string_view> left_out) const {
    std::string seen;
    for (const headless::Event& e : d.log().all()) {
      if (std::find(left_out.begin(), left_out.end(), e.kind) != left_out.end()) continue;
      seen += std::to_string(e.time) + " " + e.kind;
      for (const std::string& a : e.args) seen += " [" + a + "]";
      seen += "\n";
    }
    for (const auto& b : d.boxes()) seen += b.caption + ": " + b.text + "\n";
    return seen;
  }
};

}  // namespace brivane_test
