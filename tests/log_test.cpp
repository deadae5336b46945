// Brivane.log: every event of a run as one stamped line, kept under 64 KB, and
// never a reason for the program to do or show anything else.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "common/log.h"
#include "program_fixture.h"

namespace brivane_test {
namespace {

using headless::Op;

// A machine of its own for each case, booted ten seconds before midnight, so
// a run's lines cross into the next day.
struct Box : Station {
  Box() { d.SetBootTime({2026, 12, 7, 23, 59, 50}); }
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    std::istringstream in(d.ReadFile(kLog).value_or(""));
    for (std::string line; std::getline(in, line);) {
      EXPECT_TRUE(!line.empty() && line.back() == '\r') << "no CR LF: " << line;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      out.push_back(line);
    }
    return out;
  }
  // Fills the log with numbered lines up to about `bytes`.
  void FillLog(std::size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) {
      char line[64];
      std::snprintf(line, sizeof line, "2026-12-01 10:00:00  old line %05d\r\n", i);
      text += line;
    }
    d.WriteFile(kLog, text);
  }
};

struct Scenario {
  const char* name;
  std::function<void(Box&)> act;
  std::vector<std::string> lines;
};

TEST(LogTest, EachEventIsOneStampedLine) {
  const std::string reboot =
      "Error box: Your computer will now reboot.  Please contact support@brivane.co.uk with the "
      "error number and description.";
  const Scenario kScenarios[] = {
      {"both tools, shutdown",
       [](Box& t) {
         t.Arm();
         t.RunToTheEnd();
       },
       {"2026-12-07 23:59:50  Run resumed after the restart: drive C:\\, ScanDisk and Defrag, then "
        "shut down",
        "2026-12-08 00:00:02  Started: C:\\WINDOWS\\scandskw.exe C: /n",
        "2026-12-08 00:00:32  ScanDisk finished after 0:00:30",
        "2026-12-08 00:00:42  Started: Defrag.exe C:",
        "2026-12-08 00:01:02  Defrag's final prompt answered after 0:00:20",
        "2026-12-08 00:01:07  Run completed: shut down requested"}},
      {"Defrag alone, restart",
       [](Box& t) {
         t.Arm(0, 1, false);
         t.RunToTheEnd();
       },
       {"2026-12-07 23:59:50  Run resumed after the restart: drive C:\\, Defrag, then restart",
        "2026-12-08 00:00:02  Started: C:\\WINDOWS\\Defrag.exe C: /n",
        "2026-12-08 00:00:22  Defrag's final prompt answered after 0:00:20",
        "2026-12-08 00:00:27  Run completed: restart requested"}},
      {"armed at the desktop",
       [](Box& t) {
         t.m.StartBrivane();
         t.d.Toggle(t.C("chkDefrag"));
         t.d.Toggle(t.C("optRestart"));
         t.m.Arm();
       },
       {"2026-12-07 23:59:50  Armed: drive C:\\, ScanDisk, then restart"}},
      {"Exit during ScanDisk",
       [](Box& t) {
         t.Arm();
         t.m.StartBrivane();
         t.d.RunFor(20000);
         t.m.PressExit();
         t.WaitForTheEnd();
       },
       {"2026-12-07 23:59:50  Run resumed after the restart: drive C:\\, ScanDisk and Defrag, then "
        "shut down",
        "2026-12-08 00:00:02  Started: C:\\WINDOWS\\scandskw.exe C: /n",
        "2026-12-08 00:00:10  Exit during the run: closing the tools",
        "2026-12-08 00:00:15  Run completed: shut down requested"}},
      {"a tool that cannot start",
       [](Box& t) {
         t.d.Fail(Op::kStartProgram, plat::kErrFileNotFound);
         t.Arm();
         t.RunToTheEnd();
       },
       {"2026-12-07 23:59:50  Run resumed after the restart: drive C:\\, ScanDisk and Defrag, then "
        "shut down",
        "2026-12-08 00:00:02  Error box FM227: error 53, File not found",
        "2026-12-08 00:00:02  " + reboot,
        "2026-12-08 00:00:07  Run completed: shut down requested"}},
      {"the load's own box",
       [](Box& t) {
         t.d.WriteFile(kSettings, ArmedSettings("Q:\\"));
         t.m.StartBrivane();
       },
       {"2026-12-07 23:59:50  Error box: Error: 380 / Description: Invalid property value"}},
      {"start-up repair",
       [](Box& t) {
         t.d.WriteFile(kSettings, "[Configeration]\r\nKeptShell=\"C:\\Tools\\Shell.exe\"\r\n");
         t.d.WriteFile(kSystemIni, SystemIniWithShell(kShortExe));
         t.m.StartBrivane();
       },
       {"2026-12-07 23:59:50  Start-up: Brivane was still the shell; put back "
        "C:\\Tools\\Shell.exe"}},
  };
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    Box box;
    s.act(box);
    EXPECT_EQ(box.Lines(), s.lines);
  }
}

