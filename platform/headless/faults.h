// Fault injection over every operation of the desktop's two platform
// interfaces, and how often each was called.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace headless {

// Every operation of both interfaces, for fault injection.
enum class Op {
  // plat::System. Those marked * fail their API's way (0 / false / a Windows
  // error code, or visiting nothing); the others throw plat::RuntimeError.
  kExecutablePath,
  kWindowsDirectory,
  kGetPrivateProfileString,    // * 0, empty buffer
  kWritePrivateProfileString,  // * false
  kRegOpenKey,
  kRegCreateKey,
  kRegQueryValueEx,
  kRegSetValueEx,
  kRegCloseKey,       // * the error number
  kGetDriveType,      // * 0 (DRIVE_UNKNOWN)
  kGetShortPathName,  // * 0
  kDeleteFile,
  kWriteFileBytes,
  kReadFileBytes,
  kReadResource,
  kAppendFileBytes,
  kMoveFile,  // * the error number
  kSleep,
  kGetTickCount,         // * 0
  kGetLocalTime,         // * all fields 0
  kGetScreenSaveActive,  // * false
  kSetScreenSaveActive,  // * false
  kKeepSystemAwake,      // * false
  kExitWindowsEx,        // * false, GetLastError the fault's number
  kGetLastError,         // * 0
  kStartProgram,
  kProgramHasEnded,
  kFindWindow,
  kEnumWindows,
  kEnumChildWindows,
  kGetNextWindow,  // * 0 / nothing
  kGetWindowTextLength,
  kGetWindowText,
  kGetClassName,        // * 0
  kGetWindowProcess,    // * 0
  kGetDlgCtrlID,        // * 0
  kSendMessage,         // * 0, not delivered
  kSendMessageTimeout,  // * false
  kGetForegroundWindow,
  kReleaseCapture,
  kIsOwnWindow,
  kHtmlHelp,  // * 0 / false
  // plat::UiBackend: all throw plat::RuntimeError, except
  kCreateForm,
  kDestroyForm,
  kShowForm,
  kControlChanged,
  kTimerChanged,
  kRepaint,
  kSetPointer,
  kHandle,      // * 0
  kMessageBox,  // * 0 (no box shown)
  kDoEvents,
  kMeasureText,
  kSystemColourPixel,
  kRefuseSuspend,  // * nothing changes
  kEndProcess,     // throws plat::RuntimeError instead of ending
};
inline constexpr std::size_t kOpCount = static_cast<std::size_t>(Op::kEndProcess) + 1;

class Faults {
 public:
  // The call of `op` after the next `after` successful ones fails `times` times
  // with `error_number` (an error code for the registry, a runtime error number
  // for the calls that throw).
  void Fail(Op op, int error_number, int times = 1, int after = 0);
  void ClearFaults() { faults_.clear(); }
  // How often `op` was called so far, failed calls included.
  std::uint64_t CallCount(Op op) const { return calls_[static_cast<std::size_t>(op)]; }

 protected:
  // Counts the call; true (and the error) when this call of `op` is to fail.
  bool Faulted(Op op, int* error);
  bool Faulted(Op op) {
    int error = 0;
    return Faulted(op, &error);
  }
  // Counts the call and raises the runtime error when it is to fail.
  void ThrowIfFaulted(Op op);

 private:
  struct Fault {
    Op op;
    int error = 0;
    int times = 0;
    int after = 0;
  };
  std::vector<Fault> faults_;
  std::array<std::uint64_t, kOpCount> calls_{};
};

}  // namespace headless
