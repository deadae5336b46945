// Whole maintenance runs on the virtual clock, from the armed load to the shutdown.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace brivane_test {
namespace {

using headless::EventsMatch;
using headless::Op;
using headless::SimProcess;

constexpr const char* kScanDiskStart = "C:\\WINDOWS\\scandskw.exe C: /n | 4";
constexpr const char* kDefragStart = "Defrag.exe C: | 1";

class RunTest : public ProgramTest {
 protected:
  // Arms a run, installs the tools and boots as Windows would after the restart.
  void BootArmed(int scandisk, int defrag, bool shutdown = true, bool tools_present = true) {
    d.WriteFile(kSettings, ArmedSettings("C:\\", scandisk, defrag, shutdown));
    d.WriteFile(kSystemIni, SystemIniWithShell(kShortExe));
    if (tools_present) m.InstallTools();
    Boot();
    ASSERT_TRUE(Main().InRunMode());
  }
  bool RunUntilDone(std::uint64_t limit = 200000) {
    return d.RunUntil([this] { return m.ExitRequests() > 0; }, limit);
  }
  // One request to end Windows, the settings gone, the kept shell back and every
  // other line of system.ini as it was.
  void ExpectCompleted(const char* flags) {
    auto exits = d.log().Of("ExitWindows");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].args[0], flags);
    EXPECT_FALSE(d.FileExists(kSettings));
    EXPECT_EQ(d.ReadFile(kSystemIni), SystemIniWithShell(kKeptShell));
    EXPECT_TRUE(plat::LoadedForms().empty());
  }
  std::vector<std::string> Starts() {
    std::vector<std::string> out;
    for (const auto& e : d.log().Of("StartProgram")) out.push_back(e.args[0] + " | " + e.args[1]);
    return out;
  }
  std::vector<std::string> Sent(const char* message = nullptr) {
    std::vector<std::string> out;
    for (const auto& e : d.log().Of("SendMessageTimeout")) {
      if (!message || e.args[1] == message) out.push_back(e.args[0]);
    }
    return out;
  }
  // When the settings file was deleted (temp.jpg goes at every load too).
  std::uint64_t CompletionTime() {
    for (const auto& e : d.log().Of("DeleteFile")) {
      if (e.args[0] == d.FullPath(kSettings)) return e.time;
    }
    return 0;
  }
  bool Logged(const std::string& text) {
    return d.ReadFile(kLog).value_or("").find("  " + text + "\r\n") != std::string::npos;
  }
  void WaitForPrompt() {
    d.RunUntil([this] { return m.tools.prompt != 0; }, 100000);
  }
};

TEST_F(RunTest, BothToolsRunOneAfterTheOtherAndTheMachineShutsDown) {
  BootArmed(1, 1, true);
  const std::size_t mark = d.log().size();
  ASSERT_TRUE(RunUntilDone());
  std::vector<headless::Event> writes;
  for (const auto& e : d.log().since(mark)) {
    // The log's lines have tests of their own.
    if (e.kind != "SendMessageTimeout" && e.kind != "RegCreateKey" && e.kind != "AppendFile") {
      writes.push_back(e);
    }
  }
  const std::string applets = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\";
  const std::string settings = d.FullPath(kSettings), system_ini = d.FullPath(kSystemIni);
  // The first tick at 2 s and the launcher's 10 s pause; the watcher's tick sees
  // ScanDisk gone at 42.3 s, Defrag comes 10 s later and its prompt, at 72.3 s,
  // is answered in the same tick; the shutdown 5 s after the settings went.
  EXPECT_TRUE(EventsMatch(
      writes,
      {
          {"RegSetValue",
           {applets + "Applets\\Check Drive", "Settings", "3", "80 04 00 00"},
           12000},
          {"RegSetValue", {applets + "Applets\\Check Drive", "Autochk", "3", "00 00 00 00"}, 12000},
          {"RegSetValue",
           {applets + "Applet\\Check Drive", "NoUnknownDDErrDrvs", "3", "00 00 00 00"},
           12000},
          {"RegSetValue",
           {applets + "Applets\\Defrag\\Settings\\scandisk", "", "1", "46 41 4C 53 45"},
           12000},
          {"RegSetValue",
           {applets + "Applets\\Defrag\\Settings\\method", "", "1",
            "46 55 4C 4C 4E 4F 41 50 50 4C 4F 47"},
           12000},  // 5
          {"StartProgram", {"C:\\WINDOWS\\scandskw.exe C: /n", "4"}, 12000},
          {"StartProgram", {"Defrag.exe C:", "1"}, 52300},
          {"WriteProfile", {settings, "Configeration", "Set", "(null)"}, 72300},
          {"WriteProfile", {settings, "(null)", "(null)", "(null)"}, 72300},
          {"WriteProfile", {system_ini, "Boot", "Shell", kKeptShell}, 72300},  // 10
          {"WriteProfile", {system_ini, "(null)", "(null)", "(null)"}, 72300},
          {"DeleteFile", {settings}, 72300},
          {"ExitWindows", {"0x1", "0"}, 77300},
      }));
  // Down, up, down, up: the first click closes the prompt.
  EXPECT_EQ(Sent(), (std::vector<std::string>{"&Yes", "&Yes", "(no window)", "(no window)"}));
  EXPECT_EQ(m.tools.pressed, std::vector<std::string>{"&Yes"});
  EXPECT_TRUE(d.boxes().empty());
  ExpectCompleted("0x1");
}

