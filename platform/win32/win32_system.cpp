#include "platform/win32/win32_system.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/errors.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win_headers.h"

namespace plat::win32 {
namespace {

// ---------------------------------------------------------------- handles

HWND ToHwnd(WindowId id) {
  return reinterpret_cast<HWND>(id);
}
WindowId ToId(HWND hwnd) {
  return reinterpret_cast<WindowId>(hwnd);
}

// The predefined roots are sign-extended on 64-bit Windows, so they cannot be
// passed through as plain numbers.
HKEY ToHkey(RegKey key) {
  if (key == kHkeyCurrentUser) return HKEY_CURRENT_USER;
  if (key == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
  return reinterpret_cast<HKEY>(key);
}

// Closes a kernel handle when the scope ends.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// ---------------------------------------------------------------- files

// The runtime's numbers for the file errors the program can meet.
[[noreturn]] void RaiseFileError(DWORD error, int otherwise) {
  if (error == ERROR_FILE_NOT_FOUND) Raise(kErrFileNotFound);
  if (error == ERROR_PATH_NOT_FOUND && otherwise == kErrFileNotFound) Raise(kErrFileNotFound);
  Raise(otherwise);
}

// ---------------------------------------------------------------- window enumeration

// Carries the visitor through the system's callback; an exception must not
// unwind through user32's frames, so it is caught and thrown again afterwards.
struct Visit {
  const std::function<bool(WindowId)>* visit;
  std::exception_ptr failure;
};

BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM param) {
  auto* v = reinterpret_cast<Visit*>(param);
  try {
    return (*v->visit)(ToId(hwnd)) ? TRUE : FALSE;
  } catch (...) {
    v->failure = std::current_exception();
    return FALSE;
  }
}

// ---------------------------------------------------------------- power

bool RunningOnNt() {
  return (GetVersion() & 0x80000000u) == 0;
}

// NT-family systems refuse ExitWindowsEx without the shutdown privilege; Windows
// 9x has no privileges, so nothing is done there.
void EnableShutdownPrivilege() {
  LateApi& api = Late();
  if (!RunningOnNt() || !api.OpenProcessToken || !api.LookupPrivilegeValueA ||
      !api.AdjustTokenPrivileges) {
    return;
  }
  HANDLE raw = nullptr;
  if (!api.OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) {
    return;
  }
  Handle token(raw);
  TOKEN_PRIVILEGES tp{};
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (api.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid)) {
    api.AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr);
  }
}

}  // namespace

Win32System::~Win32System() {
  for (const Started& started : processes_) CloseHandle(started.process);
}

Win32System::Started* Win32System::FindStarted(ProcessId id) {
  for (Started& started : processes_) {
    if (started.id == id) return &started;
  }
  return nullptr;
}

// ---------------------------------------------------------------- program facts