// The run before, as the log tells it, decides whether the resumed run is one
// that the power broke off.
TEST(LogTest, AnInterruptedRunIsToldByTheLinesBefore) {
  const std::string kStarted =
      "2026-12-06 02:00:00  Run resumed after the restart: x\r\n"
      "2026-12-06 02:00:12  Started: C:\\WINDOWS\\scandskw.exe C: /n\r\n";
  const struct {
    const char* name;
    std::string before;
    bool interrupted;
  } kCases[] = {
      {"a tool started, no end", kStarted, true},
      {"completed", kStarted + "2026-12-06 02:01:12  Run completed: restart requested\r\n", false},
      {"power lost in the completion's pause, then armed again",
       kStarted + "2026-12-06 08:00:00  Armed: drive C:\\, ScanDisk, then shut down\r\n", false},
      {"resumed, no tool started yet", "2026-12-06 02:00:00  Run resumed after the restart: x\r\n",
       false},
      {"no log", "", false},
      // Cut short by a full disk or the power: the next line stands on its own.
      {"a completion cut short", kStarted + "2026-12-06 02:01:12  Run compl", true},
      {"a line cut short after the end",
       kStarted +
           "2026-12-06 02:01:12  Run completed: restart requested\r\n2026-12-06 02:01:13  Er",
       false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Box box;
    if (!c.before.empty()) box.d.WriteFile(kLog, c.before);
    box.Arm(1, 0);
    box.m.StartBrivane();
    std::string want = c.before;
    if (!want.empty() && want.back() != '\n') want += "\r\n";
    if (c.interrupted) {
      want +=
          "2026-12-07 23:59:50  The last run was interrupted after a tool had started (a power "
          "cut?); it starts over\r\n";
    }
    want +=
        "2026-12-07 23:59:50  Run resumed after the restart: drive C:\\, ScanDisk, then shut "
        "down\r\n";
    EXPECT_EQ(box.d.ReadFile(kLog).value_or(""), want);
  }
}

TEST(LogTest, PastTheLimitTheOldestLinesGoAtLineBoundaries) {
  Box box;
  headless::Desktop& d = box.d;
  box.FillLog(common::kLogLimit - 40);
  const std::string old = *d.ReadFile(kLog);
  common::Log("first past the limit");
  const std::string now = *d.ReadFile(kLog);
  EXPECT_LT(now.size(), common::kLogLimit);
  EXPECT_GT(now.size(), common::kLogKept / 2);
  EXPECT_FALSE(d.FileExists(std::string(kLog) + ".tmp"));
  // A tail of the old text, from the start of a line, then the new line.
  const std::string added = "2026-12-07 23:59:50  first past the limit\r\n";
  ASSERT_GE(now.size(), added.size());
  EXPECT_EQ(now.substr(now.size() - added.size()), added);
  const std::string kept = now.substr(0, now.size() - added.size());
  EXPECT_EQ(old.substr(old.size() - kept.size()), kept);
  EXPECT_EQ(kept.substr(0, 20), "2026-12-01 10:00:00 ");
  // Below the limit nothing goes.
  common::Log("second");
  EXPECT_EQ(*d.ReadFile(kLog), now + "2026-12-07 23:59:50  second\r\n");
}

TEST(LogTest, APowerCutDuringRotationLosesAtMostThatRotation) {
  for (int cut = 1;; ++cut) {
    SCOPED_TRACE(cut);
    Box box;
    headless::Desktop& d = box.d;
    box.FillLog(common::kLogLimit - 40);
    const std::string old = *d.ReadFile(kLog);
    int writes = 0;
    bool cut_made = false;
    d.SetWriteObserver([&](const headless::Event&) {
      if (++writes == cut) {
        cut_made = true;
        throw PowerCut{};
      }
    });
    try {
      common::Log("during the rotation");
    } catch (const PowerCut&) {
    }
    d.SetWriteObserver(nullptr);
    if (!cut_made) break;  // every write of the rotation has been a cut point
    d.Restart();
    common::RecoverLog();
    EXPECT_FALSE(d.FileExists(std::string(kLog) + ".tmp"));
    const std::string now = d.ReadFile(kLog).value_or("");
    // Either the whole log as it was (with or without the new line), or the
    // rotated one: never less than the kept tail.
    EXPECT_GE(now.size(), common::kLogKept / 2);
    EXPECT_NE(now.find(old.substr(old.size() - 200)), std::string::npos);
    common::Log("after the power came back");
    EXPECT_LT(d.ReadFile(kLog)->size(), common::kLogLimit);
  }
}

// How the log can fail; the program must do and show exactly what it does with
// a log that works.
struct Obstacle {
  const char* name;
  std::function<void(headless::Desktop&)> apply;  // on the machine with the log working
  std::function<void(headless::Desktop&)> block;  // the same, with the log failing
};

TEST(LogTest, ALogThatCannotBeWrittenChangesNothingElse) {
  const Obstacle kObstacles[] = {
      {"disk full", [](headless::Desktop&) {},
       [](headless::Desktop& d) { d.Fail(Op::kAppendFileBytes, 61, 1000); }},
      {"read-only log", [](headless::Desktop&) {},
       [](headless::Desktop& d) {
         d.WriteFile(kLog, "");
         d.SetReadOnly(kLog, true);
       }},
      // The settings file cannot go and the pictures' temp.jpg cannot be written
      // either way; only the log differs.
      {"read-only folder",
       [](headless::Desktop& d) {
         d.SetReadOnly(kSettings, true);
         d.SetReadOnly(kTempJpg, true);
       },
       [](headless::Desktop& d) { d.SetReadOnly("C:\\Program Files\\Brivane", true); }},
  };
  // What the program did and showed, without the log's own writes.
  auto outcome = [](const Obstacle& o, bool blocked, bool start_fails) {
    Box box;
    box.Arm();
    (blocked ? o.block : o.apply)(box.d);
    if (start_fails) box.d.Fail(Op::kStartProgram, plat::kErrFileNotFound);
    box.RunToTheEnd();
    if (blocked) {
      EXPECT_EQ(box.d.ReadFile(kLog).value_or(""), "");
    }
    return box.Outcome({"AppendFile", "MoveFile"});
  };
  for (const Obstacle& o : kObstacles) {
    for (bool start_fails : {false, true}) {
      SCOPED_TRACE(std::string(o.name) + (start_fails ? ", a tool that cannot start" : ""));
      EXPECT_EQ(outcome(o, true, start_fails), outcome(o, false, start_fails));
    }
  }
}

}  // namespace
}  // namespace brivane_test
