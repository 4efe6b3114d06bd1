// mapjass-split on scripts in a folder: where the functions end, what passes
// through, what is refused, and which script it takes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/jass_functions.h"
#include "split/script_split.h"
#include "split/split_program.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace std::string_literals;
using namespace testing;

const std::string kTerrainLine = "call SetTerrainType(-1536.00, -2048.00, 'Ldrt', -1, 1, 1)\n";
const std::string kCdLine = "call CD( 'LTlt', -896, -768, 0, 270, 1, 0 )\n";
const std::string kSlLine = "call SL(50)\n";
const std::string kHelpers =
    "function RF takes nothing returns nothing\ncall FogEnable(true)\n\nendfunction\n"
    "function SL takes integer L returns nothing\nendfunction\n";

std::string times(int n, const std::string& lines) {
  std::string text;
  for (int i = 0; i < n; ++i) text += lines;
  return text;
}

// The split script: `blocks`, then a function NAME_i per group, then NAME.
std::string splitText(const std::string& blocks, const std::vector<std::string>& groups,
                      const std::string& name = "T") {
  std::string text = blocks, calls;
  for (size_t i = 1; i <= groups.size(); ++i) {
    std::string part = name + "_" + std::to_string(i);
    text +=
        "function " + part + " takes nothing returns nothing\n" + groups[i - 1] + "endfunction\n";
    calls += "call ExecuteFunc(\"" + part + "\")\n";
  }
  return text + functionHead(name) + calls + "endfunction\n";
}

struct SplitRun {
  int status;
  std::string out, err;
};

SplitRun split(const TempFolder& folder, const std::vector<std::string>& arguments,
               std::string answers) {
  std::FILE* in = fmemopen(answers.data(), answers.size(), "r");
  SplitRun run;
  run.err = consoleOutput([&](std::FILE* err) {
    run.out = consoleOutput([&](std::FILE* out) {
      run.status = runSplitProgram(arguments, folder.path(), in, out, err);
    });
  });
  std::fclose(in);
  return run;
}

