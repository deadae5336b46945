// Short (8.3) path names.
#pragma once

#include <string>

namespace common {

// The short form of `long_path`; after a failure, reported as "MD63", the empty
// text, so that no caller writes a broken path.
std::string GetShortName(const std::string& long_path);
// The short form, or "" when there is none; reports nothing.
std::string ShortPathOrEmpty(const std::string& long_path);

}  // namespace common
