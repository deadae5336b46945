// Private profile files on the headless desktop: the reading rules of
// GetPrivateProfileStringA, the in-place edits of WritePrivateProfileStringA,
// and where files are looked up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/profile.h"
#include "platform/headless/testing.h"

namespace {

using headless::profile::Read;
using headless::profile::Write;
using namespace std::string_literals;

const std::string kDigits60 = "012345678901234567890123456789012345678901234567890123456789";
const std::string kFile =
    "; comment\r\n"
    "[Configeration]\r\n"
    "Drive=C:\\\r\n"
    "  Scandisk =  1  \r\n"
    "Defrag=0\r\n"
    "defrag=1\r\n"
    "Quoted=\"  Yes  \"\r\n"
    "Single='x'\r\n"
    "Half=\"abc\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "Long=" +
    kDigits60 +
    "\r\n"
    "\r\n"
    "[configeration]\r\n"
    "Set=No\r\n"
    "[Other]\r\n"
    "Set=Yes";

const std::string kSpaced = "[ Spaced ]\r\nk=1\r\n[]\r\ne=2\r\n";

struct ReadRow {
  const std::string* text;  // null: no file
  const char* section;
  const char* key;
  const char* def;
  std::uint32_t size;
  std::uint32_t count;
  std::string bytes;  // the first count + 1 bytes of the buffer
};

TEST(HeadlessProfile, ReadsAsKernel32Does) {
  const std::string* f = &kFile;
  const ReadRow rows[] = {
      {f, "Configeration", "Drive", "x", 50, 3, "C:\\\0"s},
      {f, "configeration", "SCANDISK", "x", 50, 1, "1\0"s},
      {f, " Configeration ", " Drive ", "x", 50, 3, "C:\\\0"s},
      {f, "Configeration", "Defrag", "x", 50, 1, "0\0"s},
      {f, "Configeration", "Set", "def", 50, 3, "def\0"s},  // 5: only the first section
      {f, "Other", "Set", "x", 50, 3, "Yes\0"s},
      {f, "Configeration", "Quoted", "x", 50, 7, "  Yes  \0"s},
      {f, "Configeration", "Single", "x", 50, 1, "x\0"s},
      {f, "Configeration", "Half", "x", 50, 4, "\"abc\0"s},
      {f, "Configeration", "Empty", "file", 50, 0, "\0"s},  // 10
      {f, "Configeration", "NoEquals", "dflt", 50, 4, "dflt\0"s},
      {f, "Configeration", "Missing", "dflt   ", 50, 4, "dflt\0"s},
      {f, "Nosection", "Drive", "\"q\"", 50, 1, "q\0"s},
      {f, "Configeration", "Long", "x", 50, 49, kDigits60.substr(0, 49) + "\0"s},
      {f, "Configeration", "Quoted", "x", 5, 4, "  Ye\0"s},  // 15: cut, so no quote dropped
      {f, "Other", nullptr, "x", 50, 4, "Set\0\0"s},
      {f, "Configeration", nullptr, "x", 12, 10, "Drive\0Scan\0"s},
      {f, nullptr, nullptr, "x", 100, 34, "Configeration\0configeration\0Other\0\0"s},
      {nullptr, "Configeration", "Set", "c:\\x.ini", 50, 8, "c:\\x.ini\0"s},
      {nullptr, "Configeration", nullptr, "d", 50, 1, "d\0"s},  // 20
      {nullptr, nullptr, nullptr, "d", 50, 0, "\0"s},
      {f, "Configeration", "Drive", "x", 1, 0, "\0"s},
      {f, "Nosection", nullptr, "dd", 50, 2, "dd\0"s},
      {&kSpaced, "Spaced", "k", "x", 50, 1, "1\0"s},            // blanks inside brackets dropped
      {&kSpaced, nullptr, nullptr, "x", 50, 7, "Spaced\0\0"s},  // 25: "[]" names no section
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const ReadRow& r = rows[i];
    std::vector<char> buffer(r.size + 4, '*');
    std::uint32_t count = Read(r.text, r.section, r.key, r.def, buffer.data(), r.size);
    EXPECT_EQ(count, r.count);
    EXPECT_EQ(std::string(buffer.data(), count + 1), r.bytes);
    EXPECT_EQ(buffer[r.size], '*');  // nothing written past the buffer
  }
}

struct WriteRow {
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  bool changed;
  std::string after;
};

TEST(HeadlessProfile, WritesEditTheFileInPlace) {
  const std::string base = "[A]\r\n; c\r\nk = old\r\n\r\n[B]\r\nx=1\r\n";
  const WriteRow rows[] = {
      {base, "A", "k", "new", true, "[A]\r\n; c\r\nk=new\r\n\r\n[B]\r\nx=1\r\n"},
      {base, "a", "K", "  new", true, "[A]\r\n; c\r\nk=new\r\n\r\n[B]\r\nx=1\r\n"},
      {base, "A", "n", "1", true, "[A]\r\n; c\r\nk = old\r\nn=1\r\n\r\n[B]\r\nx=1\r\n"},
      {base, "B", "y", "2", true, base + "y=2\r\n"},
      {base, "C", "z", "9", true, base + "\r\n[C]\r\nz=9\r\n"},  // 5
      {base, "A", "k", nullptr, true, "[A]\r\n; c\r\n\r\n[B]\r\nx=1\r\n"},
      {base, "A", nullptr, nullptr, true, "[B]\r\nx=1\r\n"},
      {base, "A", "k", "old", false, base},
      {base, "A", "missing", nullptr, false, base},
      {"", "S", "k", "v", true, "[S]\r\nk=v\r\n"},  // 10
      {"[A]\r\nk=1", "A", "n", "2", true, "[A]\r\nk=1\r\nn=2\r\n"},
      {"[A]\r\nk=1", "C", "z", "9", true, "[A]\r\nk=1\r\n\r\n[C]\r\nz=9\r\n"},
      {"[A]\r\nk=1\r\n[a]\r\nk=2\r\n", "A", "k", "3", true, "[A]\r\nk=3\r\n[a]\r\nk=2\r\n"},
      {"[A]\nk=1\n", "A", "n", "2", true, "[A]\nk=1\nn=2\r\n"},  // 15
      {"[A]\r\n", " New ", " k ", "v", true, "[A]\r\n\r\n[New]\r\nk=v\r\n"},
      {"[A]\r\nk=1\r\n", " A ", " k ", nullptr, false, "[A]\r\nk=1\r\n"},  // deletes do not trim
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    std::string text = rows[i].before;
    EXPECT_EQ(Write(text, rows[i].section, rows[i].key, rows[i].value), rows[i].changed);
    EXPECT_EQ(text, rows[i].after);
  }
}

class ProfileFileTest : public headless::DesktopTest {
 protected:
  std::string ReadIni(const char* file, const char* section, const char* key) {
    char buffer[50];
    std::uint32_t n = d.GetPrivateProfileString(section, key, "(default)", buffer, 50, file);
    return std::string(buffer, n);
  }
};

TEST_F(ProfileFileTest, RootFolderPathWithDoubledBackslashWorks) {
  d.SetExecutablePath("C:\\brivane.exe");
  EXPECT_TRUE(d.WritePrivateProfileString("Configeration", "Set", "Yes", "C:\\\\Brivane.ini"));
  EXPECT_TRUE(d.FileExists("C:\\Brivane.ini"));
}

TEST_F(ProfileFileTest, FailuresReportFalseAndLeaveTheFile) {
  d.WriteFile("C:\\WINDOWS\\system.ini", "[Boot]\r\nShell=Explorer.exe\r\n");
  d.SetReadOnly("C:\\WINDOWS\\system.ini", true);
  EXPECT_FALSE(d.WritePrivateProfileString("Boot", "Shell", "x", "system.ini"));
  EXPECT_EQ(ReadIni("system.ini", "Boot", "Shell"), "Explorer.exe");
  EXPECT_FALSE(d.WritePrivateProfileString("A", "k", "v", "C:\\Nowhere\\x.ini"));
  EXPECT_EQ(ReadIni("C:\\Nowhere\\x.ini", "A", "k"), "(default)");
  d.SetReadOnly("C:\\Program Files\\Brivane", true);
  EXPECT_FALSE(d.WritePrivateProfileString("A", "k", "v", "C:\\Program Files\\Brivane\\b.ini"));
  EXPECT_FALSE(d.FileExists("C:\\Program Files\\Brivane\\b.ini"));
  // A flush reports FALSE whatever happens, as documented for kernel32.
  EXPECT_FALSE(d.WritePrivateProfileString(nullptr, nullptr, nullptr, "system.ini"));
  d.Fail(headless::Op::kWritePrivateProfileString, 0);
  d.SetReadOnly("C:\\WINDOWS\\system.ini", false);
  EXPECT_FALSE(d.WritePrivateProfileString("Boot", "Shell", "x", "system.ini"));
  EXPECT_TRUE(d.WritePrivateProfileString("Boot", "Shell", "x", "system.ini"));
}

}  // namespace
