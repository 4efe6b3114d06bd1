// The lines of a map's JASS script as the game reads them: a string may
// span lines, and neither a comment nor a line end inside a string ends it;
// `//` starts a comment only outside strings and rawcodes ('A"bc').
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "map_build/line_ends.h"

namespace mapjass {

struct ScriptLine {
  // Enough to tell main's header and every kind of definition.
  static constexpr size_t kKeptWords = 7;

  size_t start = 0, end = 0;  // the text, without its line end
  size_t next = 0;            // where the next line starts
  bool inString = false;      // starts inside a string that a line before opened
  // The words up to a comment: names and numbers, a string or rawcode each,
  // and every other sign on its own. `wordCount` counts all of them.
  std::array<std::string_view, kKeptWords> words;
  size_t wordCount = 0;

  std::string_view word(size_t i) const { return i < wordCount && i < kKeptWords ? words[i] : ""; }
};

// Hands out the lines of a script one by one, in one pass. Lines may end in
// CR LF, LF or CR alone: editors, other build tools and map optimisers
// write each of them.
class ScriptLineReader {
 public:
  explicit ScriptLineReader(std::string_view script) : script_(script) {}

  // False after the last line.
  bool next(ScriptLine& line);

  // How many of the lines handed out end in CR LF, LF and CR alone.
  LineEndCounts lineEnds;

 private:
  // Moves `at`, inside a string or rawcode that `quote` opened, past its
  // closing quote, or to the line end. Whether it found the quote.
  bool passLiteral(size_t& at, char quote) const;

  std::string_view script_;
  size_t at_ = 0;
  bool inString_ = false;
};

}  // namespace mapjass
