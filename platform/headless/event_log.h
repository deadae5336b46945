// What the program did to the outside world, in order, for tests to compare
// with an expected table.
//
// Kinds and their arguments:
//   MessageBox        caption, text, style (decimal)
//   StartProgram      command line, show state
//   SendMessage       target, message, wparam, lparam
//   SendMessageTimeout target, message, wparam, lparam, flags, timeout
//   Hang              target, message (a plain SendMessage to a hung window)
//   ExitWindows       flags (hex), reserved
//   WriteProfile      file (full path), section, key, value ("(null)" for a null argument)
//   RegCreateKey      key path (only when the call created a key)
//   RegSetValue       key path, value name, type, data (hex bytes)
//   DeleteFile        full path
//   WriteFile         full path, byte count
//   HtmlHelp          file, command, data
//   EndProcess        (none)
//   Restart           (none): the desktop was power cycled
// A target is the window's caption, or "<class>" when it has none, or
// "(no window)" for a handle that is not (or no longer) a window. Messages are
// named (WM_CLOSE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_NCLBUTTONDOWN) or in hex.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace headless {

struct Event {
  std::uint64_t time = 0;  // virtual milliseconds
  std::string kind;
  std::vector<std::string> args;
  // "12000 StartProgram [c:\windows\scandskw.exe C: /n] [4]"
  std::string ToString() const;
};

class EventLog {
 public:
  void Add(Event e) { events_.push_back(std::move(e)); }
  std::size_t size() const { return events_.size(); }
  const Event& operator[](std::size_t i) const { return events_[i]; }
  std::span<const Event> all() const { return events_; }
  // The events from index `from` on (a mark taken with size() earlier).
  std::span<const Event> since(std::size_t from) const;
  // The events of one kind, in order.
  std::vector<Event> Of(const std::string& kind) const;
  void Clear() { events_.clear(); }
  // One event a line.
  std::string Print() const;

 private:
  std::vector<Event> events_;
};

std::string MessageName(unsigned message);
std::string Hex(std::span<const std::uint8_t> bytes);  // "80 04 00 00"

}  // namespace headless
