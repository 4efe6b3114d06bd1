// Questions asked on the console and answered on standard input.
//
// Answers are tokens of one input stream, read the way scanf reads "%d" and
// "%s", so several may be typed ahead on one line. Once an answer fails,
// every later question of the run still shows its prompt but fails at once
// without reading, leaving its default.
#pragma once

#include <string>

#include "base/console.h"

namespace mapjass {

struct Dialogue {
  // With `warnAboutAnswers`, an answer that is neither 0 nor 1 is said in a
  // warning; input that ends early is not.
  explicit Dialogue(Console& console, bool warnAboutAnswers = false)
      : console(console), warnAboutAnswers(warnAboutAnswers) {}

  Console& console;
  const bool warnAboutAnswers;
  bool failed = false;  // sticky for the rest of the run
  bool warned = false;  // a warning about an answer was given
  // The word that askWord() read last, while the answer right after it
  // stands on the same line: typed as one answer with it, most likely.
  std::string wordBefore;
};

// Shows `prompt`, then reads 0 (no) or 1 (yes) into `flag`. Anything else
// fails and leaves `flag` as it was.
void askYesNo(Dialogue& dialogue, const char* prompt, bool& flag);

// Shows `prompt`, then reads one word, up to the next white space, into
// `text`. Fails and leaves `text` as it was when the input ends first.
void askWord(Dialogue& dialogue, const char* prompt, std::string& text);

}  // namespace mapjass
