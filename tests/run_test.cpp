// Whole maintenance runs on the virtual clock, from the armed load to the shutdown.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace brivane_test {
namespace {

using headless::EventsMatch;
using headless::Op;
using headless::SimProcess;

// Simulated disk tools with the behaviour of the real ones that the run relies on.
struct Tools {
  std::uint32_t scandisk_delay = 300;  // until ScanDisk's window shows
  std::uint32_t scandisk_ms = 30000;   // how long it shows
  bool scandisk_window = true;
  std::uint32_t defrag_ms = 20000;  // until the final prompt
  std::string defrag_dialog_class = "#32770";
  std::vector<std::string> defrag_buttons = {"&Yes", "&No"};
  bool close_on_press = true;
  std::vector<std::string> pressed;  // answers the Defrag prompt received
  plat::WindowId scandisk = 0, defrag = 0, prompt = 0;
};

class RunTest : public ProgramTest {
 protected:
  void InstallScanDisk() {
    d.AddProgram("c:\\windows\\scandskw.exe", [this](SimProcess& p) {
      if (!tools.scandisk_window) {
        p.After(tools.scandisk_ms, [&p] { p.End(); });
        return;
      }
      p.After(tools.scandisk_delay, [this, &p] {
        tools.scandisk = p.CreateWindow("ScanDiskWnd", "ScanDisk - (C:)");
        p.After(tools.scandisk_ms, [&p] { p.End(); });
      });
    });
  }
  void InstallDefrag() {
    auto behaviour = [this](SimProcess& p) {
      tools.defrag = p.CreateWindow("DefragWnd", "Defragmenting Drive C");
      p.After(tools.defrag_ms, [this, &p] {
        d.DestroyWindow(tools.defrag);
        if (tools.defrag_dialog_class == "#32770") {
          tools.prompt = d.CreateDialog(
              "Disk Defragmenter", tools.defrag_buttons, p.id,
              [this, &p](const std::string& b) {
                tools.pressed.push_back(b);
                if (tools.close_on_press) p.End();
              },
              tools.close_on_press);
        } else {
          headless::WindowOptions o;
          o.process = p.id;
          tools.prompt = d.CreateWindow(tools.defrag_dialog_class, "Disk Defragmenter", o);
        }
      });
    };
    d.AddProgram("c:\\windows\\defrag.exe", behaviour);
    d.AddProgram("defrag.exe", behaviour);
  }
  // Arms a run, installs the tools and boots as Windows would after the restart.
  void BootArmed(int scandisk, int defrag, bool shutdown = true, bool tools_present = true) {
    d.WriteFile(kSettings, ArmedSettings("C:\\", scandisk, defrag, shutdown) +
                               "KeptShell=\"C:\\Tools\\Shell.exe\"\r\n");
    d.WriteFile(kSystemIni, std::string(kTypicalSystemIni)
                                .replace(std::string(kTypicalSystemIni).find("shell=Explorer.exe"),
                                         18, std::string("shell=") + kShortExe));
    if (tools_present) {
      InstallScanDisk();
      InstallDefrag();
    }
    Boot();
    ASSERT_TRUE(Main().InRunMode());
  }
  bool RunUntilDone(std::uint64_t limit = 200000) {
    return d.RunUntil([this] { return !d.log().Of("ExitWindows").empty(); }, limit);
  }
  void ExpectCompleted(const char* flags) {
    auto exits = d.log().Of("ExitWindows");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].args[0], flags);
    EXPECT_FALSE(d.FileExists(kSettings));
    EXPECT_EQ(Shell(), "C:\\Tools\\Shell.exe");
    EXPECT_TRUE(plat::LoadedForms().empty());
    // Every other line of system.ini is as it was.
    std::string expected = kTypicalSystemIni;
    expected.replace(expected.find("shell=Explorer.exe"), 18, "shell=C:\\Tools\\Shell.exe");
    EXPECT_EQ(d.ReadFile(kSystemIni), expected);
  }
  std::vector<std::string> Starts() {
    std::vector<std::string> out;
    for (const auto& e : d.log().Of("StartProgram")) out.push_back(e.args[0] + " | " + e.args[1]);
    return out;
  }
  std::uint64_t TimeOf(const char* kind, std::size_t index = 0) {
    auto events = d.log().Of(kind);
    return index < events.size() ? events[index].time : 0;
  }
  // Deletions of the settings file (the skin's temp.jpg goes at every load too).
  std::vector<headless::Event> SettingsDeletes() {
    std::vector<headless::Event> out;
    for (const auto& e : d.log().Of("DeleteFile")) {
      if (e.args[0] == d.FullPath(kSettings)) out.push_back(e);
    }
    return out;
  }
  std::uint64_t CompletionTime() {
    auto deletes = SettingsDeletes();
    return deletes.empty() ? 0 : deletes[0].time;
  }
  std::vector<std::string> BoxCaptions() {
    std::vector<std::string> out;
    for (const auto& b : d.boxes()) out.push_back(b.caption);
    return out;
  }

  Tools tools;
};

