#include "common/settings.h"

#include <string_view>
#include <vector>

#include "common/error_codes.h"
#include "common/error_report.h"
#include "common/failure.h"
#include "common/support.h"
#include "platform/platform.h"

namespace common {
namespace {
constexpr std::uint32_t kReadBuffer = 50;

std::string TrimBlanks(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}
}  // namespace

std::string ReadIni(const std::string& file, const char* section, const char* key) {
  OnErrorReportAndResume resume(codes::kReadIni);
  std::string buffer(kReadBuffer, '\0');
  std::uint32_t count = 0;
  std::string result;
  resume([&] {
    count = plat::Sys().GetPrivateProfileString(section, key, file.c_str(), buffer.data(),
                                                kReadBuffer, file.c_str());
  });
  resume([&] {
    if (count != 0) {
      // Readers only ever used the text before the buffer's NUL fill.
      result = TrimBlanks(std::string(plat::StripNull(buffer)));
    } else {
      const std::string text =
          std::string("An error has occurred while reading the .ini file.  Please contact ") +
          kSupportEmail + ".";
      LogBox(text);
      plat::MsgBox(text, plat::kMbOk | plat::kMbExclamation);
      result.clear();
    }
  });
  return result;
}

void WriteIni(const std::string& file, const char* section, const char* key,
              const std::string& value) {
  if (!plat::Sys().WritePrivateProfileString(section, key, value.c_str(), file.c_str())) {
    const char* text = "An error has occurred while calling the API function";
    LogBox(text);
    plat::MsgBox(text, plat::kMbOk | plat::kMbExclamation);
  }
}

std::string ReadProfileFull(const std::string& file, const char* section, const char* key) {
  std::vector<char> buffer(256);
  for (;;) {
    auto size = static_cast<std::uint32_t>(buffer.size());
    std::uint32_t n =
        plat::Sys().GetPrivateProfileString(section, key, "", buffer.data(), size, file.c_str());
    // A count of size - 1 means the value may have been cut: try a larger buffer.
    if (n + 1 < size || buffer.size() >= (1u << 20)) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 4);
  }
}

void FlushProfile(const std::string& file) {
  // Wine answers 0 here although nothing failed; there is nothing to report.
  plat::Sys().WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
}

std::string SettingsFilePath() {
  return plat::AppPath() + "\\" + plat::AppTitle() + ".ini";
}

std::string SystemIniPath() {
  return plat::InFolder(plat::Sys().WindowsDirectory(), "system.ini");
}

}  // namespace common
