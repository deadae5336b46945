// The settings file's numbers as the load reads them (plat::ToDouble, and
// plat::DecimalValue behind it), against the strtod the load called before it had
// a conversion of its own (contract::ReferenceStrtod): glibc's in the native
// suite, MSVCRT.DLL's in contract_tests.exe under Wine. Halfway cases are also checked against the
// answer worked out here. (MinGW's own strtod, which std::strtod is on Windows,
// is no reference: it rounds the 1,700-digit halfway case above the smallest
// subnormal to the smallest normal.)
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "platform/convert.h"
#include "platform/decimal.h"
#include "platform/errors.h"
#include "target.h"

namespace {

std::uint64_t Bits(double d) {
  return std::bit_cast<std::uint64_t>(d);
}

// The text strtod read: the load gave it the trimmed text with D for E.
double ByStrtod(std::string text) {
  for (char& c : text) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  char* end = nullptr;
  const double value = contract::ReferenceStrtod(text.c_str(), &end);
  EXPECT_EQ(*end, '\0') << contract::kReferenceStrtodName << " stopped early in " << text;
  return value;
}

std::string Hex(std::uint64_t bits) {
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
  return text;
}

void ExpectSameAsStrtod(const std::string& text) {
  const std::optional<double> got = plat::DecimalValue(text);
  ASSERT_TRUE(got.has_value()) << text;
  EXPECT_EQ(Hex(Bits(*got)), Hex(Bits(ByStrtod(text))))
      << contract::kReferenceStrtodName << ": " << text;
}

// ---------------------------------------------------------------- the load

// What the load does with a value: `decimal` is the text the old load gave
// strtod (kAsIs: the text itself), and an infinity from it was error 13; for
// other text the value is `radix`, or error 13 when `error` is set.
struct LoadCase {
  std::string text;
  const char* decimal;
  double radix = 0;
  bool error = false;
};

constexpr bool kError = true;
constexpr const char* kAsIs = "";

TEST(NumberContract, TheLoadReadsNumbersAsWithStrtod) {
  const LoadCase cases[] = {
      {"1.5", kAsIs},
      {"  1.5", "1.5"},
      {"1.5  ", "1.5"},
      {"\t-2.5\t", "-2.5"},
      {"+7", kAsIs},
      // 5
      {"-0", kAsIs},
      {"1d2", kAsIs},
      {"1D-2", kAsIs},
      {"1E+2", kAsIs},
      {".5", kAsIs},
      // 10
      {"5.", kAsIs},
      {"007", kAsIs},
      {std::string("12\0 34", 6), "12"},
      {"3.14159265358979323846264338327950288419716939937", kAsIs},
      {"0.000000000000000000000000000000000000000000000017", kAsIs},
      // 15
      {"123456789012345678901234567890123456789012345678", kAsIs},
      {"9007199254740993", kAsIs},  // halfway: to even
      {"9007199254740993.00000000000000000000000000000001", kAsIs},
      {"9007199254740995", kAsIs},
      {"0.1000000000000000055511151231257827021181583404541", kAsIs},
      // 20
      {"1.7976931348623157e308", kAsIs},
      {"1.7976931348623158e308", kAsIs},  // still the largest
      {"1.7976931348623159e308", kAsIs},  // overflows
      {"1e309", kAsIs},
      {"-1e309", kAsIs},
      // 25
      {"1e99999999999999999999999999999999999999999999999", kAsIs},
      {"0e99999999999999999999999999999999999999999999999", kAsIs},
      {"1e-400", kAsIs},
      {"-1e-400", kAsIs},
      {"2.4703282292062327e-324", kAsIs},  // below half the least
      // 30
      {"2.4703282292062328e-324", kAsIs},
      {"4.9406564584124654e-324", kAsIs},
      {"2.2250738585072011e-308", kAsIs},
      {"2.2250738585072012e-308", kAsIs},
      {"1e-0000000000000000000000000000000000000000000005", kAsIs},
      // 35
      {"&H10", nullptr, 16},
      {"&h7fff", nullptr, 32767},
      {"&HFFFF", nullptr, -1},
      {"&H8000", nullptr, -32768},
      {"&H10000", nullptr, 65536},
      // 40
      {"&HFFFFFFFF", nullptr, -1},
      {" &O17 ", nullptr, 15},
      {"&o777", nullptr, 511},
      {"&H", nullptr, 0, kError},
      {"&HG", nullptr, 0, kError},
      // 45
      {"&O8", nullptr, 0, kError},
      {"&", nullptr, 0, kError},
      {"&B101", nullptr, 0, kError},
      {"&H 10", nullptr, 0, kError},
      {"&H123456789012", nullptr, 0, kError},
      // 50
      {"", nullptr, 0, kError},
      {"   ", nullptr, 0, kError},
      {"+", nullptr, 0, kError},
      {"-", nullptr, 0, kError},
      {".", nullptr, 0, kError},
      // 55
      {"e5", nullptr, 0, kError},
      {"1e", nullptr, 0, kError},
      {"1e+", nullptr, 0, kError},
      {"1.2.3", nullptr, 0, kError},
      {"1 2", nullptr, 0, kError},
      // 60
      {"1,5", nullptr, 0, kError},
      {"0x1p3", nullptr, 0, kError},
      {"0x10", nullptr, 0, kError},
      {"inf", nullptr, 0, kError},
      {"nan", nullptr, 0, kError},
      // 65
      {"1e5.5", nullptr, 0, kError},
      {"--1", nullptr, 0, kError},
      {"- 1", nullptr, 0, kError},
      {"True", nullptr, 0, kError},
      {"C:\\Program Files\\Brivane\\Brivane.ini", nullptr, 0, kError},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const LoadCase& c = cases[i];
    double want = c.radix;
    bool error = c.error;
    if (c.decimal != nullptr) {
      want = ByStrtod(*c.decimal != '\0' ? c.decimal : c.text);
      error = !std::isfinite(want);
    }
    try {
      const double got = plat::ToDouble(c.text);
      EXPECT_FALSE(error) << "no error for '" << c.text << "'";
      EXPECT_EQ(Hex(Bits(got)), Hex(Bits(want))) << c.text;
    } catch (const plat::RuntimeError& e) {
      EXPECT_TRUE(error) << "error " << e.number() << " for '" << c.text << "'";
      EXPECT_EQ(e.number(), plat::kErrTypeMismatch);
    }
  }
}

// ---------------------------------------------------------------- settings-sized numbers

// A fixed sequence, the same on every machine.
class Random {
 public:
  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = state_ += 0x9E3779B97F4A7C15;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_ = 18;
};

std::string Digits(Random& random, int count) {
  std::string text;
  // Runs of zeros and nines now and then: where a carry or a halfway case hides.
  const int kind = random.Below(4);
  for (int i = 0; i < count; ++i) {
    const int d = random.Below(10);
    text += static_cast<char>('0' + (kind == 1 && d < 6 ? 0 : kind == 2 && d < 6 ? 9 : d));
  }
  return text;
}

// A number the settings file's 50-character buffer can hand over: 49 characters
// at most.
std::string SettingsNumber(Random& random) {
  for (;;) {
    std::string text;
    const char* const signs[] = {"", "", "+", "-"};
    text += signs[random.Below(4)];
    const int whole = random.Below(3) == 0 ? 0 : random.Below(25);
    text += Digits(random, whole);
    int fraction = 0;
    if (random.Below(2) == 0) {
      fraction = random.Below(25);
      text += "." + Digits(random, fraction);
    }
    if (whole + fraction == 0) continue;
    if (random.Below(2) == 0) {
      text += "eEdD"[random.Below(4)];
      text += signs[random.Below(4)];
      text += std::string(random.Below(3), '0') + std::to_string(random.Below(400));
    }
    if (text.size() <= 49) return text;
  }
}

TEST(NumberContract, SettingsSizedNumbersAsWithStrtod) {
  Random random;
  for (int i = 0; i < 20000; ++i) {
    const std::string text = SettingsNumber(random);
    SCOPED_TRACE(text);
    ExpectSameAsStrtod(text);
    if (HasFailure()) break;
  }
}

// ---------------------------------------------------------------- halfway cases

// Decimal digits times a factor, in place.
void Multiply(std::string& digits, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
    carry += std::uint64_t{static_cast<std::uint32_t>(*d - '0')} * factor;
    *d = static_cast<char>('0' + carry % 10);
    carry /= 10;
  }
  for (; carry != 0; carry /= 10)
    digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
}

