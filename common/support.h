// Where users are told to write. Every message that names it reads it from here.
#pragma once

namespace common {
inline constexpr const char* kSupportEmail = "support@brivane.co.uk";
}
