// The blanks of a line of JASS script: spaces and tabs, which the editor and
// pjass pass over between words.
#pragma once

#include <string_view>

namespace mapjass {

inline bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// A letter, digit or underscore: what names are made of, in JASS as in Lua.
// Not std::isalnum(): a call into the C library for each byte was a third
// of the split's time.
inline bool isNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

inline std::string_view withoutLeadingBlanks(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && isBlank(line[start])) ++start;
  return line.substr(start);
}

}  // namespace mapjass
