#include "platform/headless/event_log.h"

#include <cstdio>

#include "platform/system.h"

namespace headless {

std::string Event::ToString() const {
  std::string s = std::to_string(time) + " " + kind;
  for (const std::string& a : args) s += " [" + a + "]";
  return s;
}

std::span<const Event> EventLog::since(std::size_t from) const {
  if (from >= events_.size()) return {};
  return std::span<const Event>(events_).subspan(from);
}

std::vector<Event> EventLog::Of(const std::string& kind) const {
  std::vector<Event> out;
  for (const Event& e : events_) {
    if (e.kind == kind) out.push_back(e);
  }
  return out;
}

std::string EventLog::Print() const {
  std::string s;
  for (const Event& e : events_) s += e.ToString() + "\n";
  return s;
}

std::string MessageName(unsigned message) {
  switch (message) {
    case plat::kWmClose:
      return "WM_CLOSE";
    case plat::kWmLButtonDown:
      return "WM_LBUTTONDOWN";
    case plat::kWmLButtonUp:
      return "WM_LBUTTONUP";
    case plat::kWmNcLButtonDown:
      return "WM_NCLBUTTONDOWN";
    default: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "0x%04X", message);
      return buf;
    }
  }
}

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string s;
  char buf[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    if (!s.empty()) s += ' ';
    s += buf;
  }
  return s;
}

}  // namespace headless