std::string Win32System::ExecutablePath() {
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

std::string Win32System::WindowsDirectory() {
  char path[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(path, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return "";
  std::string dir(path, n);
  if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
  return dir;
}

// ---------------------------------------------------------------- profile files

std::uint32_t Win32System::GetPrivateProfileString(const char* section, const char* key,
                                                   const char* default_value, char* buffer,
                                                   std::uint32_t size, const char* file) {
  return GetPrivateProfileStringA(section, key, default_value, buffer, size, file);
}

bool Win32System::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                            const char* file) {
  return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

// ---------------------------------------------------------------- registry

namespace {
// RegOpenKeyA and RegCreateKeyA: the key, or 0 after a failure.
long OpenWith(LONG(WINAPI* api)(HKEY, LPCSTR, PHKEY), RegKey root, const char* path,
              RegKey* result) {
  HKEY key = nullptr;
  LONG rc = api(ToHkey(root), path, &key);
  *result = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : 0;
  return rc;
}
}  // namespace

long Win32System::RegOpenKey(RegKey root, const char* path, RegKey* result) {
  return OpenWith(RegOpenKeyA, root, path, result);
}

long Win32System::RegCreateKey(RegKey root, const char* path, RegKey* result) {
  return OpenWith(RegCreateKeyA, root, path, result);
}

long Win32System::RegQueryValueEx(RegKey key, const char* name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) {
  // DWORD copies that start as the caller's values: what the API leaves alone stays so.
  DWORD t = type ? *type : 0;
  DWORD n = size ? *size : 0;
  LONG rc =
      RegQueryValueExA(ToHkey(key), name, nullptr, type ? &t : nullptr, data, size ? &n : nullptr);
  if (type) *type = t;
  if (size) *size = n;
  return rc;
}

long Win32System::RegSetValueEx(RegKey key, const char* name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), name, 0, type, data, size);
}

long Win32System::RegCloseKey(RegKey key) {
  return ::RegCloseKey(ToHkey(key));
}

// ---------------------------------------------------------------- drives and files

unsigned Win32System::GetDriveType(const char* root) {
  return GetDriveTypeA(root);
}

std::uint32_t Win32System::GetShortPathName(const char* long_path, char* buffer,
                                            std::uint32_t size) {
  return GetShortPathNameA(long_path, buffer, size);
}

void Win32System::DeleteFile(const std::string& path) {
  if (!DeleteFileA(path.c_str())) RaiseFileError(GetLastError(), kErrPathFileAccess);
}

namespace {

// A file opened for writing, created when missing; OPEN_ALWAYS keeps what lies
// beyond the bytes written, as a binary-mode Put does.
HANDLE OpenForWriting(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Raise(GetLastError() == ERROR_PATH_NOT_FOUND ? kErrPathNotFound : kErrPathFileAccess);
  }
  return file;
}

}  // namespace

void Win32System::WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  Handle file(OpenForWriting(path));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      Raise(kErrPathFileAccess);
    }
    done += written;
  }
}

std::uint32_t Win32System::AppendFileBytes(const std::string& path,
                                           std::span<const std::uint8_t> bytes) {
  Handle file(OpenForWriting(path));
  if (SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
    Raise(kErrPathFileAccess);
  }
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    Raise(kErrPathFileAccess);
  }
  // Past the system's write cache: the power may go at any moment.
  if (!FlushFileBuffers(file.get())) Raise(kErrPathFileAccess);
  const DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) Raise(kErrPathFileAccess);
  return size;
}

long Win32System::MoveFile(const std::string& from, const std::string& to) {
  if (MoveFileA(from.c_str(), to.c_str())) return kErrorSuccess;
  return static_cast<long>(GetLastError());
}

std::vector<std::uint8_t> Win32System::ReadFileBytes(const std::string& path) {
  Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) RaiseFileError(GetLastError(), kErrFileNotFound);
  DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) Raise(kErrPathFileAccess);
  std::vector<std::uint8_t> bytes(size);
  DWORD done = 0;
  while (done < size) {
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, size - done, &read, nullptr)) {
      Raise(kErrPathFileAccess);
    }
    if (read == 0) break;  // the file shrank meanwhile
    done += read;
  }
  bytes.resize(done);
  return bytes;
}

std::vector<std::uint8_t> Win32System::ReadResource(const char* type, int id) {
  HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
  HGLOBAL loaded = info ? LoadResource(nullptr, info) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) {
    Raise(kErrResourceNotFound, "Resource with identifier '" + std::to_string(id) + "' not found");
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(nullptr, info));
}

// ---------------------------------------------------------------- time and power

void Win32System::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::uint32_t Win32System::GetTickCount() {
  return ::GetTickCount();
}

LocalTime Win32System::GetLocalTime() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool Win32System::GetScreenSaveActive(bool* active) {
  BOOL on = FALSE;
  if (!SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &on, 0)) return false;
  if (active) *active = on != FALSE;
  return true;
}

bool Win32System::SetScreenSaveActive(bool active) {
  // No SPIF_UPDATEINIFILE: the user's stored setting stays as it is.
  return SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, 0) != FALSE;
}

bool Win32System::KeepSystemAwake(bool on) {
  auto set_state = Late().SetThreadExecutionState;
  if (set_state == nullptr) return false;
  return set_state(on ? ES_SYSTEM_REQUIRED | ES_CONTINUOUS : ES_CONTINUOUS) != 0;
}

bool Win32System::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  EnableShutdownPrivilege();
  return ::ExitWindowsEx(flags, reserved) != FALSE;
}

