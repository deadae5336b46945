// Every platform operation of a whole run fails in turn, at its first call and at
// later ones: the program reports only as its procedures do and always ends the
// run completed, interactive with the shell back, or waiting for the user's Exit.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "common/support.h"
#include "machine.h"
#include "platform/errors.h"

namespace brivane_test {
namespace {

using headless::Op;

const std::string kArmedSystemIni = SystemIniWithShell(kShortExe);
const std::string kRestored = SystemIniWithShell(kKeptShell);

// How an operation fails: throwing ones with a runtime error number, the
// registry and MoveFile with an error code, the rest their API's way, where only how many
// calls in a row fail can differ.
enum class Style { kThrows, kErrorCode, kApi };

struct OpInfo {
  Op op;
  const char* name;
  Style style;
  int typical;  // the error a real failure of this call most often gives
};

const OpInfo kOps[] = {
    {Op::kExecutablePath, "ExecutablePath", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kWindowsDirectory, "WindowsDirectory", Style::kThrows, plat::kErrPathFileAccess},
    {Op::kGetPrivateProfileString, "GetPrivateProfileString", Style::kApi, 0},
    {Op::kWritePrivateProfileString, "WritePrivateProfileString", Style::kApi, 0},
    {Op::kRegOpenKey, "RegOpenKey", Style::kErrorCode, 5},
    {Op::kRegCreateKey, "RegCreateKey", Style::kErrorCode, 5},
    {Op::kRegQueryValueEx, "RegQueryValueEx", Style::kErrorCode, 5},
    {Op::kRegSetValueEx, "RegSetValueEx", Style::kErrorCode, 5},
    {Op::kRegCloseKey, "RegCloseKey", Style::kErrorCode, 6},
    {Op::kGetDriveType, "GetDriveType", Style::kApi, 0},
    {Op::kGetShortPathName, "GetShortPathName", Style::kApi, 0},
    {Op::kDeleteFile, "DeleteFile", Style::kThrows, plat::kErrPathFileAccess},
    {Op::kWriteFileBytes, "WriteFileBytes", Style::kThrows, plat::kErrPathFileAccess},
    {Op::kReadFileBytes, "ReadFileBytes", Style::kThrows, plat::kErrFileNotFound},
    {Op::kReadResource, "ReadResource", Style::kThrows, plat::kErrResourceNotFound},
    {Op::kAppendFileBytes, "AppendFileBytes", Style::kThrows, plat::kErrPathFileAccess},
    {Op::kMoveFile, "MoveFile", Style::kErrorCode, 5},
    {Op::kSleep, "Sleep", Style::kThrows, plat::kErrInvalidCall},
    {Op::kGetTickCount, "GetTickCount", Style::kApi, 0},
    {Op::kGetLocalTime, "GetLocalTime", Style::kApi, 0},
    {Op::kGetScreenSaveActive, "GetScreenSaveActive", Style::kApi, 0},
    {Op::kSetScreenSaveActive, "SetScreenSaveActive", Style::kApi, 0},
    {Op::kKeepSystemAwake, "KeepSystemAwake", Style::kApi, 0},
    {Op::kExitWindowsEx, "ExitWindowsEx", Style::kApi, 0},
    {Op::kGetLastError, "GetLastError", Style::kApi, 0},
    {Op::kStartProgram, "StartProgram", Style::kThrows, plat::kErrFileNotFound},
    {Op::kProgramHasEnded, "ProgramHasEnded", Style::kThrows, plat::kErrInvalidCall},
    {Op::kFindWindow, "FindWindow", Style::kApi, 0},
    {Op::kEnumWindows, "EnumWindows", Style::kApi, 0},
    {Op::kEnumChildWindows, "EnumChildWindows", Style::kApi, 0},
    {Op::kGetNextWindow, "GetNextWindow", Style::kApi, 0},
    {Op::kGetWindowTextLength, "GetWindowTextLength", Style::kApi, 0},
    {Op::kGetWindowText, "GetWindowText", Style::kApi, 0},
    {Op::kGetClassName, "GetClassName", Style::kApi, 0},
    {Op::kGetWindowProcess, "GetWindowProcess", Style::kApi, 0},
    {Op::kGetDlgCtrlID, "GetDlgCtrlID", Style::kApi, 0},
    {Op::kSendMessage, "SendMessage", Style::kApi, 0},
    {Op::kSendMessageTimeout, "SendMessageTimeout", Style::kApi, 0},
    {Op::kGetForegroundWindow, "GetForegroundWindow", Style::kApi, 0},
    {Op::kReleaseCapture, "ReleaseCapture", Style::kApi, 0},
    {Op::kIsOwnWindow, "IsOwnWindow", Style::kApi, 0},
    {Op::kHtmlHelp, "HtmlHelp", Style::kApi, 0},
    {Op::kCreateForm, "CreateForm", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kDestroyForm, "DestroyForm", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kShowForm, "ShowForm", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kControlChanged, "ControlChanged", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kTimerChanged, "TimerChanged", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kRepaint, "Repaint", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kSetPointer, "SetPointer", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kHandle, "Handle", Style::kApi, 0},
    {Op::kMessageBox, "MessageBox", Style::kApi, 0},
    {Op::kDoEvents, "DoEvents", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kMeasureText, "MeasureText", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kSystemColourPixel, "SystemColourPixel", Style::kThrows, plat::kErrOutOfMemory},
    {Op::kRefuseSuspend, "RefuseSuspend", Style::kApi, 0},
    {Op::kEndProcess, "EndProcess", Style::kThrows, plat::kErrOutOfMemory},
};
static_assert(std::size(kOps) == headless::kOpCount, "every operation is swept");

struct Failure {
  int number;
  int times;
  std::string label;
};

std::vector<Failure> FailuresOf(const OpInfo& info) {
  switch (info.style) {
    case Style::kThrows:
      // The typical error, and one the program never expects (type mismatch
      // is the one the main window's load skips on purpose).
      return {{info.typical, 1, std::to_string(info.typical)},
              {plat::kErrTypeMismatch, 1, std::to_string(plat::kErrTypeMismatch)}};
    case Style::kErrorCode:
      return {{info.typical, 1, "code " + std::to_string(info.typical)},
              {plat::kErrorFileNotFound, 1, "code 2"}};
    case Style::kApi:
      return {{0, 1, "once"}, {0, 3, "3 in a row"}};
  }
  return {};
}

const std::set<std::string> kCodes = {"FM142", "FM227",  "FM316",  "FM831",  "MD63",
                                      "MI95",  "MSK148", "MSP218", "MRES76", "MRES169",
                                      "FA73",  "FA146",  "FA186"};

// What the user saw in a box: a report's code and number, the label of one of
// the program's own texts ("" for Exit?), or nullopt for a box that is neither.
std::optional<std::string> Seen(const headless::BoxRecord& b) {
  static const std::regex report(
      "Program Spacific Error Code: ([A-Z]+[0-9]+)\r\nError: (-?[0-9]+)\r\nDescription: (.*)\r\n"
      "\r\nIf this error persists, contact support@brivane\\.co\\.uk\\.");
  static const std::regex load("Error: (-?[0-9]+)\r\nDescription: .*");
  const std::string mail = common::kSupportEmail;
  std::smatch m;
  if (std::regex_match(b.text, m, report)) {
    if (b.caption != "Error " + m[2].str() ||
        m[3].str() != plat::ErrorDescription(std::stoi(m[2].str()))) {
      return std::nullopt;
    }
    return m[1].str() + "/" + m[2].str();
  }
  if (b.caption == "Brivane" && std::regex_match(b.text, m, load)) return "load " + m[1].str();
  if (b.caption == "Brivane" &&
      b.text ==
          "An error has occurred while reading the .ini file.  Please contact " + mail + ".") {
    return "ini read";
  }
  if (b.caption == "Brivane" && b.text == "An error has occurred while calling the API function") {
    return "API write";
  }
  if (b.caption == "Reboot" && b.text == "Your computer will now reboot.  Please contact " + mail +
                                             " with the error number and description.") {
    return "Reboot";
  }
  if (b.caption == "Exit?" && b.text == "Are you sure you would like to exit") return "";
  return std::nullopt;
}

struct Outcome {
  std::string seen;  // the boxes, in order
  std::string end;
  std::vector<std::string> faults;
  std::uint64_t calls = 0;  // of the swept operation
};

// One armed boot through to its end, with `fail` applied to `op`.
Outcome RunWith(Op op, const Failure* fail, int after) {
  headless::Desktop d;
  d.Install();
  d.WriteFile(kSystemIni, kArmedSystemIni);
  d.WriteFile(kSettings, ArmedSettings());
  Machine m(d, Tools{300, 3000, 2000});
  if (fail) d.Fail(op, fail->number, fail->times, after);
  Outcome o;
  auto done = [&] { return m.ExitRequests() > 0 || plat::LoadedForms().empty(); };
  try {
    m.StartBrivane();
    d.RunUntil(done, 120000);
    if (m.ExitRequests() > 0) {
      o.end = "completed";
    } else if (m.InRunMode()) {
      o.end = "run mode, Exit";
      m.PressExit();
      d.RunUntil(done, 120000);
      if (m.ExitRequests() == 0) o.faults.push_back("Exit did not complete the run");
    } else if (m.MainLoaded()) {
      o.end = "interactive";
    } else if (!m.Armed() && !m.ShellNamesBrivane()) {
      o.end = "completed, shutdown refused";  // the result is not examined
    } else {
      o.end = "gone";
      o.faults.push_back("the program ended without completing the run");
    }
  } catch (const headless::ProcessEnded&) {
    // Unloading failed and the process ended at once: after the request to
    // Windows that is still a completion.
    o.end = m.ExitRequests() > 0 ? "completed, process ended" : "process ended";
    if (m.ExitRequests() == 0) o.faults.push_back("the process ended outside a completion");
  } catch (const std::exception& e) {
    o.end = "crash";
    o.faults.push_back(std::string("escaped: ") + e.what());
  }
  if (m.ExitRequests() > 0 && d.log().Of("ExitWindows").back().args[0] != "0x1") {
    o.faults.push_back("not a shutdown");
  }
  o.calls = d.CallCount(op);
  // The fault has passed: the machine boots as Windows does until it rests at its shell.
  d.ClearFaults();
  int boots = 0;
  while (m.ShellNamesBrivane() && boots < 4) {
    ++boots;
    m.PowerCycle();
    m.StartBrivane();
    m.Settle(120000);
  }
  if (boots > 0) o.end += "; " + std::to_string(boots) + " more boot" + (boots > 1 ? "s" : "");
  if (m.ShellNamesBrivane()) o.faults.push_back("keeps booting into Brivane");
  if (m.Armed() && o.end == "interactive") {
    // A load that gave up keeps the run for the next time the user starts Brivane.
    m.PowerCycle();
    m.StartBrivane();
    if (!m.InRunMode() || !m.Settle(120000)) o.faults.push_back("no resume by hand");
    o.end += ", armed; resumed by hand";
  }
  if (m.Armed()) o.faults.push_back("still armed");
  if (d.ReadFile(kSystemIni) != kRestored) {
    // Only a failed read of the kept shell itself may fall back to Explorer.
    if (op == Op::kGetPrivateProfileString && m.Shell() == "Explorer.exe") {
      o.end += " (Explorer.exe fallback)";
    } else {
      o.faults.push_back("system.ini is not as before arming, Shell=" + m.Shell());
    }
  }
  // Every box shown, in every session.
  for (const auto& b : d.boxes()) {
    const std::optional<std::string> seen = Seen(b);
    if (!seen) {
      o.faults.push_back("malformed box \"" + b.caption + "\": " + b.text);
    } else if (!seen->empty()) {
      const std::string code = seen->substr(0, seen->find('/'));
      if (seen->find('/') != std::string::npos && kCodes.count(code) == 0) {
        o.faults.push_back("unknown code " + code);
      }
      o.seen += (o.seen.empty() ? "" : ", ") + *seen;
    }
  }
  for (const std::string& e : d.script_errors()) o.faults.push_back("script: " + e);
  if (d.hang_count() > 0) o.faults.push_back("a plain SendMessage to a hung window");
  app::ResetProgram();
  return o;
}

// Reports that name the procedure which met the failure.
struct Expect {
  Op op;
  int number;
  std::uint64_t call;  // 1-based
  const char* seen;
};
const Expect kExpected[] = {
    {Op::kStartProgram, plat::kErrFileNotFound, 1, "FM227/53, Reboot"},  // the launcher
    {Op::kDeleteFile, plat::kErrPathFileAccess, 1, "MRES76/75"},         // the splash's temp.jpg
    {Op::kDeleteFile, plat::kErrPathFileAccess, 3, "FM316/75"},          // the settings file
    {Op::kWriteFileBytes, plat::kErrPathFileAccess, 1, "MRES169/75, MRES76/75"},
    {Op::kReadResource, plat::kErrResourceNotFound, 2, "MRES169/326, MRES76/75"},
    {Op::kCreateForm, plat::kErrOutOfMemory, 1, "MSP218/7"},
    {Op::kWindowsDirectory, plat::kErrPathFileAccess, 1, "FM227/75, Reboot"},
};

TEST(FailureSweepTest, EveryOperationFailingEndsInAKnownState) {
  alarm(240);  // a hang fails the test instead of stalling the suite
  std::ostringstream table;
  char line[512];
  std::snprintf(line, sizeof line, "%-26s %-11s %-7s %-42s %s\n", "operation", "failure", "call",
                "what the user saw", "end state");
  table << line;
  int runs = 0, faulty = 0;
  std::size_t expectations_met = 0;
  std::map<std::string, int> ends;
  for (const OpInfo& info : kOps) {
    SCOPED_TRACE(info.name);
    const std::uint64_t count = RunWith(info.op, nullptr, 0).calls;
    if (count == 0) {
      std::snprintf(line, sizeof line, "%-26s %-11s %-7s %-42s %s\n", info.name, "-", "-",
                    "(not called in a run)", "-");
      table << line;
      continue;
    }
    std::set<std::uint64_t> positions = {0, count / 2, count - 1};
    for (const Failure& f : FailuresOf(info)) {
      for (std::uint64_t pos : positions) {
        Outcome o = RunWith(info.op, &f, static_cast<int>(pos));
        ++runs;
        ++ends[o.end];
        for (const std::string& fault : o.faults) {
          ADD_FAILURE() << info.name << " " << f.label << " call " << pos + 1 << ": " << fault;
        }
        faulty += o.faults.empty() ? 0 : 1;
        for (const Expect& e : kExpected) {
          if (e.op == info.op && e.number == f.number && f.times == 1 && e.call == pos + 1) {
            EXPECT_EQ(o.seen, e.seen) << info.name << " call " << e.call;
            ++expectations_met;
          }
        }
        std::string call = std::to_string(pos + 1) + "/" + std::to_string(count);
        std::snprintf(line, sizeof line, "%-26s %-11s %-7s %-42s %s%s\n", info.name,
                      f.label.c_str(), call.c_str(), o.seen.empty() ? "-" : o.seen.c_str(),
                      o.end.c_str(), o.faults.empty() ? "" : ("  ** " + o.faults[0]).c_str());
        table << line;
      }
    }
  }
  EXPECT_EQ(expectations_met, std::size(kExpected));
  table << runs << " runs, " << faulty << " faulty;";
  for (const auto& [end, n] : ends) table << " " << end << ": " << n << ";";
  table << "\n";
  alarm(0);
  std::printf("%s", table.str().c_str());
  std::ofstream(std::string(BRIVANE_OUT_DIR) + "/failure_sweep.txt") << table.str();
}

}  // namespace
}  // namespace brivane_test
