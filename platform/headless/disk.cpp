#include "platform/headless/disk.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/headless/profile.h"
#include "platform/system.h"

namespace headless {
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

// Full paths: "c:\" is a drive's root folder, no other path ends in a backslash.
bool IsRoot(const std::string& full) {
  return full.size() == 3;
}

std::string NameOf(const std::string& full) {
  return full.substr(full.find_last_of('\\') + 1);
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

// ================================================================ set-up

Disk::Disk(Journal& journal) : journal_(journal) {
  drive_types_['C'] = plat::kDriveFixed;
}

// ================================================================ paths and files

void Disk::SetExecutablePath(const std::string& path) {
  exe_path_ = path;
  const std::string full = FullPath(path);
  MakeFolders(ParentOf(full));
  if (Find(full) == nullptr) entries_[full].bytes = "MZ";
}

void Disk::SetWindowsDirectory(const std::string& path) {
  windows_dir_ = path;
  MakeFolders(FullPath(path));
}

std::string Disk::FullPath(const std::string& path) const {
  std::string full;  // the drive, then "\part" for each part
  std::string rest;
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    full = path.substr(0, 2);
    rest = path.substr(2);  // "C:x" is "C:\x"
  } else {
    // Relative paths start in the current folder, the executable's.
    std::string cwd = exe_path_.substr(0, exe_path_.find_last_of("\\/"));
    full = cwd.substr(0, 2);
    rest = (path.empty() || path[0] == '\\' || path[0] == '/') ? path : cwd.substr(2) + "\\" + path;
  }
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find_first_of("\\/", start);
    if (end == std::string::npos) end = rest.size();
    const std::string_view part(rest.data() + start, end - start);
    if (part == "..") {
      if (full.size() > 2) full.erase(full.find_last_of('\\'));
    } else if (!part.empty() && part != ".") {
      full += '\\';
      full += part;
    }
    start = end + 1;
  }
  if (full.size() == 2) full += '\\';
  return plat::LowerAscii(full);
}

const Disk::Entry* Disk::Find(const std::string& full) const {
  auto it = entries_.find(full);
  return it == entries_.end() ? nullptr : &it->second;
}

bool Disk::IsFolder(const std::string& full) const {
  const Entry* e = Find(full);
  return e != nullptr && e->folder;
}

bool Disk::ParentExists(const std::string& full) const {
  return IsRoot(full) || IsFolder(ParentOf(full));
}

void Disk::MakeFolders(const std::string& full) {
  if (!IsRoot(full)) MakeFolders(ParentOf(full));
  auto it = entries_.try_emplace(full, Entry{true, {}}).first;
  if (!it->second.folder) throw ScriptError("a file stands where a folder goes: " + full);
}

std::vector<std::string> Disk::FolderNames(const std::string& folder) const {
  const std::string prefix = IsRoot(folder) ? folder : folder + "\\";
  std::vector<std::string> names;
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (it->first.find('\\', prefix.size()) == std::string::npos)
      names.push_back(NameOf(it->first));
  }
  return names;
}

void Disk::WriteFile(const std::string& path, std::string_view content) {
  const std::string full = FullPath(path);
  MakeFolders(ParentOf(full));
  Entry& e = entries_[full];
  if (e.folder) throw ScriptError("cannot write the folder " + full);
  e.bytes.assign(content);
}

std::optional<std::string> Disk::ReadFile(const std::string& path) const {
  const Entry* e = Find(FullPath(path));
  if (e == nullptr || e->folder) return std::nullopt;
  return e->bytes;
}

bool Disk::FileExists(const std::string& path) const {
  const Entry* e = Find(FullPath(path));
  return e != nullptr && !e->folder;
}

void Disk::MakeFolder(const std::string& path) {
  MakeFolders(FullPath(path));
}

void Disk::RemoveFile(const std::string& path) {
  const std::string full = FullPath(path);
  if (IsFolder(full) && !FolderNames(full).empty()) return;  // only an empty folder goes
  entries_.erase(full);
}

void Disk::SetReadOnly(const std::string& path, bool read_only) {
  if (read_only) {
    read_only_.insert(FullPath(path));
  } else {
    read_only_.erase(FullPath(path));
  }
}

bool Disk::Writable(const std::string& full) const {
  return read_only_.count(full) == 0 && read_only_.count(ParentOf(full)) == 0;
}

void Disk::Delete(const std::string& path) {
  const std::string full = FullPath(path);
  const Entry* e = Find(full);
  if (e == nullptr) plat::Raise(plat::kErrFileNotFound);
  if (e->folder || !Writable(full)) plat::Raise(plat::kErrPathFileAccess);
  entries_.erase(full);
  journal_.Wrote("DeleteFile", {full});
}

