// GoogleTest helpers for tests on the headless desktop (include from tests only).
//
//   class SettingsTest : public headless::DesktopTest {};
//   TEST_F(SettingsTest, ArmingWritesTheShell) {
//     std::size_t mark = d.log().size();
//     ...
//     EXPECT_TRUE(headless::EventsMatch(d.log().since(mark), {
//         {"WriteProfile", {"c:\\windows\\system.ini", "Boot", "Shell", "*"}},
//         {"ExitWindows", {"0x2", "0"}},
//     }));
//   }
//
// An expected argument "*" matches anything; an expected time, when given, must match.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/desktop.h"

namespace headless {

struct Expected {
  std::string kind;
  std::vector<std::string> args = {};
  std::optional<std::uint64_t> time = std::nullopt;

  bool Matches(const Event& e) const {
    if (e.kind != kind || e.args.size() != args.size()) return false;
    if (time && *time != e.time) return false;
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (args[i] != "*" && args[i] != e.args[i]) return false;
    }
    return true;
  }
  std::string ToString() const {
    std::string s = (time ? std::to_string(*time) + " " : std::string("* ")) + kind;
    for (const std::string& a : args) s += " [" + a + "]";
    return s;
  }
};

// Compares a slice of the log row by row; on a mismatch prints both tables side by side.
inline ::testing::AssertionResult EventsMatch(std::span<const Event> actual,
                                              const std::vector<Expected>& expected) {
  bool ok = actual.size() == expected.size();
  for (std::size_t i = 0; ok && i < actual.size(); ++i) ok = expected[i].Matches(actual[i]);
  if (ok) return ::testing::AssertionSuccess();
  std::size_t width = 8;
  for (const Expected& e : expected) width = std::max(width, e.ToString().size());
  std::ostringstream out;
  out << "event log differs (" << expected.size() << " expected, " << actual.size()
      << " actual):\n";
  out << "   # " << std::string("expected").append(width - 8, ' ') << " | actual\n";
  for (std::size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
    std::string exp = i < expected.size() ? expected[i].ToString() : "";
    std::string act = i < actual.size() ? actual[i].ToString() : "";
    bool same = i < expected.size() && i < actual.size() && expected[i].Matches(actual[i]);
    char num[24];
    std::snprintf(num, sizeof num, "%4zu", i);
    out << (same ? "  " : "! ") << num << " "
        << exp.append(width - std::min(width, exp.size()), ' ') << " | " << act << "\n";
  }
  return ::testing::AssertionFailure() << out.str();
}

inline ::testing::AssertionResult EventsMatch(const std::vector<Event>& actual,
                                              const std::vector<Expected>& expected) {
  return EventsMatch(std::span<const Event>(actual), expected);
}

// A fresh desktop per test, installed as the platform. TearDown fails the test
// when the program sent a message to a hung window or the script went wrong.
class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override { d.Install(); }
  void TearDown() override {
    if (!expect_hangs) {
      EXPECT_EQ(d.hang_count(), 0) << "a plain SendMessage went to a hung window:\n"
                                   << d.log().Print();
    }
    for (const std::string& e : d.script_errors()) ADD_FAILURE() << "script: " << e;
  }

  Desktop d;
  bool expect_hangs = false;
};

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> out;
  for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

inline std::vector<std::uint8_t> TextBytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace headless

// A registry value of the desktop holds exactly this type and these bytes.
#define EXPECT_REG_VALUE(desktop, root, path, name, type_, bytes_)                      \
  do {                                                                                  \
    auto brv_value_ = (desktop).RegGet((root), (path), (name));                         \
    if (!brv_value_) {                                                                  \
      ADD_FAILURE() << "no registry value " << (path) << " : " << (name);               \
    } else {                                                                            \
      EXPECT_EQ(brv_value_->type, static_cast<std::uint32_t>(type_)) << (name);         \
      EXPECT_EQ(::headless::Hex(brv_value_->bytes), ::headless::Hex(bytes_)) << (name); \
    }                                                                                   \
  } while (0)

#define EXPECT_REG_BINARY(desktop, root, path, name, bytes_) \
  EXPECT_REG_VALUE(desktop, root, path, name, ::plat::kRegBinary, bytes_)

// A REG_SZ value holding `text` (stored with its terminating NUL).
#define EXPECT_REG_SZ(desktop, root, path, name, text)        \
  EXPECT_REG_VALUE(desktop, root, path, name, ::plat::kRegSz, \
                   ::headless::TextBytes(std::string(text) + '\0'))
