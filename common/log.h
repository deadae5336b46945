// Brivane.log next to the program: one line per event of a run and per error
// box, for whoever finds the machine switched off the next morning. Writing it
// never changes what the program does or shows: every failure is swallowed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// Beyond this size the oldest lines go, leaving about kLogKept bytes.
inline constexpr std::uint32_t kLogLimit = 64 * 1024;
inline constexpr std::uint32_t kLogKept = 32 * 1024;
// Longer texts are cut: a line is one event, not a dump.
inline constexpr std::size_t kLogTextMax = 1000;

// The texts that begin the lines a run is read back from.
inline constexpr std::string_view kLogResumed = "Run resumed after the restart: ";
inline constexpr std::string_view kLogStarted = "Started: ";
inline constexpr std::string_view kLogCompleted = "Run completed: ";

// "Brivane.log" in the program's folder.
std::string LogFilePath();

// Appends "YYYY-MM-DD HH:MM:SS  text" and CR LF, written through to the disk.
// Line breaks in `text` show as " / ".
void Log(std::string_view text);
// An error box's text, logged before the box waits for someone to answer it.
void LogBox(std::string_view text);

// "drive C:\, ScanDisk and Defrag, then shut down".
std::string DescribeRun(std::string_view drive, bool scandisk, bool defrag, bool shutdown);
// "1:02:05": hours, minutes and seconds of `ms`.
std::string Elapsed(std::uint32_t ms);

// True when the last run in the log started a tool and has no end: the power
// went (or the machine was switched off) during that run.
bool LastRunInterrupted();

// Finishes or undoes a rotation that a power cut broke off. Called once at start-up.
void RecoverLog();

}  // namespace common
