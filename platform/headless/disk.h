// The desktop's disks: files and folders, private profile files, drive types
// and short (8.3) names.
//
// Windows paths map to a private temporary folder (removed with the desktop),
// lower-cased, so "C:\Program Files\x.INI" is <root>/c/program files/x.ini.
// Relative paths start in the executable's folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/journal.h"

namespace headless {

class Disk {
 public:
  explicit Disk(Journal& journal);
  ~Disk();
  Disk(const Disk&) = delete;
  Disk& operator=(const Disk&) = delete;

  void SetExecutablePath(const std::string& path);    // creates the file
  void SetWindowsDirectory(const std::string& path);  // creates the folder
  // The host path of a Windows path.
  std::filesystem::path HostPath(const std::string& windows_path) const;
  void WriteFile(const std::string& path, std::string_view content);  // replaces it
  std::optional<std::string> ReadFile(const std::string& path) const;
  bool FileExists(const std::string& path) const;
  void MakeFolder(const std::string& path);
  void RemoveFile(const std::string& path);
  // A read-only file can be read, not written or deleted; in a read-only folder
  // nothing can be created, written or deleted.
  void SetReadOnly(const std::string& path, bool read_only);
  // "c:\program files\brivane\brivane.ini": absolute, lower case, single separators.
  std::string FullPath(const std::string& path) const;
  void SetDriveType(char letter, unsigned type);
  void SetShortPath(const std::string& long_path, const std::string& short_path);

  // ---- for the desktop's own parts: the file calls of plat::System without their faults
  const std::string& exe_path() const { return exe_path_; }
  const std::string& windows_dir() const { return windows_dir_; }
  void Delete(const std::string& path);                                           // DeleteFile
  void WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes);  // WriteFileBytes
  std::vector<std::uint8_t> ReadBytes(const std::string& path) const;             // ReadFileBytes
  std::uint32_t ReadProfile(const char* section, const char* key, const char* default_value,
                            char* buffer, std::uint32_t size, const char* file) const;
  bool WriteProfile(const char* section, const char* key, const char* value, const char* file);
  unsigned DriveType(const char* root) const;
  std::uint32_t ShortPath(const char* long_path, char* buffer, std::uint32_t size) const;

 private:
  std::string ResolveProfile(const char* file) const;
  bool Writable(const std::string& full) const;
  std::string ShortPathOf(const std::string& full_long, bool* exists) const;

  Journal& journal_;
  std::filesystem::path root_;
  std::string exe_path_;
  std::string windows_dir_;
  std::set<std::string> read_only_;
  std::map<char, unsigned> drive_types_;
  std::map<std::string, std::string> short_paths_;  // full long path -> short path
};

}  // namespace headless
