#include "windows/help_launcher.h"

#include "platform/platform.h"

namespace windows {
namespace {
constexpr unsigned kHhDisplayTopic = 0;
}

void ShowHelp(const std::string& file_name) {
  if (plat::Sys().HtmlHelp(0, file_name.c_str(), kHhDisplayTopic, 0) == 0) {
    plat::MsgBox("No Help!");
  }
}

}  // namespace windows
