#include "base/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace mapjass {
namespace {

std::string g6(float value) {
  char text[kMaxFloatG6Size];
  return std::string(text, formatFloatG6(text, value));
}

std::string g6Reference(float value) {
  char text[kMaxFloatG6Size];
  return std::string(text, formatFloatG6Reference(text, value));
}

// What %.6g prints, wherever it prints no exponent.
std::string printfG6(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
  return text;
}

TEST(FormatFloatG6, MatchesTheTable) {
  struct Case {
    float value;
    const char* text;
  };
  const Case cases[] = {
      {512.3456f, "512.346"},
      {-256.5f, "-256.5"},
      {0.0f, "0"},
      {-0.0f, "-0"},
      {4.712389f, "4.71239"},
      {1.25f, "1.25"},
      {0.1f, "0.1"},
      {128.0f, "128"},
      {2.718282f, "2.71828"},
      {1.0f, "1"},
      {100000.0f, "100000"},
      {999999.0f, "999999"},
      {999999.5f, "1000000.0"},  // rounds up into the exponent range
      {0.0001f, "0.0001"},
      {0.00012345678f, "0.000123457"},
      // Where %.6g would write an exponent, the digits stand in place.
      {1.5e-05f, "0.000015"},
      {1.17549435e-38f, "0.0000000000000000000000000000000000000117549"},
      {1e6f, "1000000.0"},
      {-1.23457e+07f, "-12345700.0"},
      {-12345678.0f, "-12345700.0"},
      {3.40282347e+38f, "340282000000000000000000000000000000000.0"},
      {1.4e-45f, "0.0000000000000000000000000000000000000000000014013"},
      // Ties go to the even digit, on the exact binary value.
      {1234565.0f, "1234560.0"},
      {1234575.0f, "1234580.0"},
      {0.5f, "0.5"},
      {30000.0f, "30000"},
      {6.2831855f, "6.28319"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(g6(c.value), c.text) << c.text;
    EXPECT_EQ(g6Reference(c.value), c.text) << c.text;
  }
}

// The digits are printf's; only the exponent form is replaced.
void expectLikePrintf(float value) {
  std::string text = g6(value);
  std::string expected = printfG6(value);
  if (expected.find('e') == std::string::npos) {
    ASSERT_EQ(text, expected) << std::hex << std::bit_cast<uint32_t>(value);
  } else {
    ASSERT_EQ(std::stod(text), std::stod(expected)) << text << " vs " << expected;
    ASSERT_EQ(text, g6Reference(value)) << std::hex << std::bit_cast<uint32_t>(value);
  }
}

TEST(FormatFloatG6, AgreesWithPrintfOnMillionsOfFloats) {
  int64_t checked = 0;
  std::mt19937 random(12345);
  for (int i = 0; i < 7'000'000; ++i) {
    float value = std::bit_cast<float>(static_cast<uint32_t>(random()));
    if (std::isfinite(value)) {
      expectLikePrintf(value);
      ++checked;
    }
  }
  // Every float of the ranges that maps use most: around zero, positions and
  // angles, and the borders of the exponent form.
  const std::pair<float, float> ranges[] = {
      {0.0f, 8.0f}, {30000.0f, 31000.0f}, {9.9e-5f, 1.01e-4f}, {999000.0f, 1.001e6f}};
  for (auto [low, high] : ranges) {
    for (uint32_t bits = std::bit_cast<uint32_t>(low); bits <= std::bit_cast<uint32_t>(high);
         bits += (high < 10 ? 1021 : 1)) {
      float value = std::bit_cast<float>(bits);
      expectLikePrintf(value);
      expectLikePrintf(-value);
      checked += 2;
    }
  }
  EXPECT_GE(checked, 10'000'000);
}

TEST(FormatFixed2, MatchesPrintf) {
  const double values[] = {-1536.0, -2048.0, 0.125,          0.375,
                           -0.001,  1e20,    3.40282347e+38, -30208.0 + 128 * 480,
                           2.675,   1.005};
  for (double value : values) {
    char expected[512];
    std::snprintf(expected, sizeof expected, "%.2f", value);
    char text[kMaxFixed2Size];
    EXPECT_EQ(std::string(text, formatFixed2(text, value)), expected);
  }
}

TEST(FormatInt, WritesSignedDecimals) {
  const std::pair<int64_t, const char*> cases[] = {{0, "0"},
                                                   {-1, "-1"},
                                                   {99, "99"},
                                                   {2147483647, "2147483647"},
                                                   {-2147483648LL, "-2147483648"},
                                                   {INT64_MIN, "-9223372036854775808"}};
  for (auto [value, text] : cases) {
    char out[kMaxIntSize];
    EXPECT_EQ(std::string(out, formatInt(out, value)), text);
  }
}

}  // namespace
}  // namespace mapjass
