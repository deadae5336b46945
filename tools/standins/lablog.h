// Shared by the lab's stand-in programs: the event log the lab tests read, and the
// few facts each stand-in reports about how it was started.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lab {

// A number from the environment, or `fallback` when unset or not a number.
inline DWORD EnvMs(const char* name, DWORD fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 10);
  return (end != nullptr && *end == '\0') ? static_cast<DWORD>(value) : fallback;
}

// Appends "HH:MM:SS.mmm <program> <event>" to the lab log. The file is opened and
// closed per line so that several stand-ins can write to it in turn.
inline void Log(const char* program, const char* format, ...) {
  const char* path = std::getenv("BRIVANE_LAB_LOG");
  if (path == nullptr || *path == '\0') path = "C:\\lab\\tools.log";
  char event[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(event, sizeof event, format, args);
  va_end(args);
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;
  std::fprintf(file, "%02u:%02u:%02u.%03u %s %s\n", now.wHour, now.wMinute, now.wSecond,
               now.wMilliseconds, program, event);
  std::fclose(file);
}

// The show state the starter asked for, as text: the number, or "unset" when the
// starter did not pass one (STARTF_USESHOWWINDOW clear).
inline const char* StartShowState() {
  static char text[16];
  STARTUPINFOA info;
  std::memset(&info, 0, sizeof info);
  info.cb = sizeof info;
  GetStartupInfoA(&info);
  if ((info.dwFlags & STARTF_USESHOWWINDOW) == 0) return "unset";
  std::snprintf(text, sizeof text, "%u", info.wShowWindow);
  return text;
}

// Logs the start line every stand-in begins with.
inline void LogStart(const char* program) {
  Log(program, "start show=%s cmdline=%s", StartShowState(), GetCommandLineA());
}

// Logs whether the session's screen saver is on as the tool starts: a run is meant to
// have switched it off by then. "failed" when the system will not say.
inline void LogScreenSaver(const char* program) {
  BOOL active = FALSE;
  if (SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0)) {
    Log(program, "screensaver active=%d", active ? 1 : 0);
  } else {
    Log(program, "screensaver active=failed error=%lu", GetLastError());
  }
}

// The drive named on the command line ("C:"), upper-cased, or "" when none is named.
// The program's own path is skipped first, quoted or not.
inline const char* DriveArgument() {
  static char drive[3];
  const char* p = GetCommandLineA();
  if (*p == '"') {
    p = std::strchr(p + 1, '"');
    p = p ? p + 1 : "";
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  for (; *p != '\0'; ++p) {
    bool letter = (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z');
    bool starts_word = p[-1] == ' ' || p[-1] == '\t';
    if (letter && starts_word && p[1] == ':') {
      drive[0] = static_cast<char>(*p & ~0x20);
      drive[1] = ':';
      drive[2] = '\0';
      return drive;
    }
  }
  return "";
}

// Whether `window` is the foreground window, as text for the log.
inline const char* ForegroundText(HWND window) {
  return GetForegroundWindow() == window ? "yes" : "no";
}

}  // namespace lab
