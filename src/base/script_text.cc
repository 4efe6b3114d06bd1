#include "base/script_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace mapjass {

namespace {

constexpr uint64_t kPow10[] = {1ull,
                               10ull,
                               100ull,
                               1000ull,
                               10000ull,
                               100000ull,
                               1000000ull,
                               10000000ull,
                               100000000ull,
                               1000000000ull,
                               10000000000ull,
                               100000000000ull,
                               1000000000000ull,
                               10000000000000ull,
                               100000000000000ull,
                               1000000000000000ull,
                               10000000000000000ull,
                               100000000000000000ull,
                               1000000000000000000ull,
                               10000000000000000000ull};

// A positive value rounded to six significant digits: digits * 10^(exponent - 5)
// with digits in [100000, 999999]. `exponent` is what %e would print.
struct SixDigits {
  uint32_t digits;
  int exponent;
};

// For each biased exponent of a normal float: the decimal exponent of its
// smallest values, and the mantissa from which on the decimal exponent is one
// more (2^24 where that never happens). This makes the exponent exact without
// a second try. Exponents outside the fast path's range are marked.
struct ExponentStep {
  int16_t exponent;
  uint32_t nextFrom;
};
constexpr int16_t kOutOfRange = 100;

const std::array<ExponentStep, 256> kExponentSteps = [] {
  using Wide = unsigned __int128;
  std::array<ExponentStep, 256> steps{};
  for (int biased = 0; biased < 256; ++biased) {
    int shift = 150 - biased;                  // value = m / 2^shift, 2^23 <= m < 2^24
    int guess = ((23 - shift) * 78913) >> 18;  // floor(log2(value) * log10(2))
    steps[biased] = {kOutOfRange, 0};
    if (shift < 1 || shift > 63 || guess < -8 || guess > 6) continue;
    // The smallest m with m / 2^shift >= 10^(guess + 1).
    Wide numerator = Wide{1} << shift;
    Wide denominator = 1;
    for (int i = 0; i < guess + 1; ++i) numerator *= 10;
    for (int i = 0; i < -(guess + 1); ++i) denominator *= 10;
    Wide m = std::min<Wide>((numerator + denominator - 1) / denominator, Wide{1} << 24);
    steps[biased] = {static_cast<int16_t>(guess), static_cast<uint32_t>(m)};
  }
  return steps;
}();

// Exact for a normal float m * 2^e below 10^6 with a fraction, the values
// that real maps use; false for everything else.
bool sixDigitsFast(uint32_t biased, uint64_t m, SixDigits& out) {
  const ExponentStep& step = kExponentSteps[biased];
  int exponent = step.exponent + (m >= step.nextFrom ? 1 : 0);
  int k = 5 - exponent;
  // Exponents beyond the table's range, and so every shift it could not
  // take, are marked with a k below 0.
  if (static_cast<unsigned>(k) > 12) return false;
  int shift = 150 - static_cast<int>(biased);  // -e
  // value * 10^k == numerator / 2^shift, exactly; m < 2^24 and 10^12 < 2^40.
  uint64_t numerator = m * kPow10[k];
  uint64_t whole = numerator >> shift;
  uint64_t rest = numerator & ((uint64_t{1} << shift) - 1);
  uint64_t half = uint64_t{1} << (shift - 1);
  // Round half to even on the exact value, as printf does. Which way it goes
  // is as good as random, so it is computed rather than branched on.
  whole += static_cast<uint64_t>(rest > half) | (static_cast<uint64_t>(rest == half) & whole & 1);
  if (whole == 1000000) {
    whole = 100000;
    ++exponent;
  }
  out = {static_cast<uint32_t>(whole), exponent};
  return true;
}

SixDigits sixDigitsReference(float value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                              std::chars_format::scientific, 5);
  // text is "d.ddddde+XX" for a positive value.
  uint32_t digits = static_cast<uint32_t>(text[0] - '0');
  for (int i = 2; i < 7; ++i) digits = digits * 10 + static_cast<uint32_t>(text[i] - '0');
  int exponent = 0;
  std::from_chars(text + 8 + (text[8] == '+' ? 1 : 0), result.ptr, exponent);
  return {digits, exponent};
}

// The six digits as characters in the low six bytes of a word, first digit
// lowest, so that one store puts them in memory in order. The three pairs of
// digits sit in 16-bit lanes and are split into tens and ones in all lanes
// at once: v * 103 >> 10 is v / 10 for every v below 100.
uint64_t digitWord(uint32_t d) {
  uint32_t high = d / 10000;
  uint32_t rest = d - high * 10000;
  uint32_t middle = rest / 100;
  uint64_t pairs = high | uint64_t{middle} << 16 | uint64_t{rest - middle * 100} << 32;
  uint64_t tens = (pairs * 103 >> 10) & 0x0000000F000F000Full;
  uint64_t ones = pairs - tens * 10;
  return (tens | ones << 8) + 0x303030303030ull;
}

// Stores the eight bytes of `word`, lowest first, whatever the host's order.
void storeWord(char* p, uint64_t word) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &word, 8);
  } else {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<char>(word >> (8 * i));
  }
}

