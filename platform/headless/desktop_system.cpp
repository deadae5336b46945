// The desktop's file system, profile files, registry, drives, short names,
// shutdown requests, resources and help viewer.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/headless/desktop.h"
#include "platform/headless/profile.h"

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
namespace fs = std::filesystem;
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> SplitPath(const std::string& s) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : s) {
    if (c == '\\' || c == '/') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::optional<std::string> Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Spew(const fs::path& p, std::string_view content) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return static_cast<bool>(out);
}

std::string ParentOf(const std::string& full) {
  auto slash = full.find_last_of('\\');
  if (slash == std::string::npos) return full;
  if (slash == 2) return full.substr(0, 3);  // "c:\"
  return full.substr(0, slash);
}

const char* OrNull(const char* s) {
  return s ? s : "(null)";
}

// ---- 8.3 names, as FAT creates them

bool Valid83(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  static const char kBad[] = " \"*+,/:;<=>?[\\]|";
  if (name.find_first_of(kBad) != std::string::npos) return false;
  auto dot = name.find('.');
  if (dot != name.rfind('.')) return false;
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  return !base.empty() && base.size() <= 8 && ext.size() <= 3;
}

// The alias without its numeric tail: base (up to 6) and extension (up to 3).
std::pair<std::string, std::string> AliasParts(const std::string& name) {
  auto dot = name.rfind('.');
  if (dot == 0) dot = std::string::npos;
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  auto clean = [](const std::string& s) {
    std::string out;
    for (char c : s) {
      if (c == ' ' || c == '.') continue;
      out += std::strchr("+,;=[]", c) ? '_' : c;
    }
    return Upper(out);
  };
  base = clean(base).substr(0, 6);
  ext = clean(ext).substr(0, 3);
  return {base, ext};
}

}  // namespace

// ================================================================ paths and files

void Desktop::SetExecutablePath(const std::string& path) {
  exe_path_ = path;
  fs::path host = HostPath(path);
  fs::create_directories(host.parent_path());
  if (!fs::exists(host)) Spew(host, "MZ");
}

void Desktop::SetWindowsDirectory(const std::string& path) {
  windows_dir_ = path;
  fs::create_directories(HostPath(path));
}

std::string Desktop::FullPath(const std::string& path) const {
  std::string drive;
  std::string rest;
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    drive = path.substr(0, 2);
    rest = path.substr(2);
    if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) rest = "\\" + rest;
  } else {
    // Relative paths start in the current folder, the executable's.
    std::string cwd = exe_path_.substr(0, exe_path_.find_last_of("\\/"));
    drive = cwd.substr(0, 2);
    rest = (path.empty() || path[0] == '\\' || path[0] == '/') ? path : cwd.substr(2) + "\\" + path;
  }
  std::vector<std::string> parts;
  for (const std::string& p : SplitPath(rest)) {
    if (p.empty() || p == ".") continue;
    if (p == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(p);
  }
  std::string full = drive + "\\";
  for (std::size_t i = 0; i < parts.size(); ++i) full += (i ? "\\" : "") + parts[i];
  return plat::LowerAscii(full);
}

fs::path Desktop::HostPath(const std::string& windows_path) const {
  std::string full = FullPath(windows_path);
  fs::path p = root_ / std::string(1, full[0]);
  for (const std::string& part : SplitPath(full.substr(3))) {
    if (!part.empty()) p /= part;
  }
  return p;
}

void Desktop::WriteFile(const std::string& path, std::string_view content) {
  fs::path host = HostPath(path);
  fs::create_directories(host.parent_path());
  if (!Spew(host, content)) throw ScriptError("cannot write " + host.string());
}

std::optional<std::string> Desktop::ReadFile(const std::string& path) const {
  fs::path host = HostPath(path);
  if (!fs::is_regular_file(host)) return std::nullopt;
  return Slurp(host);
}

bool Desktop::FileExists(const std::string& path) const {
  return fs::is_regular_file(HostPath(path));
}

void Desktop::MakeFolder(const std::string& path) {
  fs::create_directories(HostPath(path));
}

void Desktop::RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::remove(HostPath(path), ec);
}

void Desktop::SetReadOnly(const std::string& path, bool read_only) {
  if (read_only) {
    read_only_.insert(FullPath(path));
  } else {
    read_only_.erase(FullPath(path));
  }
}

