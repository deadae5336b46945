// The façade: each platform call asks Faults first, then goes to its part.
#include "platform/headless/desktop.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/image.h"
#include "platform/platform.h"

// The table the build generates from resources/ (cmake/EmbedFiles.cmake).
struct BrivaneEmbeddedResource {
  const char* type;
  int id;
  const std::uint8_t* data;
  std::size_t size;
};
extern const BrivaneEmbeddedResource brivane_embedded_resources[];
extern const std::size_t brivane_embedded_resource_count;

namespace headless {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

const char* OrNull(const char* s) {
  return s ? s : "(null)";
}

}  // namespace

// ================================================================ set-up

Desktop::Desktop()
    : Journal(static_cast<const Clock&>(*this)),
      WindowTable(static_cast<Journal&>(*this), static_cast<Clock&>(*this)),
      Forms(static_cast<WindowTable&>(*this), static_cast<Clock&>(*this)),
      MessageBoxes(static_cast<WindowTable&>(*this), static_cast<Clock&>(*this),
                   static_cast<Journal&>(*this)),
      Programs(static_cast<WindowTable&>(*this), static_cast<Clock&>(*this),
               static_cast<Journal&>(*this)),
      Disk(static_cast<Journal&>(*this)) {
  SetPaintHook([this] { PaintExposed(); });
  // Tests boot the program thousands of times; each boot decodes the same sheets.
  plat::KeepDecodedPictures(true);
  system_colours_[5] = plat::MakePixel(255, 255, 255);
  system_colours_[7] = plat::MakePixel(0, 0, 0);
  system_colours_[8] = plat::MakePixel(0, 0, 0);
  SetWindowsDirectory("C:\\WINDOWS");
  SetExecutablePath("C:\\Program Files\\Brivane\\brivane.exe");
}

Desktop::~Desktop() {
  if (installed_) plat::Install(nullptr, nullptr);
}

void Desktop::Install() {
  plat::Install(this, this);
  installed_ = true;
}

void Desktop::Restart() {
  Clock::PowerOff();
  WindowTable::PowerOff();
  Forms::PowerOff();
  MessageBoxes::PowerOff();
  help_viewers_.clear();
  Programs::PowerOff();
  process_ended_ = false;
  screen_saver_ = stored_screen_saver_;
  kept_awake_ = false;
  refuse_suspend_ = false;
  Record("Restart");
}

// ================================================================ program facts, files, profiles

std::string Desktop::ExecutablePath() {
  ThrowIfFaulted(Op::kExecutablePath);
  return exe_path();
}

std::string Desktop::WindowsDirectory() {
  ThrowIfFaulted(Op::kWindowsDirectory);
  return windows_dir();
}

std::uint32_t Desktop::GetPrivateProfileString(const char* section, const char* key,
                                               const char* default_value, char* buffer,
                                               std::uint32_t size, const char* file) {
  if (Faulted(Op::kGetPrivateProfileString)) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
  return ReadProfile(section, key, default_value, buffer, size, file);
}

bool Desktop::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                        const char* file) {
  if (Faulted(Op::kWritePrivateProfileString)) return false;
  return WriteProfile(section, key, value, file);
}

unsigned Desktop::GetDriveType(const char* root) {
  if (Faulted(Op::kGetDriveType)) return 0;
  return DriveType(root);
}

std::uint32_t Desktop::GetShortPathName(const char* long_path, char* buffer, std::uint32_t size) {
  if (Faulted(Op::kGetShortPathName)) return 0;
  return ShortPath(long_path, buffer, size);
}

void Desktop::DeleteFile(const std::string& path) {
  ThrowIfFaulted(Op::kDeleteFile);
  Delete(path);
}

void Desktop::WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  ThrowIfFaulted(Op::kWriteFileBytes);
  WriteBytes(path, bytes);
}

std::vector<std::uint8_t> Desktop::ReadFileBytes(const std::string& path) {
  ThrowIfFaulted(Op::kReadFileBytes);
  return ReadBytes(path);
}

std::uint32_t Desktop::AppendFileBytes(const std::string& path,
                                       std::span<const std::uint8_t> bytes) {
  ThrowIfFaulted(Op::kAppendFileBytes);
  return AppendBytes(path, bytes);
}

