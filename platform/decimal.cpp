#include "platform/decimal.h"

#include <bit>
#include <cstdint>

namespace plat {
namespace {

// The value is digits x 10^exponent; it is rounded by dividing two integers
// exactly. Significant digits past the 800th cannot change the result on their
// own: a halfway point between two doubles has at most 767 of them, so all that
// matters of the rest is whether one is not zero, which a last digit 1 stands for.
constexpr std::int64_t kKeptDigits = 800;
// An exponent this large is infinity or zero whatever the digits are.
constexpr std::int64_t kExponentLimit = 1000000000000;

constexpr std::uint32_t kPowersOfTen[] = {1,      10,      100,      1000,     10000,
                                          100000, 1000000, 10000000, 100000000};

// An unsigned integer, least significant 32 bits first. The largest the
// conversion makes is below 10^1125 (the smallest power of ten a result that is
// not zero is divided by) times 2^54: 3,792 bits.
class BigNumber {
 public:
  explicit BigNumber(std::uint32_t value) {
    if (value != 0) limbs_[size_++] = value;
  }

  bool IsZero() const { return size_ == 0; }
  int Bits() const { return size_ == 0 ? 0 : 32 * (size_ - 1) + std::bit_width(limbs_[size_ - 1]); }

  void MultiplyAdd(std::uint32_t factor, std::uint32_t add) {
    std::uint64_t carry = add;
    for (int i = 0; i < size_; ++i) {
      carry += std::uint64_t{limbs_[i]} * factor;
      limbs_[i] = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0) limbs_[size_++] = static_cast<std::uint32_t>(carry);
  }

  void MultiplyByPowerOfTen(std::int64_t n) {
    for (; n >= 9; n -= 9) MultiplyAdd(kPowersOfTen[8] * 10, 0);
    MultiplyAdd(kPowersOfTen[n], 0);
  }

  void ShiftLeft(int bits) {
    if (size_ == 0) return;
    const int words = bits / 32;
    const int rest = bits % 32;
    const int size = size_ + words + 1;
    // From the top down: each limb is read before anything below it is written.
    for (int i = size - 1; i >= words; --i) {
      const int from = i - words;
      std::uint32_t v = from < size_ ? limbs_[from] << rest : 0;
      if (rest != 0 && from >= 1 && from - 1 < size_) v |= limbs_[from - 1] >> (32 - rest);
      limbs_[i] = v;
    }
    for (int i = 0; i < words; ++i) limbs_[i] = 0;
    size_ = size;
    Trim();
  }

  void ShiftRightOne() {
    for (int i = 0; i < size_; ++i) {
      limbs_[i] = (limbs_[i] >> 1) | (i + 1 < size_ ? limbs_[i + 1] << 31 : 0);
    }
    Trim();
  }

  // *this - other, which is not larger.
  void Subtract(const BigNumber& other) {
    std::uint32_t borrow = 0;
    for (int i = 0; i < size_; ++i) {
      const std::uint64_t take = std::uint64_t{i < other.size_ ? other.limbs_[i] : 0} + borrow;
      borrow = limbs_[i] < take ? 1 : 0;
      limbs_[i] = static_cast<std::uint32_t>(limbs_[i] - take);
    }
    Trim();
  }

  friend int Compare(const BigNumber& a, const BigNumber& b) {
    if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
    for (int i = a.size_ - 1; i >= 0; --i) {
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
    }
    return 0;
  }

 private:
  void Trim() {
    while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
  }

