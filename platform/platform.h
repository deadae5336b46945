// The platform the program runs on: installed once at start-up (by the Win32
// entry point, or by a test that builds a headless desktop).
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"
#include "platform/toolkit.h"

namespace plat {

void Install(System* system, UiBackend* ui);
System& Sys();
UiBackend& Ui();
bool Installed();

// ---- Program facts
// The executable's folder, without a trailing backslash except at a drive's root.
std::string AppPath();
// `name` in `folder`, with one backslash between them.
std::string InFolder(std::string folder, std::string_view name);
// "Brivane".
std::string AppTitle();
// The executable's file name without ".exe".
std::string AppExeName();
// The version, from the build (cmake/Version.cmake).
inline constexpr int kVersionMajor = BRIVANE_VERSION_MAJOR;
inline constexpr int kVersionMinor = BRIVANE_VERSION_MINOR;
inline constexpr int kVersionRevision = BRIVANE_VERSION_REVISION;

}  // namespace plat

// The program's start-up procedure, supplied by the program and called by the
// platform's entry point once the platform is installed.
void ProgramMain();