TEST_F(RunTest, BothToolsRunOneAfterTheOtherAndTheMachineShutsDown) {
  BootArmed(1, 1, true);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_EQ(Starts(),
            (std::vector<std::string>{"C:\\WINDOWS\\scandskw.exe C: /n | 4", "Defrag.exe C: | 1"}));
  // First tick at 2 s, the tool 10 s later; Defrag 10 s after ScanDisk has gone.
  EXPECT_EQ(TimeOf("StartProgram", 0), 12000u);
  const std::uint64_t scandisk_gone = 12000 + tools.scandisk_delay + tools.scandisk_ms;
  EXPECT_GE(TimeOf("StartProgram", 1), scandisk_gone + 10000);
  EXPECT_LE(TimeOf("StartProgram", 1), scandisk_gone + 10000 + 100);
  EXPECT_EQ(tools.pressed, std::vector<std::string>{"&Yes"});
  EXPECT_TRUE(d.boxes().empty());
  ExpectCompleted("0x1");
  // Completion: the shell back, then the settings gone, the request last, 5 s later.
  auto writes = d.log().Of("WriteProfile");
  ASSERT_GE(writes.size(), 2u);
  EXPECT_EQ(TimeOf("ExitWindows"), CompletionTime() + 5000);
}

TEST_F(RunTest, TheToolSettingsAreWrittenBeforeTheFirstTool) {
  BootArmed(0, 1);
  d.RunFor(12000);
  const plat::RegKey hkcu = plat::kHkeyCurrentUser;
  const std::string base = "Software\\Microsoft\\Windows\\CurrentVersion\\";
  EXPECT_REG_BINARY(d, hkcu, base + "Applets\\Check Drive", "Settings",
                    headless::Bytes({0x80, 0x04, 0x00, 0x00}));
  EXPECT_REG_BINARY(d, hkcu, base + "Applets\\Check Drive", "Autochk",
                    headless::Bytes({0, 0, 0, 0}));
  EXPECT_REG_BINARY(d, hkcu, base + "Applet\\Check Drive", "NoUnknownDDErrDrvs",
                    headless::Bytes({0, 0, 0, 0}));
  EXPECT_REG_VALUE(d, hkcu, base + "Applets\\Defrag\\Settings\\scandisk", "", plat::kRegSz,
                   headless::TextBytes("FALSE"));
  EXPECT_REG_VALUE(d, hkcu, base + "Applets\\Defrag\\Settings\\method", "", plat::kRegSz,
                   headless::TextBytes("FULLNOAPPLOG"));
  auto sets = d.log().Of("RegSetValue");
  ASSERT_EQ(sets.size(), 5u);
  EXPECT_LT(sets.back().time, TimeOf("StartProgram") + 1);
}

TEST_F(RunTest, OnlyScanDiskCompletesInTheTickItEndsAndRestarts) {
  BootArmed(1, 0, false);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_EQ(Starts(), std::vector<std::string>{"C:\\WINDOWS\\scandskw.exe C: /n | 4"});
  const std::uint64_t gone = 12000 + tools.scandisk_delay + tools.scandisk_ms;
  EXPECT_LE(CompletionTime(), gone + 100);
  ExpectCompleted("0x2");
}

