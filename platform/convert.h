// Text-to-value conversions with the rules of the original runtime: the stored
// settings were written by it, and users edit them by hand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// A 16-bit Boolean as the runtime stores it: True is all bits set.
using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;
inline Bool16 ToBool16(bool b) {
  return b ? kTrue : kFalse;
}

// Parses text as a number: blanks around it are allowed, the text ends at its
// first NUL, "&H"/"&O" prefixes give hexadecimal/octal. Throws error 13 for
// anything that is not a number.
double ToDouble(std::string_view text);

// Number to a 16-bit Integer: rounds half to even, error 6 outside -32768..32767.
std::int16_t ToInteger(double value);
std::int16_t ToInteger(std::string_view text);

// 32-bit Long, same rules.
std::int32_t ToLong(std::string_view text);

// "True"/"False" in any letter case, or a number (non-zero is True); else 13.
bool ToBoolean(std::string_view text);

// How a Boolean is written into text: "True" or "False".
const char* BooleanText(bool value);

// The text before the first NUL character (all of it when there is none).
std::string_view StripNull(std::string_view text);

// ASCII lower case; the program's own texts are ASCII.
std::string LowerAscii(std::string_view text);
// Equal but for ASCII letter case, as Windows compares names.
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace plat
