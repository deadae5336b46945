// The registry calls the program makes, as one contract for the headless
// desktop and the real API: RegOpenKeyA, RegCreateKeyA, RegCloseKey on keys,
// RegSetValueExA and RegQueryValueExA on values. Each table runs in order on a
// test key under HKEY_CURRENT_USER that is deleted before and after; every out
// parameter starts as a sentinel, so "left alone" is checked as well.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "target.h"

namespace {

using namespace std::string_view_literals;
using plat::RegKey;

constexpr const char* kTestKey = "Software\\BrivaneContract";
constexpr RegKey kSentinelKey = 0x5EA1;
constexpr std::uint32_t kSentinel = 0xDEADBEEF;
constexpr char kSentinelByte = '#';

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override { t->DeleteKey(plat::kHkeyCurrentUser, kTestKey); }
  void TearDown() override { t->DeleteKey(plat::kHkeyCurrentUser, kTestKey); }

  std::unique_ptr<contract::Target> t = contract::MakeTarget();
  plat::System& sys = t->Sys();
};

// ---------------------------------------------------------------- keys

enum class KeyCall { kOpen, kCreate, kClose };
// What a step works on: the root, a handle an earlier step kept, or one never handed out.
enum Key { kRoot, kFirst, kSecond, kNeverOpened };
// What an open or create leaves in its out parameter.
enum class Handle { kZero, kNew, kSameKey, kNone };

struct KeyStep {
  KeyCall call;
  Key key;
  const char* path;  // open and create: below `key`
  long result;
  Handle handle;
  Key keep = kRoot;  // where a new handle is kept
};

TEST_F(RegistryContract, KeysOpenCreateAndClose) {
  const std::string drive = std::string(kTestKey) + "\\Check Drive";
  const std::string deeper = drive + "\\SUB\\deeper";
  const KeyStep steps[] = {
      {KeyCall::kOpen, kRoot, drive.c_str(), 2, Handle::kZero},
      {KeyCall::kCreate, kRoot, drive.c_str(), 0, Handle::kNew, kFirst},
      {KeyCall::kOpen, kRoot, "SOFTWARE\\brivanecontract", 0, Handle::kNew, kSecond},
      {KeyCall::kClose, kSecond, nullptr, 0, Handle::kNone},
      {KeyCall::kClose, kSecond, nullptr, 6, Handle::kNone},  // closed already
      // 5
      {KeyCall::kOpen, kRoot, "", 0, Handle::kSameKey},
      {KeyCall::kClose, kRoot, nullptr, 0, Handle::kNone},  // a root stays usable
      {KeyCall::kCreate, kFirst, "Sub\\Deeper", 0, Handle::kNew, kSecond},
      {KeyCall::kClose, kSecond, nullptr, 0, Handle::kNone},
      {KeyCall::kOpen, kRoot, deeper.c_str(), 0, Handle::kNew, kSecond},
      // 10
      {KeyCall::kClose, kSecond, nullptr, 0, Handle::kNone},
      {KeyCall::kCreate, kFirst, "sub", 0, Handle::kNew, kSecond},  // there already
      {KeyCall::kClose, kSecond, nullptr, 0, Handle::kNone},
      {KeyCall::kOpen, kNeverOpened, "Sub", 6, Handle::kZero},
      {KeyCall::kClose, kNeverOpened, nullptr, 6, Handle::kNone},
      // 15
      {KeyCall::kClose, kFirst, nullptr, 0, Handle::kNone},
  };
  RegKey keys[] = {plat::kHkeyCurrentUser, 0, 0, 0x1234};
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    const KeyStep& s = steps[i];
    RegKey out = kSentinelKey;
    long r = 0;
    if (s.call == KeyCall::kClose) {
      r = sys.RegCloseKey(keys[s.key]);
    } else if (s.call == KeyCall::kOpen) {
      r = sys.RegOpenKey(keys[s.key], s.path, &out);
    } else {
      r = sys.RegCreateKey(keys[s.key], s.path, &out);
    }
    EXPECT_EQ(r, s.result);
    switch (s.handle) {
      case Handle::kZero:
        EXPECT_EQ(out, 0u);
        break;
      case Handle::kNew:
        EXPECT_NE(out, 0u);
        EXPECT_NE(out, kSentinelKey);
        EXPECT_NE(out, keys[s.key]);
        keys[s.keep] = out;
        break;
      case Handle::kSameKey:
        EXPECT_EQ(out, keys[s.key]);
        break;
      case Handle::kNone:
        break;
    }
  }
}

// ---------------------------------------------------------------- values