TEST_F(RunTest, OneToolAloneIsStartedByTheLauncherAndCompletesTheRun) {
  const struct {
    int scandisk, defrag;
    bool shutdown;
    const char* start;
    const char* flags;
    std::uint64_t completed;  // at the latest
  } cases[] = {
      // ScanDisk completes in the tick it ends.
      {1, 0, false, kScanDiskStart, "0x2", 12000 + 300 + 30000 + 100},
      {0, 1, true, "C:\\WINDOWS\\Defrag.exe C: /n | 4", "0x1", 12000 + 20000 + 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    d.log().Clear();
    BootArmed(c.scandisk, c.defrag, c.shutdown, c.scandisk == 1);
    ASSERT_TRUE(RunUntilDone());
    EXPECT_EQ(Starts(), std::vector<std::string>{c.start});
    EXPECT_LE(CompletionTime(), d.log()[0].time + c.completed);
    ExpectCompleted(c.flags);
    app::ResetProgram();
  }
}

TEST_F(RunTest, TheToolsAreStartedFromTheWindowsFolder) {
  d.SetWindowsDirectory("D:\\WIN98");
  d.WriteFile("D:\\WIN98\\system.ini", "[boot]\r\nshell=C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE\r\n");
  d.WriteFile(kSettings, ArmedSettings("C:\\", 1, 0));
  d.AddProgram("d:\\win98\\scandskw.exe", [](SimProcess& p) { p.End(); });
  Boot();
  d.RunFor(20000);
  EXPECT_EQ(Starts(), std::vector<std::string>{"D:\\WIN98\\scandskw.exe C: /n | 4"});
  EXPECT_EQ(d.ReadFile("D:\\WIN98\\system.ini"),
            std::string("[boot]\r\nshell=") + kKeptShell + "\r\n");
}

TEST_F(RunTest, AKeptShellNamingBrivaneGivesWayToExplorer) {
  const char* kKept[] = {kShortExe, "\"C:\\Program Files\\Brivane\\brivane.exe\"",
                         "rFC:\\PRO\xa8\xa8GRA~1\\BRIVANE\\BRIVANE.EXE",
                         // Control characters go on the way through system.ini.
                         "\"\x1a\x1aRIVANE\\BRIVANE.EXE\x1a\x1a\x01\""};
  for (const char* kept : kKept) {
    for (bool armed : {true, false}) {
      SCOPED_TRACE(std::string(kept) + (armed ? ", at completion" : ", at start-up"));
      // Set twice: the completion's delete takes the first only.
      d.WriteFile(kSettings, std::string("[Configeration]\r\nDrive=C:\\\r\nScandisk=0\r\n") +
                                 (armed ? "Set=Yes\r\nSet=Yes\r\n" : "") + "KeptShell=" + kept +
                                 "\r\n");
      d.WriteFile(kSystemIni, SystemIniWithShell(kShortExe));
      Boot(true);
      if (armed) {
        m.PressExit();
        EXPECT_EQ(m.ExitRequests(), 1u);
      }
      EXPECT_EQ(Shell(), "Explorer.exe");
      EXPECT_FALSE(m.Armed());
      d.log().Clear();
    }
  }
}

TEST_F(RunTest, NeitherToolWaitsForExitWhichCompletesTheRun) {
  BootArmed(0, 0);
  d.RunFor(60000);
  EXPECT_TRUE(Starts().empty());
  EXPECT_EQ(m.ExitRequests(), 0u);
  m.PressExit();
  ExpectCompleted("0x1");
  EXPECT_EQ(BoxHeads(), std::vector<std::string>{"Are you sure you would like to exit"});
}

TEST_F(RunTest, AToolThatCannotStartIsReportedAndTheRunCompletes) {
  BootArmed(1, 1, true, false);
  d.AnswerNextBox(plat::kIdOk);
  d.AnswerNextBox(plat::kIdCancel);  // the button pressed is not examined
  ASSERT_TRUE(RunUntilDone());
  ASSERT_EQ(d.boxes().size(), 2u);
  EXPECT_EQ(BoxHeads()[0], "Program Spacific Error Code: FM227");
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
  EXPECT_EQ(BoxHeads().at(0), "Program Spacific Error Code: FM227");
  EXPECT_EQ(d.boxes()[0].caption, "Error 5");
}

TEST_F(RunTest, AScanDiskWindowThatComesLateIsWaitedForAndNoneAtAllMeansFinished) {
  m.tools.scandisk_delay = 700;  // several watcher ticks without a window
  BootArmed(1, 0);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_GE(CompletionTime(), 12000u + 700 + 30000);

  d.log().Clear();
  app::ResetProgram();
  m.tools.scandisk_window = false;
  m.tools.scandisk_ms = 3000;
  BootArmed(1, 0);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_GE(CompletionTime(), d.log()[0].time + 15000);
  EXPECT_LE(CompletionTime(), d.log()[0].time + 15100);
}

TEST_F(RunTest, AnyOtherScanDiskWindowHoldsTheRunButAScandiskOneDoesNot) {
  headless::WindowOptions o;
  o.process = 77;
  plat::WindowId foreign = d.CreateWindow("Notes", "About ScanDisk", o);
  d.CreateWindow("Notes", "Scandisk notes", o);  // other letter case: ignored
  BootArmed(1, 0);
  d.RunFor(200000);
  EXPECT_EQ(m.ExitRequests(), 0u);
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
  EXPECT_EQ(m.ExitRequests(), 1u);
}

TEST_F(RunTest, OnlyADisksDefragmenterDialogIsTakenAsTheEnd) {
  m.tools.defrag_dialog_class = "DefragWnd";
  BootArmed(0, 1);
  d.CreateDialog("Disk Defragmenter - Help", {"&Yes"}, 77);
  d.RunFor(300000);
  EXPECT_EQ(m.ExitRequests(), 0u);
  EXPECT_TRUE(Sent().empty());
}

// An edition in another language keeps the message box's button IDs: only a
// question of Defrag's own process is answered that way, and the log says how.
TEST_F(RunTest, DefragsPromptInAnyLanguageIsAnsweredYesByItsButtonsId) {
  const std::string by_id = "\", a question of Defrag's process, by the Yes button's ID)";
  const struct {
    const char* name;
    std::string caption;
    std::vector<std::string> buttons;
    std::vector<int> ids;
    bool another_programs_question;  // one of its own, with the IDs, meanwhile
    std::vector<std::string> pressed;
    std::string line;  // empty: the run waits on
  } cases[] = {
      {"English",
       "Disk Defragmenter",
       {"&Yes", "&No"},
       {6, 7},
       false,
       {"&Yes"},
       "Defrag's final prompt answered after 0:00:20"},
      {"German",
       "Defragmentierung",
       {"&Ja", "&Nein"},
       {6, 7},
       false,
       {"&Ja"},
       "Defrag's final prompt answered after 0:00:20 (\"Defragmentierung" + by_id},
      {"French, No first",
       "D\xE9"
       "fragmenteur de disque",
       {"&Non", "&Oui"},
       {7, 6},
       false,
       {"&Oui"},
       "Defrag's final prompt answered after 0:00:20 (\"D\xE9"
       "fragmenteur de disque" +
           by_id},
      {"English caption, buttons in German",
       "Disk Defragmenter",
       {"&Ja", "&Nein"},
       {6, 7},
       false,
       {"&Ja"},
       "Defrag's final prompt answered after 0:00:20 (\"Disk Defragmenter" + by_id},
      {"German, no IDs", "Defragmentierung", {"&Ja", "&Nein"}, {}, false, {}, ""},
      {"a box still without its caption", "", {"&Ja", "&Nein"}, {6, 7}, false, {}, ""},
      {"German, another program's question",
       "Defragmentierung",
       {"&Ja", "&Nein"},
       {},
       true,
       {},
       ""},
      {"no Yes at all",
       "Disk Defragmenter",
       {"OK"},
       {1},
       false,
       {},
       "Defrag's final prompt \"Disk Defragmenter\" seen, but it has no Yes button: not answered"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    app::ResetProgram();
    d.RemoveFile(kLog);
    m.tools.pressed.clear();
    m.tools.defrag_prompt_caption = c.caption;
    m.tools.defrag_buttons = c.buttons;
    m.tools.defrag_button_ids = c.ids;
    BootArmed(0, 1);
    if (c.another_programs_question) {
      const plat::WindowId other = d.CreateDialog("Defragmentierung", {"&Ja", "&Nein"}, 77);
      d.SetControlId(d.FindChild(other, "&Ja"), 6);
      d.SetControlId(d.FindChild(other, "&Nein"), 7);
    }
    const std::size_t asked = m.ExitRequests();
    d.RunFor(120000);
    EXPECT_EQ(m.tools.pressed, c.pressed);
    EXPECT_EQ(m.ExitRequests() - asked, c.line.empty() ? 0u : 1u);
    if (!c.line.empty()) {
      EXPECT_TRUE(Logged(c.line)) << d.ReadFile(kLog).value_or("");
    }
    EXPECT_EQ(d.ReadFile(kLog).value_or("").find("answered after") != std::string::npos,
              !c.pressed.empty());
  }
}

TEST_F(RunTest, ADefragThatEndsWithoutItsPromptCompletesTheRun) {
  m.tools.defrag_prompt = false;
  BootArmed(1, 1);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_TRUE(Logged("Defrag ended without its final prompt after 0:00:20"));
  ExpectCompleted("0x1");
}

// ScanDisk's question is answered No, by its label or, in another language, by
// its button's ID; Defrag's prompt without Yes gets no press.
TEST_F(RunTest, AScanDiskQuestionIsAnsweredNoByItsLabelOrButtonsId) {
  struct Case {
    const char* caption;
    std::vector<std::string> buttons;
    bool ids;
    std::vector<std::string> sent;
  };
  const Case cases[] = {
      {"ScanDisk", {"&Yes", "&No"}, false, {"&No", "&No", "(no window)", "(no window)"}},
      {"ScanDisk", {"&Ja", "&Nein"}, true, {"&Nein", "&Nein", "(no window)", "(no window)"}},
      {"Fehler auf Laufwerk C",
       {"&Ja", "&Nein"},
       true,
       {"&Nein", "&Nein", "(no window)", "(no window)"}},
      {"Fehler auf Laufwerk C", {"&Ja", "&Nein"}, false, {}},
  };
  const Case* now = nullptr;
  d.SetReuseHandles(true);
  // ScanDisk's window goes and its process asks a question during the 10 s wait.
  d.AddProgram("c:\\windows\\scandskw.exe", [this, &now](SimProcess& p) {
    m.tools.scandisk = p.CreateWindow("ScanDiskWnd", "ScanDisk - (C:)");
    p.After(5000, [this, &p, &now] {
      d.DestroyWindow(m.tools.scandisk);
      p.After(3000, [this, &p, &now] {
        if (now->ids) {
          p.CreateDialogWithIds(now->caption, {{now->buttons[0], 6}, {now->buttons[1], 7}});
        } else {
          p.CreateDialog(now->caption, now->buttons);
        }
        d.BringToTop(MainHandle());  // below the main window, where the search looks
      });
    });
  });
  m.tools.defrag_buttons = {"OK"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption + c.buttons[1] + (c.ids ? "" : ", no IDs"));
    now = &c;
    app::ResetProgram();
    for (plat::ProcessId id : d.Processes()) d.EndProgram(id);
    d.log().Clear();
    const std::size_t asked = m.ExitRequests();
    BootArmed(1, 1);
    ASSERT_TRUE(RunUntilDone());
    EXPECT_EQ(Sent(), c.sent);
    EXPECT_TRUE(m.tools.pressed.empty());
    EXPECT_EQ(m.ExitRequests() - asked, 1u);
  }
}

TEST_F(RunTest, AWindowOfThisProgramCaptionedLikeTheDefragPromptHidesNothing) {
  BootArmed(0, 1);
  WaitForPrompt();
  headless::WindowOptions own;
  own.process = 0;
  d.CreateWindow("#32770", "Disk Defragmenter", own);  // above the prompt: found first
  ASSERT_TRUE(RunUntilDone());
  EXPECT_EQ(m.tools.pressed, std::vector<std::string>{"&Yes"});
}

TEST_F(RunTest, AHungToolDoesNotHangTheShell) {
  BootArmed(0, 1);
  WaitForPrompt();
  d.SetHung(d.FindChild(m.tools.prompt, "&Yes"), true);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_EQ(d.hang_count(), 0);
  for (const auto& e : d.log().Of("SendMessageTimeout")) {
    EXPECT_EQ(e.args[4], std::to_string(plat::kSmtoAbortIfHung));
  }
}

TEST_F(RunTest, CompletionWithTheSettingsFileAlreadyGoneIsQuiet) {
  BootArmed(0, 1);
  WaitForPrompt();
  d.RemoveFile(kSettings);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_TRUE(d.boxes().empty());
  EXPECT_EQ(d.log().Of("ExitWindows").at(0).args[0], "0x1");
  EXPECT_EQ(Shell(), "Explorer.exe");  // nothing was kept any more
}

TEST_F(RunTest, AShellWriteThatDidNotTakeKeepsTheSettingsForStartUpsRepair) {
  BootArmed(0, 1);
  WaitForPrompt();
  // Completion writes: Set removed, flush, the shell, flush. The shell write fails.
  d.Fail(Op::kWritePrivateProfileString, 0, 1, 2);
  ASSERT_TRUE(RunUntilDone());
  EXPECT_EQ(BoxHeads(),
            std::vector<std::string>{"An error has occurred while calling the API function"});
  // Start-up finds the kept shell, not only Explorer's fallback.
  m.PowerCycle();
  m.StartBrivane();
  EXPECT_EQ(d.ReadFile(kSystemIni), SystemIniWithShell(kKeptShell));
}

TEST_F(RunTest, AFailedCompletionIsReportedAndTheWatcherLooksAgain) {
  m.tools.close_on_press = false;
  BootArmed(0, 1);
  WaitForPrompt();
  d.Fail(Op::kDeleteFile, plat::kErrPermissionDenied);
  ASSERT_TRUE(RunUntilDone());
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_TRUE(Reported("FM316", 70));
  EXPECT_EQ(m.tools.pressed, (std::vector<std::string>(4, "&Yes")));
  ExpectCompleted("0x1");
}

// Windows, or a program that will not end, can refuse: the user gets a desktop
// instead of an empty screen, and the next start is an ordinary one.
TEST_F(RunTest, ARefusedShutdownStartsTheShellOnTheDesktop) {
  for (bool shell_present : {false, true}) {
    SCOPED_TRACE(shell_present);
    app::ResetProgram();
    d.log().Clear();
    d.RemoveFile(kLog);
    if (shell_present) d.AddProgram(kKeptShell, [](SimProcess&) {});
    d.SetExitWindowsResult(false, 1235);
    d.SetStoredScreenSaver(true);
    BootArmed(0, 1);
    ASSERT_TRUE(RunUntilDone());
    d.RunFor(1000);
    EXPECT_TRUE(Logged("Windows refused to end the session (error 1235): starting the shell " +
                       std::string(kKeptShell)));
    EXPECT_EQ(Logged("The shell could not be started (error 53)"), !shell_present);
    const auto tried = d.log().Of(shell_present ? "StartProgram" : "StartFailed");
    ASSERT_FALSE(tried.empty());
    EXPECT_EQ(tried.back().args[0] + " | " + tried.back().args[1],
              std::string(kKeptShell) + " | 1");
    EXPECT_TRUE(d.screen_saver_active());
    EXPECT_TRUE(d.boxes().empty());
    ExpectCompleted("0x1");
  }
}

TEST_F(RunTest, ExitDuringARunClosesTheToolsAndCompletes) {
  const struct {
    std::uint64_t at;                 // virtual time of the click after the boot
    std::vector<std::string> starts;  // started before the exit
    std::vector<std::string> closed;  // windows sent WM_CLOSE
    std::string defrag_caption = "Defragmenting Drive C";
    const char* other = nullptr;  // a window of another program, there before the click
  } cases[] = {
      {1000, {}, {}},  // a click during the launcher's pause is handled once it is over
      {2000, {kScanDiskStart}, {}},
      {20000, {kScanDiskStart}, {"ScanDisk - (C:)"}},
      {60000, {kScanDiskStart, kDefragStart}, {"Defragmenting Drive C"}},
      // A caption in French: closed as a window of Defrag's process.
      {60000,
       {kScanDiskStart, kDefragStart},
       {"D\xE9"
        "fragmentation du lecteur C"},
       "D\xE9"
       "fragmentation du lecteur C"},
      // By caption, in any letter case, whoever's window it is.
      {1000, {}, {"SCANDISK results"}, "Defragmenting Drive C", "SCANDISK results"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.defrag_caption);
    SCOPED_TRACE(c.at);
    m.tools.defrag_caption = c.defrag_caption;
    // The tools of the case before must not answer in this one.
    for (plat::ProcessId id : d.Processes()) d.EndProgram(id);
    d.log().Clear();
    app::ResetProgram();
    BootArmed(1, 1);
    d.RunFor(c.at);
    // A window of this program named like a tool is never closed.
    headless::WindowOptions own;
    own.process = 0;
    d.CreateWindow("Notes", "Scandisk and Defrag log", own);
    if (c.other) d.CreateWindow("Notes", c.other, headless::WindowOptions{.process = 77});
    // Clicking the window brings it to the front: the tools are below it then.
    d.BringToTop(MainHandle());
    d.SetForeground(MainHandle());
    m.PressExit();
    EXPECT_EQ(Starts(), c.starts);
    EXPECT_EQ(Sent("WM_CLOSE"), c.closed);
    ExpectCompleted("0x1");
    d.RunFor(60000);
    EXPECT_EQ(Starts(), c.starts);  // nothing starts once Exit was confirmed
  }
}

TEST_F(RunTest, AClickOnExitWhileExitLooksForTheToolsIsNotHandledTwice) {
  BootArmed(1, 1);
  d.RunFor(20000);
  // The search lets waiting messages run: a second click arrives there.
  d.AnswerNextBox(plat::kIdYes, 0, [&] { d.After(0, [&] { d.Click(C("picExit")); }); });
  d.Click(C("picExit"));
  EXPECT_EQ(BoxHeads(), std::vector<std::string>{"Are you sure you would like to exit"});
  ExpectCompleted("0x1");
}

TEST_F(RunTest, ExitAnsweredNoChangesNothingAndAltF4AsksToo) {
  BootArmed(1, 1);
  d.RunFor(20000);
  d.AnswerNextBox(plat::kIdNo);
  d.Click(C("picExit"));
  d.AnswerNextBox(plat::kIdNo);
  d.RequestClose(Main().form());
  EXPECT_EQ(d.boxes().size(), 2u);
  EXPECT_EQ(d.boxes()[1].caption, "Exit?");
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
  EXPECT_TRUE(Sent("WM_CLOSE").empty());
}

TEST_F(RunTest, ExitInInteractiveModeLeavesTheFilesAlone) {
  Boot();
  m.PressExit();
  EXPECT_TRUE(plat::LoadedForms().empty());
  EXPECT_EQ(d.ReadFile(kSystemIni), kTypicalSystemIni);
  EXPECT_EQ(m.ExitRequests(), 0u);
  EXPECT_EQ(CompletionTime(), 0u);
}

}  // namespace
}  // namespace brivane_test