TEST_F(RunTest, OnlyDefragIsStartedByTheLauncherWithItsOption) {
  BootArmed(0, 1);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_EQ(Starts(), std::vector<std::string>{"C:\\WINDOWS\\Defrag.exe C: /n | 4"});
  ExpectCompleted("0x1");
}

TEST_F(RunTest, TheToolsAreStartedFromTheWindowsFolder) {
  d.SetWindowsDirectory("D:\\WIN98");
  d.WriteFile("D:\\WIN98\\system.ini", "[boot]\r\nshell=C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE\r\n");
  d.WriteFile(kSettings, ArmedSettings("C:\\", 1, 0));
  d.AddProgram("d:\\win98\\scandskw.exe", [](SimProcess& p) { p.End(); });
  Boot();
  d.RunFor(20000);
  EXPECT_EQ(Starts(), std::vector<std::string>{"D:\\WIN98\\scandskw.exe C: /n | 4"});
  char shell[128] = {};
  d.GetPrivateProfileString("Boot", "Shell", "", shell, sizeof shell, "D:\\WIN98\\system.ini");
  EXPECT_STREQ(shell, "Explorer.exe");
}

TEST_F(RunTest, NeitherToolWaitsForExitWhichCompletesTheRun) {
  BootArmed(0, 0);
  d.RunFor(60000);
  EXPECT_TRUE(Starts().empty());
  EXPECT_TRUE(d.log().Of("ExitWindows").empty());
  d.AnswerNextBox(plat::kIdYes);
  d.Click(C("picExit"));
  ExpectCompleted("0x1");
  EXPECT_EQ(BoxCaptions(), std::vector<std::string>{"Exit?"});
}

TEST_F(RunTest, AToolThatCannotStartIsReportedAndTheRunCompletes) {
  BootArmed(1, 1, true, false);
  d.AnswerNextBox(plat::kIdOk);
  d.AnswerNextBox(plat::kIdCancel);  // the button pressed is not examined
  ASSERT_TRUE(RunUntilDone());
  ASSERT_EQ(d.boxes().size(), 2u);
  EXPECT_NE(d.boxes()[0].text.find("Program Spacific Error Code: FM227"), std::string::npos);
  EXPECT_EQ(d.boxes()[0].caption, "Error 53");
  EXPECT_EQ(d.boxes()[1].caption, "Reboot");
  EXPECT_EQ(d.boxes()[1].style, 65);
  EXPECT_EQ(d.boxes()[1].text,
            "Your computer will now reboot.  Please contact support@brivane.co.uk with the error "
            "number and description.");
  ExpectCompleted("0x1");  // shut down as chosen, whatever the box says
}

TEST_F(RunTest, AStoredDriveThatIsNoLetterNeverReachesACommandLine) {
  BootArmed(1, 1);
  d.WriteFile(kSettings, "[Configeration]\r\nDrive=1:\\ /x\r\nSet=Yes\r\n");
  ASSERT_TRUE(RunUntilDone());
  EXPECT_TRUE(Starts().empty());
  ASSERT_GE(d.boxes().size(), 1u);
  EXPECT_EQ(d.boxes()[0].caption, "Error 5");
  EXPECT_NE(d.boxes()[0].text.find("FM227"), std::string::npos);
}

TEST_F(RunTest, AScanDiskWindowThatComesLateIsWaitedFor) {
  tools.scandisk_delay = 700;  // several watcher ticks without a window
  BootArmed(1, 0);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_GE(CompletionTime(), 12000 + 700 + tools.scandisk_ms);
}

TEST_F(RunTest, AScanDiskThatEndsWithoutAWindowCountsAsFinished) {
  tools.scandisk_window = false;
  tools.scandisk_ms = 3000;
  BootArmed(1, 0);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_GE(CompletionTime(), 15000u);
  EXPECT_LE(CompletionTime(), 15100u);
}