long Desktop::MoveFile(const std::string& from, const std::string& to) {
  int error = 0;
  if (Faulted(Op::kMoveFile, &error)) return error;
  return Move(from, to);
}

// ================================================================ registry

long Desktop::RegOpenKey(plat::RegKey root, const char* path, plat::RegKey* result) {
  int error = 0;
  if (Faulted(Op::kRegOpenKey, &error)) {
    if (result) *result = 0;
    return error;
  }
  return registry_.Open(root, path, result);
}

long Desktop::RegCreateKey(plat::RegKey root, const char* path, plat::RegKey* result) {
  int error = 0;
  if (Faulted(Op::kRegCreateKey, &error)) {
    if (result) *result = 0;
    return error;
  }
  bool created = false;
  long r = registry_.Create(root, path, result, &created);
  if (r == plat::kErrorSuccess && created) Wrote("RegCreateKey", {registry_.PathOf(*result)});
  return r;
}

long Desktop::RegQueryValueEx(plat::RegKey key, const char* name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
  int error = 0;
  if (Faulted(Op::kRegQueryValueEx, &error)) return error;
  return registry_.Query(key, name, type, data, size);
}

long Desktop::RegSetValueEx(plat::RegKey key, const char* name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) {
  int error = 0;
  if (Faulted(Op::kRegSetValueEx, &error)) return error;
  long r = registry_.Set(key, name, type, data, size);
  if (r == plat::kErrorSuccess) {
    Wrote("RegSetValue", {registry_.PathOf(key), name ? name : "", std::to_string(type),
                          Hex(std::span<const std::uint8_t>(data, data ? size : 0))});
  }
  return r;
}

long Desktop::RegCloseKey(plat::RegKey key) {
  int error = 0;
  if (Faulted(Op::kRegCloseKey, &error)) return error;
  return registry_.Close(key);
}

void Desktop::RegPutString(plat::RegKey root, const std::string& path, const std::string& name,
                           const std::string& text, bool with_terminator) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  if (with_terminator) bytes.push_back(0);
  registry_.Put(root, path, name, {plat::kRegSz, std::move(bytes)});
}

// ================================================================ time and programs

void Desktop::Sleep(std::uint32_t milliseconds) {
  ThrowIfFaulted(Op::kSleep);
  Block(milliseconds);
}

std::uint32_t Desktop::GetTickCount() {
  if (Faulted(Op::kGetTickCount)) return 0;
  return static_cast<std::uint32_t>(uptime_at_boot_ + Now());
}

