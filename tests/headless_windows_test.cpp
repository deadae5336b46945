// The headless desktop's clock, window search primitives, messages, simulated
// programs, faults and the smaller system services.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/headless/testing.h"

namespace {

using headless::Op;
using plat::WindowId;

class DesktopCase : public headless::DesktopTest {
 protected:
  int ErrorOf(const std::function<void()>& fn) {
    try {
      fn();
    } catch (const plat::RuntimeError& e) {
      return e.number();
    }
    return 0;
  }
};

// ---------------------------------------------------------------- clock

TEST_F(DesktopCase, EventsRunInTimeOrderAlsoDuringSleep) {
  std::vector<std::string> order;
  d.After(300, [&] { order.push_back("c@" + std::to_string(d.Now())); });
  d.After(100, [&] { order.push_back("a@" + std::to_string(d.Now())); });
  d.After(100, [&] { order.push_back("b@" + std::to_string(d.Now())); });
  int cancelled = d.After(200, [&] { order.push_back("never"); });
  d.Cancel(cancelled);
  d.Sleep(250);
  EXPECT_EQ(d.Now(), 250u);
  EXPECT_EQ(order, (std::vector<std::string>{"a@100", "b@100"}));
  d.RunFor(100);
  EXPECT_EQ(order.back(), "c@300");
}

TEST_F(DesktopCase, RunUntilStopsWhenThePredicateHolds) {
  bool flag = false;
  d.After(700, [&] { flag = true; });
  EXPECT_TRUE(d.RunUntil([&] { return flag; }, 5000));
  EXPECT_EQ(d.Now(), 700u);
  EXPECT_FALSE(d.RunUntil([] { return false; }, 1000));
  EXPECT_EQ(d.Now(), 1700u);
}

// ---------------------------------------------------------------- window search

TEST_F(DesktopCase, FindWindowMatchesWholeClassAndCaptionIgnoringCase) {
  WindowId scandisk = d.CreateWindow("ScanDskWDlgClass", "ScanDisk - (C:)");
  WindowId dialog = d.CreateDialog("Disk Defragmenter", {"&Yes", "&No"});
  WindowId other = d.CreateWindow("#32770", "Disk Defragmenter Settings");
  headless::WindowOptions hidden;
  hidden.visible = false;
  WindowId ghost = d.CreateWindow("Ghost", "Hidden", hidden);
  struct Row {
    const char* cls;
    const char* caption;
    WindowId expected;
  };
  const Row rows[] = {
      {"#32770", "Disk Defragmenter", dialog},
      {"#32770", "disk defragmenter", dialog},
      {"#32770", "Disk Defrag", 0},
      {nullptr, "ScanDisk - (C:)", scandisk},
      {"scandskwdlgclass", nullptr, scandisk},
      {"#32770", nullptr, other},  // 5: top first
      {nullptr, "Hidden", ghost},
      {"Button", "&Yes", 0},  // children are not top-level
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(d.FindWindow(rows[i].cls, rows[i].caption), rows[i].expected);
  }
}

TEST_F(DesktopCase, EnumerationAndNextWindowFollowZOrder) {
  WindowId a = d.CreateWindow("A", "first");
  WindowId b = d.CreateWindow("B", "second");
  WindowId dlg = d.CreateDialog("Dialog", {});
  headless::WindowOptions in_dialog;
  in_dialog.parent = dlg;
  WindowId group = d.CreateWindow("Button", "Group", in_dialog);
  in_dialog.parent = group;
  WindowId yes = d.CreateWindow("Button", "&Yes", in_dialog);
  in_dialog.parent = dlg;
  WindowId no = d.CreateWindow("Button", "&No", in_dialog);

  std::vector<WindowId> top;
  d.EnumWindows([&](WindowId w) {
    top.push_back(w);
    return w != b;  // stops after b
  });
  EXPECT_EQ(top, (std::vector<WindowId>{dlg, b}));
  std::vector<WindowId> children;
  d.EnumChildWindows(dlg, [&](WindowId w) {
    children.push_back(w);
    return true;
  });
  EXPECT_EQ(children, (std::vector<WindowId>{group, yes, no}));
  EXPECT_EQ(d.GetNextWindow(dlg), b);
  EXPECT_EQ(d.GetNextWindow(b), a);
  EXPECT_EQ(d.GetNextWindow(a), 0u);
  EXPECT_EQ(d.GetNextWindow(group), no);
  d.BringToTop(a);
  EXPECT_EQ(d.TopLevelWindows().front(), a);
}

TEST_F(DesktopCase, WindowTextFollowsBufferRules) {
  WindowId w = d.CreateWindow("ScanDskWDlgClass", "ScanDisk");
  struct Row {
    WindowId window;
    int size;
    int count;
    const char* text;  // null: buffer untouched
  };
  const Row rows[] = {
      {w, 0, 0, nullptr},    {w, 1, 0, ""},          {w, 4, 3, "Sca"},
      {w, 9, 8, "ScanDisk"}, {w, 50, 8, "ScanDisk"}, {0xDEAD, 10, 0, ""},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(d.GetWindowText(rows[i].window, buffer, rows[i].size), rows[i].count);
    if (rows[i].text) {
      EXPECT_STREQ(buffer, rows[i].text);
    } else {
      EXPECT_EQ(buffer[0], '#');
    }
  }
  EXPECT_EQ(d.GetWindowTextLength(w), 8);
  char cls[8];
  EXPECT_EQ(d.GetClassName(w, cls, 8), 7);
  EXPECT_STREQ(cls, "ScanDsk");
}

TEST_F(DesktopCase, HandlesAreReusedOnlyWhenAsked) {
  WindowId a = d.CreateWindow("A", "a");
  d.DestroyWindow(a);
  EXPECT_NE(d.CreateWindow("B", "b"), a);
  d.SetReuseHandles(true);
  WindowId c = d.CreateWindow("C", "c");
  d.DestroyWindow(c);
  EXPECT_EQ(d.CreateWindow("D", "d"), c);
  EXPECT_EQ(d.GetWindowTextLength(c), 1);
}

// ---------------------------------------------------------------- messages

TEST_F(DesktopCase, PressSequenceClicksADialogButtonTwice) {
  std::vector<std::string> pressed;
  WindowId dlg = d.CreateDialog(
      "Disk Defragmenter", {"&Yes", "&No"}, 1, [&](const std::string& b) { pressed.push_back(b); },
      false);
  WindowId yes = d.FindChild(dlg, "&Yes");
  for (unsigned m :
       {plat::kWmLButtonDown, plat::kWmLButtonUp, plat::kWmLButtonDown, plat::kWmLButtonUp}) {
    d.SendMessage(yes, m, 0, 0);
  }
  EXPECT_EQ(d.ClickCount(yes), 2);
  EXPECT_EQ(pressed, (std::vector<std::string>{"&Yes", "&Yes"}));
  EXPECT_TRUE(headless::EventsMatch(d.log().all(),
                                    {
                                        {"SendMessage", {"&Yes", "WM_LBUTTONDOWN", "0", "0"}},
                                        {"SendMessage", {"&Yes", "WM_LBUTTONUP", "0", "0"}},
                                        {"SendMessage", {"&Yes", "WM_LBUTTONDOWN", "0", "0"}},
                                        {"SendMessage", {"&Yes", "WM_LBUTTONUP", "0", "0"}},
                                    }));
  d.SendMessage(dlg, plat::kWmClose, 0, 0);
  EXPECT_FALSE(d.WindowExists(dlg));
  EXPECT_FALSE(d.WindowExists(yes));
}

TEST_F(DesktopCase, HungWindowsAreDetectedNotWaitedFor) {
  expect_hangs = true;
  WindowId w = d.CreateWindow("ScanDskWDlgClass", "ScanDisk");
  d.SetHung(w, true);
  std::uintptr_t result = 0;
  EXPECT_FALSE(
      d.SendMessageTimeout(w, plat::kWmClose, 0, 0, plat::kSmtoAbortIfHung, 5000, &result));
  EXPECT_EQ(d.Now(), 0u);
  EXPECT_FALSE(d.SendMessageTimeout(w, plat::kWmClose, 0, 0, 0, 5000, &result));
  EXPECT_EQ(d.Now(), 5000u);
  EXPECT_EQ(d.hang_count(), 0);
  d.SendMessage(w, plat::kWmClose, 0, 0);
  EXPECT_EQ(d.hang_count(), 1);
  EXPECT_TRUE(d.WindowExists(w));
  d.SetHung(w, false);
  EXPECT_TRUE(d.SendMessageTimeout(w, plat::kWmClose, 0, 0, plat::kSmtoAbortIfHung, 5000, &result));
  EXPECT_FALSE(d.WindowExists(w));
}

// ---------------------------------------------------------------- programs

TEST_F(DesktopCase, ProgramsStartAsynchronouslyAndEnd) {
  WindowId window = 0;
  d.AddProgram("C:\\WINDOWS\\SCANDSKW.EXE", [&](headless::SimProcess& p) {
    window = p.CreateWindow("ScanDskWDlgClass", "ScanDisk - (C:)");
    p.After(1000, [&p] { p.End(); });
  });
  plat::ProcessId pid = d.StartProgram("c:\\windows\\scandskw.exe C: /n", plat::kShowNormalNoFocus);
  EXPECT_EQ(window, 0u);  // not yet: the start is asynchronous
  EXPECT_FALSE(d.ProgramHasEnded(pid));
  d.RunFor(1);
  ASSERT_NE(window, 0u);
  EXPECT_FALSE(d.IsOwnWindow(window));
  EXPECT_NE(d.GetForegroundWindow(), window);  // started without focus
  d.RunFor(1000);
  EXPECT_TRUE(d.ProgramHasEnded(pid));
  EXPECT_FALSE(d.WindowExists(window));
  EXPECT_TRUE(d.ProgramHasEnded(12345));
  EXPECT_EQ(ErrorOf([&] { d.StartProgram("c:\\windows\\Defrag.exe C: /n", 4); }), 53);
  EXPECT_EQ(ErrorOf([&] { d.StartProgram("", 4); }), 5);
  EXPECT_TRUE(headless::EventsMatch(
      d.log().all(), {
                         {"StartProgram", {"c:\\windows\\scandskw.exe C: /n", "4"}, 0},
                         {"StartFailed", {"c:\\windows\\Defrag.exe C: /n", "4"}},
                     }));
}

TEST_F(DesktopCase, ActivatedProgramTakesTheForeground) {
  d.AddProgram([](const std::string& cmd) { return cmd.find("Defrag") != std::string::npos; },
               [](headless::SimProcess& p) { p.CreateWindow("DefragClass", "Defragmenting"); });
  d.StartProgram("Defrag.exe C:", plat::kShowNormalFocus);
  d.RunFor(1);
  EXPECT_EQ(d.Caption(d.GetForegroundWindow()), "Defragmenting");
}

// ---------------------------------------------------------------- faults

TEST_F(DesktopCase, FaultsFailTheChosenCallsTheirWay) {
  d.Fail(Op::kDeleteFile, 75, 2, 1);  // the second and third deletes fail
  d.WriteFile("C:\\a.txt", "a");
  d.WriteFile("C:\\b.txt", "b");
  d.WriteFile("C:\\c.txt", "c");
  EXPECT_EQ(ErrorOf([&] { d.DeleteFile("C:\\a.txt"); }), 0);
  EXPECT_EQ(ErrorOf([&] { d.DeleteFile("C:\\b.txt"); }), 75);
  EXPECT_EQ(ErrorOf([&] { d.DeleteFile("C:\\b.txt"); }), 75);
  EXPECT_EQ(ErrorOf([&] { d.DeleteFile("C:\\b.txt"); }), 0);
  EXPECT_TRUE(d.FileExists("C:\\c.txt"));

  d.CreateWindow("A", "a");
  d.Fail(Op::kFindWindow, 0);
  EXPECT_EQ(d.FindWindow("A", nullptr), 0u);
  EXPECT_NE(d.FindWindow("A", nullptr), 0u);
  d.Fail(Op::kExitWindowsEx, 0);
  EXPECT_FALSE(d.ExitWindowsEx(plat::kEwxReboot, 0));
  d.Fail(Op::kSleep, 6);
  EXPECT_EQ(ErrorOf([&] { d.Sleep(10); }), 6);
  d.Fail(Op::kMessageBox, 0);
  EXPECT_EQ(d.MessageBox("x", "y", 0), 0);
  EXPECT_TRUE(d.log().Of("MessageBox").empty());
}

// ---------------------------------------------------------------- files and services

TEST_F(DesktopCase, FileCallsThrowTheRuntimeErrors) {
  d.WriteFile("C:\\x.bin", "abcdef");
  d.WriteFileBytes("C:\\X.BIN", headless::Bytes({'1', '2'}));  // no truncation
  EXPECT_EQ(d.ReadFile("c:\\x.bin"), "12cdef");
  d.WriteFileBytes("C:\\new.bin", headless::Bytes({'z'}));
  EXPECT_EQ(d.ReadFileBytes("C:\\new.bin"), headless::Bytes({'z'}));
  d.SetReadOnly("C:\\x.bin", true);
  struct Row {
    std::function<void()> call;
    int error;
  };
  const Row rows[] = {
      {[&] { d.DeleteFile("C:\\missing.bin"); }, 53},
      {[&] { d.DeleteFile("C:\\x.bin"); }, 75},
      {[&] { d.DeleteFile("C:\\WINDOWS"); }, 75},
      {[&] { d.WriteFileBytes("C:\\x.bin", headless::Bytes({1})); }, 75},
      {[&] { d.WriteFileBytes("C:\\No\\Such\\y.bin", headless::Bytes({1})); }, 76},  // 5
      {[&] { d.ReadFileBytes("C:\\missing.bin"); }, 53},
      {[&] { d.ReadFileBytes("C:\\WINDOWS"); }, 75},
      {[&] { d.ReadResource("JPG", 999); }, 326},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ErrorOf(rows[i].call), rows[i].error);
  }
  EXPECT_EQ(d.ReadFile("C:\\x.bin"), "12cdef");
}

