// Micro-benchmarks of the number text against the standard conversions.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <random>
#include <vector>

#include "base/script_text.h"

namespace {

// Values like those of a map: positions, angles and scales.
std::vector<float> mapValues() {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> position(-30000, 30000);
  std::uniform_real_distribution<float> angle(0, 6.2831853f);
  std::vector<float> values;
  for (int i = 0; i < 4096; ++i) {
    values.push_back(position(random));
    values.push_back(angle(random));
    values.push_back(i % 3 == 0 ? 1.0f : 1.25f);
  }
  return values;
}

void BM_formatFloatG6(benchmark::State& state) {
  std::vector<float> values = mapValues();
  char text[mapjass::kMaxFloatG6Size];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(mapjass::formatFloatG6(text, values[i++ % values.size()]));
  }
}
BENCHMARK(BM_formatFloatG6);

void BM_formatFloatG6Reference(benchmark::State& state) {
  std::vector<float> values = mapValues();
  char text[mapjass::kMaxFloatG6Size];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(mapjass::formatFloatG6Reference(text, values[i++ % values.size()]));
  }
}
BENCHMARK(BM_formatFloatG6Reference);

void BM_snprintfG6(benchmark::State& state) {
  std::vector<float> values = mapValues();
  char text[64];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::snprintf(text, sizeof text, "%.6g", static_cast<double>(values[i++ % values.size()])));
  }
}
BENCHMARK(BM_snprintfG6);

void BM_toCharsGeneral6(benchmark::State& state) {
  std::vector<float> values = mapValues();
  char text[64];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::to_chars(text, text + sizeof text,
                                           static_cast<double>(values[i++ % values.size()]),
                                           std::chars_format::general, 6));
  }
}
BENCHMARK(BM_toCharsGeneral6);

void BM_formatFixed2(benchmark::State& state) {
  char text[mapjass::kMaxFixed2Size];
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(mapjass::formatFixed2(text, -65536.0 + 128 * (i++ % 1025)));
  }
}
BENCHMARK(BM_formatFixed2);

void BM_formatInt(benchmark::State& state) {
  char text[mapjass::kMaxIntSize];
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(mapjass::formatInt(text, (i++ % 20000) - 10000));
}
BENCHMARK(BM_formatInt);

}  // namespace

BENCHMARK_MAIN();
