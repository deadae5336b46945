// Opening Help.chm in the HTML Help viewer.
#pragma once

#include <string>

namespace windows {

// Shows the file's default topic; "No Help!" when no viewer window opened.
void ShowHelp(const std::string& file_name);

}  // namespace windows