// Call lines go into functions of at most 144,000 estimated operations: 16
// a terrain line, 40 a CD line, 32 an SL line, 40 any other call. A CD line
// stays with the SL line after it. Blocks pass through unchanged, and empty
// lines outside them are dropped. CR LF reads as LF.
TEST(Split, SpreadsCallLinesOverFunctionsThatEachFitOneThread) {
  const std::string other = "call RF()\n";
  struct Case {
    const char* name;
    std::string input, output;
  };
  const Case cases[] = {
      {"9,000 terrain lines", times(9000, kTerrainLine),
       splitText("", {times(9000, kTerrainLine)})},
      {"9,001 terrain lines", times(9001, kTerrainLine),
       splitText("", {times(9000, kTerrainLine), kTerrainLine})},
      {"a CD and SL pair at the boundary", times(3599, kCdLine) + kCdLine + kSlLine,
       splitText("", {times(3599, kCdLine), kCdLine + kSlLine})},
      {"a CD line that just fits", times(3600, kCdLine) + kTerrainLine,
       splitText("", {times(3600, kCdLine), kTerrainLine})},
      {"other calls", times(3600, other) + other, splitText("", {times(3600, other), other})},
      {"SL lines alone", times(4500, kSlLine) + kCdLine,
       splitText("", {times(4500, kSlLine), kCdLine})},
      {"blocks and empty lines", kHelpers + "\n \t\n" + kCdLine + "\n" + kSlLine + "call RF()",
       splitText(kHelpers, {kCdLine + kSlLine + "call RF()\n"})},
      {"CR LF", "function A takes nothing returns nothing\r\nendfunction\r\n\r\n  call B()\r\n",
       splitText("function A takes nothing returns nothing\nendfunction\n", {"  call B()\n"})},
      {"CR alone, after a byte-order mark",
       "\xEF\xBB\xBF"
       "function A takes nothing returns nothing\rendfunction\r\r\n\rcall B()\r",
       splitText("function A takes nothing returns nothing\nendfunction\n", {"call B()\n"})},
      {"names like the parts, but not theirs",
       "function T_0 takes\nendfunction\nfunction T_1x takes\nendfunction\nfunction T_ takes\n"
       "endfunction\nfunction TT takes\nendfunction\ncall B()\ncall T_01()\n",
       splitText("function T_0 takes\nendfunction\nfunction T_1x takes\nendfunction\nfunction T_ "
                 "takes\nendfunction\nfunction TT takes\nendfunction\n",
                 {"call B()\ncall T_01()\n"})},
      {"a line of 1 MiB before its CR LF", "call A" + std::string((1 << 20) - 6, 'x') + "\r\n",
       splitText("", {"call A" + std::string((1 << 20) - 6, 'x') + "\n"})},
      {"blanks before a call", "\tcall CD()\n call SL(1)\n",
       splitText("", {"\tcall CD()\n call SL(1)\n"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    folder.write("in.j", c.input);
    SplitRun run = split(folder, {"in.j"}, "T\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(differences(folder.contents(), {{"in.j", c.input}, {"in.split.j", c.output}}), "");
  }
}

// With an argument it splits that script; without one it takes mapjass's
// scripts from its folder, and asks which one when both are there. Each
// refusal is one line that names the file and the reason, exit status 1,
// and no file written.
TEST(Split, SplitsWhatItIsGivenOrRefuses) {
  const std::string wrapped = kHelpers + "function Place takes nothing returns nothing\n" +
                              kCdLine + "call RF()\nendfunction";
  const std::string question = "\nSplit war3map.w3e.j?  1-yes 0-no:";
  const std::string doodadQuestion = "\nSplit war3map.doo.j?  1-yes 0-no:";
  const std::string noneChosen = "mapjass-split: no script chosen; nothing written\n";
  const std::string noCalls =
      ": no call lines outside its functions, so nothing to split (a doodad script with its "
      "function is split already; an empty terrain script has nothing to split)\n";
  auto done = [](const std::string& input, const std::string& output, const std::string& name) {
    return "\nFuncName: \n" + output +
           ": 1 call line in 1 function of one game thread each. Paste it into the map's custom "
           "script section in place of " +
           input + ", never both, and call " + name + "() from a map initialization trigger.\n";
  };
  struct Case {
    Files files;
    std::vector<std::string> arguments;
    std::string answers, err;
    std::optional<std::string> out;  // before the report of a split
    const char* chosen = nullptr;    // the script that is split ...
    const char* output = nullptr;    // ... into this one
  };
  const Files both = {{"war3map.w3e.j", kTerrainLine}, {"war3map.doo.j", kCdLine}};
  // Scripts that in.j, given as the argument, refuses, and why: before the
  // name is asked for, unless the name is the reason.
  const std::pair<std::string, std::string> refused[] = {
      {wrapped, noCalls.substr(2, noCalls.size() - 3)},
      {kCdLine + "set x = 1\n", "line 2 is not a call line: set x = 1"},
      {kCdLine + "endfunction", "line 2 is not a call line: endfunction"},
      {kCdLine + kHelpers,
       "line 2 starts a function after the first call line; the functions must come first, as "
       "mapjass writes them"},
      {"\nfunction A takes nothing returns nothing\n" + kCdLine,
       "the function that starts on line 2 has no endfunction"},
      {std::string((1 << 20) + 1, 'c'), "line 1 is longer than 1 MiB: not a script line"},
      {kCdLine + "call (1)\n", "line 2 has no function name after call: call (1)"},
      {"call A(\"\0\")\n"s, "line 1 holds a zero byte (NUL)"},
      {"call T_1()\ncall A(\"\0\")\n"s, "line 2 holds a zero byte (NUL)"},
  };
  const std::string writes =
      ", a function that the split writes; choose a function name that the script does not use";
  const std::pair<std::string, std::string> clashing[] = {
      {kHelpers + "function T_12 takes nothing returns nothing\nendfunction\n" + kCdLine,
       "line 7 defines the function T_12 already; choose a function name that the script does not "
       "use"},
      {"function  T takes nothing returns nothing\nendfunction\n" + kCdLine,
       "line 1 defines the function T already; choose a function name that the script does not "
       "use"},
      {kCdLine + "call T_1()\n", "line 2 calls T_1" + writes},
      {kCdLine + "\tcall T ()\n", "line 2 calls T" + writes},
  };
  const Files inJ = {{"in.j", kCdLine}};
  const std::vector<std::string> givenInJ = {"in.j"};
  // clang-format off
  std::vector<Case> cases = {
      {{{"war3map.w3e.j", kTerrainLine}}, {}, "T", "", "", "war3map.w3e.j", "war3map.w3e.split.j"},
      {{{"war3map.doo.j", kCdLine}}, {}, "T", "", "", "war3map.doo.j", "war3map.doo.split.j"},
      {both, {}, "1 T", "", question, "war3map.w3e.j", "war3map.w3e.split.j"},
      {both, {}, "0 1 T", "", question + doodadQuestion, "war3map.doo.j", "war3map.doo.split.j"},
      {{{"in.txt", kCdLine}}, {"in.txt"}, "T", "", "", "in.txt", "in.txt.split.j"},
      {{{"sub", "<folder>"}, {"sub/in.j", kCdLine}}, {"sub/in.j"}, "T", "", "", "sub/in.j",
       "sub/in.split.j"},  // beside the script it was given
      {both, {}, "0 0 T", noneChosen, question + doodadQuestion},
      {both, {}, "Terrain", "warning: the answer \"Terrain\" to \"Split war3map.w3e.j?\" is neither "
       "1 (yes) nor 0 (no), so that question and every later one keep \"no\"\n" + noneChosen,
       question + doodadQuestion},
      {{{"war3map.w3e.j", kTerrainLine}}, {}, "main", "warning: war3map.w3e.split.j: the function "
       "name \"main\" is taken: every map has a function main already, and the game would reject a "
       "second one; give the function another name\n", "", "war3map.w3e.j", "war3map.w3e.split.j"},
      {{{"war3map.w3e.j", kTerrainLine}}, {}, "Main", "", "", "war3map.w3e.j", "war3map.w3e.split.j"},
      {{{"in.j", kCdLine}, {"in.split.j", "<folder>"}}, givenInJ, "T",
       "in.split.j: is a folder; the file cannot be written\n", ""},  // asked nothing
      {{{"war3map.w3e.j", ""}}, {}, "T", "war3map.w3e.j" + noCalls},
      {{}, {"--help"}, "", "", "Usage: mapjass-split [SCRIPT]\n\n..."},
      {{}, {"--version"}, "", "", "mapjass-split " MAPJASS_VERSION "\n"},
      {{}, {""}, "", "mapjass-split: the script's name is empty; give the path of a script, such "
       "as war3map.w3e.j\n", ""},
      {{}, givenInJ, "", "in.j: cannot open: No such file or directory\n", ""},
      {{{"in.j", "<folder>"}}, givenInJ, "T", "in.j: is a folder, not a file\n"},
      {{{"in.j", kCdLine}, {"in.split.j", "<read-only>"}}, givenInJ, "T",
       "in.split.j: is read-only; the file cannot be replaced\n"},
      {inJ, givenInJ, "Place_", "in.j: the function name \"Place_\" is not valid in JASS (a name "
       "starts with a letter, holds only letters, digits and underscores, does not end in an "
       "underscore, and is no JASS keyword or type, nor RF, CD or SL); nothing written\n"},
      {inJ, givenInJ, "", "in.j: no function name given; nothing written\n"},
      {inJ, {"in.j", "in.j"}, "T", "mapjass-split: give it one script, or none to take "
       "war3map.w3e.j or war3map.doo.j from the folder it runs in\n"},
      {inJ, {}, "T", "mapjass-split: no war3map.w3e.j or war3map.doo.j in this folder; run "
       "mapjass here first, or drop a script onto mapjass-split\n"},
  };
  // clang-format on
  for (const auto& [script, why] : refused) {
    cases.push_back({{{"in.j", script}}, {"in.j"}, "T", "in.j: " + why + "\n", ""});
  }
  for (const auto& [script, why] : clashing) {
    cases.push_back({{{"in.j", script}}, {"in.j"}, "T", "in.j: " + why + "\n", "\nFuncName: "});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers + " " + c.err);
    TempFolder folder;
    for (const auto& [name, content] : c.files) folder.write(name, content);
    Files expected = folder.contents();
    std::optional<std::string> out = c.out;
    if (c.chosen != nullptr) {
      const std::string name = c.answers.substr(c.answers.rfind(' ') + 1);
      expected[c.output] = splitText("", {c.files.at(c.chosen)}, name);
      *out += done(c.chosen, c.output, name);
    }
    SplitRun run = split(folder, c.arguments, c.answers);
    EXPECT_EQ(run.status, c.err.empty() || c.chosen != nullptr ? 0 : 1);
    EXPECT_EQ(run.err, c.err);
    if (out) {
      EXPECT_TRUE(out->empty() ? run.out.empty() : matchesText(run.out, *out)) << run.out;
    }
    EXPECT_EQ(folder.contents(), expected);
  }
}

}  // namespace
}  // namespace mapjass