bool Desktop::Writable(const std::string& full) const {
  return read_only_.count(full) == 0 && read_only_.count(ParentOf(full)) == 0;
}

std::string Desktop::ExecutablePath() {
  ThrowIfFaulted(Op::kExecutablePath);
  return exe_path_;
}

std::string Desktop::WindowsDirectory() {
  ThrowIfFaulted(Op::kWindowsDirectory);
  return windows_dir_;
}

void Desktop::DeleteFile(const std::string& path) {
  ThrowIfFaulted(Op::kDeleteFile);
  std::string full = FullPath(path);
  fs::path host = HostPath(path);
  if (!fs::exists(host)) plat::Raise(plat::kErrFileNotFound);
  if (fs::is_directory(host) || !Writable(full)) plat::Raise(plat::kErrPathFileAccess);
  std::error_code ec;
  if (!fs::remove(host, ec)) plat::Raise(plat::kErrPathFileAccess);
  Wrote({now_, "DeleteFile", {full}});
}

void Desktop::WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  ThrowIfFaulted(Op::kWriteFileBytes);
  std::string full = FullPath(path);
  fs::path host = HostPath(path);
  if (!fs::is_directory(host.parent_path())) plat::Raise(plat::kErrPathNotFound);
  if (fs::is_directory(host) || !Writable(full)) plat::Raise(plat::kErrPathFileAccess);
  // Opened for writing without emptying it, as a binary-mode Open does.
  std::FILE* f = std::fopen(host.c_str(), "r+b");
  if (f == nullptr) f = std::fopen(host.c_str(), "w+b");
  if (f == nullptr) plat::Raise(plat::kErrPathFileAccess);
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) plat::Raise(plat::kErrDeviceIO);
  Wrote({now_, "WriteFile", {full, std::to_string(bytes.size())}});
}

std::vector<std::uint8_t> Desktop::ReadFileBytes(const std::string& path) {
  ThrowIfFaulted(Op::kReadFileBytes);
  fs::path host = HostPath(path);
  if (!fs::exists(host)) plat::Raise(plat::kErrFileNotFound);
  if (fs::is_directory(host)) plat::Raise(plat::kErrPathFileAccess);
  std::optional<std::string> content = Slurp(host);
  if (!content) plat::Raise(plat::kErrPathFileAccess);
  return std::vector<std::uint8_t>(content->begin(), content->end());
}

// ================================================================ profile files

std::string Desktop::ResolveProfile(const char* file) const {
  std::string name = file ? file : "win.ini";
  bool drive = name.size() >= 2 && name[1] == ':';
  if (!drive && name.find_first_of("\\/") == std::string::npos) {
    return FullPath(windows_dir_ + "\\" + name);  // a bare name lives in the Windows folder
  }
  return FullPath(name);
}

std::uint32_t Desktop::GetPrivateProfileString(const char* section, const char* key,
                                               const char* default_value, char* buffer,
                                               std::uint32_t size, const char* file) {
  int error = 0;
  if (Faulted(Op::kGetPrivateProfileString, &error)) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
  std::string full = ResolveProfile(file);
  fs::path host = HostPath(full);
  if (!fs::is_directory(host.parent_path()) || fs::is_directory(host)) {
    return profile::ReadUnopened(section, key, default_value, buffer, size);
  }
  std::optional<std::string> text = fs::exists(host) ? Slurp(host) : std::nullopt;
  return profile::Read(text ? &*text : nullptr, section, key, default_value, buffer, size);
}

