// The headless desktop's own rules no contract table can pin down (the tables in
// tests/contract run on the real API too): its clock, handle reuse, the record of
// registry writes, hung windows, simulated programs, faults and the smaller
// system services.
#include <gtest/gtest.h>

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

TEST_F(DesktopCase, EventsRunInTimeOrderAlsoDuringSleepAndRunUntilStopsOnItsPredicate) {
  std::vector<std::string> order;
  d.After(300, [&] { order.push_back("c@" + std::to_string(d.Now())); });
  d.After(100, [&] { order.push_back("a@" + std::to_string(d.Now())); });
  d.After(100, [&] { order.push_back("b@" + std::to_string(d.Now())); });
  d.Cancel(d.After(200, [&] { order.push_back("never"); }));
  d.Sleep(250);
  EXPECT_EQ(d.Now(), 250u);
  EXPECT_EQ(order, (std::vector<std::string>{"a@100", "b@100"}));
  EXPECT_TRUE(d.RunUntil([&] { return order.size() == 3; }, 5000));
  EXPECT_EQ(order.back(), "c@300");
  EXPECT_EQ(d.Now(), 300u);
  EXPECT_FALSE(d.RunUntil([] { return false; }, 1000));
  EXPECT_EQ(d.Now(), 1300u);
}

TEST_F(DesktopCase, HandlesAreReusedOnlyWhenAsked) {
  WindowId w = d.CreateWindow("ScanDskWDlgClass", "ScanDisk");
  d.DestroyWindow(w);
  EXPECT_NE(d.CreateWindow("B", "b"), w);
  d.SetReuseHandles(true);
  WindowId c = d.CreateWindow("C", "c");
  d.DestroyWindow(c);
  EXPECT_EQ(d.CreateWindow("D", "d"), c);
  EXPECT_EQ(d.GetWindowTextLength(c), 1);
}

// A created key is a write (a power cut may fall right after it); opening is not.
TEST_F(DesktopCase, CreatingAKeyIsLoggedAsAWriteOnlyWhenItIsNew) {
  const std::string path = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Check Drive";
  plat::RegKey key = 0;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(d.RegCreateKey(plat::kHkeyCurrentUser, path.c_str(), &key), 0);
    EXPECT_EQ(d.RegCloseKey(key), 0);
  }
  ASSERT_EQ(d.RegOpenKey(plat::kHkeyCurrentUser, "SOFTWARE\\microsoft", &key), 0);
  EXPECT_EQ(d.RegCloseKey(key), 0);
  EXPECT_EQ(d.registry().OpenHandles(), 0);
  EXPECT_TRUE(
      headless::EventsMatch(d.log().all(), {{"RegCreateKey", {"HKEY_CURRENT_USER\\" + path}}}));
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
  d.SendMessage(w, plat::kWmClose, 0, 0);
  EXPECT_EQ(d.hang_count(), 1);
  EXPECT_TRUE(d.WindowExists(w));
  d.SetHung(w, false);
  EXPECT_TRUE(d.SendMessageTimeout(w, plat::kWmClose, 0, 0, plat::kSmtoAbortIfHung, 5000, &result));
  EXPECT_FALSE(d.WindowExists(w));
}

TEST_F(DesktopCase, ProgramsStartAsynchronouslyAndEnd) {
  WindowId window = 0;
  d.AddProgram("C:\\WINDOWS\\SCANDSKW.EXE", [&](headless::SimProcess& p) {
    window = p.CreateWindow("ScanDskWDlgClass", "ScanDisk - (C:)");
    p.After(1000, [&p] { p.End(); });
  });
  d.AddProgram([](const std::string& cmd) { return cmd.find("Defrag") != std::string::npos; },
               [](headless::SimProcess& p) { p.CreateWindow("DefragClass", "Defragmenting"); });
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
  d.StartProgram("Defrag.exe C:", plat::kShowNormalFocus);
  d.RunFor(1);
  EXPECT_EQ(d.Caption(d.GetForegroundWindow()), "Defragmenting");
  EXPECT_EQ(ErrorOf([&] { d.StartProgram("c:\\windows\\chkdsk.exe C: /n", 4); }), 53);
  EXPECT_EQ(ErrorOf([&] { d.StartProgram("", 4); }), 5);
  EXPECT_TRUE(headless::EventsMatch(
      d.log().all(), {
                         {"StartProgram", {"c:\\windows\\scandskw.exe C: /n", "4"}, 0},
                         {"StartProgram", {"Defrag.exe C:", "1"}},
                         {"StartFailed", {"c:\\windows\\chkdsk.exe C: /n", "4"}},
                     }));
}