TEST_F(DesktopCase, ShortPathNamesLookLikeFat) {
  d.WriteFile("C:\\Program Files (x86)\\a.txt", "");
  struct Row {
    const char* path;
    std::uint32_t size;
    std::uint32_t result;
    const char* text;
  };
  const Row rows[] = {
      {"C:\\Program Files\\Brivane\\brivane.exe", 260, 31, "C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE"},
      {"C:\\Program Files\\Brivane\\brivane.exe", 31, 32, nullptr},  // too small: size needed
      {"C:\\Program Files\\Brivane\\brivane.exe", 32, 31, "C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE"},
      {"C:\\Program Files (x86)\\a.txt", 260, 17, "C:\\PROGRA~2\\A.TXT"},
      {"C:\\missing.exe", 260, 0, nullptr},  // 5
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    char buffer[300] = "untouched";
    EXPECT_EQ(d.GetShortPathName(rows[i].path, buffer, rows[i].size), rows[i].result);
    EXPECT_STREQ(buffer, rows[i].text ? rows[i].text : "untouched");
  }
  d.SetShortPath("C:\\Program Files\\Brivane\\brivane.exe", "C:\\BRIV~1.EXE");
  char buffer[64];
  EXPECT_EQ(d.GetShortPathName("c:\\program files\\brivane\\BRIVANE.exe", buffer, 64), 13u);
  EXPECT_STREQ(buffer, "C:\\BRIV~1.EXE");
}