plat::LocalTime Desktop::GetLocalTime() {
  if (Faulted(Op::kGetLocalTime)) return {};
  using namespace std::chrono;
  const plat::LocalTime& b = boot_time_;
  const sys_days day = year_month_day{year{b.year}, month{static_cast<unsigned>(b.month)},
                                      std::chrono::day{static_cast<unsigned>(b.day)}};
  const auto at = day + hours{b.hour} + minutes{b.minute} + seconds{b.second} +
                  duration_cast<seconds>(milliseconds{Now()});
  const sys_days today = floor<days>(at);
  const year_month_day date{today};
  const hh_mm_ss time{at - today};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

bool Desktop::GetScreenSaveActive(bool* active) {
  if (Faulted(Op::kGetScreenSaveActive)) return false;
  if (active) *active = screen_saver_;
  return true;
}

bool Desktop::SetScreenSaveActive(bool active) {
  if (Faulted(Op::kSetScreenSaveActive)) return false;
  screen_saver_ = active;
  Wrote("ScreenSaver", {active ? "on" : "off"});
  return true;
}

bool Desktop::KeepSystemAwake(bool on) {
  if (Faulted(Op::kKeepSystemAwake)) return false;
  kept_awake_ = on;
  Record("KeepAwake", {on ? "on" : "off"});
  return true;
}

ProcessId Desktop::StartProgram(const std::string& command_line, int show_state) {
  ThrowIfFaulted(Op::kStartProgram);
  return Start(command_line, show_state);
}

bool Desktop::ProgramHasEnded(ProcessId id) {
  ThrowIfFaulted(Op::kProgramHasEnded);
  return HasEnded(id);
}

// ================================================================ window management

WindowId Desktop::FindWindow(const char* class_name, const char* caption) {
  if (Faulted(Op::kFindWindow)) return 0;
  return FindTopLevel(class_name, caption);
}

void Desktop::EnumWindows(const std::function<bool(WindowId)>& visit) {
  if (Faulted(Op::kEnumWindows)) return;
  for (WindowId w : TopLevelWindows()) {  // as user32 does, the list is taken first
    if (!visit(w)) break;
  }
}

void Desktop::EnumChildWindows(WindowId parent, const std::function<bool(WindowId)>& visit) {
  if (Faulted(Op::kEnumChildWindows)) return;
  for (WindowId w : Descendants(parent)) {
    if (!visit(w)) break;
  }
}

WindowId Desktop::GetNextWindow(WindowId window) {
  if (Faulted(Op::kGetNextWindow)) return 0;
  return NextWindow(window);
}

int Desktop::GetWindowTextLength(WindowId window) {
  if (Faulted(Op::kGetWindowTextLength)) return 0;
  return CaptionLength(window);
}

int Desktop::GetWindowText(WindowId window, char* buffer, int size) {
  return CopyCaption(Faulted(Op::kGetWindowText) ? 0 : window, buffer, size);
}

int Desktop::GetClassName(WindowId window, char* buffer, int size) {
  return CopyClassName(Faulted(Op::kGetClassName) ? 0 : window, buffer, size);
}

ProcessId Desktop::GetWindowProcess(WindowId window) {
  if (Faulted(Op::kGetWindowProcess)) return 0;
  return WindowExists(window) ? ProcessOf(window) : 0;
}

int Desktop::GetDlgCtrlID(WindowId window) {
  if (Faulted(Op::kGetDlgCtrlID)) return 0;
  return ControlId(window);
}

std::intptr_t Desktop::SendMessage(WindowId window, unsigned message, std::uintptr_t wparam,
                                   std::intptr_t lparam) {
  if (Faulted(Op::kSendMessage)) return 0;
  return Send(window, message, wparam, lparam);
}

bool Desktop::SendMessageTimeout(WindowId window, unsigned message, std::uintptr_t wparam,
                                 std::intptr_t lparam, unsigned flags, unsigned timeout_ms,
                                 std::uintptr_t* result) {
  if (Faulted(Op::kSendMessageTimeout)) return false;
  return SendWithTimeout(window, message, wparam, lparam, flags, timeout_ms, result);
}

WindowId Desktop::GetForegroundWindow() {
  if (Faulted(Op::kGetForegroundWindow)) return 0;
  return Foreground();
}

bool Desktop::ReleaseCapture() {
  if (Faulted(Op::kReleaseCapture)) return false;
  CountCaptureRelease();
  return true;
}

bool Desktop::IsOwnWindow(WindowId window) {
  if (Faulted(Op::kIsOwnWindow)) return false;
  return OwnWindow(window);
}

// ================================================================ forms, boxes, the message loop

void Desktop::CreateForm(plat::Form& form) {
  ThrowIfFaulted(Op::kCreateForm);
  Create(form);
}

void Desktop::DestroyForm(plat::Form& form) {
  ThrowIfFaulted(Op::kDestroyForm);
  Destroy(form);
}

void Desktop::ShowForm(plat::Form& form, bool visible) {
  ThrowIfFaulted(Op::kShowForm);
  Forms::Show(form, visible);
}

void Desktop::ControlChanged(plat::Control& control, int what) {
  ThrowIfFaulted(Op::kControlChanged);
  Changed(control, what);
}

void Desktop::TimerChanged(plat::Control& timer) {
  ThrowIfFaulted(Op::kTimerChanged);
  UpdateTimer(timer);
}

void Desktop::Repaint(plat::Form& form, plat::Control* control) {
  ThrowIfFaulted(Op::kRepaint);
  Refresh(form, control);
}

void Desktop::SetPointer(plat::Form& form, int code) {
  ThrowIfFaulted(Op::kSetPointer);
  KeepPointer(form, code);
}

WindowId Desktop::Handle(const plat::Form& form) {
  if (Faulted(Op::kHandle)) return 0;
  return form.native;
}

int Desktop::MessageBox(const std::string& text, const std::string& caption, int style) {
  if (Faulted(Op::kMessageBox)) return 0;
  return Ask(text, caption, style);
}

void Desktop::DoEvents() {
  ThrowIfFaulted(Op::kDoEvents);
  ProcessDue();
}

void Desktop::MeasureText(const plat::FontDesc& font, std::string_view text, int* width,
                          int* height) {
  ThrowIfFaulted(Op::kMeasureText);
  int shown = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        ++shown;
        ++i;
      }
      continue;  // an access-key marker takes no room
    }
    ++shown;
  }
  const int per_char = static_cast<int>(std::lround(font.points * 2 / 3)) + (font.bold ? 1 : 0);
  if (width) *width = shown * per_char;
  if (height) *height = static_cast<int>(std::lround(font.points * 4 / 3)) + 2;
}

