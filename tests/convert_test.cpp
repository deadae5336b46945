#include "platform/convert.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"

namespace {

struct IntegerCase {
  std::string text;
  int expected;  // or the error number, with `error` set
  bool error;
};

TEST(Convert, TextToIntegerFollowsTheRuntime) {
  const IntegerCase cases[] = {
      {"1", 1, false},
      {" 1 ", 1, false},
      {"0.5", 0, false},
      {"1.5", 2, false},
      {"2.5", 2, false},  // half to even
      {"-2.5", -2, false},
      {"&H10", 16, false},
      {"&hFFFF", -1, false},
      {"1e2", 100, false},
      {std::string("7\0x", 3), 7, false},  // 10: ends at the NUL
      {"", 13, true},
      {"abc", 13, true},
      {"1x", 13, true},
      {"32767", 32767, false},
      {"32768", 6, true},  // 15
      {"-32768", -32768, false},
      {"C:\\brivane.ini", 13, true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const auto& c = cases[i];
    if (c.error) {
      try {
        plat::ToInteger(c.text);
        ADD_FAILURE() << "no error for '" << c.text << "'";
      } catch (const plat::RuntimeError& e) {
        EXPECT_EQ(e.number(), c.expected);
      }
    } else {
      EXPECT_EQ(plat::ToInteger(c.text), c.expected);
    }
  }
}

TEST(Convert, TextToBoolean) {
  EXPECT_TRUE(plat::ToBoolean("True"));
  EXPECT_TRUE(plat::ToBoolean("tRUE"));
  EXPECT_FALSE(plat::ToBoolean("FALSE"));
  EXPECT_TRUE(plat::ToBoolean("-1"));
  EXPECT_TRUE(plat::ToBoolean("2"));
  EXPECT_FALSE(plat::ToBoolean("0"));
  EXPECT_FALSE(plat::ToBoolean(std::string("False\0True", 10)));
  EXPECT_THROW(plat::ToBoolean("Yes"), plat::RuntimeError);
  EXPECT_THROW(plat::ToBoolean(""), plat::RuntimeError);
}

}  // namespace
