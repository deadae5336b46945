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

using CommonTest = ProgramTest;

TEST_F(CommonTest, ShowErrorGivesFiveLinesAndTheNumberAsCaptionAndSurvivesAFailingBox) {
  common::ShowError(53, "File not found", "FM316");
  common::ShowError(70000, "Overflowing", "MI95");  // narrowed to 16 bits
  ASSERT_EQ(d.boxes().size(), 2u);
  EXPECT_EQ(d.boxes()[0].caption, "Error 53");
  EXPECT_EQ(d.boxes()[0].text,
            "Program Spacific Error Code: FM316\r\nError: 53\r\nDescription: File not found\r\n"
            "\r\nIf this error persists, contact support@brivane.co.uk.");
  EXPECT_EQ(d.boxes()[0].style, plat::kMbOk);
  EXPECT_EQ(d.boxes()[1].caption, "Error 4464");
  d.Fail(headless::Op::kMessageBox, plat::kErrOutOfMemory);
  common::ShowError(5, "x", "FM227");  // must not throw
  EXPECT_EQ(d.boxes().size(), 2u);
}

TEST_F(CommonTest, ReadIniFollowsItsBufferAndDefaultRules) {
  const std::string deep = "C:\\" + std::string(70, 'd') + "\\Brivane.ini";
  const std::string long_value = "[Configeration]\r\nDrive=" + std::string(60, 'x') + "\r\n";
  const struct {
    const char* content;  // of the settings file, nullptr: no file
    const char* key;
    std::string expected;
    bool message;  // the ".ini file" message is shown
    std::string file = kSettings;
  } cases[] = {
      {nullptr, "Set", kSettings, false},  // missing file: the file's own path
      {"[Configeration]\r\nSet=Yes\r\n", "Set", "Yes", false},
      {"[Configeration]\r\nSet=   Yes   \r\n", "Set", "Yes", false},
      {"[Configeration]\r\nSet=\r\n", "Set", "", true},
      {"[Configeration]\r\nDefrag=1\r\n", "defrag", "1", false},  // 5
      {"[configeration]\r\nSET=No\r\n", "Set", "No", false},
      {"[Other]\r\nSet=Yes\r\n", "Set", kSettings, false},
      {long_value.c_str(), "Drive", std::string(49, 'x'), false},
      {nullptr, "Set", deep.substr(0, 49), false, deep},  // defaults are cut too
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const auto& c = cases[i];
    d.RemoveFile(kSettings);
    if (c.content) d.WriteFile(kSettings, c.content);
    std::size_t boxes = d.boxes().size();
    EXPECT_EQ(plat::StripNull(common::ReadIni(c.file, "Configeration", c.key)), c.expected);
    ASSERT_EQ(d.boxes().size() - boxes, c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(d.boxes().back().text,
                "An error has occurred while reading the .ini file.  Please contact "
                "support@brivane.co.uk.");
      EXPECT_EQ(d.boxes().back().style, plat::kMbOk | plat::kMbExclamation);
      EXPECT_EQ(d.boxes().back().caption, "Brivane");
    }
  }
  // A refused read is the API's 0, so reported the same way.
  d.Fail(headless::Op::kGetPrivateProfileString, 0);
  EXPECT_EQ(plat::StripNull(common::ReadIni(kSettings, "Configeration", "Set")), "");
  EXPECT_NE(d.boxes().back().text.find(".ini file"), std::string::npos);
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

TEST_F(CommonTest, RegistryWritersCreateKeysAndFailSilently) {
  const plat::RegKey hkcu = plat::kHkeyCurrentUser;
  const std::string path = "Software\\Brivane Test\\Deep\\Key";
  // An empty binary value creates the key and writes nothing.
  common::SaveRegBinary(hkcu, path, "Nothing", "");
  EXPECT_TRUE(d.registry().KeyExists(hkcu, path));
  EXPECT_FALSE(d.RegGet(hkcu, path, "Nothing"));
  EXPECT_EQ(d.registry().OpenHandles(), 0);
  d.Fail(headless::Op::kRegCreateKey, 5);
  common::SaveRegString(hkcu, "Software\\X", "v", "text");
  EXPECT_FALSE(d.RegGet(hkcu, "Software\\X", "v"));
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
