// Lines of the scripts are assembled from fixed pieces of text and numbers.
#pragma once

#include <cstddef>
#include <cstring>

namespace mapjass {

// Copies a string literal without its terminator to `p` and returns the end.
// The size is known when compiling, so the copy is a few plain moves.
template <size_t N>
char* put(char* p, const char (&text)[N]) {
  std::memcpy(p, text, N - 1);
  return p + N - 1;
}

}  // namespace mapjass
