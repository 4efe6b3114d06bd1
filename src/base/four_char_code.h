// Four-character ids (doodad types, tilesets, file signatures) are four raw
// bytes without a terminator.
#pragma once

#include <cstddef>

namespace mapjass {

// How many of the id's characters "%.4s" prints: all four, or fewer when a
// zero byte comes first.
inline size_t fourCharCodeLength(const char* id) {
  size_t n = 0;
  while (n < 4 && id[n] != '\0') ++n;
  return n;
}

}  // namespace mapjass
