// Power loss after every single write of a whole arm-restart-run-complete cycle:
// the machine must always come back to the shell it had before arming.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "machine.h"
#include "platform/headless/testing.h"

namespace brivane_test {
namespace {

constexpr int kMaxBoots = 6;

std::string FileName(const std::string& path) {
  auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One write as the table shows it.
std::string Describe(const headless::Event& e) {
  const auto& a = e.args;
  if (e.kind == "WriteProfile") {
    return a[1] == "(null)" ? "flush " + FileName(a[0]) : FileName(a[0]) + " " + a[2] + "=" + a[3];
  }
  return e.kind + " " + FileName(a[0]) + (e.kind == "RegSetValue" ? " " + a[1] : "");
}

struct Story {
  std::string phase = "-";  // the session the power went in
  std::string cut = "(none)";
  bool cut_after_set = false;  // armed, the shell entry not yet written
  int boots = 0;               // boots into Brivane as the shell after the cut
  bool resumed_by_hand = false;
  std::string end;
  std::vector<std::string> faults;
};

// One whole cycle with the power cut after write number `cut_at` (0: never).
Story Cycle(const std::string& system_ini, int cut_at, int* writes_seen) {
  headless::Desktop d;
  d.Install();
  d.WriteFile(kSystemIni, system_ini);
  // Short tools: the run's own pauses are what matter here.
  Machine m(d, Tools{300, 3000, 2000});
  const std::string kept = m.Shell();
  Story s;
  int writes = 0;
  std::string phase = "arming";
  d.SetWriteObserver([&](const headless::Event& e) {
    if (++writes != cut_at) return;
    s.phase = phase;
    s.cut = Describe(e);
    s.cut_after_set = e.kind == "WriteProfile" && e.args[2] == "Set" && e.args[3] == "Yes";
    throw PowerCut{};
  });
  // The user starts Brivane from the shell and arms a run; Windows restarts.
  try {
    m.StartBrivane();
    m.Arm();
    m.Settle(120000);
  } catch (const PowerCut&) {
  }
  auto boot_until_rest = [&] {
    while (m.ShellNamesBrivane()) {
      if (++s.boots > kMaxBoots) {
        s.faults.push_back("keeps booting into Brivane");
        return;
      }
      phase = "run boot " + std::to_string(s.boots);
      try {
        m.PowerCycle();
        m.StartBrivane();
        m.Settle(120000);
      } catch (const PowerCut&) {
      }
    }
  };
  boot_until_rest();

  if (m.Armed()) {
    if (!s.cut_after_set) s.faults.push_back("an armed settings file outlives the cycle");
    // Brivane was never the shell: the run waits for the user to start Brivane.
    if (m.Shell() != kept) s.faults.push_back("armed with the shell changed");
    m.PowerCycle();
    m.StartBrivane();
    if (!m.InRunMode()) s.faults.push_back("starting Brivane by hand does not resume");
    if (!m.Settle()) s.faults.push_back("the resumed run asks for no shutdown");
    s.resumed_by_hand = true;
    boot_until_rest();
  } else if (s.cut_after_set) {
    s.faults.push_back("the armed run was lost");
  }
  if (m.Armed()) s.faults.push_back("still armed");
  if (m.Shell() != kept) s.faults.push_back("shell is \"" + m.Shell() + "\"");
  // Nothing else of system.ini may change: the whole text is as it was.
  if (d.ReadFile(kSystemIni) != system_ini) s.faults.push_back("system.ini changed");
  s.end = "Shell=" + m.Shell() + (d.FileExists(kSettings) ? ", settings unarmed" : "");
  if (s.resumed_by_hand) s.end = "armed at the shell, resumed by hand; " + s.end;
  app::ResetProgram();
  if (writes_seen) *writes_seen = writes;
  return s;
}

TEST(PowerLossTest, EveryCutPointEndsAtTheKeptShell) {
  std::ostringstream table;
  for (const char* shell : {"Explorer.exe", "C:\\Tools\\My Shell.exe"}) {
    SCOPED_TRACE(shell);
    const std::string system_ini = SystemIniWithShell(shell);
    int total = 0;
    Story clean = Cycle(system_ini, 0, &total);
    EXPECT_TRUE(clean.faults.empty()) << clean.faults[0];
    EXPECT_EQ(clean.boots, 1);
    ASSERT_GT(total, 10);

    table << "== shell=" << shell << ", " << total << " writes per cycle\n";
    char head[256];
    std::snprintf(head, sizeof head, "%3s  %-12s %-52s %5s  %s\n", "#", "session", "cut after",
                  "boots", "end state");
    table << head;
    int stranded = 0, by_hand = 0;
    for (int cut = 1; cut <= total; ++cut) {
      SCOPED_TRACE(cut);
      Story s = Cycle(system_ini, cut, nullptr);
      for (const std::string& f : s.faults) ADD_FAILURE() << "after " << s.cut << ": " << f;
      stranded += s.faults.empty() ? 0 : 1;
      by_hand += s.resumed_by_hand ? 1 : 0;
      char row[512];
      std::snprintf(row, sizeof row, "%3d  %-12s %-52s %5d  %s%s\n", cut, s.phase.c_str(),
                    s.cut.c_str(), s.boots, s.end.c_str(),
                    s.faults.empty() ? "" : ("  ** " + s.faults[0]).c_str());
      table << row;
    }
    EXPECT_EQ(by_hand, 1) << "only the cut right after Set leaves a run for the user to start";
    table << "   " << total << " cut points, " << stranded << " faulty, " << by_hand
          << " resumed by hand\n\n";
  }
  std::printf("%s", table.str().c_str());
  std::ofstream(std::string(BRIVANE_OUT_DIR) + "/power_loss.txt") << table.str();
}

}  // namespace
}  // namespace brivane_test