TEST_F(DesktopCase, FaultsFailTheChosenCallsTheirWay) {
  d.Fail(Op::kDeleteFile, 75, 2, 1);  // the second and third deletes fail
  d.WriteFile("C:\\a.txt", "a");
  d.WriteFile("C:\\b.txt", "b");
  EXPECT_EQ(ErrorOf([&] { d.DeleteFile("C:\\a.txt"); }), 0);
  EXPECT_EQ(ErrorOf([&] { d.DeleteFile("C:\\b.txt"); }), 75);
  EXPECT_EQ(ErrorOf([&] { d.DeleteFile("C:\\b.txt"); }), 75);
  EXPECT_EQ(ErrorOf([&] { d.DeleteFile("C:\\b.txt"); }), 0);
  d.CreateWindow("A", "a");
  d.Fail(Op::kFindWindow, 0);
  EXPECT_EQ(d.FindWindow("A", nullptr), 0u);
  EXPECT_NE(d.FindWindow("A", nullptr), 0u);
  d.Fail(Op::kExitWindowsEx, 0);
  EXPECT_FALSE(d.ExitWindowsEx(plat::kEwxReboot, 0));
  d.Fail(Op::kMessageBox, 0);
  EXPECT_EQ(d.MessageBox("x", "y", 0), 0);
  EXPECT_TRUE(d.log().Of("MessageBox").empty());
}

TEST_F(DesktopCase, FileCallsThrowTheRuntimeErrors) {
  d.WriteFile("C:\\x.bin", "abcdef");
  d.WriteFileBytes("C:\\X.BIN", headless::Bytes({'1', '2'}));  // no truncation
  EXPECT_EQ(d.ReadFile("c:\\x.bin"), "12cdef");
  d.SetReadOnly("C:\\x.bin", true);
  const std::function<void()> calls[] = {
      [&] { d.DeleteFile("C:\\missing.bin"); },
      [&] { d.DeleteFile("C:\\x.bin"); },
      [&] { d.DeleteFile("C:\\WINDOWS"); },
      [&] { d.WriteFileBytes("C:\\x.bin", headless::Bytes({1})); },
      [&] { d.WriteFileBytes("C:\\No\\Such\\y.bin", headless::Bytes({1})); },  // 5
      [&] { d.ReadFileBytes("C:\\missing.bin"); },
      [&] { d.ReadFileBytes("C:\\WINDOWS"); },
      [&] { d.ReadResource("JPG", 999); },
  };
  const int errors[] = {53, 75, 75, 75, 76, 53, 75, 326};
  for (std::size_t i = 0; i < std::size(calls); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ErrorOf(calls[i]), errors[i]);
  }
  EXPECT_EQ(d.ReadFile("C:\\x.bin"), "12cdef");
}

TEST_F(DesktopCase, ShortPathNamesLookLikeFat) {
  d.WriteFile("C:\\Program Files (x86)\\a.txt", "");
  const std::string exe = "C:\\Program Files\\Brivane\\brivane.exe";
  const struct {
    std::string path;
    std::uint32_t size, result;
    const char* text;
  } rows[] = {
      {exe, 260, 31, "C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE"},
      {exe, 31, 32, "untouched"},  // too small: the size needed
      {exe, 32, 31, "C:\\PROGRA~1\\BRIVANE\\BRIVANE.EXE"},
      {"C:\\Program Files (x86)\\a.txt", 260, 17, "C:\\PROGRA~2\\A.TXT"},
      {"C:\\missing.exe", 260, 0, "untouched"},  // 5
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    char buffer[300] = "untouched";
    EXPECT_EQ(d.GetShortPathName(rows[i].path.c_str(), buffer, rows[i].size), rows[i].result);
    EXPECT_STREQ(buffer, rows[i].text);
  }
  d.SetShortPath(exe, "C:\\BRIV~1.EXE");
  char buffer[64];
  EXPECT_EQ(d.GetShortPathName("c:\\program files\\brivane\\BRIVANE.exe", buffer, 64), 13u);
  EXPECT_STREQ(buffer, "C:\\BRIV~1.EXE");
}

}  // namespace
