// The settings file and system.ini, through the private-profile functions.
#pragma once

#include <string>

namespace common {

// Section and keys of the settings file, spelt as stored files have them.
inline constexpr const char* kSection = "Configeration";
inline constexpr const char* kKeyDrive = "Drive";
inline constexpr const char* kKeyScandisk = "Scandisk";
inline constexpr const char* kKeyDefrag = "Defrag";
inline constexpr const char* kKeyShutdown = "Shutdown";
inline constexpr const char* kKeyRestart = "Restart";
inline constexpr const char* kKeySet = "Set";
// The Shell value that arming replaced, kept to be put back at completion.
inline constexpr const char* kKeyKeptShell = "KeptShell";
// Where system.ini names the shell that Windows starts, and its usual value.
inline constexpr const char* kBootSection = "Boot";
inline constexpr const char* kKeyShell = "Shell";
inline constexpr const char* kExplorer = "Explorer.exe";

// The settings file: App.Path, "\", App.Title, ".ini" (a doubled backslash at a
// drive's root, which the profile functions accept).
std::string SettingsFilePath();

// Reads a value through a 50-character buffer: at most 49 characters, the file's
// own path for a missing file, section or key, a message and "" for an empty value.
// The text ends where the value does: the buffer's NUL fill is cut off here.
std::string ReadIni(const std::string& file, const char* section, const char* key);
// Writes a value; an unsuccessful write shows a message and the caller carries on.
void WriteIni(const std::string& file, const char* section, const char* key,
              const std::string& value);

// The whole stored value (no length limit), or "" when absent.
std::string ReadProfileFull(const std::string& file, const char* section, const char* key);
// Asks Windows to write its cached profile writes of `file` to disk.
void FlushProfile(const std::string& file);

// The system.ini that Windows reads at start-up: in the Windows folder.
std::string SystemIniPath();

}  // namespace common
