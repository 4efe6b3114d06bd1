#include "mapjass/dialogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "test_support.h"

namespace mapjass {
namespace {

using namespace testing;

// The answers as one line: the flags as 0 or 1 in question order, the two
// words in brackets.
std::string describe(const RunOptions& o) {
  std::string flags;
  for (bool flag :
       {o.convertDoodads, o.convertDoodadVersion, o.wrapInFunction, o.createEmptyDoodadFile,
        o.backupDoodadFile, o.convertTerrain, o.texturesOnly, o.filterEnabled}) {
    flags += flag ? '1' : '0';
  }
  return flags + " [" + o.functionName + "] [" + o.filterTexture + "]";
}

// What the questions made of `input`: the answers, the prompts (by number)
// and what they left in the input.
std::string ask(const std::string& input) {
  std::FILE* in = input.empty() ? std::fopen("/dev/null", "r")
                                : fmemopen(const_cast<char*>(input.data()), input.size(), "r");
  RunOptions options;
  std::string warnings;
  std::string output = consoleOutput([&](std::FILE* out) {
    warnings = consoleOutput([&](std::FILE* err) {
      Console console(in, out, err);
      Dialogue dialogue(console, true);
      options = collectRunOptions(dialogue);
    });
  });
  std::string rest;
  for (int c; (c = std::getc(in)) != EOF;) rest.push_back(static_cast<char>(c));
  std::fclose(in);
  const char* prompts[] = {kQ1, kQ2, kQ3, kQ4, kQ5, kQ6, kQ7, kQ8, kQ9, kQ10};
  std::string asked;
  for (size_t at = 0; at < output.size();) {
    int number = 0;
    while (number < 10 && output.compare(at, std::strlen(prompts[number]), prompts[number]) != 0) {
      ++number;
    }
    if (number == 10) return "unexpected output: " + output.substr(at);
    asked += std::to_string(number + 1) + " ";
    at += std::strlen(prompts[number]);
  }
  // A warning shows as the answer it quotes, the question it names, and the
  // name that the function name note gives, if any.
  const std::string warning =
      "warning: the answer \"{}\" to \"{}\" is neither 1 (yes) nor 0 (no), so that question and "
      "every later one keep \"no\"{}\n";
  const std::string name = "; a function name is one word, so the name was taken as \"{}\"";
  std::vector<std::string> parts, named;
  std::string warned;
  if (matchesPattern(warnings, warning, parts)) {
    warned = " warned [" + parts[0] + "] at [" + parts[1] + "]" +
             (matchesPattern(parts[2], name, named) ? " name [" + named[0] + "]" : parts[2]);
  } else if (!warnings.empty()) {
    warned = " unexpected warnings: " + warnings;
  }
  return describe(options) + " asked " + asked + "left [" + rest + "]" + warned;
}

TEST(Dialogue, AsksWhatTheAnswersCallFor) {
  auto at1 = [](const std::string& answer) {
    return " warned [" + answer + "] at [Convert war3map.doo to JASS?]";
  };
  const std::pair<std::string, std::string> cases[] = {
      {"0 0", "00000000 [] [] asked 1 7 left []"},
      {"", "00000000 [] [] asked 1 7 left []"},
      {"y 1", "00000000 [] [] asked 1 7 left [ 1]" + at1("y")},  // the word is quoted whole
      {"2 1", "00000000 [] [] asked 1 7 left [ 1]" + at1("2")},
      {"-1 1", "00000000 [] [] asked 1 7 left [ 1]" + at1("-1")},
      {"+ 1", "00000000 [] [] asked 1 7 left [ 1]" + at1("+")},
      {"4294967297 1", "00000000 [] [] asked 1 7 left [ 1]" + at1("4294967297")},  // no wrap
      {"yes" + std::string(50, 's'),
       "00000000 [] [] asked 1 7 left []" + at1("yes" + std::string(37, 's') + "...")},
      {"1 0 0 0 0 0x", "10000000 [] [] asked 1 2 3 5 6 7 left [x]"},
      {"1 x 1 1 1 1",
       "10000000 [] [] asked 1 2 3 5 6 7 left [ 1 1 1 1] warned [x] at [Convert war3map.doo to "
       "old version?]"},
      {"1abc 1",
       "10000000 [] [] asked 1 2 3 5 6 7 left [ 1] warned [abc] at [Convert war3map.doo to old "
       "version?]"},
      {"01 +1 -0 00 0 0\n", "11000000 [] [] asked 1 2 3 5 6 7 left [\n]"},
      {"\n 1\t\r\n1\v0\f1\r1\n1 0", "11011100 [] [] asked 1 2 3 5 6 7 8 left []"},
      {"1 0 1 Init Doodads 1 1 1",
       "10100000 [Init] [] asked 1 2 3 4 5 6 7 left [ 1 1 1] warned [Doodads] at [Create empty "
       "war3map.doo?] name [Init]"},
      {"1 0 1 Init\n 2",
       "10100000 [Init] [] asked 1 2 3 4 5 6 7 left [] warned [2] at [Create "
       "empty war3map.doo?]"},
      {"1 0 1 Init 1 x",
       "10110000 [Init] [] asked 1 2 3 4 5 6 7 left [] warned [x] at [Create "
       "backup war3map.doo?]"},
      {"1 0 1", "10100000 [] [] asked 1 2 3 4 5 6 7 left []"},
      {"0 1 0 1", "00000100 [] [] asked 1 7 8 left [ 1]"},
      {"0 1 1 0", "00000110 [] [] asked 1 7 8 9 left []"},
      {"1 1 1 Init 1 1 1 1 1 lDRT\xff",
       "11111111 [Init] [lDRT\xff] asked 1 2 3 4 5 6 7 8 9 10 left []"},
      {"1 0 1 " + std::string(200'000, 'N') + " 0",
       "10100000 [" + std::string(200'000, 'N') + "] [] asked 1 2 3 4 5 6 7 left []"},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(ask(input), expected) << input;
}

}  // namespace
}  // namespace mapjass