void MultiplyByPower(std::string& digits, std::uint32_t base, int n) {
  std::uint32_t step = 1;
  for (int i = 0; i < n; ++i) {
    step *= base;
    if (step > 100000000) {
      Multiply(digits, step);
      step = 1;
    }
  }
  Multiply(digits, step);
}

std::string MinusOne(std::string digits) {
  for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
    if (*d != '0') {
      --*d;
      break;
    }
    *d = '9';
  }
  return digits;
}

struct Halfway {
  std::string digits;  // the point halfway above x is digits x 10^-shift
  int shift;
};

// The exact decimal form of the point halfway between x (positive, finite) and
// the next double up.
Halfway HalfwayAbove(double x) {
  const std::uint64_t bits = Bits(x);
  const int field = static_cast<int>(bits >> 52);
  std::uint64_t significand = bits & ((std::uint64_t{1} << 52) - 1);
  int power = -1074;  // x = significand x 2^power
  if (field != 0) {
    significand |= std::uint64_t{1} << 52;
    power = field - 1075;
  }
  // (2 significand + 1) x 2^(power - 1), as a whole number times 10^-shift.
  Halfway h{std::to_string(2 * significand + 1), 0};
  if (power - 1 >= 0) {
    MultiplyByPower(h.digits, 2, power - 1);
  } else {
    h.shift = 1 - power;
    MultiplyByPower(h.digits, 5, h.shift);  // 2^-k = 5^k x 10^-k
  }
  return h;
}

