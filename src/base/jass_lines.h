// The blanks of a line of JASS script: spaces and tabs, which the editor and
// pjass pass over between words.
#pragma once

#include <string_view>

namespace mapjass {

inline bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

inline std::string_view withoutLeadingBlanks(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && isBlank(line[start])) ++start;
  return line.substr(start);
}

}  // namespace mapjass
