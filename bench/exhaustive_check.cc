// Checks the number text against printf's %.6g for all 2^32 float bit
// patterns, on every core. Where printf writes an exponent, the text must be
// the same value written positionally, as the slow reference writes it.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/script_text.h"

namespace {

// Returns the number of mismatches among the patterns first, first + step, ...
uint64_t check(uint64_t first, uint64_t step) {
  uint64_t mismatches = 0;
  char fast[mapjass::kMaxFloatG6Size];
  char reference[mapjass::kMaxFloatG6Size];
  char printed[64];
  for (uint64_t bits = first; bits < (uint64_t{1} << 32); bits += step) {
    float value = std::bit_cast<float>(static_cast<uint32_t>(bits));
    if (!std::isfinite(value)) continue;
    size_t size = mapjass::formatFloatG6(fast, value);
    int printedSize = std::snprintf(printed, sizeof printed, "%.6g", static_cast<double>(value));
    bool same;
    if (std::memchr(printed, 'e', static_cast<size_t>(printedSize)) == nullptr) {
      same = size == static_cast<size_t>(printedSize) && std::memcmp(fast, printed, size) == 0;
    } else {
      size_t referenceSize = mapjass::formatFloatG6Reference(reference, value);
      same = size == referenceSize && std::memcmp(fast, reference, size) == 0 &&
             std::strtod(std::string(fast, size).c_str(), nullptr) == std::strtod(printed, nullptr);
    }
    if (!same) {
      if (++mismatches <= 10) {
        std::printf("mismatch at 0x%08x: %.*s, printf %s\n", static_cast<unsigned>(bits),
                    static_cast<int>(size), fast, printed);
      }
    }
  }
  return mismatches;
}

}  // namespace

int main() {
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<uint64_t> results(threads);
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([t, threads, &results] { results[t] = check(t, threads); });
  }
  uint64_t mismatches = 0;
  for (unsigned t = 0; t < threads; ++t) {
    workers[t].join();
    mismatches += results[t];
  }
  std::printf("checked all 2^32 float bit patterns on %u threads: %llu mismatches\n", threads,
              static_cast<unsigned long long>(mismatches));
  return mismatches == 0 ? 0 : 1;
}
