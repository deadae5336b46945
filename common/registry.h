// Small wrappers over the registry: read a string value, write a string or binary value.
#pragma once

#include <optional>
#include <string>

#include "platform/system.h"

namespace common {

// The REG_SZ value's text up to its first NUL; nothing when absent, of another
// type or unreadable. Reports nothing.
std::optional<std::string> GetRegString(plat::RegKey root, const std::string& path,
                                        const std::string& name);
// Stores text as REG_SZ without its terminator; missing keys are created. Reports nothing.
void SaveRegString(plat::RegKey root, const std::string& path, const std::string& name,
                   const std::string& text);
// Stores each character's code as one byte, as REG_BINARY. Reports nothing.
void SaveRegBinary(plat::RegKey root, const std::string& path, const std::string& name,
                   const std::string& data);

}  // namespace common
