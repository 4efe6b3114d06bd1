#include "map_build/line_ends.h"

namespace mapjass {

std::string mostCommonLineEnd(const LineEndCounts& counts) {
  if (counts.lf > counts.crLf && counts.lf > counts.cr) return "\n";
  if (counts.cr > counts.crLf && counts.cr > counts.lf) return "\r";
  return "\r\n";
}

std::string withLineEnds(std::string_view lines, const std::string& lineEnd) {
  std::string ended;
  ended.reserve(lines.size() * 2);
  for (size_t start = 0; start < lines.size();) {
    size_t end = lines.find('\n', start);
    if (end == std::string_view::npos) end = lines.size();
    ended.append(lines, start, end - start).append(lineEnd);
    start = end + 1;
  }
  return ended;
}

}  // namespace mapjass
