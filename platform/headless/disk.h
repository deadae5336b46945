// The desktop's disks: files and folders, private profile files, drive types
// and short (8.3) names.
//
// The disks live in memory: a desktop starts with nothing but what its
// constructor and the test put there, and leaves nothing behind. Files and
// folders are kept by their full path in lower case ("C:\Program Files\x.INI"
// is "c:\program files\x.ini"). Relative paths start in the executable's folder.
#pragma once

#include <cstdint>
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

  void SetExecutablePath(const std::string& path);                    // creates the file
  void SetWindowsDirectory(const std::string& path);                  // creates the folder
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
  std::uint32_t AppendBytes(const std::string& path,
                            std::span<const std::uint8_t> bytes);  // AppendFileBytes
  long Move(const std::string& from, const std::string& to);       // MoveFile
  std::uint32_t ReadProfile(const char* section, const char* key, const char* default_value,
                            char* buffer, std::uint32_t size, const char* file) const;
  bool WriteProfile(const char* section, const char* key, const char* value, const char* file);
  unsigned DriveType(const char* root) const;
  std::uint32_t ShortPath(const char* long_path, char* buffer, std::uint32_t size) const;

 private:
  struct Entry {
    bool folder = false;
    std::string bytes;
  };
  const Entry* Find(const std::string& full) const;
  bool IsFolder(const std::string& full) const;
  // The folder the path is in exists (a drive's root is always in one).
  bool ParentExists(const std::string& full) const;
  void MakeFolders(const std::string& full);
  // The names in a folder, in name order.
  std::vector<std::string> FolderNames(const std::string& folder) const;
  std::string ResolveProfile(const char* file) const;
  bool Writable(const std::string& full) const;
  std::string ShortPathOf(const std::string& full_long, bool* exists) const;

  Journal& journal_;
  std::map<std::string, Entry> entries_;  // by full path
  std::string exe_path_;
  std::string windows_dir_;
  std::set<std::string> read_only_;
  std::map<char, unsigned> drive_types_;
  std::map<std::string, std::string> short_paths_;  // full long path -> short path
};

}  // namespace headless
