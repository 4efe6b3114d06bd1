#include "base/number_text.h"

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

// Exact for m * 2^e when the scaled value fits a 64-bit fraction, which
// covers every magnitude that real maps use; false otherwise.
bool sixDigitsFast(uint64_t m, int e, SixDigits& out) {
  // floor(log10(m * 2^e)) is this guess or one more; the loop corrects it.
  int binaryExponent = e + 63 - std::countl_zero(m);
  int exponent = (binaryExponent * 78913) >> 18;  // floor(x * log10(2))
  for (int attempt = 0; attempt < 2; ++attempt) {
    // value * 10^(5 - exponent) == numerator / divisor, both exact.
    int k = 5 - exponent;
    uint64_t numerator = m;
    uint64_t divisor = 1;
    if (k >= 0) {
      if (k > 12) return false;
      numerator *= kPow10[k];  // m < 2^24 and 10^12 < 2^40
    } else {
      if (-k > 19) return false;
      divisor = kPow10[-k];
    }
    if (e >= 0) {
      if (e >= std::countl_zero(numerator)) return false;
      numerator <<= e;
    } else {
      if (-e >= std::countl_zero(divisor)) return false;
      divisor <<= -e;
    }
    uint64_t whole = numerator / divisor;  // a shift when divisor is 2^n
    uint64_t rest = numerator % divisor;
    if (whole >= 1000000) {
      ++exponent;
      continue;
    }
    if (whole < 100000) return false;  // the guess is never too high
    // Round half to even on the exact value, as printf does.
    uint64_t above = divisor - rest;
    if (rest > above || (rest == above && (whole & 1) != 0)) ++whole;
    if (whole == 1000000) {
      whole = 100000;
      ++exponent;
    }
    out = {static_cast<uint32_t>(whole), exponent};
    return true;
  }
  return false;
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

// Writes the six digits the way %.6g would without its exponent form.
size_t layOut(char* out, bool negative, SixDigits six) {
  char* p = out;
  if (negative) *p++ = '-';
  char digits[6];
  uint32_t d = six.digits;
  for (int i = 5; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + d % 10);
    d /= 10;
  }
  int count = 6;
  while (count > 1 && digits[count - 1] == '0') --count;
  int exponent = six.exponent;
  if (exponent < 0) {
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < -exponent - 1; ++i) *p++ = '0';
    std::memcpy(p, digits, static_cast<size_t>(count));
    p += count;
  } else if (exponent + 1 >= count) {
    std::memcpy(p, digits, static_cast<size_t>(count));
    p += count;
    for (int i = count; i < exponent + 1; ++i) *p++ = '0';
    if (exponent >= 6) {
      // Beyond %.6g's positional range: keep it visibly a real.
      *p++ = '.';
      *p++ = '0';
    }
  } else {
    std::memcpy(p, digits, static_cast<size_t>(exponent + 1));
    p += exponent + 1;
    *p++ = '.';
    std::memcpy(p, digits + exponent + 1, static_cast<size_t>(count - exponent - 1));
    p += count - exponent - 1;
  }
  return static_cast<size_t>(p - out);
}

size_t formatZero(char* out, bool negative) {
  char* p = out;
  if (negative) *p++ = '-';
  *p++ = '0';
  return static_cast<size_t>(p - out);
}

}  // namespace

size_t formatFloatG6(char* out, float value) {
  uint32_t bits = std::bit_cast<uint32_t>(value);
  bool negative = (bits >> 31) != 0;
  uint32_t biased = (bits >> 23) & 0xFF;
  uint32_t fraction = bits & 0x7FFFFF;
  if (biased == 0 && fraction == 0) return formatZero(out, negative);
  if (biased == 0xFF) return formatZero(out, false);  // callers pass finite values only
  uint64_t m = biased == 0 ? fraction : (fraction | 0x800000u);
  int e = biased == 0 ? -149 : static_cast<int>(biased) - 150;
  SixDigits six;
  if (!sixDigitsFast(m, e, six)) six = sixDigitsReference(negative ? -value : value);
  return layOut(out, negative, six);
}

size_t formatFloatG6Reference(char* out, float value) {
  bool negative = std::signbit(value);
  if (value == 0) return formatZero(out, negative);
  return layOut(out, negative, sixDigitsReference(negative ? -value : value));
}

size_t formatFixed2(char* out, double value) {
  auto result = std::to_chars(out, out + kMaxFixed2Size, value, std::chars_format::fixed, 2);
  return static_cast<size_t>(result.ptr - out);
}

size_t formatInt(char* out, int64_t value) {
  char digits[kMaxIntSize];
  char* end = digits + sizeof digits;
  char* p = end;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = '-';
  size_t size = static_cast<size_t>(end - p);
  std::memcpy(out, p, size);
  return size;
}

}  // namespace mapjass