TEST_F(RunTest, AnyOtherScanDiskWindowHoldsTheRunButAScandiskOneDoesNot) {
  headless::WindowOptions o;
  o.process = 77;
  plat::WindowId foreign = d.CreateWindow("Notes", "About ScanDisk", o);
  d.CreateWindow("Notes", "Scandisk notes", o);  // other letter case: ignored
  BootArmed(1, 0);
  d.RunFor(200000);
  EXPECT_TRUE(d.log().Of("ExitWindows").empty());
  d.DestroyWindow(foreign);
  ASSERT_TRUE(RunUntilDone(1000));
  ExpectCompleted("0x1");
}

TEST_F(RunTest, TheProgramsOwnWindowsNeverHoldTheRun) {
  BootArmed(1, 0);
  d.RunFor(12000 + 100);
  // A box of this program captioned like ScanDisk stays open for a while.
  d.AnswerNextBox(plat::kIdOk, 60000);
  plat::MsgBox("ScanDisk", plat::kMbOk, "ScanDisk");
  EXPECT_FALSE(d.log().Of("ExitWindows").empty());
}

TEST_F(RunTest, OnlyADisksDefragmenterDialogIsTakenAsTheEnd) {
  tools.defrag_dialog_class = "DefragWnd";
  BootArmed(0, 1);
  headless::WindowOptions o;
  o.process = 77;
  d.CreateDialog("Disk Defragmenter - Help", {"&Yes"}, 77);
  d.RunFor(300000);
  EXPECT_TRUE(d.log().Of("ExitWindows").empty());
  EXPECT_TRUE(d.log().Of("SendMessageTimeout").empty());
}

TEST_F(RunTest, APromptWithoutYesGetsNoPressButTheRunCompletes) {
  d.SetReuseHandles(true);
  // ScanDisk raises a dialog during the 10 s wait: its "&No" button is pressed.
  d.AddProgram("c:\\windows\\scandskw.exe", [this](SimProcess& p) {
    tools.scandisk = p.CreateWindow("ScanDiskWnd", "ScanDisk - (C:)");
    p.After(5000, [this, &p] {
      d.DestroyWindow(tools.scandisk);
      p.After(3000, [this, &p] {
        p.CreateDialog("ScanDisk", {"&Yes", "&No"});
        d.BringToTop(Main().form().Handle());  // below the main window, where the search looks
      });
    });
  });
  tools.defrag_buttons = {"OK"};
  InstallDefrag();
  d.WriteFile(kSettings, ArmedSettings("C:\\", 1, 1) + "KeptShell=\"C:\\Tools\\Shell.exe\"\r\n");
  Boot();
  ASSERT_TRUE(RunUntilDone());
  std::vector<std::string> targets;
  for (const auto& e : d.log().Of("SendMessageTimeout")) targets.push_back(e.args[0]);
  ASSERT_GE(targets.size(), 2u);
  EXPECT_EQ(targets[0], "&No");
  for (const auto& t : targets) EXPECT_NE(t, "OK");
  EXPECT_TRUE(tools.pressed.empty());
  EXPECT_EQ(d.log().Of("ExitWindows").size(), 1u);
}

TEST_F(RunTest, AHungToolDoesNotHangTheShell) {
  BootArmed(0, 1);
  d.RunUntil([this] { return tools.prompt != 0; }, 100000);
  d.SetHung(d.FindChild(tools.prompt, "&Yes"), true);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_EQ(d.hang_count(), 0);
  for (const auto& e : d.log().Of("SendMessageTimeout")) {
    EXPECT_EQ(e.args[4], std::to_string(plat::kSmtoAbortIfHung));
  }
}

TEST_F(RunTest, CompletionWithTheSettingsFileAlreadyGoneIsQuiet) {
  BootArmed(0, 1);
  d.RunUntil([this] { return tools.prompt != 0; }, 100000);
  d.RemoveFile(kSettings);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_TRUE(d.boxes().empty());
  auto exits = d.log().Of("ExitWindows");
  ASSERT_EQ(exits.size(), 1u);
  EXPECT_EQ(exits[0].args[0], "0x1");
  EXPECT_EQ(Shell(), "Explorer.exe");  // nothing was kept any more
}

