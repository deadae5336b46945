// Decimal text to a double without the C library: the Windows program carries no
// strtod of its own, and the same code runs in every build.
#pragma once

#include <optional>
#include <string_view>

namespace plat {

// The double nearest to a decimal number, halfway cases to even, as a correctly
// rounding strtod gives it. The text is exactly [+|-]digits[.digits] with at
// least one digit, then optionally e, E, d or D, a sign and at least one digit:
// no blanks, prefixes, hexadecimal, infinities or NaNs (nullopt for those). A
// value too large is infinity; one too small for the smallest subnormal, zero
// of its sign. Text of any length is converted exactly.
std::optional<double> DecimalValue(std::string_view text);

}  // namespace plat
