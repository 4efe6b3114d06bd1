#include "base/script_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace mapjass {
namespace {

// What is wrong with the text of `value`, or "" when nothing is. It must be
// printf's "%.6g", except that where that has an exponent, which JASS
// cannot read, the same number is written out in full as a real.
std::string mismatch(float value) {
  char text[kMaxFloatG6Size];
  std::string ours(text, formatFloatG6(text, value));
  char theirs[64];
  std::snprintf(theirs, sizeof theirs, "%.6g", static_cast<double>(value));
  bool same = std::strchr(theirs, 'e') == nullptr
                  ? ours == theirs
                  : ours.find('e') == std::string::npos && ours.find('.') != std::string::npos &&
                        std::stod(ours) == std::stod(theirs);
  return same ? "" : ours + " instead of " + theirs;
}

TEST(FormatFloatG6, AgreesWithPrintf) {
  // A sample of all floats; bench/exhaustive_check.cc checks every one.
  std::mt19937 random(12345);
  for (int i = 0; i < 200'000; ++i) {
    float value = std::bit_cast<float>(static_cast<uint32_t>(random()));
    if (!std::isfinite(value)) continue;
    ASSERT_EQ(mismatch(value), "") << std::hexfloat << value;
  }
  // Every float of the ranges that maps use most, whole and fractional
  // alike, and the borders of the exponent form.
  const std::pair<float, float> ranges[] = {
      {0.0f, 8.0f}, {30000.0f, 30500.0f}, {9.9e-5f, 1.01e-4f}, {999000.0f, 1.001e6f}};
  // And the floats around each power of ten, where the digits roll over.
  std::vector<std::pair<float, float>> dense(std::begin(ranges), std::end(ranges));
  for (float power = 1e-8f; power < 1e8f; power *= 10) {
    dense.push_back({std::nextafter(power, 0.0f) - power * 1e-5f, power * (1 + 1e-5f)});
  }
  for (auto [low, high] : dense) {
    for (uint32_t bits = std::bit_cast<uint32_t>(low); bits <= std::bit_cast<uint32_t>(high);
         bits += (high > 1 && high < 10 ? 1021 : 1)) {
      float value = std::bit_cast<float>(bits);
      ASSERT_EQ(mismatch(value), "") << std::hexfloat << value;
      ASSERT_EQ(mismatch(-value), "") << std::hexfloat << -value;
    }
  }
}

}  // namespace
}  // namespace mapjass