enum class ValueCall { kSet, kQuery };
inline constexpr std::uint32_t kNoData = 0xFFFFFFF0;  // query with a null data pointer
inline constexpr std::uint32_t kNoSize = 0xFFFFFFF1;  // query with data but a null size pointer
inline constexpr std::uint32_t kUntouched = 0xFFFFFFF2;

struct ValueStep {
  ValueCall call;
  const char* name;
  std::uint32_t type;     // set: the type; query: what comes back (kUntouched: left alone)
  std::string_view data;  // set: the bytes; query: the buffer afterwards ('#' left alone)
  std::uint32_t size;     // query: the buffer's size, kNoData or kNoSize
  long result;
  std::uint32_t size_after = kUntouched;
};

TEST_F(RegistryContract, ValuesSetAndQueried) {
  using enum ValueCall;
  const std::uint32_t none = 0, sz = plat::kRegSz, bin = plat::kRegBinary;
  const std::uint32_t dword = plat::kRegDword;
  const ValueStep steps[] = {
      {kSet, "Settings", bin, "\x80\x04\0\0"sv, 0, 0},
      {kSet, "Owner", sz, "Jo Bloggs\0"sv, 0, 0},
      {kSet, "Shell", sz, "Yes", 0, 0},  // size without the NUL, as the program writes strings
      {kSet, "", sz, "FALSE", 0, 0},     // the key's default value
      {kSet, "Autochk", dword, "\x01\0\0\0"sv, 0, 0},
      // 5
      {kQuery, "Owner", sz, "", kNoData, 0, 10},
      {kQuery, "OWNER", sz, "Jo Bloggs\0######"sv, 16, 0, 10},
      {kQuery, "Owner", sz, "Jo Bloggs\0"sv, 10, 0, 10},
      {kQuery, "Owner", sz, "####", 4, 234, 10},      // too small: the size needed
      {kQuery, "Shell", sz, "Yes\0####"sv, 8, 0, 4},  // stored with its NUL after all
      // 10
      {kQuery, "Shell", sz, "###", 3, 234, 4},
      {kQuery, "", sz, "FALSE\0##"sv, 8, 0, 6},
      {kQuery, "Settings", bin, "\x80\x04\0\0"sv, 4, 0, 4},
      {kQuery, "settings", bin, "###", 3, 234, 4},
      {kQuery, "Autochk", dword, "\x01\0\0\0####"sv, 8, 0, 4},
      // 15
      {kQuery, "Missing", none, "########", 8, 2},
      {kQuery, "Missing", none, "", kNoData, 2, 0},
      {kQuery, "Owner", kUntouched, "####", kNoSize, 87},
      {kSet, "Owner", bin, "\x01\x02", 0, 0},  // a value may change its type
      {kQuery, "Owner", bin, "\x01\x02##", 4, 0, 2},
      // 20
      {kSet, "Empty", bin, "", 0, 0},
      {kQuery, "Empty", bin, "####", 4, 0, 0},
  };
  RegKey key = 0;
  ASSERT_EQ(sys.RegCreateKey(plat::kHkeyCurrentUser, kTestKey, &key), 0);
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    const ValueStep& s = steps[i];
    if (s.call == kSet) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(s.data.data());
      EXPECT_EQ(sys.RegSetValueEx(key, s.name, s.type, s.data.empty() ? nullptr : bytes,
                                  static_cast<std::uint32_t>(s.data.size())),
                s.result);
      continue;
    }
    const bool with_data = s.size != kNoData;
    const std::uint32_t buffer_size = with_data && s.size != kNoSize ? s.size : 4;
    std::vector<char> buffer(buffer_size + 4, kSentinelByte);
    std::uint32_t type = kSentinel;
    std::uint32_t size = s.size == kNoData ? kSentinel : buffer_size;
    auto* data = with_data ? reinterpret_cast<std::uint8_t*>(buffer.data()) : nullptr;
    EXPECT_EQ(sys.RegQueryValueEx(key, s.name, &type, data, s.size == kNoSize ? nullptr : &size),
              s.result);
    EXPECT_EQ(type, s.type == kUntouched ? kSentinel : s.type);
    if (s.size != kNoSize) {
      EXPECT_EQ(size,
                s.size_after == kUntouched ? (with_data ? buffer_size : kSentinel) : s.size_after);
    }
    if (with_data) {
      EXPECT_EQ(std::string_view(buffer.data(), s.data.size()), s.data);
      EXPECT_EQ(std::string_view(buffer.data() + buffer_size, 4), "####");  // nothing past it
    }
  }
  EXPECT_EQ(sys.RegCloseKey(key), 0);
}

}  // namespace
