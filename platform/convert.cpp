#include "platform/convert.h"

#include <cmath>

#include "platform/decimal.h"
#include "platform/errors.h"

namespace plat {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ParseRadix(std::string_view digits, int radix, double& out) {
  if (digits.empty() || digits.size() > 11) return false;
  std::uint64_t v = 0;
  for (char c : digits) {
    int d;
    char l = Lower(c);
    if (l >= '0' && l <= '9') {
      d = l - '0';
    } else if (l >= 'a' && l <= 'f') {
      d = l - 'a' + 10;
    } else {
      return false;
    }
    if (d >= radix) return false;
    v = v * radix + d;
  }
  // Like the runtime, up to 4 hex digits are a signed 16-bit value, more a 32-bit one.
  if (radix == 16 && digits.size() <= 4) {
    out = static_cast<std::int16_t>(v);
  } else {
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }
  return true;
}

}  // namespace

std::string_view StripNull(std::string_view text) {
  auto nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

double ToDouble(std::string_view text) {
  std::string_view s = Trim(StripNull(text));
  double v = 0;
  if (s.size() >= 2 && s[0] == '&') {
    char p = Lower(s[1]);
    if (p == 'h' && ParseRadix(s.substr(2), 16, v)) return v;
    if (p == 'o' && ParseRadix(s.substr(2), 8, v)) return v;
    Raise(kErrTypeMismatch);
  }
  const std::optional<double> decimal = DecimalValue(s);
  if (!decimal || !std::isfinite(*decimal)) Raise(kErrTypeMismatch);
  return *decimal;
}

std::int16_t ToInteger(double value) {
  double r = std::nearbyint(value);  // the default rounding mode is half to even
  if (!(r >= -32768.0 && r <= 32767.0)) Raise(kErrOverflow);
  return static_cast<std::int16_t>(r);
}

std::int16_t ToInteger(std::string_view text) {
  return ToInteger(ToDouble(text));
}

std::int32_t ToLong(std::string_view text) {
  double r = std::nearbyint(ToDouble(text));
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) Raise(kErrOverflow);
  return static_cast<std::int32_t>(r);
}

bool ToBoolean(std::string_view text) {
  std::string lower = LowerAscii(Trim(StripNull(text)));
  if (lower == "true") return true;
  if (lower == "false") return false;
  return ToDouble(text) != 0.0;
}

const char* BooleanText(bool value) {
  return value ? "True" : "False";
}

}  // namespace plat
