// The line ends of a map's script, which the editor, other build tools and
// map optimisers write as CR LF, LF or CR alone. Lines that a build puts
// into a script end as most of its lines do.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mapjass {

inline bool isLineEnd(char c) {
  return c == '\n' || c == '\r';
}

struct LineEndCounts {
  size_t crLf = 0, lf = 0, cr = 0;

  // Counts the line end at `at` in `text`, and gives how long it is.
  size_t count(std::string_view text, size_t at) {
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
      ++crLf;
      return 2;
    }
    ++(text[at] == '\n' ? lf : cr);
    return 1;
  }
};

// The most common; CR LF on a tie, or when no line has one, as the editor
// writes.
std::string mostCommonLineEnd(const LineEndCounts& counts);

// `lines`, each ended by "\n", with each "\n" made `lineEnd`.
std::string withLineEnds(std::string_view lines, const std::string& lineEnd);

}  // namespace mapjass
