// The main window's load, the resume of an armed run, and arming from Execute.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace brivane_test {
namespace {

using headless::EventsMatch;
using headless::Op;

const char* const kChoices[] = {"lstDrive", "chkScanDisk", "chkDefrag", "optRestart",
                                "optShutdown"};

class MainWindowTest : public ProgramTest {
 protected:
  void ExpectInteractive() {
    for (const char* name : kChoices) EXPECT_TRUE(C(name).Enabled()) << name;
    EXPECT_TRUE(C("PicExecute").Visible());
    EXPECT_FALSE(C("timClean").Enabled());
    EXPECT_FALSE(Main().InRunMode());
  }
  // Picks the first drive and presses Execute, answering the confirmation.
  void Execute(int answer = plat::kIdYes) {
    d.Select(C("lstDrive"), 0);
    d.AnswerNextBox(answer);
    d.Click(C("PicExecute"));
  }
};

TEST_F(MainWindowTest, FirstStartIsInteractiveWithoutAMessage) {
  Boot();
  ASSERT_TRUE(MainLoaded());
  EXPECT_TRUE(d.boxes().empty());
  ExpectInteractive();
  EXPECT_EQ(C("lstDrive").items(), std::vector<std::string>{"C:\\"});
  EXPECT_EQ(C("lstDrive").ListIndex(), -1);
  EXPECT_EQ(C("chkScanDisk").Value(), 1);
  EXPECT_EQ(C("chkDefrag").Value(), 1);
  EXPECT_EQ(C("optShutdown").Value(), plat::kTrue);
  EXPECT_EQ(C("optRestart").Value(), plat::kFalse);
}

TEST_F(MainWindowTest, DriveListHoldsFixedDrivesFromCToY) {
  for (char l : {'A', 'B', 'E', 'G', 'Y', 'Z'}) d.SetDriveType(l, plat::kDriveFixed);
  d.SetDriveType('D', 5);  // CD-ROM
  d.SetDriveType('F', 2);  // removable
  Boot();
  EXPECT_EQ(C("lstDrive").items(), (std::vector<std::string>{"C:\\", "E:\\", "G:\\", "Y:\\"}));
}

TEST_F(MainWindowTest, DriveListFailureAddsCAndReturns) {
  d.SetDriveType('E', plat::kDriveFixed);
  Boot();
  // Filled again with C: added and E: failing.
  d.Fail(Op::kControlChanged, plat::kErrOutOfMemory, 1, 1);
  Main().FillDriveList();
  EXPECT_EQ(C("lstDrive").items(), (std::vector<std::string>{"C:\\", "E:\\", "C:\\", "C:\\"}));
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_TRUE(Reported("FM142", 7));
}

TEST_F(MainWindowTest, ArmedLoadsRestoreTheStoredChoicesAndWaitForTheRunTimer) {
  const struct {
    std::string settings;
    bool run_mode;
    int scandisk, defrag;
    bool shutdown;
  } cases[] = {
      {ArmedSettings("C:\\", 1, 0, false), true, 1, 0, false},
      {ArmedSettings("C:\\", 0, 1, true), true, 0, 1, true},
      {"[Configeration]\r\nDrive=C:\\\r\nSet=Yes please\r\n", true, 1, 1, true},
      {"[Configeration]\r\nDrive=C:\\\r\nSet=yes\r\n", false, 1, 1, true},
      // Missing or non-numeric values keep the layout's values.
      {"[Configeration]\r\nDrive=C:\\\r\nScandisk=lots\r\nDefrag=0\r\nShutdown=maybe\r\n"
       "Restart=True\r\nSet=Yes\r\n",
       true, 1, 0, false},  // 5
      {"[configeration]\r\ndrive=C:\\\r\nSCANDISK=0\r\nSET=Yes\r\n", true, 0, 1, true},
      {"[Configeration]\r\nDrive=C:\\\r\nSet=Ye\r\n", false, 1, 1, true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const auto& c = cases[i];
    d.WriteFile(kSettings, c.settings);
    Boot(true);
    ASSERT_TRUE(MainLoaded());
    EXPECT_TRUE(d.boxes().empty());
    EXPECT_EQ(Main().InRunMode(), c.run_mode);
    EXPECT_EQ(C("chkScanDisk").Value(), c.scandisk);
    EXPECT_EQ(C("chkDefrag").Value(), c.defrag);
    EXPECT_EQ(C("optShutdown").Value(), plat::ToBool16(c.shutdown));
    EXPECT_EQ(C("optRestart").Value(), plat::ToBool16(!c.shutdown));
    if (!c.run_mode) {
      ExpectInteractive();
      continue;
    }
    EXPECT_EQ(C("lstDrive").Text(), "C:\\");
    for (const char* name : kChoices) EXPECT_FALSE(C(name).Enabled()) << name;
    EXPECT_FALSE(C("PicExecute").Visible());
    EXPECT_EQ(C("picExit").Left(), 2640);
    EXPECT_EQ(C("lblDefrag").ForeColor(), 0x0000C0C0u);
    EXPECT_EQ(C("lblScandisk").ForeColor(), 0x0000C0C0u);
    // Nothing starts during start-up; the run timer does it.
    EXPECT_EQ(d.TimerDue(C("timClean")), d.Now() + 2000);
    EXPECT_TRUE(d.log().Of("StartProgram").empty());
    EXPECT_EQ(Setting("Set").substr(0, 3), "Yes");  // the resume writes nothing
  }
}

TEST_F(MainWindowTest, AStoredDriveThatIsGoneLeavesTheWindowInteractive) {
  d.WriteFile(kSettings, ArmedSettings("E:\\"));
  d.WriteFile(kSystemIni, SystemIniWithShell(kShortExe));
  Boot();
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_EQ(d.boxes()[0].text, "Error: 380\r\nDescription: Invalid property value");
  EXPECT_EQ(d.boxes()[0].caption, "Brivane");
  ExpectInteractive();
  EXPECT_EQ(Setting("Set"), "Yes");
  // The machine does not boot into a program with no run to do.
  EXPECT_EQ(d.ReadFile(kSystemIni), SystemIniWithShell(kKeptShell));
}

TEST_F(MainWindowTest, LabelsToggleTheirBoxesOnlyWhileTheyAreEnabled) {
  Boot();
  auto click = [&](int x) { d.ClickAt(Main().form(), &C("picMain"), x, 140); };
  click(235);  // on lblDefrag
  EXPECT_EQ(C("chkDefrag").Value(), 0);
  click(320);  // on lblScandisk
  EXPECT_EQ(C("chkScanDisk").Value(), 0);
  click(235);
  EXPECT_EQ(C("chkDefrag").Value(), 1);
  d.WriteFile(kSettings, ArmedSettings());
  Boot(true);
  click(235);
  click(320);
  EXPECT_EQ(C("chkDefrag").Value(), 1);
  EXPECT_EQ(C("chkScanDisk").Value(), 1);
}

TEST_F(MainWindowTest, ValidationShowsOnlyTheFirstProblemAndNoTouchesNothing) {
  Boot();
  d.Toggle(C("chkScanDisk"));
  d.Toggle(C("chkDefrag"));
  d.Click(C("PicExecute"));  // no drive, no program
  C("lstDrive").SetListIndex(0);
  d.Click(C("PicExecute"));  // no program
  d.Toggle(C("chkDefrag"));
  C("optShutdown").SetValue(plat::kFalse);
  d.Click(C("PicExecute"));  // no completion choice
  C("optShutdown").SetValue(plat::kTrue);
  Execute(plat::kIdNo);
  EXPECT_EQ(BoxHeads(),
            (std::vector<std::string>{
                "Please select a drive", "Please select a program",
                "Please select what you wish to have down when Brivane has finished",
                "You have choosen to start Brivane.  Click Yes to restart your computer or No to "
                "Cancel"}));
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(d.boxes()[i].caption, "Brivane");
    EXPECT_EQ(d.boxes()[i].style, plat::kMbOk);
  }
  EXPECT_EQ(d.boxes()[3].caption, "Restart Computer?");
  EXPECT_EQ(d.boxes()[3].style, plat::kMbYesNo);
  EXPECT_FALSE(d.FileExists(kSettings));
  EXPECT_EQ(d.ReadFile(kSystemIni), kTypicalSystemIni);
  EXPECT_TRUE(d.log().Of("ExitWindows").empty());
}

TEST_F(MainWindowTest, ExecuteStoresTheChoicesMakesItselfTheShellAndRestarts) {
  Boot();
  d.Toggle(C("chkDefrag"));
  d.Toggle(C("optRestart"));
  std::size_t mark = d.log().size();
  Execute();
  const std::string settings = "c:\\program files\\brivane\\brivane.ini";
  const std::string system_ini = "c:\\windows\\system.ini";
  EXPECT_TRUE(EventsMatch(
      d.log().since(mark),
      {
          {"MessageBox", {"Restart Computer?", "*", "4"}},
          {"WriteProfile", {settings, "Configeration", "KeptShell", "\"Explorer.exe\""}},
          {"WriteProfile", {settings, "Configeration", "Drive", "C:\\"}},
          {"WriteProfile", {settings, "Configeration", "Scandisk", "1"}},
          {"WriteProfile", {settings, "Configeration", "Defrag", "0"}},
          {"WriteProfile", {settings, "Configeration", "Shutdown", "False"}},
          {"WriteProfile", {settings, "Configeration", "Restart", "True"}},
          {"WriteProfile", {settings, "Configeration", "Set", "Yes"}},
          {"WriteProfile", {system_ini, "Boot", "Shell", kShortExe}},
          {"WriteProfile", {settings, "(null)", "(null)", "(null)"}},
          {"WriteProfile", {system_ini, "(null)", "(null)", "(null)"}},
          {"AppendFile", {"c:\\program files\\brivane\\brivane.log", "*"}},
          {"ExitWindows", {"0x2", "0"}},
      }));
  // Every other line of system.ini stays as it was.
  EXPECT_EQ(d.ReadFile(kSystemIni), SystemIniWithShell(kShortExe));
}

TEST_F(MainWindowTest, ArmingKeepsTheShellItReplaces) {
  const struct {
    std::string system_ini;
    std::string kept;  // as read back
  } cases[] = {
      {"[boot]\r\nshell=Explorer.exe\r\n", "Explorer.exe"},
      {"[boot]\r\noemfonts.fon=vgaoem.fon\r\n", ""},
      {"[boot]\r\nshell=C:\\Tools\\My Shell\\progman.exe /fast\r\n",
       "C:\\Tools\\My Shell\\progman.exe /fast"},
      // Reading strips one pair of quotes; the kept value is the shell Windows reads.
      {"[boot]\r\nshell=\"C:\\Quoted Shell\\x.exe\"\r\n", "C:\\Quoted Shell\\x.exe"},
      {"[boot]\r\nshell=C:\\" + std::string(300, 'x') + "\r\n",
       "C:\\" + std::string(300, 'x')},  // 5
      // Names this program by its file name: start-up put the fallback back already.
      {"[boot]\r\nshell=C:\\OLD\\BRIVANE.EXE\r\n", "Explorer.exe"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    d.RemoveFile(kSettings);
    d.WriteFile(kSystemIni, cases[i].system_ini);
    Boot(true);
    Execute();
    EXPECT_EQ(Setting("KeptShell"), cases[i].kept);
    EXPECT_EQ(Shell(), kShortExe);
    // Armed twice (the restart was refused): the shell now names this program and
    // the value kept first stays.
    Execute();
    EXPECT_EQ(Setting("KeptShell"), cases[i].kept);
  }
}

TEST_F(MainWindowTest, TheShellEntryIsTheShortPathOfTheExecutable) {
  const struct {
    std::string exe, short_path;
  } cases[] = {
      {"C:\\Program Files\\Disk Tools\\brivane.exe", "C:\\PROGRA~1\\DISKTO~1\\BRIVANE.EXE"},
      // A short form longer than the long one needs the second call.
      {"C:\\a\\b.exe", "C:\\AAAAAA~1\\BBBBBB~1.EXE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    d.SetExecutablePath(c.exe);
    d.SetShortPath(c.exe, c.short_path);
    Boot(true);
    Execute();
    EXPECT_EQ(Shell(), c.short_path);
  }
}

TEST_F(MainWindowTest, AFailedShortPathLeavesTheShellAlone) {
  Boot();
  d.Fail(Op::kGetShortPathName, 0, 2);
  Execute();
  ASSERT_EQ(d.boxes().size(), 2u);
  EXPECT_TRUE(Reported("MD63", 76));
  EXPECT_EQ(Shell(), "Explorer.exe");
  EXPECT_EQ(Setting("Set"), "Yes");
  EXPECT_EQ(d.log().Of("ExitWindows").size(), 1u);
}

TEST_F(MainWindowTest, AFailureWhileArmingIsReportedAndEndsTheProgram) {
  Boot();
  // The second look at the Windows folder is for the shell entry, after the settings.
  d.Fail(Op::kWindowsDirectory, plat::kErrPathFileAccess, 1, 1);
  Execute();
  ASSERT_EQ(d.boxes().size(), 2u);
  EXPECT_TRUE(Reported("FM831", 75));
  EXPECT_EQ(Setting("Set"), "Yes");
  EXPECT_EQ(Shell(), "Explorer.exe");
  EXPECT_TRUE(plat::LoadedForms().empty());
  EXPECT_TRUE(d.log().Of("ExitWindows").empty());
}

TEST_F(MainWindowTest, AFailedLoadPutsTheShellBack) {
  d.WriteFile(kSettings, ArmedSettings());
  d.WriteFile(kSystemIni, SystemIniWithShell(kShortExe));
  d.Fail(Op::kCreateForm, plat::kErrOutOfMemory, 5, 1);  // the splash loads, the main window not
  Boot();
  EXPECT_EQ(BoxHeads().at(0), "Program Spacific Error Code: MSP218");
  EXPECT_FALSE(MainLoaded());
  EXPECT_EQ(Shell(), kKeptShell);
  EXPECT_EQ(Setting("Set"), "Yes");
}

}  // namespace
}  // namespace brivane_test
