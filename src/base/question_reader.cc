#include "base/question_reader.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace mapjass {

namespace {

bool isSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(int c) {
  return c >= '0' && c <= '9';
}

// Skips white space across any number of lines; returns the first other
// character (left in the input), or EOF. `lineEnd` tells whether a line end
// was among what was skipped.
int skipSpace(std::FILE* in, bool& lineEnd) {
  int c;
  lineEnd = false;
  do {
    c = std::getc(in);
    lineEnd = lineEnd || c == '\n' || c == '\r';
  } while (isSpace(c));
  if (c != EOF) std::ungetc(c, in);
  return c;
}

// The question as its prompt reads it, without the line break before it and
// the choices after it: "Convert war3map.doo to JASS?".
std::string_view questionOf(std::string_view prompt) {
  if (prompt.starts_with('\n')) prompt.remove_prefix(1);
  return prompt.substr(0, prompt.find('?') + 1);
}

// An answer that is neither 0 nor 1 keeps this question and every later one
// at no, silently as far as the questions go: the user must still be told,
// or a run that writes nothing looks like one that worked.
void warnAboutAnswer(Dialogue& dialogue, const char* prompt, const std::string& answer,
                     const std::string& wordBefore) {
  constexpr size_t kShown = 40;
  std::string shown = answer.size() > kShown ? answer.substr(0, kShown) + "..." : answer;
  std::string line = "the answer \"" + shown + "\" to \"" + std::string(questionOf(prompt)) +
                     "\" is neither 1 (yes) nor 0 (no), so that question and every later one "
                     "keep \"no\"";
  if (!wordBefore.empty()) {
    line += "; a function name is one word, so the name was taken as \"" + wordBefore + "\"";
  }
  dialogue.console.warn(line);
  dialogue.warned = true;
}

}  // namespace

void askYesNo(Dialogue& dialogue, const char* prompt, bool& flag) {
  dialogue.console.print(prompt);
  const std::string wordBefore = std::move(dialogue.wordBefore);
  dialogue.wordBefore.clear();
  if (dialogue.failed) return;
  std::FILE* in = dialogue.console.in();
  bool lineEnd;
  int c = skipSpace(in, lineEnd);
  if (c == EOF) {
    dialogue.failed = true;
    return;
  }
  std::string answer;
  c = std::getc(in);
  bool negative = c == '-';
  if (c == '+' || c == '-') {
    answer.push_back(static_cast<char>(c));
    c = std::getc(in);
  }
  // Only 0 and 1 are answers, so the magnitude is capped rather than allowed
  // to wrap: 4294967297 must not come out as 1.
  bool anyDigit = false;
  unsigned magnitude = 0;
  while (isDigit(c)) {
    anyDigit = true;
    answer.push_back(static_cast<char>(c));
    if (magnitude < 10) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    c = std::getc(in);
  }
  if (!anyDigit || magnitude > 1 || (negative && magnitude == 1)) {
    dialogue.failed = true;
    if (dialogue.warnAboutAnswers) {
      // The rest of the word, to quote it whole: no later question reads
      // the input once an answer has failed.
      for (; c != EOF && !isSpace(c); c = std::getc(in)) answer.push_back(static_cast<char>(c));
      warnAboutAnswer(dialogue, prompt, answer, lineEnd ? "" : wordBefore);
    }
    if (c != EOF) std::ungetc(c, in);
    return;
  }
  if (c != EOF) std::ungetc(c, in);  // the character after the number stays for the next answer
  flag = magnitude == 1;
}

void askWord(Dialogue& dialogue, const char* prompt, std::string& text) {
  dialogue.console.print(prompt);
  dialogue.wordBefore.clear();
  if (dialogue.failed) return;
  std::FILE* in = dialogue.console.in();
  bool lineEnd;
  if (skipSpace(in, lineEnd) == EOF) {
    dialogue.failed = true;
    return;
  }
  text.clear();
  int c;
  while ((c = std::getc(in)) != EOF && !isSpace(c)) text.push_back(static_cast<char>(c));
  if (c != EOF) std::ungetc(c, in);
  dialogue.wordBefore = text;
}

}  // namespace mapjass