TEST_F(DesktopCase, DrivesShutdownResourcesAndHelp) {
  d.SetDriveType('d', plat::kDriveFixed);
  EXPECT_EQ(d.GetDriveType("C:\\"), plat::kDriveFixed);
  EXPECT_EQ(d.GetDriveType("d:\\"), plat::kDriveFixed);
  EXPECT_EQ(d.GetDriveType("E:\\"), 1u);

  d.SetExitWindowsResult(false);
  EXPECT_FALSE(d.ExitWindowsEx(plat::kEwxShutdown, 0));
  EXPECT_TRUE(headless::EventsMatch(d.log().Of("ExitWindows"), {{"ExitWindows", {"0x1", "0"}}}));

  std::vector<std::uint8_t> jpg = d.ReadResource("jpg", 102);
  ASSERT_GE(jpg.size(), 2u);
  EXPECT_EQ(jpg[0], 0xFF);
  EXPECT_EQ(jpg[1], 0xD8);
  d.OverrideResource("JPG", 102, headless::Bytes({1, 2}));
  EXPECT_EQ(d.ReadResource("JPG", 102), headless::Bytes({1, 2}));
  d.RemoveResource("JPG", 101);
  EXPECT_EQ(ErrorOf([&] { d.ReadResource("JPG", 101); }), 326);

  const char* help = "C:\\Program Files\\Brivane\\Help.chm";
  EXPECT_EQ(d.HtmlHelp(0, help, 0, 0), 0u);
  d.WriteFile(help, "ITSF");
  WindowId viewer = d.HtmlHelp(0, help, 0, 0);
  EXPECT_NE(viewer, 0u);
  EXPECT_TRUE(d.IsOwnWindow(viewer));
  EXPECT_EQ(d.HtmlHelp(0, help, 0, 0), viewer);
  d.SetHelpEngineMissing(true);
  EXPECT_EQ(d.HtmlHelp(0, help, 0, 0), 0u);
  EXPECT_EQ(d.log().Of("HtmlHelp").size(), 4u);
}

}  // namespace
