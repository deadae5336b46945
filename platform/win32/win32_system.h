// plat::System over kernel32, user32 and advapi32, ANSI functions only.
#pragma once

#include <vector>

#include "platform/system.h"

namespace plat::win32 {

class Win32System : public System {
 public:
  Win32System() = default;
  ~Win32System() override;
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;

  std::string ExecutablePath() override;
  std::string WindowsDirectory() override;

  std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                        const char* default_value, char* buffer, std::uint32_t size,
                                        const char* file) override;
  bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                                 const char* file) override;

  long RegOpenKey(RegKey root, const char* path, RegKey* result) override;
  long RegCreateKey(RegKey root, const char* path, RegKey* result) override;
  long RegQueryValueEx(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size) override;
  long RegSetValueEx(RegKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                     std::uint32_t size) override;
  long RegCloseKey(RegKey key) override;

  unsigned GetDriveType(const char* root) override;
  std::uint32_t GetShortPathName(const char* long_path, char* buffer, std::uint32_t size) override;
  void DeleteFile(const std::string& path) override;
  void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) override;
  std::vector<std::uint8_t> ReadFileBytes(const std::string& path) override;
  std::vector<std::uint8_t> ReadResource(const char* type, int id) override;
  std::uint32_t AppendFileBytes(const std::string& path,
                                std::span<const std::uint8_t> bytes) override;
  long MoveFile(const std::string& from, const std::string& to) override;

  void Sleep(std::uint32_t milliseconds) override;
  std::uint32_t GetTickCount() override;
  LocalTime GetLocalTime() override;
  bool GetScreenSaveActive(bool* active) override;
  bool SetScreenSaveActive(bool active) override;
  bool KeepSystemAwake(bool on) override;
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
  std::uint32_t GetLastError() override;

  ProcessId StartProgram(const std::string& command_line, int show_state) override;
  bool ProgramHasEnded(ProcessId id) override;

  WindowId FindWindow(const char* class_name, const char* caption) override;
  void EnumWindows(const std::function<bool(WindowId)>& visit) override;
  void EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) override;
  WindowId GetNextWindow(WindowId window) override;
  int GetWindowTextLength(WindowId window) override;
  int GetWindowText(WindowId window, char* buffer, int size) override;
  int GetClassName(WindowId window, char* buffer, int size) override;
  ProcessId GetWindowProcess(WindowId window) override;
  int GetDlgCtrlID(WindowId window) override;
  std::intptr_t SendMessage(WindowId window, unsigned message, std::uintptr_t wparam,
                            std::intptr_t lparam) override;
  bool SendMessageTimeout(WindowId window, unsigned message, std::uintptr_t wparam,
                          std::intptr_t lparam, unsigned flags, unsigned timeout_ms,
                          std::uintptr_t* result) override;
  WindowId GetForegroundWindow() override;
  bool ReleaseCapture() override;
  bool IsOwnWindow(WindowId window) override;

  WindowId HtmlHelp(WindowId owner, const char* file, unsigned command,
                    std::uintptr_t data) override;

 private:
  // Process handles of started programs, kept until they are seen to have ended:
  // a handful at most, so a plain list.
  struct Started {
    ProcessId id;
    void* process;
  };
  Started* FindStarted(ProcessId id);
  std::vector<Started> processes_;
};

}  // namespace plat::win32
