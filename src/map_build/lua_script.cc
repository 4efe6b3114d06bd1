#include "map_build/lua_script.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/jass_lines.h"
#include "map_build/destructables.h"
#include "map_build/line_ends.h"

namespace mapjass {

namespace {

// What one pass over the script finds besides its names.
struct LuaScan {
  std::vector<size_t> mainStarts;  // where each line "function main()" starts
  std::vector<int64_t> mainLines;  // and its number, from 1
  LineEndCounts lineEnds;
};

// The level of the long bracket ("[[", "[=[", ...) that opens at `at`, or
// -1 when none does.
int64_t openingLevel(std::string_view s, size_t at) {
  size_t i = at + 1;
  while (i < s.size() && s[i] == '=') ++i;
  return i < s.size() && s[at] == '[' && s[i] == '[' ? static_cast<int64_t>(i - at - 1) : -1;
}

// Whether the long bracket of `level` closes at `at`.
bool closes(std::string_view s, size_t at, int64_t level) {
  size_t i = at + 1;
  while (i < s.size() && s[i] == '=') ++i;
  return i < s.size() && s[i] == ']' && static_cast<int64_t>(i - at - 1) == level;
}

// Whether what follows a "function" at a line's start makes it main's head:
// blanks, "main", optional blanks, "()".
bool isMainHead(std::string_view rest) {
  size_t i = 0;
  while (i < rest.size() && isBlank(rest[i])) ++i;
  if (i == 0 || rest.substr(i, 4) != "main") return false;
  i += 4;
  while (i < rest.size() && isBlank(rest[i])) ++i;
  return rest.substr(i, 2) == "()";
}

// Hands each name of the code to `onName(name, line)` until it returns
// true, and notes main's heads and the line ends on the way.
template <typename OnName>
void scanLua(std::string_view s, LuaScan& scan, OnName onName) {
  enum class State { kCode, kLineComment, kLong, kQuoted } state = State::kCode;
  char quote = 0;
  int64_t level = 0;
  int64_t line = 1;
  size_t lineStart = 0;
  for (size_t i = 0; i < s.size();) {
    char c = s[i];
    if (isLineEnd(c)) {
      i += scan.lineEnds.count(s, i);
      ++line;
      lineStart = i;
      if (state == State::kLineComment) state = State::kCode;
      continue;
    }
    switch (state) {
      case State::kLineComment:
        ++i;
        break;
      case State::kQuoted:
        if (c == quote) state = State::kCode;
        // An escape takes the next character, unless that ends the line:
        // the line end is counted above, and the string goes on.
        i += c == '\\' && i + 1 < s.size() && !isLineEnd(s[i + 1]) ? 2 : 1;
        break;
      case State::kLong:
        if (c == ']' && closes(s, i, level)) {
          state = State::kCode;
          i += static_cast<size_t>(level) + 2;
        } else {
          ++i;
        }
        break;
      case State::kCode:
        if (c == '-' && s.substr(i, 2) == "--") {
          level = openingLevel(s, i + 2);
          state = level >= 0 ? State::kLong : State::kLineComment;
          i += level >= 0 ? static_cast<size_t>(level) + 4 : 2;
        } else if (c == '[' && (level = openingLevel(s, i)) >= 0) {
          state = State::kLong;
          i += static_cast<size_t>(level) + 2;
        } else if (c == '"' || c == '\'') {
          state = State::kQuoted;
          quote = c;
          ++i;
        } else if (isNameCharacter(c)) {
          size_t end = i;
          while (end < s.size() && isNameCharacter(s[end])) ++end;
          std::string_view word = s.substr(i, end - i);
          if (i == lineStart && word == "function" && isMainHead(s.substr(end))) {
            scan.mainStarts.push_back(i);
            scan.mainLines.push_back(line);
          }
          // A number ("1e5") comes here too: it starts with no name's letter.
          if (onName(word, line)) return;
          i = end;
        } else {
          ++i;
        }
        break;
    }
  }
}

// "12", "12 and 40", "12, 40 and 55".
std::string listed(const std::vector<int64_t>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + std::to_string(numbers[i]);
  }
  return text;
}

// Where the line that starts at `start` ends, and where the next one starts.
std::pair<size_t, size_t> lineEndAt(const std::string& s, size_t start) {
  size_t end = std::min(s.find_first_of("\r\n", start), s.size());
  size_t next = end == s.size() ? end : end + (s.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  return {end, next};
}

}  // namespace

Status insertIntoLuaMain(const std::string& name, const std::string& block, const std::string& call,
                         const std::string& reservedPrefix, std::string& script) {
  LuaScan scan;
  std::string reserved;
  int64_t reservedLine = 0;
  scanLua(script, scan, [&](std::string_view word, int64_t line) {
    if (!word.starts_with(reservedPrefix)) return false;
    reserved = word;
    reservedLine = line;
    return true;
  });
  if (!reserved.empty()) {
    return Status::failure(name + ": line " + std::to_string(reservedLine) + " uses " + reserved +
                           kReservedNameAdvice + reserved);
  }
  if (scan.mainStarts.empty()) {
    return Status::failure(name + ": has no line \"" + kLuaMainHead +
                           "\", which the game starts the map with; build a map that the World "
                           "Editor saved");
  }
  if (scan.mainStarts.size() > 1) {
    return Status::failure(name + ": lines " + listed(scan.mainLines) + " each start a \"" +
                           kLuaMainHead +
                           "\", so which one the game starts the map with cannot be told; keep "
                           "the World Editor's main alone and build again");
  }
  const std::string lineEnd = mostCommonLineEnd(scan.lineEnds);
  const size_t head = scan.mainStarts[0];
  const auto [headEnd, next] = lineEndAt(script, head);
  std::string_view after =
      std::string_view(script).substr(next, lineEndAt(script, next).first - next);
  std::string_view code = withoutLeadingBlanks(after);
  bool isEnd = code.starts_with("end") && (code.size() == 3 || !isNameCharacter(code[3]));
  std::string indent = next == script.size() || isEnd
                           ? "    "
                           : std::string(after.substr(0, after.size() - code.size()));
  script.insert(next, (next == headEnd ? lineEnd : "") + indent + call + lineEnd);
  script.insert(head, withLineEnds(block, lineEnd));
  return Status::success();
}

bool luaDefinesName(const std::string& script, std::string_view name) {
  LuaScan scan;
  bool found = false;
  scanLua(script, scan, [&](std::string_view word, int64_t) { return found = word == name; });
  return found;
}

}  // namespace mapjass