// Writes `value`, below 10^6, in decimal without leading zeros. Stores up
// to eight bytes; the count says how many of them are the text.
size_t putDigits(char* p, uint32_t value) {
  if (value < 100) {
    // Life and variation, on every line: both bytes are written and the
    // count picks.
    uint32_t tens = value * 103 >> 10;
    p[0] = static_cast<char>('0' + (value >= 10 ? tens : value));
    p[1] = static_cast<char>('0' + value - tens * 10);
    return value >= 10 ? 2 : 1;
  }
  size_t count = 3 + (value >= 1000) + (value >= 10000) + (value >= 100000);
  storeWord(p, digitWord(value) >> (8 * (6 - count)));
  return count;
}

// Writes the six digits the way %.6g would without its exponent form. The
// stores are of fixed size so that they compile to plain moves; they may
// write a few bytes past the text, which kMaxFloatG6Size leaves room for.
inline size_t layOut(char* out, bool negative, SixDigits six) {
  char* p = out;
  *p = '-';
  p += negative ? 1 : 0;
  uint64_t word = digitWord(six.digits);
  // Trailing zeros are the high digit bytes that equal '0'. The first digit
  // is never 0, so `nonZero` never is.
  uint64_t nonZero = (word ^ 0x303030303030ull) << 16;
  int count = 6 - std::countl_zero(nonZero) / 8;
  int exponent = six.exponent;
  if (exponent >= 0 && exponent < 6) {
    // Whether a fraction follows is as good as random, so both are written
    // and the length picks one: the point and fraction are scratch otherwise.
    int integer = exponent + 1;
    storeWord(p, word);
    p[integer] = '.';
    storeWord(p + integer + 1, word >> (8 * integer));
    p += count > integer ? count + 1 : integer;
  } else if (exponent < 0) {
    int zeros = -exponent - 1;
    if (zeros <= 6) {
      std::memcpy(p, "0.000000", 8);
    } else {
      p[0] = '0';
      p[1] = '.';
      std::memset(p + 2, '0', static_cast<size_t>(zeros));
    }
    p += 2 + zeros;
    storeWord(p, word);
    p += count;
  } else {
    // Beyond %.6g's positional range: all digits, then ".0" to keep it a real.
    storeWord(p, word);
    p += 6;
    std::memset(p, '0', static_cast<size_t>(exponent - 5));
    p += exponent - 5;
    std::memcpy(p, ".0", 2);
    p += 2;
  }
  return static_cast<size_t>(p - out);
}

size_t formatZero(char* out, bool negative) {
  char* p = out;
  if (negative) *p++ = '-';
  *p++ = '0';
  return static_cast<size_t>(p - out);
}

// Zero, subnormals and magnitudes beyond the fast path. Kept apart so that
// the fast path needs no registers saved around a call.
[[gnu::noinline]] size_t formatFloatG6Slowly(char* out, float value) {
  if (!std::isfinite(value)) return formatZero(out, false);
  bool negative = std::signbit(value);
  if (value == 0) return formatZero(out, negative);
  return layOut(out, negative, sixDigitsReference(negative ? -value : value));
}

}  // namespace

size_t formatFloatG6(char* out, float value) {
  uint32_t bits = std::bit_cast<uint32_t>(value);
  bool negative = (bits >> 31) != 0;
  uint32_t biased = (bits >> 23) & 0xFF;
  uint32_t mantissa = (bits & 0x7FFFFF) | 0x800000u;
  // Whole numbers below 10^6, which maps use a lot, are their own digits.
  uint32_t shift = 150 - biased;  // value = mantissa / 2^shift
  if (shift - 1 < 23 && (mantissa & ((1u << shift) - 1)) == 0 && (mantissa >> shift) < 1000000) {
    out[0] = '-';
    size_t sign = negative ? 1 : 0;
    return sign + putDigits(out + sign, mantissa >> shift);
  }
  SixDigits six;
  if (biased == 0 || biased == 0xFF || !sixDigitsFast(biased, mantissa, six)) {
    return formatFloatG6Slowly(out, value);
  }
  return layOut(out, negative, six);
}

size_t formatFloatG6Reference(char* out, float value) {
  return formatFloatG6Slowly(out, value);
}

size_t formatFixed2(char* out, double value) {
  auto result = std::to_chars(out, out + kMaxFixed2Size, value, std::chars_format::fixed, 2);
  return static_cast<size_t>(result.ptr - out);
}

size_t formatInt(char* out, int64_t value) {
  char* p = out;
  *p = '-';
  p += value < 0 ? 1 : 0;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (magnitude < 1000000)
    return static_cast<size_t>(p - out) + putDigits(p, static_cast<uint32_t>(magnitude));
  // Digits go straight to their place, right to left, once their number is
  // known: no copy of a variable length, which would cost a library call.
  int digits = 1;
  while (digits < 20 && magnitude >= kPow10[digits]) ++digits;
  for (int i = digits - 1; i >= 0; --i) {
    p[i] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  return static_cast<size_t>(p + digits - out);
}

}  // namespace mapjass