plat::Pixel Desktop::SystemColourPixel(int index) {
  ThrowIfFaulted(Op::kSystemColourPixel);
  auto it = system_colours_.find(index);
  return it == system_colours_.end() ? plat::MakePixel(192, 192, 192) : it->second;
}

void Desktop::RefuseSuspend(bool refuse) {
  if (Faulted(Op::kRefuseSuspend)) return;
  refuse_suspend_ = refuse;
  Record("RefuseSuspend", {refuse ? "on" : "off"});
}

void Desktop::EndProcess() {
  ThrowIfFaulted(Op::kEndProcess);
  process_ended_ = true;
  Record("EndProcess");
  throw ProcessEnded();
}

// ================================================================ power, resources, help

bool Desktop::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  int error = 0;
  if (Faulted(Op::kExitWindowsEx, &error)) {
    last_error_ = static_cast<std::uint32_t>(error);
    return false;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", flags);
  Wrote("ExitWindows", {hex, std::to_string(reserved)});
  if (!exit_windows_result_) last_error_ = exit_windows_error_;
  return exit_windows_result_;
}

std::uint32_t Desktop::GetLastError() {
  if (Faulted(Op::kGetLastError)) return 0;
  return last_error_;
}

void Desktop::OverrideResource(const std::string& type, int id, std::vector<std::uint8_t> bytes) {
  resources_[{Upper(type), id}] = std::move(bytes);
}

void Desktop::RemoveResource(const std::string& type, int id) {
  resources_[{Upper(type), id}] = std::nullopt;
}

std::vector<std::uint8_t> Desktop::ReadResource(const char* type, int id) {
  ThrowIfFaulted(Op::kReadResource);
  std::string t = Upper(type ? type : "");
  if (auto it = resources_.find({t, id}); it != resources_.end()) {
    if (!it->second) plat::Raise(plat::kErrResourceNotFound);
    return *it->second;
  }
  for (std::size_t i = 0; i < brivane_embedded_resource_count; ++i) {
    const BrivaneEmbeddedResource& r = brivane_embedded_resources[i];
    if (r.id == id && Upper(r.type) == t) return std::vector<std::uint8_t>(r.data, r.data + r.size);
  }
  plat::Raise(plat::kErrResourceNotFound);
}

WindowId Desktop::HtmlHelp(WindowId owner, const char* file, unsigned command,
                           std::uintptr_t data) {
  (void)owner;
  if (Faulted(Op::kHtmlHelp)) return 0;
  Record("HtmlHelp", {OrNull(file), std::to_string(command), std::to_string(data)});
  if (help_engine_missing_ || file == nullptr) return 0;
  std::string full = FullPath(file);
  if (!FileExists(full)) return 0;
  if (auto it = help_viewers_.find(full); it != help_viewers_.end() && WindowExists(it->second)) {
    SetForeground(it->second);  // the viewer already showing the file comes forward
    return it->second;
  }
  WindowOptions o;
  o.process = 0;
  o.activate = true;
  std::string caption = full.substr(full.find_last_of('\\') + 1);
  WindowId viewer = CreateWindow("HH Parent", caption, o);
  help_viewers_[full] = viewer;
  return viewer;
}

}  // namespace headless
