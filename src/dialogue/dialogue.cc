#include "dialogue/dialogue.h"

namespace mapjass {

namespace {

bool isSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(int c) {
  return c >= '0' && c <= '9';
}

void showPrompt(Dialogue& dialogue, const char* prompt) {
  std::fputs(prompt, dialogue.out);
  std::fflush(dialogue.out);  // visible before the program waits for input
}

// Skips white space across any number of lines; returns the first other
// character (left in the input), or EOF.
int skipSpace(std::FILE* in) {
  int c;
  do {
    c = std::getc(in);
  } while (isSpace(c));
  if (c != EOF) std::ungetc(c, in);
  return c;
}

}  // namespace

void askYesNo(Dialogue& dialogue, const char* prompt, bool& flag) {
  showPrompt(dialogue, prompt);
  if (dialogue.failed) return;
  std::FILE* in = dialogue.in;
  int c = skipSpace(in);
  if (c == EOF) {
    dialogue.failed = true;
    return;
  }
  c = std::getc(in);
  bool negative = c == '-';
  if (c == '+' || c == '-') c = std::getc(in);
  // Only 0 and 1 are answers, so the magnitude is capped rather than allowed
  // to wrap: 4294967297 must not come out as 1.
  bool anyDigit = false;
  unsigned magnitude = 0;
  while (isDigit(c)) {
    anyDigit = true;
    if (magnitude < 10) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
    c = std::getc(in);
  }
  if (c != EOF) std::ungetc(c, in);  // the character after the number stays for the next answer
  if (!anyDigit || magnitude > 1 || (negative && magnitude == 1)) {
    dialogue.failed = true;
    return;
  }
  flag = magnitude == 1;
}

void askWord(Dialogue& dialogue, const char* prompt, std::string& text) {
  showPrompt(dialogue, prompt);
  if (dialogue.failed) return;
  std::FILE* in = dialogue.in;
  if (skipSpace(in) == EOF) {
    dialogue.failed = true;
    return;
  }
  text.clear();
  int c;
  while ((c = std::getc(in)) != EOF && !isSpace(c)) text.push_back(static_cast<char>(c));
  if (c != EOF) std::ungetc(c, in);
}

RunOptions collectRunOptions(Dialogue& dialogue) {
  RunOptions options;
  askYesNo(dialogue, "\nConvert war3map.doo to JASS?  1-yes 0-no:", options.convertDoodads);
  if (options.convertDoodads) {
    askYesNo(dialogue,
             "\nConvert war3map.doo to old version?  1-yes 0-no:", options.convertDoodadVersion);
    askYesNo(dialogue, "\nCreate \"function ... list ... endfunction\"?  1-yes 0-no:",
             options.wrapInFunction);
    if (options.wrapInFunction) askWord(dialogue, "\nFuncName: ", options.functionName);
    askYesNo(dialogue, "\nCreate empty war3map.doo?   1-yes 0-no:", options.createEmptyDoodadFile);
    // The line "1 3" is not a mistake to tidy away: the console text is kept
    // byte for byte, and whatever reads it may rely on this line.
    std::fprintf(dialogue.out, "\n%d %d", 1, 3);
    askYesNo(dialogue, "\nCreate backup war3map.doo?   1-yes 0-no:", options.backupDoodadFile);
  }
  askYesNo(dialogue, "\nConvert war3map.w3e to JASS?  1-yes 0-no:", options.convertTerrain);
  if (options.convertTerrain) {
    askYesNo(dialogue, "\nOnly textures?  1-yes 0-no:", options.texturesOnly);
    if (options.texturesOnly) {
      askYesNo(dialogue, "\nEnable filter?  1-yes 0-no:", options.filterEnabled);
      if (options.filterEnabled) {
        askWord(dialogue, "\nEnter filter(example:Ldrt):", options.filterTexture);
      }
    }
  }
  return options;
}

}  // namespace mapjass