bool Desktop::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                        const char* file) {
  int error = 0;
  if (Faulted(Op::kWritePrivateProfileString, &error)) return false;
  std::string full = ResolveProfile(file);
  Event e{now_, "WriteProfile", {full, OrNull(section), OrNull(key), OrNull(value)}};
  bool ok = false;
  fs::path host = HostPath(full);
  const bool exists = fs::exists(host);
  if (section == nullptr && key == nullptr && value == nullptr) {
    ok = false;  // a flush: kernel32 reports FALSE whatever happened
  } else if (!fs::is_directory(host.parent_path())) {
    ok = false;
  } else if (exists && (fs::is_directory(host) || !Writable(full))) {
    ok = false;  // the file cannot be opened for writing
  } else if (section == nullptr) {
    ok = false;
  } else {
    std::string text = exists ? Slurp(host).value_or("") : "";
    if (!profile::Write(text, section, key, value)) {
      ok = true;  // nothing to change
    } else {
      ok = Writable(full) && Spew(host, text);
    }
  }
  Wrote(std::move(e));
  return ok;
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
  if (r == plat::kErrorSuccess && created)
    Wrote({now_, "RegCreateKey", {registry_.PathOf(*result)}});
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
    Wrote({now_,
           "RegSetValue",
           {registry_.PathOf(key), name ? name : "", std::to_string(type),
            Hex(std::span<const std::uint8_t>(data, data ? size : 0))}});
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

// ================================================================ drives and short names

void Desktop::SetDriveType(char letter, unsigned type) {
  drive_types_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = type;
}

unsigned Desktop::GetDriveType(const char* root) {
  int error = 0;
  if (Faulted(Op::kGetDriveType, &error)) return 0;
  std::string r = root ? root : exe_path_.substr(0, 3);
  constexpr unsigned kNoRootDir = 1;
  bool is_root = (r.size() == 2 || (r.size() == 3 && (r[2] == '\\' || r[2] == '/'))) &&
                 std::isalpha(static_cast<unsigned char>(r[0])) && r[1] == ':';
  if (!is_root) return kNoRootDir;
  auto it = drive_types_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(r[0]))));
  return it == drive_types_.end() ? kNoRootDir : it->second;
}

void Desktop::SetShortPath(const std::string& long_path, const std::string& short_path) {
  short_paths_[FullPath(long_path)] = short_path;
}

std::string Desktop::ShortPathOf(const std::string& long_path, bool* exists) const {
  *exists = fs::exists(HostPath(long_path));
  std::vector<std::string> parts = SplitPath(long_path);
  std::string out;
  std::string walked;  // the Windows path so far, for looking at the siblings
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (i == 0 && part.size() == 2 && part[1] == ':') {
      out = part;
      walked = part;
      continue;
    }
    if (i > 0) out += '\\';
    if (part.empty() || part == "." || part == "..") {
      out += part;
      walked += "\\" + part;
      continue;
    }
    if (Valid83(part)) {
      out += Upper(part);
    } else {
      // The numeric tail counts the folder's long names that share the alias, in name order.
      auto [base, ext] = AliasParts(part);
      std::vector<std::string> same;
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(HostPath(walked + "\\"), ec)) {
        std::string name = entry.path().filename().string();
        if (!Valid83(name) && AliasParts(name) == std::pair(base, ext)) same.push_back(name);
      }
      std::sort(same.begin(), same.end());
      auto pos = std::find(same.begin(), same.end(), plat::LowerAscii(part));
      std::size_t n = pos == same.end() ? 1 : static_cast<std::size_t>(pos - same.begin()) + 1;
      out += base + "~" + std::to_string(n) + (ext.empty() ? "" : "." + ext);
    }
    walked += "\\" + part;
  }
  return out;
}

std::uint32_t Desktop::GetShortPathName(const char* long_path, char* buffer, std::uint32_t size) {
  int error = 0;
  if (Faulted(Op::kGetShortPathName, &error) || long_path == nullptr) return 0;
  std::string result;
  if (auto it = short_paths_.find(FullPath(long_path)); it != short_paths_.end()) {
    result = it->second;
  } else {
    bool exists = false;
    result = ShortPathOf(long_path, &exists);
    if (!exists) return 0;  // ERROR_FILE_NOT_FOUND
  }
  auto n = static_cast<std::uint32_t>(result.size());
  if (buffer == nullptr || size <= n) return n + 1;  // the size needed, terminator included
  std::memcpy(buffer, result.c_str(), n + 1);
  return n;
}

// ================================================================ power, resources, help

bool Desktop::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
  int error = 0;
  if (Faulted(Op::kExitWindowsEx, &error)) return false;
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", flags);
  Wrote({now_, "ExitWindows", {hex, std::to_string(reserved)}});
  return exit_windows_result_;
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
  int error = 0;
  if (Faulted(Op::kHtmlHelp, &error)) return 0;
  Record({now_, "HtmlHelp", {OrNull(file), std::to_string(command), std::to_string(data)}});
  if (help_engine_missing_ || file == nullptr) return 0;
  std::string full = FullPath(file);
  if (!fs::is_regular_file(HostPath(full))) return 0;
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
