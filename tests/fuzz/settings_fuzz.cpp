// Fuzzing the armed load: the input becomes Brivane.ini (and, after a line
// "--system.ini--", system.ini) on a fresh machine that boots Brivane as its
// shell. Whatever the files hold, the load ends in interactive or run mode by
// its own rules, a run starts nothing but the two disk tools on a drive letter,
// and a run always completes (by itself, or from the user's Exit).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

#include "common/support.h"
#include "machine.h"

namespace {

using brivane_test::kSettings;
using brivane_test::kSystemIni;

constexpr const char* kMarker = "\n--system.ini--\n";
constexpr const char* kArmedSystemIni =
    "[boot]\r\nshell=C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE\r\n[386Enh]\r\nwoafont=dosapp.fon\r\n";

[[noreturn]] void Broken(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "settings_fuzz: %s %s\n", what, detail.c_str());
  std::abort();
}

bool ToolCommand(const std::string& command) {
  static const std::regex tool(
      R"(C:\\WINDOWS\\(scandskw|Defrag)\.exe [A-Za-z]: /n|Defrag\.exe [A-Za-z]:)");
  return std::regex_match(command, tool);
}

// Boxes a load or run of this input may show: the settings read message, the
// load's own two lines, the launcher's report and its "Reboot" box, Exit.
bool Expected(const headless::BoxRecord& b) {
  const std::string mail = common::kSupportEmail;
  if (b.caption == "Brivane") {
    static const std::regex load("Error: [0-9]+\r\nDescription: .+");
    return b.text ==
               "An error has occurred while reading the .ini file.  Please contact " + mail + "." ||
           std::regex_match(b.text, load);
  }
  if (b.caption == "Reboot" || b.caption == "Exit?") return true;
  return b.caption.rfind("Error ", 0) == 0 &&
         b.text.rfind("Program Spacific Error Code: FM227\r\n", 0) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string settings = input, system_ini = kArmedSystemIni;
  if (auto at = input.find(kMarker); at != std::string::npos) {
    settings = input.substr(0, at);
    system_ini = input.substr(at + std::char_traits<char>::length(kMarker));
  }
  {
    headless::Desktop d;
    d.Install();
    d.KeepScreens(false);
    d.SetDriveType('D', plat::kDriveFixed);
    d.SetDriveType('E', plat::kDriveFixed);
    d.WriteFile(kSettings, settings);
    d.WriteFile(kSystemIni, system_ini);
    brivane_test::Machine m(d, brivane_test::Tools{300, 3000, 2000});
    const bool armed = m.Armed();
    m.StartBrivane();
    if (!m.MainLoaded()) Broken("the main window is not loaded");
    const bool run = m.InRunMode();
    if (run && !armed) Broken("run mode without Set=Yes");
    if (!run && !armed && !d.log().Of("StartProgram").empty()) Broken("interactive load started");
    if (run) {
      // Bounded: the run's own pauses take 27 s, the tools 5 s.
      if (!m.Settle(200000)) Broken("the run never completed");
      if (m.Armed()) Broken("still armed after the run");
    }
    for (const auto& e : d.log().Of("StartProgram")) {
      if (!ToolCommand(e.args[0])) Broken("started", e.args[0]);
    }
    for (const auto& b : d.boxes()) {
      if (!Expected(b)) Broken("unexpected box", b.caption + ": " + b.text);
    }
    if (!d.script_errors().empty()) Broken("script", d.script_errors()[0]);
    app::ResetProgram();
  }
  return 0;
}
