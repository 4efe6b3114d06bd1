#include "dialogue/dialogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace mapjass {
namespace {

constexpr char Q1[] = "\nConvert war3map.doo to JASS?  1-yes 0-no:";
constexpr char Q2[] = "\nConvert war3map.doo to old version?  1-yes 0-no:";
constexpr char Q3[] = "\nCreate \"function ... list ... endfunction\"?  1-yes 0-no:";
constexpr char Q4[] = "\nFuncName: ";
constexpr char Q5[] = "\nCreate empty war3map.doo?   1-yes 0-no:";
constexpr char EXTRA[] = "\n1 3";
constexpr char Q6[] = "\nCreate backup war3map.doo?   1-yes 0-no:";
constexpr char Q7[] = "\nConvert war3map.w3e to JASS?  1-yes 0-no:";
constexpr char Q8[] = "\nOnly textures?  1-yes 0-no:";
constexpr char Q9[] = "\nEnable filter?  1-yes 0-no:";
constexpr char Q10[] = "\nEnter filter(example:Ldrt):";

struct Outcome {
  RunOptions options;
  std::string output;
  std::string leftOver;
};

Outcome ask(const std::string& input) {
  std::FILE* in = input.empty() ? std::fopen("/dev/null", "r")
                                : fmemopen(const_cast<char*>(input.data()), input.size(), "r");
  Outcome outcome;
  outcome.output = testing::consoleOutput([&](std::FILE* out) {
    Dialogue dialogue{in, out};
    outcome.options = collectRunOptions(dialogue);
  });
  int c;
  while ((c = std::getc(in)) != EOF) outcome.leftOver.push_back(static_cast<char>(c));
  std::fclose(in);
  return outcome;
}

RunOptions doodadsOnly() {
  RunOptions options;
  options.convertDoodads = true;
  return options;
}

TEST(Dialogue, AsksWhatTheAnswersCallFor) {
  const std::string doodadQuestions = std::string(Q1) + Q2 + Q3 + Q5 + EXTRA + Q6 + Q7;
  RunOptions all;
  all.convertDoodads = all.convertDoodadVersion = all.wrapInFunction = true;
  all.functionName = "Init";
  all.createEmptyDoodadFile = all.backupDoodadFile = true;
  all.convertTerrain = all.texturesOnly = all.filterEnabled = true;
  all.filterTexture = "Ldrt";
  RunOptions initOnly = doodadsOnly();
  initOnly.wrapInFunction = true;
  initOnly.functionName = "Init";
  RunOptions wrapNoName = doodadsOnly();
  wrapNoName.wrapInFunction = true;
  RunOptions terrainOnly;
  terrainOnly.convertTerrain = true;
  RunOptions texturesOnly = terrainOnly;
  texturesOnly.texturesOnly = true;

  struct Case {
    const char* name;
    std::string input;
    RunOptions options;
    std::string output;
  };
  const Case cases[] = {
      {"no jobs", "0 0", {}, std::string(Q1) + Q7},
      {"empty input", "", {}, std::string(Q1) + Q7},
      {"doodads, all no", "1 0 0 0 0 0", doodadsOnly(), doodadQuestions},
      {"letter fails", "y 1", {}, std::string(Q1) + Q7},
      {"two fails", "2 1", {}, std::string(Q1) + Q7},
      {"failure is sticky", "1 x 1 1 1 1", doodadsOnly(), doodadQuestions},
      {"letters after a number", "1abc 1", doodadsOnly(), doodadQuestions},
      {"leading zeros and signs", "01 +1 -0 00 0 0",
       [] {
         RunOptions o = doodadsOnly();
         o.convertDoodadVersion = true;
         return o;
       }(),
       doodadQuestions},
      {"minus one fails", "-1 1", {}, std::string(Q1) + Q7},
      {"beyond int does not wrap", "4294967297 1", {}, std::string(Q1) + Q7},
      {"far beyond int", "99999999999 1", {}, std::string(Q1) + Q7},
      {"sign alone", "+ 1", {}, std::string(Q1) + Q7},
      {"function name then a word", "1 0 1 Init Doodads 1 1 1", initOnly,
       std::string(Q1) + Q2 + Q3 + Q4 + Q5 + EXTRA + Q6 + Q7},
      {"input ends at the name", "1 0 1", wrapNoName,
       std::string(Q1) + Q2 + Q3 + Q4 + Q5 + EXTRA + Q6 + Q7},
      {"answers over many lines", "\n\n 1\t\r\n0\v0\f0 0\n0\n", doodadsOnly(), doodadQuestions},
      {"terrain, textures no", "0 1 0 1", terrainOnly, std::string(Q1) + Q7 + Q8},
      {"terrain, no filter", "0 1 1 0", texturesOnly, std::string(Q1) + Q7 + Q8 + Q9},
      {"all ten on one line", "1 1 1 Init 1 1 1 1 1 Ldrt", all,
       std::string(Q1) + Q2 + Q3 + Q4 + Q5 + EXTRA + Q6 + Q7 + Q8 + Q9 + Q10},
  };
  for (const Case& c : cases) {
    Outcome outcome = ask(c.input);
    EXPECT_EQ(outcome.options, c.options) << c.name;
    EXPECT_EQ(outcome.output, c.output) << c.name;
  }
}

TEST(Dialogue, LeavesTheCharacterAfterAnAnswerInTheInput) {
  EXPECT_EQ(ask("0 0x").leftOver, "x");
  EXPECT_EQ(ask("0 0\n").leftOver, "\n");
  // A failed answer takes nothing more once the run has failed.
  EXPECT_EQ(ask("z 1").leftOver, "z 1");
}

TEST(Dialogue, TakesWordsAsTheyAre) {
  std::string longName(200'000, 'N');
  Outcome outcome = ask("1 0 1 " + longName + " 0 0 1 1 1 lDRT\xff");
  EXPECT_EQ(outcome.options.functionName, longName);
  EXPECT_EQ(outcome.options.filterTexture, "lDRT\xff");
}

}  // namespace
}  // namespace mapjass
