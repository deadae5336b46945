// The Shell entry of system.ini: what arming replaces and completion puts back.
#pragma once

#include <string>

namespace common {

// The executable's path as App.Path, "\", App.EXEName, ".exe" make it.
std::string ExecutablePath();
// True when a Shell value names this program (by its long or short path, or its file name).
bool NamesThisProgram(const std::string& shell_value);
// Before arming: keeps the current Shell in the settings file, unless it already
// names this program (armed twice), when the value kept before stays.
void KeepCurrentShell(const std::string& settings_file);
// The kept Shell value, or "Explorer.exe" when there is none.
std::string KeptShell(const std::string& settings_file);
// At the end of start-up outside run mode: puts the kept shell back when Shell
// still names this program.
void RestoreShellIfStranded();

}  // namespace common
