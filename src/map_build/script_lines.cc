#include "map_build/script_lines.h"

#include "base/jass_lines.h"

namespace mapjass {

namespace {}  // namespace

bool ScriptLineReader::passLiteral(size_t& at, char quote) const {
  while (at < script_.size() && !isLineEnd(script_[at])) {
    char c = script_[at++];
    if (c == quote) return true;
    // An escape: \" and \\ do not end the string, nor \' a rawcode.
    if (c == '\\' && at < script_.size() && !isLineEnd(script_[at])) ++at;
  }
  return false;
}

bool ScriptLineReader::next(ScriptLine& line) {
  if (at_ >= script_.size()) return false;
  line.start = at_;
  line.inString = inString_;
  line.wordCount = 0;
  size_t at = at_;
  if (inString_) inString_ = !passLiteral(at, '"');
  auto addWord = [&](size_t start, size_t end) {
    if (line.wordCount < ScriptLine::kKeptWords) {
      line.words[line.wordCount] = script_.substr(start, end - start);
    }
    ++line.wordCount;
  };
  while (at < script_.size() && !isLineEnd(script_[at])) {
    const char c = script_[at];
    const size_t start = at;
    if (isBlank(c)) {
      ++at;
    } else if (c == '/' && at + 1 < script_.size() && script_[at + 1] == '/') {
      while (at < script_.size() && !isLineEnd(script_[at])) ++at;
    } else if (c == '"' || c == '\'') {
      ++at;
      // A string goes on over the line end; a rawcode does not.
      if (!passLiteral(at, c) && c == '"') inString_ = true;
      addWord(start, at);
    } else if (isNameCharacter(c)) {
      while (at < script_.size() && isNameCharacter(script_[at])) ++at;
      addWord(start, at);
    } else {
      addWord(start, ++at);
    }
  }
  line.end = at;
  if (at < script_.size()) at += lineEnds.count(script_, at);
  line.next = at_ = at;
  return true;
}

}  // namespace mapjass
