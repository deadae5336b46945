// Brivane.log next to the program: one line per event of a run and per error
// box, for whoever finds the machine switched off the next morning. Writing it
// never changes what the program does or shows: every failure is swallowed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// Beyond this size the oldest lines go, leaving about kLogKept bytes.
inline constexpr std::uint32_t kLogLimit = 64 * 1024;
inline constexpr std::uint32_t kLogKept = 32 * 1024;
// Longer texts are cut: a line is one event, not a dump.
inline constexpr std::size_t kLogTextMax = 1000;

// "YYYY-MM-DD HH:MM:SS  " before each line's text.
inline constexpr std::size_t kLogStampLength = 21;

// "Brivane.log" in the program's folder.
std::string LogFilePath();

// Appends "YYYY-MM-DD HH:MM:SS  text" and CR LF, written through to the disk,
// the text made of `parts` here rather than at each caller. Line breaks in the
// text show as " / ".
void Log(std::initializer_list<std::string_view> parts);
inline void Log(std::string_view text) {
  Log({text});
}
// The texts of the log's lines, oldest first, past their stamps; none when the
// log cannot be read.
std::vector<std::string> LogTexts();

// Finishes or undoes a rotation that a power cut broke off. Called once at start-up.
void RecoverLog();

}  // namespace common
