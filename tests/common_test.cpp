// Error reporting, the settings file, termination and registry access.
#include <gtest/gtest.h>

#include "common/error_report.h"
#include "common/registry.h"
#include "common/settings.h"
#include "common/termination.h"
#include "program_fixture.h"
#include "windows/about_window.h"

namespace brivane_test {
namespace {

using headless::Bytes;

class CommonTest : public ProgramTest {};

TEST_F(CommonTest, ShowErrorGivesFiveLinesAndTheNumberAsCaption) {
  common::ShowError(53, "File not found", "FM316");
  common::ShowError(0, "", "MSP218");
  common::ShowError(70000, "Overflowing", "MI95");  // narrowed to 16 bits
  ASSERT_EQ(d.boxes().size(), 3u);
  EXPECT_EQ(d.boxes()[0].caption, "Error 53");
  EXPECT_EQ(d.boxes()[0].text,
            "Program Spacific Error Code: FM316\r\nError: 53\r\nDescription: File not found\r\n"
            "\r\nIf this error persists, contact support@brivane.co.uk.");
  EXPECT_EQ(d.boxes()[0].style, plat::kMbOk);
  EXPECT_EQ(d.boxes()[1].caption, "Error 0");
  EXPECT_EQ(d.boxes()[1].text,
            "Program Spacific Error Code: MSP218\r\nError: 0\r\nDescription: \r\n\r\n"
            "If this error persists, contact support@brivane.co.uk.");
  EXPECT_EQ(d.boxes()[2].caption, "Error 4464");
}

TEST_F(CommonTest, ShowErrorSurvivesAFailingBox) {
  d.Fail(headless::Op::kMessageBox, plat::kErrOutOfMemory);
  common::ShowError(5, "x", "FM227");  // must not throw
  EXPECT_TRUE(d.boxes().empty());
}

struct ReadCase {
  const char* content;  // of the settings file, nullptr: no file
  const char* key;
  std::string expected;  // leading characters of the result
  bool message;          // the ".ini file" message is shown
};

TEST_F(CommonTest, ReadIniFollowsItsBufferAndDefaultRules) {
  const std::string path60 = std::string(60, 'v');
  const ReadCase cases[] = {
      {nullptr, "Set", kSettings, false},  // missing file: the file's own path
      {"[Configeration]\r\nSet=Yes\r\n", "Set", "Yes", false},
      {"[Configeration]\r\nSet=   Yes   \r\n", "Set", "Yes", false},
      {"[Configeration]\r\nSet=\r\n", "Set", "", true},
      {"[Configeration]\r\nDefrag=1\r\n", "defrag", "1", false},
      {"[configeration]\r\nSET=No\r\n", "Set", "No", false},  // 5
      {"[Other]\r\nSet=Yes\r\n", "Set", kSettings, false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const ReadCase& c = cases[i];
    d.RemoveFile(kSettings);
    if (c.content) d.WriteFile(kSettings, c.content);
    std::size_t boxes = d.boxes().size();
    std::string got = common::ReadIni(kSettings, "Configeration", c.key);
    EXPECT_EQ(std::string(plat::StripNull(got)), c.expected);
    EXPECT_EQ(d.boxes().size() - boxes, c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(d.boxes().back().text,
                "An error has occurred while reading the .ini file.  Please contact "
                "support@brivane.co.uk.");
      EXPECT_EQ(d.boxes().back().style, plat::kMbOk | plat::kMbExclamation);
      EXPECT_EQ(d.boxes().back().caption, "Brivane");
    }
  }
}

TEST_F(CommonTest, ReadIniCutsValuesAndDefaultsAt49Characters) {
  d.WriteFile(kSettings, "[Configeration]\r\nDrive=" + std::string(60, 'x') + "\r\n");
  EXPECT_EQ(std::string(plat::StripNull(common::ReadIni(kSettings, "Configeration", "Drive"))),
            std::string(49, 'x'));
  const std::string deep = "C:\\" + std::string(70, 'd') + "\\Brivane.ini";
  EXPECT_EQ(std::string(plat::StripNull(common::ReadIni(deep, "Configeration", "Set"))),
            deep.substr(0, 49));
}

TEST_F(CommonTest, ReadIniReportsARefusedRead) {
  d.Fail(headless::Op::kGetPrivateProfileString, 0);  // the API's own failure: 0
  EXPECT_EQ(std::string(plat::StripNull(common::ReadIni(kSettings, "Configeration", "Set"))), "");
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_NE(d.boxes()[0].text.find(".ini file"), std::string::npos);
}

TEST_F(CommonTest, WriteIniCreatesTheFileAndReportsARefusedWrite) {
  common::WriteIni(kSettings, "Configeration", "Drive", "D:\\");
  EXPECT_EQ(Setting("Drive"), "D:\\");
  d.Fail(headless::Op::kWritePrivateProfileString, 0);
  common::WriteIni(kSettings, "Configeration", "Drive", "E:\\");
  EXPECT_EQ(Setting("Drive"), "D:\\");
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_EQ(d.boxes()[0].text, "An error has occurred while calling the API function");
  EXPECT_EQ(d.boxes()[0].style, plat::kMbOk | plat::kMbExclamation);
}

TEST_F(CommonTest, SystemIniIsFoundThroughTheWindowsFolder) {
  d.SetWindowsDirectory("D:\\WIN98");
  EXPECT_EQ(common::SystemIniPath(), "D:\\WIN98\\system.ini");
}

TEST_F(CommonTest, RegistryWritersStoreExactBytesAndCreateKeys) {
  const plat::RegKey hkcu = plat::kHkeyCurrentUser;
  const std::string path = "Software\\Brivane Test\\Deep\\Key";
  common::SaveRegBinary(hkcu, path, "Settings", std::string{'\x80', '\x04', '\0', '\0'});
  EXPECT_REG_BINARY(d, hkcu, path, "Settings", Bytes({0x80, 0x04, 0x00, 0x00}));
  common::SaveRegString(hkcu, path, "", "FALSE");
  EXPECT_REG_VALUE(d, hkcu, path, "", plat::kRegSz, headless::TextBytes("FALSE"));
  common::SaveRegBinary(hkcu, path + "\\Empty", "Nothing", "");
  EXPECT_FALSE(d.RegGet(hkcu, path + "\\Empty", "Nothing"));
  plat::RegKey key = 0;
  EXPECT_EQ(d.RegOpenKey(hkcu, (path + "\\Empty").c_str(), &key), plat::kErrorSuccess);
  d.RegCloseKey(key);
}

TEST_F(CommonTest, GetRegStringReadsOnlyTextValues) {
  const plat::RegKey hklm = plat::kHkeyLocalMachine;
  const std::string path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  d.RegPutString(hklm, path, "RegisteredOwner", "Ada Lovelace");
  EXPECT_EQ(common::GetRegString(hklm, path, "RegisteredOwner"), "Ada Lovelace");
  common::SaveRegBinary(hklm, path, "Bin", "ab");
  EXPECT_FALSE(common::GetRegString(hklm, path, "Bin"));
  d.RegPutString(hklm, path, "Nul", std::string("before\0after", 12), false);
  EXPECT_EQ(common::GetRegString(hklm, path, "Nul"), "before");
  EXPECT_FALSE(common::GetRegString(hklm, path, "Missing"));
  EXPECT_FALSE(common::GetRegString(hklm, "SOFTWARE\\Nowhere", "RegisteredOwner"));
}

TEST_F(CommonTest, RegistryFailuresAreSilent) {
  d.Fail(headless::Op::kRegCreateKey, 5);
  common::SaveRegString(plat::kHkeyCurrentUser, "Software\\X", "v", "text");
  EXPECT_FALSE(d.RegGet(plat::kHkeyCurrentUser, "Software\\X", "v"));
  EXPECT_TRUE(d.boxes().empty());
}

TEST_F(CommonTest, EndApplicationUnloadsEveryWindowAndTheCallerGoesOn) {
  Boot();
  app::AboutWindow().form().Show();
  ASSERT_EQ(plat::LoadedForms().size(), 2u);
  bool after = false;
  C("PicExecute").on_click = [&] {
    common::EndApplication();
    after = true;  // the handler's remaining statements still run
  };
  d.Click(C("PicExecute"));
  EXPECT_TRUE(after);
  EXPECT_TRUE(plat::LoadedForms().empty());
  EXPECT_FALSE(d.process_ended());
}

TEST_F(CommonTest, EndApplicationEndsTheProcessWhenUnloadingFails) {
  Boot();
  d.Fail(headless::Op::kShowForm, plat::kErrInvalidCall);
  EXPECT_THROW(common::EndApplication(), headless::ProcessEnded);
  EXPECT_TRUE(d.process_ended());
}

}  // namespace
}  // namespace brivane_test
