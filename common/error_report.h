// Reports a runtime failure in a modal box naming its number, description and
// the program's own error code of the procedure that failed.
#pragma once

#include <string_view>

namespace common {

// The five-line report; returns once the user has closed it. Never fails.
void ShowError(int number, std::string_view description, std::string_view error_code);

// An error box's text, logged before the box waits for someone to answer it.
void LogBox(std::string_view text);

}  // namespace common
