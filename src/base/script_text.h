// The pieces that script lines and console reports are made of: numbers,
// fixed texts and four-character ids.
//
// The doodad script prints floats the way printf's %.6g does, except that
// JASS has no exponent notation: where %.6g would switch to exponent form,
// the same six significant digits are written positionally instead. The
// terrain script prints positions as %.2f. Every function writes into a
// caller's buffer and returns the number of characters or the end; none
// allocates, as they run for every record and every tile point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace mapjass {

// The room formatFloatG6 needs: the smallest subnormal float takes "-0." and
// 44 zeros before its five digits, and a few scratch bytes may follow.
inline constexpr size_t kMaxFloatG6Size = 64;
// Room for any text of formatInt.
inline constexpr size_t kMaxIntSize = 24;
// Room for %.2f of any double up to 1e300 or so; positions stay far below.
inline constexpr size_t kMaxFixed2Size = 400;

// Six significant digits, round half to even on the exact binary value, as
// %.6g; positional where %.6g would use an exponent: 1e+06 becomes
// "1000000.0" and 1.5e-05 becomes "0.000015". NaN and the infinities, which
// JASS cannot express, become "0". `out` must have kMaxFloatG6Size bytes of
// room.
size_t formatFloatG6(char* out, float value);

// The same text built from std::to_chars alone: the reference that the fast
// path is checked against, and the fallback for magnitudes it does not cover.
size_t formatFloatG6Reference(char* out, float value);

// %.2f of a finite double.
size_t formatFixed2(char* out, double value);

// %d. Stores up to kMaxIntSize bytes, of which the result says how many
// are the text.
size_t formatInt(char* out, int64_t value);

// Copies a string literal without its terminator to `p` and returns the end.
// The size is known when compiling, so the copy is a few plain moves.
template <size_t N>
char* put(char* p, const char (&text)[N]) {
  std::memcpy(p, text, N - 1);
  return p + N - 1;
}

// How many characters of a four-character id (a type, a tileset, a file
// signature: four raw bytes without a terminator) "%.4s" prints: all four,
// or fewer when a zero byte comes first.
inline size_t fourCharCodeLength(const char* id) {
  size_t n = 0;
  while (n < 4 && id[n] != '\0') ++n;
  return n;
}

}  // namespace mapjass