void Disk::WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string full = FullPath(path);
  if (!ParentExists(full)) plat::Raise(plat::kErrPathNotFound);
  if (IsFolder(full) || !Writable(full)) plat::Raise(plat::kErrPathFileAccess);
  // Opened for writing without emptying it, as a binary-mode Open does.
  std::string& content = entries_[full].bytes;
  if (content.size() < bytes.size()) content.resize(bytes.size());
  if (!bytes.empty()) std::memcpy(content.data(), bytes.data(), bytes.size());
  journal_.Wrote("WriteFile", {full, std::to_string(bytes.size())});
}

std::uint32_t Disk::AppendBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string full = FullPath(path);
  if (!ParentExists(full)) plat::Raise(plat::kErrPathNotFound);
  if (IsFolder(full) || !Writable(full)) plat::Raise(plat::kErrPathFileAccess);
  std::string& content = entries_[full].bytes;
  content.append(bytes.begin(), bytes.end());
  journal_.Wrote("AppendFile", {full, std::to_string(bytes.size())});
  return static_cast<std::uint32_t>(content.size());
}

long Disk::Move(const std::string& from, const std::string& to) {
  const std::string source = FullPath(from), target = FullPath(to);
  const Entry* e = Find(source);
  if (e == nullptr) return plat::kErrorFileNotFound;
  if (Find(target) != nullptr) return plat::kErrorAlreadyExists;
  if (!ParentExists(target)) return plat::kErrorPathNotFound;
  if (e->folder || !Writable(source) || !Writable(target)) return plat::kErrorAccessDenied;
  auto node = entries_.extract(source);
  node.key() = target;
  entries_.insert(std::move(node));
  journal_.Wrote("MoveFile", {source, target});
  return plat::kErrorSuccess;
}

std::vector<std::uint8_t> Disk::ReadBytes(const std::string& path) const {
  const Entry* e = Find(FullPath(path));
  if (e == nullptr) plat::Raise(plat::kErrFileNotFound);
  if (e->folder) plat::Raise(plat::kErrPathFileAccess);
  std::vector<std::uint8_t> bytes(e->bytes.size());
  if (!bytes.empty()) std::memcpy(bytes.data(), e->bytes.data(), bytes.size());
  return bytes;
}

// ================================================================ profile files

std::string Disk::ResolveProfile(const char* file) const {
  std::string name = file ? file : "win.ini";
  bool drive = name.size() >= 2 && name[1] == ':';
  if (!drive && name.find_first_of("\\/") == std::string::npos) {
    return FullPath(windows_dir_ + "\\" + name);  // a bare name lives in the Windows folder
  }
  return FullPath(name);
}

std::uint32_t Disk::ReadProfile(const char* section, const char* key, const char* default_value,
                                char* buffer, std::uint32_t size, const char* file) const {
  const std::string full = ResolveProfile(file);
  if (!ParentExists(full) || IsFolder(full)) {
    return profile::ReadUnopened(section, key, default_value, buffer, size);
  }
  const Entry* e = Find(full);
  return profile::Read(e ? &e->bytes : nullptr, section, key, default_value, buffer, size);
}

bool Disk::WriteProfile(const char* section, const char* key, const char* value, const char* file) {
  const std::string full = ResolveProfile(file);
  bool ok = false;
  const Entry* e = Find(full);
  if (section == nullptr && key == nullptr && value == nullptr) {
    ok = false;  // a flush: kernel32 reports FALSE whatever happened
  } else if (!ParentExists(full)) {
    ok = false;
  } else if (e != nullptr && (e->folder || !Writable(full))) {
    ok = false;  // the file cannot be opened for writing
  } else if (section == nullptr) {
    ok = false;
  } else {
    std::string text = e != nullptr ? e->bytes : "";
    if (!profile::Write(text, section, key, value)) {
      ok = true;  // nothing to change
    } else if (Writable(full)) {
      entries_[full].bytes = std::move(text);
      ok = true;
    }
  }
  journal_.Wrote("WriteProfile", {full, OrNull(section), OrNull(key), OrNull(value)});
  return ok;
}

// ================================================================ drives and short names

void Disk::SetDriveType(char letter, unsigned type) {
  drive_types_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = type;
}

unsigned Disk::DriveType(const char* root) const {
  std::string r = root ? root : exe_path_.substr(0, 3);
  constexpr unsigned kNoRootDir = 1;
  bool is_root = (r.size() == 2 || (r.size() == 3 && (r[2] == '\\' || r[2] == '/'))) &&
                 std::isalpha(static_cast<unsigned char>(r[0])) && r[1] == ':';
  if (!is_root) return kNoRootDir;
  auto it = drive_types_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(r[0]))));
  return it == drive_types_.end() ? kNoRootDir : it->second;
}

void Disk::SetShortPath(const std::string& long_path, const std::string& short_path) {
  short_paths_[FullPath(long_path)] = short_path;
}

std::string Disk::ShortPathOf(const std::string& long_path, bool* exists) const {
  *exists = Find(FullPath(long_path)) != nullptr;
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
      for (const std::string& name : FolderNames(FullPath(walked + "\\"))) {
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

std::uint32_t Disk::ShortPath(const char* long_path, char* buffer, std::uint32_t size) const {
  if (long_path == nullptr) return 0;
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

}  // namespace headless