std::uint32_t Win32System::GetLastError() {
  return ::GetLastError();
}

// ---------------------------------------------------------------- programs

ProcessId Win32System::StartProgram(const std::string& command_line, int show_state) {
  if (command_line.empty()) Raise(kErrInvalidCall);
  std::string line = command_line;  // CreateProcessA may write into it
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(show_state);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    Raise(kErrFileNotFound);
  }
  CloseHandle(pi.hThread);
  ProcessId id = pi.dwProcessId;
  // An id is reused once its process has gone; the newer process wins.
  if (Started* old = FindStarted(id)) {
    CloseHandle(old->process);
    old->process = pi.hProcess;
  } else {
    processes_.push_back({id, pi.hProcess});
  }
  return id;
}

bool Win32System::ProgramHasEnded(ProcessId id) {
  Started* started = FindStarted(id);
  if (started == nullptr) return true;
  // A wait that fails (a handle gone bad) counts as ended, so a watcher never hangs.
  if (WaitForSingleObject(started->process, 0) == WAIT_TIMEOUT) return false;
  CloseHandle(started->process);
  processes_.erase(processes_.begin() + (started - processes_.data()));
  return true;
}

// ---------------------------------------------------------------- window management

WindowId Win32System::FindWindow(const char* class_name, const char* caption) {
  return ToId(FindWindowA(class_name, caption));
}

void Win32System::EnumWindows(const std::function<bool(WindowId)>& visit) {
  Visit v{&visit, nullptr};
  ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&v));
  if (v.failure) std::rethrow_exception(v.failure);
}

void Win32System::EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) {
  Visit v{&visit, nullptr};
  ::EnumChildWindows(ToHwnd(parent), VisitWindow, reinterpret_cast<LPARAM>(&v));
  if (v.failure) std::rethrow_exception(v.failure);
}

WindowId Win32System::GetNextWindow(WindowId window) {
  return ToId(GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

int Win32System::GetWindowTextLength(WindowId window) {
  return GetWindowTextLengthA(ToHwnd(window));
}

int Win32System::GetWindowText(WindowId window, char* buffer, int size) {
  return GetWindowTextA(ToHwnd(window), buffer, size);
}

int Win32System::GetClassName(WindowId window, char* buffer, int size) {
  return GetClassNameA(ToHwnd(window), buffer, size);
}

ProcessId Win32System::GetWindowProcess(WindowId window) {
  DWORD pid = 0;
  if (window == 0 || GetWindowThreadProcessId(ToHwnd(window), &pid) == 0) return 0;
  return pid;
}

int Win32System::GetDlgCtrlID(WindowId window) {
  return ::GetDlgCtrlID(ToHwnd(window));
}

std::intptr_t Win32System::SendMessage(WindowId window, unsigned message, std::uintptr_t wparam,
                                       std::intptr_t lparam) {
  return SendMessageA(ToHwnd(window), message, wparam, lparam);
}

bool Win32System::SendMessageTimeout(WindowId window, unsigned message, std::uintptr_t wparam,
                                     std::intptr_t lparam, unsigned flags, unsigned timeout_ms,
                                     std::uintptr_t* result) {
  DWORD_PTR answer = 0;
  LRESULT ok =
      SendMessageTimeoutA(ToHwnd(window), message, wparam, lparam, flags, timeout_ms, &answer);
  if (result) *result = answer;
  return ok != 0;
}

WindowId Win32System::GetForegroundWindow() {
  return ToId(::GetForegroundWindow());
}

bool Win32System::ReleaseCapture() {
  return ::ReleaseCapture() != FALSE;
}

bool Win32System::IsOwnWindow(WindowId window) {
  if (window == 0 || !IsWindow(ToHwnd(window))) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(ToHwnd(window), &pid);
  return pid == GetCurrentProcessId();
}

// ---------------------------------------------------------------- HTML Help

WindowId Win32System::HtmlHelp(WindowId owner, const char* file, unsigned command,
                               std::uintptr_t data) {
  if (!LoadHtmlHelp()) return 0;
  return ToId(Late().HtmlHelpA(ToHwnd(owner), file, command, data));
}

}  // namespace plat::win32
