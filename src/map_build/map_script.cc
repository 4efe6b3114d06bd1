#include "map_build/map_script.h"

#include <string_view>
#include <vector>

#include "base/jass_lines.h"

namespace mapjass {

namespace {

struct Line {
  size_t start, end;  // the text, without its line end
  size_t next;        // where the next line starts
};

// The lines of `text`, which may end in CR LF, LF or CR alone: editors,
// other build tools and map optimisers write each of them.
std::vector<Line> linesOf(const std::string& text) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    lines.push_back({start, end, next});
    start = next;
  }
  return lines;
}

// The words of a line, up to a comment.
std::vector<std::string_view> wordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  line = line.substr(0, line.find("//"));
  for (size_t at = 0; at < line.size();) {
    while (at < line.size() && isBlank(line[at])) ++at;
    size_t end = at;
    while (end < line.size() && !isBlank(line[end]) && line[end] != '(' && line[end] != '=') ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end == at ? at + 1 : end;
  }
  return words;
}

// The name that a line defines, if it does: a function or a native, or a
// global inside the globals block.
std::string_view definedName(const std::vector<std::string_view>& words, bool inGlobals) {
  size_t at = !words.empty() && words[0] == "constant" ? 1 : 0;
  if (at < words.size() && (words[at] == "function" || words[at] == "native")) {
    return at + 1 < words.size() ? words[at + 1] : std::string_view();
  }
  if (!inGlobals || at >= words.size()) return {};
  ++at;  // the type
  if (at < words.size() && words[at] == "array") ++at;
  return at < words.size() ? words[at] : std::string_view();
}

}  // namespace

bool definesName(const std::string& script, std::string_view name) {
  bool inGlobals = false;
  for (const Line& line : linesOf(script)) {
    std::vector<std::string_view> words =
        wordsOf(std::string_view(script).substr(line.start, line.end - line.start));
    if (!words.empty() && words[0] == "globals") inGlobals = true;
    if (!words.empty() && words[0] == "endglobals") inGlobals = false;
    if (definedName(words, inGlobals) == name) return true;
  }
  return false;
}

Status insertIntoMain(const std::string& name, const std::string& block, const std::string& call,
                      const std::string& reservedPrefix, std::string& script) {
  std::vector<Line> lines = linesOf(script);
  auto text = [&](const Line& line) {
    return std::string_view(script).substr(line.start, line.end - line.start);
  };
  size_t main = lines.size();
  bool inGlobals = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::vector<std::string_view> words = wordsOf(text(lines[i]));
    if (!words.empty() && words[0] == "globals") inGlobals = true;
    if (!words.empty() && words[0] == "endglobals") inGlobals = false;
    if (std::string_view defined = definedName(words, inGlobals);
        defined.starts_with(reservedPrefix)) {
      return Status::failure(name + ": line " + std::to_string(i + 1) + " defines " +
                             std::string(defined) +
                             " already: the map was built by mapjass-build before; build the "
                             "map it was built from instead");
    }
    std::string_view line = withoutLeadingBlanks(text(lines[i]));
    if (main == lines.size() && line.starts_with(kMainHead)) {
      std::string_view rest = line.substr(std::string_view(kMainHead).size());
      if (rest.empty() || isBlank(rest[0]) || rest.starts_with("//")) main = i;
    }
  }
  if (main == lines.size()) {
    return Status::failure(name + ": has no line \"" + kMainHead +
                           "\", which the game starts the map with; build a map that the World "
                           "Editor saved");
  }
  // After main's locals: JASS wants them first, so the call is the first
  // statement that can come.
  size_t after = main;
  for (size_t i = main + 1; i < lines.size(); ++i) {
    std::vector<std::string_view> words = wordsOf(text(lines[i]));
    if (words.empty()) continue;
    if (words[0] != "local") break;
    after = i;
  }
  const Line& head = lines[main];
  std::string lineEnd = script.substr(head.end, head.next - head.end);
  if (lineEnd.empty()) lineEnd = "\r\n";
  std::string ended;
  for (size_t start = 0; start < block.size();) {
    size_t end = block.find('\n', start);
    ended.append(block, start, end - start).append(lineEnd);
    start = end + 1;
  }
  // A last line without a line end gets one before the call.
  const Line& last = lines[after];
  script.insert(last.next, (last.next == last.end ? lineEnd : "") + call + lineEnd);
  script.insert(head.start, ended);
  return Status::success();
}

}  // namespace mapjass
