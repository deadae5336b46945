// The main window's load, the resume of an armed run, and arming from Execute.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace brivane_test {
namespace {

using headless::EventsMatch;
using headless::Op;

class MainWindowTest : public ProgramTest {
 protected:
  void ExpectInteractive() {
    for (const char* name : {"lstDrive", "chkScanDisk", "chkDefrag", "optRestart", "optShutdown"}) {
      EXPECT_TRUE(C(name).Enabled()) << name;
    }
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
  EXPECT_NE(d.boxes()[0].text.find("Program Spacific Error Code: FM142"), std::string::npos);
  EXPECT_EQ(d.boxes()[0].caption, "Error 7");
}

struct ArmedCase {
  std::string settings;
  bool run_mode;
  int scandisk, defrag;
  bool shutdown;
};

TEST_F(MainWindowTest, ArmedLoadsRestoreTheStoredChoices) {
  const ArmedCase cases[] = {
      {ArmedSettings("C:\\", 1, 0, false), true, 1, 0, false},
      {ArmedSettings("C:\\", 0, 1, true), true, 0, 1, true},
      {"[Configeration]\r\nDrive=C:\\\r\nSet=Yes please\r\n", true, 1, 1, true},
      {"[Configeration]\r\nDrive=C:\\\r\nSet=yes\r\n", false, 1, 1, true},
      // Missing or non-numeric values keep the layout's values.
      {"[Configeration]\r\nDrive=C:\\\r\nScandisk=lots\r\nDefrag=0\r\nShutdown=maybe\r\n"
       "Restart=True\r\nSet=Yes\r\n",
       true, 1, 0, false},
      {"[configeration]\r\ndrive=C:\\\r\nSCANDISK=0\r\nSET=Yes\r\n", true, 0, 1, true},  // 5
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const ArmedCase& c = cases[i];
    app::ResetProgram();
    d.WriteFile(kSettings, c.settings);
    Boot();
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
    for (const char* name : {"lstDrive", "chkScanDisk", "chkDefrag", "optRestart", "optShutdown"}) {
      EXPECT_FALSE(C(name).Enabled()) << name;
    }
    EXPECT_FALSE(C("PicExecute").Visible());
    EXPECT_EQ(C("picExit").Left(), 2640);
    EXPECT_EQ(C("lblDefrag").ForeColor(), 0x0000C0C0u);
    EXPECT_EQ(C("lblScandisk").ForeColor(), 0x0000C0C0u);
    EXPECT_TRUE(C("timClean").Enabled());
    EXPECT_EQ(Setting("Set").substr(0, 3), "Yes");  // the resume writes nothing
  }
}

TEST_F(MainWindowTest, AResumedRunStartsNothingDuringStartUp) {
  d.WriteFile(kSettings, ArmedSettings());
  Boot();
  EXPECT_TRUE(d.log().Of("StartProgram").empty());
  EXPECT_EQ(d.TimerDue(C("timClean")), d.Now() + 2000);
}

TEST_F(MainWindowTest, AStoredDriveThatIsGoneLeavesTheWindowInteractive) {
  d.WriteFile(kSettings, ArmedSettings("E:\\"));
  d.WriteFile(kSystemIni, "[boot]\r\nshell=C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE\r\n");
  Boot();
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_EQ(d.boxes()[0].text, "Error: 380\r\nDescription: Invalid property value");
  EXPECT_EQ(d.boxes()[0].caption, "Brivane");
  ExpectInteractive();
  EXPECT_EQ(Setting("Set"), "Yes");
  // The machine does not boot into a program with no run to do.
  EXPECT_EQ(Shell(), "Explorer.exe");
}

TEST_F(MainWindowTest, LabelsToggleTheirBoxesOnlyWhileTheyAreEnabled) {
  Boot();
  d.ClickAt(Main().form(), &C("picMain"), 235, 140);  // on lblDefrag
  EXPECT_EQ(C("chkDefrag").Value(), 0);
  d.ClickAt(Main().form(), &C("picMain"), 320, 140);  // on lblScandisk
  EXPECT_EQ(C("chkScanDisk").Value(), 0);
  d.ClickAt(Main().form(), &C("picMain"), 235, 140);
  EXPECT_EQ(C("chkDefrag").Value(), 1);

  app::ResetProgram();
  d.WriteFile(kSettings, ArmedSettings("C:\\", 1, 1));
  Boot();
  d.ClickAt(Main().form(), &C("picMain"), 235, 140);
  EXPECT_EQ(C("chkDefrag").Value(), 1);
}

TEST_F(MainWindowTest, ValidationShowsOnlyTheFirstProblem) {
  Boot();
  d.Toggle(C("chkScanDisk"));
  d.Toggle(C("chkDefrag"));
  d.Click(C("PicExecute"));  // no drive, no program
  C("lstDrive").SetListIndex(0);
  d.Click(C("PicExecute"));  // no program
  d.Toggle(C("chkDefrag"));
  C("optShutdown").SetValue(plat::kFalse);
  d.Click(C("PicExecute"));  // no completion choice
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            "Please select a drive",
                            "Please select a program",
                            "Please select what you wish to have down when Brivane has finished",
                        }));
  for (const auto& box : d.boxes()) {
    EXPECT_EQ(box.caption, "Brivane");
    EXPECT_EQ(box.style, plat::kMbOk);
  }
  EXPECT_FALSE(d.FileExists(kSettings));
}