TEST_F(RunTest, AFailedCompletionIsReportedAndTheWatcherLooksAgain) {
  tools.close_on_press = false;
  BootArmed(0, 1);
  d.RunUntil([this] { return tools.prompt != 0; }, 100000);
  d.Fail(Op::kDeleteFile, plat::kErrPermissionDenied);
  ASSERT_TRUE(RunUntilDone());
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_NE(d.boxes()[0].text.find("Program Spacific Error Code: FM316"), std::string::npos);
  EXPECT_EQ(tools.pressed, (std::vector<std::string>{"&Yes", "&Yes", "&Yes", "&Yes"}));
  ExpectCompleted("0x1");
}

struct ExitCase {
  const char* name;
  std::uint64_t at;                 // virtual time of the click after the boot
  std::vector<std::string> starts;  // started before the exit
  std::vector<std::string> closed;  // windows sent WM_CLOSE
};

class ExitTest : public RunTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitTest, ExitDuringARunClosesTheToolsAndCompletes) {
  const ExitCase& c = GetParam();
  BootArmed(1, 1);
  // A click during the launcher's pause is handled once the pause is over.
  d.RunFor(c.at);
  // Clicking the window brings it to the front: the tools are below it then.
  d.BringToTop(Main().form().Handle());
  d.SetForeground(Main().form().Handle());
  d.AnswerNextBox(plat::kIdYes);
  d.Click(C("picExit"));
  EXPECT_EQ(Starts(), c.starts);
  std::vector<std::string> closed;
  for (const auto& e : d.log().Of("SendMessageTimeout")) {
    if (e.args[1] == "WM_CLOSE") closed.push_back(e.args[0]);
  }
  EXPECT_EQ(closed, c.closed);
  ExpectCompleted("0x1");
  d.RunFor(60000);
  EXPECT_EQ(Starts(), c.starts);  // nothing starts once Exit was confirmed
}

const ExitCase kExitCases[] = {
    {"FirstTwoSeconds", 1000, {}, {}},
    {"AfterTheLaunchersPause", 2000, {"C:\\WINDOWS\\scandskw.exe C: /n | 4"}, {}},
    {"WatchingScanDisk", 20000, {"C:\\WINDOWS\\scandskw.exe C: /n | 4"}, {"ScanDisk - (C:)"}},
    {"WatchingDefrag",
     60000,
     {"C:\\WINDOWS\\scandskw.exe C: /n | 4", "Defrag.exe C: | 1"},
     {"Defragmenting Drive C"}},
};
INSTANTIATE_TEST_SUITE_P(States, ExitTest, ::testing::ValuesIn(kExitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunTest, ExitAnsweredNoChangesNothingAndAltF4AsksToo) {
  BootArmed(1, 1);
  d.RunFor(20000);
  d.AnswerNextBox(plat::kIdNo);
  d.Click(C("picExit"));
  d.AnswerNextBox(plat::kIdNo);
  d.RequestClose(Main().form());
  EXPECT_EQ(BoxCaptions(), (std::vector<std::string>{"Exit?", "Exit?"}));
  EXPECT_TRUE(C("timScanDisk").Enabled());
  ASSERT_TRUE(RunUntilDone());
  ExpectCompleted("0x1");
}

TEST_F(RunTest, AWatcherThatCompletesWhileTheExitBoxIsOpenEndsTheStory) {
  BootArmed(0, 1);
  d.RunFor(20000);
  d.AnswerNextBox(plat::kIdYes, 60000);  // the prompt comes and is answered meanwhile
  d.Click(C("picExit"));
  ExpectCompleted("0x1");
  for (const auto& e : d.log().Of("SendMessageTimeout")) EXPECT_NE(e.args[1], "WM_CLOSE");
  EXPECT_EQ(SettingsDeletes().size(), 1u);
}

TEST_F(RunTest, ExitInInteractiveModeLeavesTheFilesAlone) {
  Boot();
  d.AnswerNextBox(plat::kIdYes);
  d.Click(C("picExit"));
  EXPECT_TRUE(plat::LoadedForms().empty());
  EXPECT_EQ(d.ReadFile(kSystemIni), kTypicalSystemIni);
  EXPECT_TRUE(d.log().Of("ExitWindows").empty());
  EXPECT_TRUE(SettingsDeletes().empty());
}

}  // namespace
}  // namespace brivane_test
