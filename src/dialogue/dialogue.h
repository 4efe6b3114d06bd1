// The questions at the start of a run.
//
// Answers are tokens of one input stream, read the way scanf reads "%d" and
// "%s". Once an answer fails, every later question of the run still shows
// its prompt but fails at once without reading, leaving its default.
#pragma once

#include <cstdio>
#include <string>

#include "base/run_options.h"

namespace mapjass {

struct Dialogue {
  std::FILE* in;
  std::FILE* out;
  bool failed = false;  // sticky for the rest of the run
};

// Shows `prompt`, then reads 0 (no) or 1 (yes) into `flag`. Anything else
// fails and leaves `flag` as it was.
void askYesNo(Dialogue& dialogue, const char* prompt, bool& flag);

// Shows `prompt`, then reads one word, up to the next white space, into
// `text`. Fails and leaves `text` as it was when the input ends first.
void askWord(Dialogue& dialogue, const char* prompt, std::string& text);

// Asks up to ten questions, each only when the earlier answers call for it.
RunOptions collectRunOptions(Dialogue& dialogue);

}  // namespace mapjass