TEST_F(MainWindowTest, NoAtTheConfirmationTouchesNothing) {
  Boot();
  Execute(plat::kIdNo);
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_EQ(d.boxes()[0].caption, "Restart Computer?");
  EXPECT_EQ(d.boxes()[0].text,
            "You have choosen to start Brivane.  Click Yes to restart your computer or No to "
            "Cancel");
  EXPECT_EQ(d.boxes()[0].style, plat::kMbYesNo);
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
          {"ExitWindows", {"0x2", "0"}},
      }));
  // Every other line of system.ini stays as it was.
  std::string expected = kTypicalSystemIni;
  expected.replace(expected.find("shell=Explorer.exe"), 18, std::string("shell=") + kShortExe);
  EXPECT_EQ(d.ReadFile(kSystemIni), expected);
}

struct KeptShellCase {
  const char* system_ini;
  std::string kept;  // as read back
};

TEST_F(MainWindowTest, ArmingKeepsTheShellItReplaces) {
  const KeptShellCase cases[] = {
      {"[boot]\r\nshell=Explorer.exe\r\n", "Explorer.exe"},
      {"[boot]\r\noemfonts.fon=vgaoem.fon\r\n", ""},
      {"[boot]\r\nshell=C:\\Tools\\My Shell\\progman.exe /fast\r\n",
       "C:\\Tools\\My Shell\\progman.exe /fast"},
      // Reading strips one pair of quotes; the kept value is the shell Windows reads.
      {"[boot]\r\nshell=\"C:\\Quoted Shell\\x.exe\"\r\n", "C:\\Quoted Shell\\x.exe"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    app::ResetProgram();
    d.RemoveFile(kSettings);
    d.WriteFile(kSystemIni, cases[i].system_ini);
    Boot();
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
  struct {
    std::string exe, short_path;
  } cases[] = {
      {"C:\\Program Files\\Disk Tools\\brivane.exe", "C:\\PROGRA~1\\DISKTO~1\\BRIVANE.EXE"},
      // A short form longer than the long one needs the second call.
      {"C:\\a\\b.exe", "C:\\AAAAAA~1\\BBBBBB~1.EXE"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    app::ResetProgram();
    d.SetExecutablePath(cases[i].exe);
    d.SetShortPath(cases[i].exe, cases[i].short_path);
    Boot();
    Execute();
    EXPECT_EQ(Shell(), cases[i].short_path);
  }
}

TEST_F(MainWindowTest, AFailedShortPathLeavesTheShellAlone) {
  Boot();
  d.Fail(Op::kGetShortPathName, 0, 2);
  Execute();
  ASSERT_EQ(d.boxes().size(), 2u);
  EXPECT_NE(d.boxes()[1].text.find("Program Spacific Error Code: MD63"), std::string::npos);
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
  EXPECT_NE(d.boxes()[1].text.find("Program Spacific Error Code: FM831"), std::string::npos);
  EXPECT_EQ(d.boxes()[1].caption, "Error 75");
  EXPECT_EQ(Setting("Set"), "Yes");
  EXPECT_EQ(Shell(), "Explorer.exe");
  EXPECT_TRUE(plat::LoadedForms().empty());
  EXPECT_TRUE(d.log().Of("ExitWindows").empty());
}

TEST_F(MainWindowTest, AFailedLoadPutsTheShellBack) {
  d.WriteFile(kSettings, ArmedSettings() + "KeptShell=\"C:\\Tools\\shell.exe\"\r\n");
  d.WriteFile(kSystemIni, "[boot]\r\nshell=C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE\r\n");
  d.Fail(Op::kCreateForm, plat::kErrOutOfMemory, 5, 1);  // the splash loads, the main window not
  Boot();
  ASSERT_GE(d.boxes().size(), 1u);
  EXPECT_NE(d.boxes()[0].text.find("Program Spacific Error Code: MSP218"), std::string::npos);
  EXPECT_FALSE(MainLoaded());
  EXPECT_EQ(Shell(), "C:\\Tools\\shell.exe");
  EXPECT_EQ(Setting("Set"), "Yes");
}

}  // namespace
}  // namespace brivane_test