std::string Text(const std::string& digits, int shift) {
  return digits + "e-" + std::to_string(shift);
}

TEST(NumberContract, HalfwayCasesRoundToEven) {
  Random random;
  std::vector<double> values = {std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::min(),
                                std::nextafter(std::numeric_limits<double>::min(), 0.0),
                                1.0,
                                9007199254740992.0,
                                std::numeric_limits<double>::max()};
  while (values.size() < 200) {
    const double x = std::bit_cast<double>(random.Next() % 0x7FF0000000000000);
    values.push_back(x);
  }
  for (double x : values) {
    const double up = std::nextafter(x, std::numeric_limits<double>::infinity());
    const double even = (Bits(x) & 1) == 0 ? x : up;
    const Halfway h = HalfwayAbove(x);
    struct {
      std::string text;
      double want;
    } const forms[] = {
        {Text(h.digits, h.shift), even},
        {Text(h.digits + "1", h.shift + 1), up},
        {Text(MinusOne(h.digits) + "9", h.shift + 1), x},
        // Past the 800 significant digits that are kept whole.
        {Text(h.digits + std::string(900, '0'), h.shift + 900), even},
        {Text(h.digits + std::string(900, '0') + "1", h.shift + 901), up},
    };
    for (const auto& form : forms) {
      SCOPED_TRACE(form.text);
      const std::optional<double> got = plat::DecimalValue(form.text);
      ASSERT_TRUE(got.has_value());
      EXPECT_EQ(Hex(Bits(*got)), Hex(Bits(form.want)));
      EXPECT_EQ(Hex(Bits(*got)), Hex(Bits(ByStrtod(form.text)))) << contract::kReferenceStrtodName;
    }
    if (HasFailure()) break;
  }
}

}  // namespace
