// The headless registry behind RegOpenKeyA, RegCreateKeyA, RegQueryValueExA,
// RegSetValueExA and RegCloseKey.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless/testing.h"

namespace {

using plat::kHkeyCurrentUser;
using plat::kHkeyLocalMachine;

constexpr const char* kCheckDrive =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Check Drive";

using RegistryTest = headless::DesktopTest;

TEST_F(RegistryTest, OpenDoesNotCreateAndCreateMakesEveryMissingKey) {
  plat::RegKey key = 0x1234;
  EXPECT_EQ(d.RegOpenKey(kHkeyCurrentUser, kCheckDrive, &key), plat::kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
  EXPECT_FALSE(d.registry().KeyExists(kHkeyCurrentUser, "Software\\Microsoft"));
  ASSERT_EQ(d.RegCreateKey(kHkeyCurrentUser, kCheckDrive, &key), plat::kErrorSuccess);
  EXPECT_NE(key, 0u);
  EXPECT_TRUE(d.registry().KeyExists(kHkeyCurrentUser, "software\\MICROSOFT\\windows"));
  EXPECT_EQ(d.RegCloseKey(key), plat::kErrorSuccess);
  EXPECT_EQ(d.RegCloseKey(key), 6);  // closed already
  ASSERT_EQ(d.RegOpenKey(kHkeyCurrentUser, "SOFTWARE\\microsoft", &key), plat::kErrorSuccess);
  EXPECT_EQ(d.RegCloseKey(key), plat::kErrorSuccess);
  EXPECT_EQ(d.registry().OpenHandles(), 0);
  EXPECT_TRUE(headless::EventsMatch(
      d.log().all(), {{"RegCreateKey", {std::string("HKEY_CURRENT_USER\\") + kCheckDrive}}}));
}

TEST_F(RegistryTest, QueryReportsTypeSizeAndTooSmallBuffers) {
  d.RegPutString(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                 "RegisteredOwner", "Ann");
  plat::RegKey key = 0;
  ASSERT_EQ(d.RegOpenKey(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", &key),
            0);
  const struct {
    const char* name;
    bool with_data;
    std::uint32_t size;
    long result;
    std::uint32_t size_after;
  } rows[] = {
      {"RegisteredOwner", false, 0, 0, 4},  {"registeredowner", true, 4, 0, 4},
      {"RegisteredOwner", true, 3, 234, 4}, {"RegisteredOwner", true, 10, 0, 4},
      {"Missing", false, 0, 2, 0},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    std::uint32_t type = 99, size = rows[i].size;
    std::uint8_t data[16] = {};
    long r = d.RegQueryValueEx(key, rows[i].name, &type, rows[i].with_data ? data : nullptr, &size);
    EXPECT_EQ(r, rows[i].result);
    EXPECT_EQ(size, rows[i].size_after);
    if (r == 0) {
      EXPECT_EQ(type, plat::kRegSz);
      if (rows[i].with_data) {
        EXPECT_STREQ(reinterpret_cast<char*>(data), "Ann");
      }
    }
  }
  d.RegCloseKey(key);
}

}  // namespace