  std::uint32_t limbs_[128];
  int size_ = 0;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr std::uint64_t kInfinityBits = 0x7FF0000000000000;
constexpr std::uint64_t kSignBit = 0x8000000000000000;

// digits x 10^exponent, rounded to the nearest double; `count` is the number of
// decimal digits of `digits`, which is not zero and has no leading zeros.
std::uint64_t NearestBits(BigNumber num, std::int64_t count, std::int64_t exponent) {
  // The value lies in [10^(count - 1 + exponent), 10^(count + exponent)).
  if (count - 1 + exponent > 308) return kInfinityBits;  // at least 1e309
  if (count + exponent < -324) return 0;                 // below half the smallest subnormal
  BigNumber den(1);
  if (exponent >= 0) {
    num.MultiplyByPowerOfTen(exponent);
  } else {
    den.MultiplyByPowerOfTen(-exponent);
  }
  // The result is q x 2^b with q in [2^52, 2^53), or below 2^52 for a subnormal,
  // whose b is the least there is.
  int b = num.Bits() - den.Bits() - 53;  // num / den / 2^b is in (2^52, 2^54)
  const bool subnormal = b < -1074;
  if (subnormal) b = -1074;
  if (b >= 0) {
    den.ShiftLeft(b);
  } else {
    num.ShiftLeft(-b);
  }
  if (!subnormal) {
    BigNumber top = den;
    top.ShiftLeft(53);
    if (Compare(num, top) >= 0) {
      den.ShiftLeft(1);
      ++b;
    }
  }
  std::uint64_t q = 0;
  BigNumber step = den;
  step.ShiftLeft(52);
  for (int bit = 52; bit >= 0; --bit) {
    if (Compare(num, step) >= 0) {
      num.Subtract(step);
      q |= std::uint64_t{1} << bit;
    }
    step.ShiftRightOne();
  }
  // What is left against half the divisor: above rounds up, exactly half to even.
  num.ShiftLeft(1);
  const int half = Compare(num, den);
  if (half > 0 || (half == 0 && (q & 1) != 0)) ++q;
  // The biased exponent is b + 1075 with q's leading bit hidden, which adding q to
  // (b + 1074) << 52 does; a q rounded up to 2^53 carries into the exponent, and a
  // subnormal's has no leading bit.
  const std::uint64_t bits = (static_cast<std::uint64_t>(b + 1074) << 52) + q;
  return bits >= kInfinityBits ? kInfinityBits : bits;
}

}  // namespace

std::optional<double> DecimalValue(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  BigNumber digits(0);
  std::uint32_t chunk = 0;  // up to 9 digits not yet in `digits`
  int chunk_digits = 0;
  std::int64_t kept = 0;
  std::int64_t exponent = 0;
  bool dropped_non_zero = false;
  std::size_t seen = 0;
  const auto take = [&](char c, bool fraction) {
    ++seen;
    const int d = c - '0';
    if (kept == 0 && d == 0) {  // a leading zero
      if (fraction) --exponent;
    } else if (kept < kKeptDigits) {
      chunk = chunk * 10 + static_cast<std::uint32_t>(d);
      if (++chunk_digits == 9) {
        digits.MultiplyAdd(kPowersOfTen[8] * 10, chunk);
        chunk = 0;
        chunk_digits = 0;
      }
      ++kept;
      if (fraction) --exponent;
    } else {
      dropped_non_zero |= d != 0;
      if (!fraction) ++exponent;
    }
  };
  for (; i < n && IsDigit(text[i]); ++i) take(text[i], false);
  if (i < n && text[i] == '.') {
    for (++i; i < n && IsDigit(text[i]); ++i) take(text[i], true);
  }
  if (seen == 0) return std::nullopt;

  if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    ++i;
    bool negative_exponent = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative_exponent = text[i++] == '-';
    std::int64_t value = 0;
    std::size_t exponent_digits = 0;
    for (; i < n && IsDigit(text[i]); ++i, ++exponent_digits) {
      if (value < kExponentLimit) value = value * 10 + (text[i] - '0');
    }
    if (exponent_digits == 0) return std::nullopt;
    exponent += negative_exponent ? -value : value;
  }
  if (i != n) return std::nullopt;

  std::uint64_t bits = 0;
  if (kept != 0) {
    digits.MultiplyAdd(kPowersOfTen[chunk_digits], chunk);
    if (dropped_non_zero) {
      digits.MultiplyAdd(10, 1);
      ++kept;
      --exponent;
    }
    bits = NearestBits(digits, kept, exponent);
  }
  return std::bit_cast<double>(negative ? bits | kSignBit : bits);
}

}  // namespace plat
