#include "map_build/map_script.h"

#include <cstdint>
#include <iterator>

#include "map_build/destructables.h"
#include "map_build/script_lines.h"

namespace mapjass {

namespace {

constexpr std::string_view kMainWords[] = {"function", "main",    "takes",
                                           "nothing",  "returns", "nothing"};

bool isMainHead(const ScriptLine& line) {
  if (line.inString || line.wordCount != std::size(kMainWords)) return false;
  for (size_t i = 0; i < std::size(kMainWords); ++i) {
    if (line.words[i] != kMainWords[i]) return false;
  }
  return true;
}

// The name that `line` defines, if it does: a function, a native or a type,
// or a global inside the globals block, which `inGlobals` follows.
std::string_view definedName(const ScriptLine& line, bool& inGlobals) {
  if (line.inString) return {};
  if (line.word(0) == "globals" || line.word(0) == "endglobals") {
    inGlobals = line.word(0) == "globals";
    return {};
  }
  size_t at = line.word(0) == "constant" ? 1 : 0;
  if (line.word(at) == "function" || line.word(at) == "native") return line.word(at + 1);
  if (line.word(0) == "type") return line.word(1);
  if (!inGlobals || line.wordCount == 0) return {};
  ++at;  // the type
  if (line.word(at) == "array") ++at;
  return line.word(at);
}

}  // namespace

bool definesName(const std::string& script, std::string_view name) {
  ScriptLineReader reader(script);
  ScriptLine line;
  bool inGlobals = false;
  while (reader.next(line)) {
    if (definedName(line, inGlobals) == name) return true;
  }
  return false;
}

Status insertIntoMain(const std::string& name, const std::string& block, const std::string& call,
                      const std::string& reservedPrefix, std::string& script) {
  ScriptLineReader reader(script);
  ScriptLine line, head, after;
  bool inGlobals = false, found = false;
  // Main's locals come first, so the call goes after the last of them: the
  // first statement that JASS allows there. A local's string may span lines.
  bool inLocals = false;
  for (int64_t number = 1; reader.next(line); ++number) {
    if (std::string_view defined = definedName(line, inGlobals);
        !defined.empty() && defined.starts_with(reservedPrefix)) {
      return Status::failure(name + ": line " + std::to_string(number) + " defines " +
                             std::string(defined) + kReservedNameAdvice + std::string(defined));
    }
    if (inLocals) {
      if (line.inString || line.word(0) == "local") {
        after = line;
      } else if (line.wordCount > 0) {
        inLocals = false;
      }
    } else if (!found && isMainHead(line)) {
      head = after = line;
      found = inLocals = true;
    }
  }
  if (!found) {
    return Status::failure(name + ": has no line \"" + kMainHead +
                           "\", which the game starts the map with; build a map that the World "
                           "Editor saved");
  }
  const std::string lineEnd = mostCommonLineEnd(reader.lineEnds);
  std::string built;
  built.reserve(script.size() + block.size() * 2 + call.size() + 4);
  built.append(script, 0, head.start).append(withLineEnds(block, lineEnd));
  built.append(script, head.start, after.next - head.start);
  // A last line without a line end gets one before the call.
  if (after.next == after.end) built += lineEnd;
  built.append(call).append(lineEnd).append(script, after.next);
  script = std::move(built);
  return Status::success();
}

}  // namespace mapjass
