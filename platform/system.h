// The operating system services the program calls, other than its own windows.
// Functions mirror the ANSI Windows API they stand for, so the program's
// algorithms (buffer sizes, returned counts) are the same on every platform.
// Failures come back the way the API reports them (0 / an error code) unless a
// comment says the call throws plat::RuntimeError.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace plat {

// A window of the desktop (an HWND on Win32); 0 is no window.
using WindowId = std::uintptr_t;
// A registry key: a predefined root or an opened key; 0 is none.
using RegKey = std::uintptr_t;
// A program started by StartProgram; 0 is none.
using ProcessId = std::uint32_t;

// A predefined root as Windows defines it: the 32-bit value sign-extended to a
// pointer, so that a 64-bit build compares equal to the handles Windows gives back.
constexpr RegKey PredefinedKey(std::uint32_t value) {
  return static_cast<RegKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
inline constexpr RegKey kHkeyCurrentUser = PredefinedKey(0x80000001);
inline constexpr RegKey kHkeyLocalMachine = PredefinedKey(0x80000002);

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorPathNotFound = 3;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorAlreadyExists = 183;

inline constexpr unsigned kDriveFixed = 3;

inline constexpr std::uint32_t kEwxShutdown = 1;
inline constexpr std::uint32_t kEwxReboot = 2;

inline constexpr unsigned kWmClose = 0x0010;
inline constexpr unsigned kWmLButtonDown = 0x0201;
inline constexpr unsigned kWmLButtonUp = 0x0202;
inline constexpr unsigned kWmNcLButtonDown = 0x00A1;
inline constexpr std::uintptr_t kHtCaption = 2;
inline constexpr unsigned kSmtoAbortIfHung = 0x0002;

// The control IDs Windows gives a message box's buttons.
inline constexpr int kIdYesButton = 6;
inline constexpr int kIdNoButton = 7;

// Show states for StartProgram (the runtime's window styles, equal to SW_*).
inline constexpr int kShowNormalFocus = 1;
inline constexpr int kShowNormalNoFocus = 4;

// GetLocalTime's SYSTEMTIME, the fields the program reads.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class System {
 public:
  virtual ~System() = default;

  // ---- Program facts
  // Full path of the running executable, e.g. "C:\Program Files\Brivane\brivane.exe".
  virtual std::string ExecutablePath() = 0;
  // GetWindowsDirectoryA: the Windows folder without a trailing backslash.
  virtual std::string WindowsDirectory() = 0;

  // ---- Private profile files (GetPrivateProfileStringA / WritePrivateProfileStringA)
  // A relative file name is looked up in the Windows folder. Returns the count of
  // characters copied, not counting the terminator; `buffer` is always terminated.
  virtual std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                                const char* default_value, char* buffer,
                                                std::uint32_t size, const char* file) = 0;
  // Null key deletes the section, null value deletes the key; all three null
  // flushes the file's cached writes. False on failure.
  virtual bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                                         const char* file) = 0;

  // ---- Registry (RegOpenKeyA, RegCreateKeyA, RegQueryValueExA, RegSetValueExA, RegCloseKey)
  // All return a Windows error code, kErrorSuccess when it worked.
  virtual long RegOpenKey(RegKey root, const char* path, RegKey* result) = 0;
  virtual long RegCreateKey(RegKey root, const char* path, RegKey* result) = 0;
  // With a null `data` only the type and the size in bytes are returned.
  virtual long RegQueryValueEx(RegKey key, const char* name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) = 0;
  virtual long RegSetValueEx(RegKey key, const char* name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) = 0;
  virtual long RegCloseKey(RegKey key) = 0;

  // ---- Drives and files
  // GetDriveTypeA of a root path such as "C:\"; 3 is a fixed disk.
  virtual unsigned GetDriveType(const char* root) = 0;
  // GetShortPathNameA: the count copied, or the size needed (terminator included)
  // when `size` is too small, or 0 on failure.
  virtual std::uint32_t GetShortPathName(const char* long_path, char* buffer,
                                         std::uint32_t size) = 0;
  // Deletes a file. Throws 53 when it does not exist, 75 when it cannot be deleted.
  virtual void DeleteFile(const std::string& path) = 0;
  // Opens (creating, never emptying) a file and writes `bytes` from its first
  // byte, as a binary-mode write does. Throws 75 (or 76 for a missing folder).
  virtual void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
  // The whole file. Throws 53 when it does not exist, 75 when it cannot be read.
  virtual std::vector<std::uint8_t> ReadFileBytes(const std::string& path) = 0;
  // A custom resource of the own executable, byte-exact. Throws 326 when missing.
  virtual std::vector<std::uint8_t> ReadResource(const char* type, int id) = 0;
  // Adds `bytes` at the end of a file (created when missing) and has them
  // written through to the disk (FlushFileBuffers) before it returns: the file's
  // size afterwards. Throws 75 (or 76 for a missing folder).
  virtual std::uint32_t AppendFileBytes(const std::string& path,
                                        std::span<const std::uint8_t> bytes) = 0;
  // MoveFileA: a Windows error code, kErrorSuccess when it worked, kErrorFileNotFound
  // when `from` is missing, kErrorAlreadyExists when `to` is there.
  virtual long MoveFile(const std::string& from, const std::string& to) = 0;

  // ---- Time and power
  // Blocks the thread; no window message is processed meanwhile.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // GetTickCount: milliseconds since Windows started; wraps after 49.7 days.
  virtual std::uint32_t GetTickCount() = 0;
  // GetLocalTime.
  virtual LocalTime GetLocalTime() = 0;
  // SystemParametersInfoA with SPI_GETSCREENSAVEACTIVE; false when the call failed.
  virtual bool GetScreenSaveActive(bool* active) = 0;
  // SPI_SETSCREENSAVEACTIVE for this session only: the stored setting is left
  // alone, so the next start of Windows has it again. False on failure.
  virtual bool SetScreenSaveActive(bool active) = 0;
  // SetThreadExecutionState: on, Windows does not idle into standby; off, it may
  // again. False when it refused, or lacks the call (Windows 95).
  virtual bool KeepSystemAwake(bool on) = 0;
  // ExitWindowsEx: asks Windows to end the session; true when the request was
  // accepted. After a refusal GetLastError says why.
  virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;
  // GetLastError: the error of the last call that failed on this thread.
  virtual std::uint32_t GetLastError() = 0;

  // ---- Programs
  // Starts a command line asynchronously with a show state. Throws 53 when the
  // program cannot be started (5 for an empty command line).
  virtual ProcessId StartProgram(const std::string& command_line, int show_state) = 0;
  // True once the started program has ended (or when the id is unknown).
  virtual bool ProgramHasEnded(ProcessId id) = 0;

  // ---- Window management: every window of the desktop, this program's included
  virtual WindowId FindWindow(const char* class_name, const char* caption) = 0;
  // Top-level windows from the top of the Z-order down; `visit` returns false to stop.
  virtual void EnumWindows(const std::function<bool(WindowId)>& visit) = 0;
  // Every descendant of `parent`, depth first; `visit` returns false to stop.
  virtual void EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) = 0;
  // GetWindow(GW_HWNDNEXT): the next window below in Z-order, 0 at the bottom.
  virtual WindowId GetNextWindow(WindowId window) = 0;
  virtual int GetWindowTextLength(WindowId window) = 0;
  // Copies at most size - 1 characters and a terminator; returns the count copied.
  virtual int GetWindowText(WindowId window, char* buffer, int size) = 0;
  virtual int GetClassName(WindowId window, char* buffer, int size) = 0;
  // GetWindowThreadProcessId: the process the window belongs to, 0 for no window.
  virtual ProcessId GetWindowProcess(WindowId window) = 0;
  // GetDlgCtrlID: a dialog control's ID, 0 for a top-level window or none.
  virtual int GetDlgCtrlID(WindowId window) = 0;
  virtual std::intptr_t SendMessage(WindowId window, unsigned message, std::uintptr_t wparam,
                                    std::intptr_t lparam) = 0;
  // SendMessageTimeoutA: false when the window is hung, gone or did not answer in time.
  virtual bool SendMessageTimeout(WindowId window, unsigned message, std::uintptr_t wparam,
                                  std::intptr_t lparam, unsigned flags, unsigned timeout_ms,
                                  std::uintptr_t* result) = 0;
  virtual WindowId GetForegroundWindow() = 0;
  virtual bool ReleaseCapture() = 0;
  // True for windows that belong to this program (its forms, their controls,
  // its message boxes and its help viewer).
  virtual bool IsOwnWindow(WindowId window) = 0;

  // ---- HTML Help
  // HtmlHelpA of hhctrl.ocx: the viewer's window, or 0 when none was opened
  // (also when the help engine cannot be loaded).
  virtual WindowId HtmlHelp(WindowId owner, const char* file, unsigned command,
                            std::uintptr_t data) = 0;
};

}  // namespace plat
