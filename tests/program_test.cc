// The built program as a user runs it: answers piped in, files in a folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>
#include <string>

#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using testing::asString;
using testing::folderContents;
using testing::runProgram;
using testing::TempFolder;
using testing::TestDoodad;
using testing::TestDoodadFile;
using testing::TestTerrainFile;
using testing::writeFile;

using Files = std::map<std::string, std::string>;

// Names the files that differ, rather than printing whole files.
::testing::AssertionResult sameFiles(const Files& actual, const Files& expected) {
  std::string differences;
  for (const auto& [name, content] : expected) {
    auto found = actual.find(name);
    if (found == actual.end()) {
      differences += " missing " + name + ";";
    } else if (found->second != content) {
      differences += " " + name + " differs (" + std::to_string(found->second.size()) + " bytes, " +
                     std::to_string(content.size()) + " expected);";
    }
  }
  for (const auto& [name, content] : actual) {
    if (expected.count(name) == 0) differences += " unexpected " + name + ";";
  }
  if (differences.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differences;
}

constexpr char kDoodadPrompts[] =
    "\nConvert war3map.doo to JASS?  1-yes 0-no:"
    "\nConvert war3map.doo to old version?  1-yes 0-no:"
    "\nCreate \"function ... list ... endfunction\"?  1-yes 0-no:"
    "\nCreate empty war3map.doo?   1-yes 0-no:\n1 3"
    "\nCreate backup war3map.doo?   1-yes 0-no:";
constexpr char kTerrainPrompt[] = "\nConvert war3map.w3e to JASS?  1-yes 0-no:";

std::string sampleDoodads() {
  return asString(
      testing::doodadFileBytes({.signature = "SIGN", .doodads = {testing::workedExampleDoodad()}}));
}

std::string sampleTerrain() {
  TestTerrainFile file{.pointsX = 1, .pointsY = 1, .centerX = -1536, .centerY = -2048};
  file.points = {{.groundHeight = 7792}};
  return asString(testing::terrainFileBytes(file));
}

TEST(Program, RunsBothJobs) {
  TempFolder folder;
  writeFile("war3map.doo", sampleDoodads());
  writeFile("war3map.w3e", sampleTerrain());
  auto result = runProgram(folder.path(), "1 0 0 0 0 1 0\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            std::string(kDoodadPrompts) + kTerrainPrompt + "\nOnly textures?  1-yes 0-no:" +
                "\nFILE: SIGNo\nVersion: 8.11\nnumber:1\n\n\n\n\n" +
                "\nFILE: W3E!\n Version: 11\n Type:L\n0\n Tilesets(ground) 2\nList: LdrtLgrs\n"
                "Tilesets(cliffs): 1\nList: CLdi\n"
                "\nCX: -1536.000000, CY: -2048.000000 \n MX: 1, MY: 1 \n \n \n 7");
  Files files = folderContents(".");
  EXPECT_EQ(files.size(), 4u);
  EXPECT_EQ(files["war3map.w3e.j"],
            "call TerrainDeformCrater(-1536.00, -2048.00, 128, 100.00, 1, true)\n"
            "call SetTerrainType(-1536.00, -2048.00, 'Ldrt', -1, 1, 1)\n");
  EXPECT_NE(files["war3map.doo.j"].find(
                "\n\n\n\n\n\n\n\ncall CD( 'OBJ1', 512.346, -256.5, 0, 4.71239, 1.25, 2 )\n"
                "call SL(50)\ncall RF()"),
            std::string::npos);
}

TEST(Program, AClosedConsoleDoesNotStopTheJobs) {
  TempFolder folder;
  writeFile("war3map.doo", sampleDoodads());
  writeFile("war3map.w3e", sampleTerrain());
  writeFile("answers", "1 0 0 0 0 1 0\n");
  // The reader of standard output goes away after the first byte.
  std::string command = "cd '" + folder.path() + "' && '" MAPJASS_BINARY
                        "' < answers 2> /dev/null | head -c 1 > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  Files files = folderContents(".");
  EXPECT_EQ(files.size(), 5u);
  EXPECT_EQ(files.count("war3map.doo.j"), 1u);
  EXPECT_EQ(files.count("war3map.w3e.j"), 1u);
}

TEST(Program, NoJobNoFiles) {
  TempFolder folder;
  for (const char* input : {"0 0", "", "y", "2 1 1"}) {
    auto result = runProgram(folder.path(), input);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out,
              std::string("\nConvert war3map.doo to JASS?  1-yes 0-no:") + kTerrainPrompt);
    EXPECT_TRUE(folderContents(".").empty());
  }
}

// Every earlier output is present; a failure must leave all of it as it was.
Files earlierOutputs() {
  return {{"war3map.doo.j", "old doo script"},
          {"war3map.w3e.j", "old w3e script"},
          {"war3mapCONV.doo", "old conv"},
          {"war3map.old", "old backup"},
          {"war3mapNULL.doo", "old null"}};
}

TEST(Program, FailuresLeaveEarlierOutputs) {
  struct Case {
    const char* name;
    Files inputs;
    std::string answers;
    std::string shellPrefix;
    std::string err;
    Files changed;  // outputs the run may replace
  };
  TestDoodadFile many;
  many.doodads.resize(1000);
  const std::string bigDoodads = asString(testing::doodadFileBytes(many));
  TestDoodadFile classic{.version = 7};
  classic.doodads.resize(1000);
  const std::string classicDoodads = asString(testing::doodadFileBytes(classic));
  TestTerrainFile wide{.pointsX = 40, .pointsY = 40};
  wide.points.resize(1600);
  const std::string bigTerrain = asString(testing::terrainFileBytes(wide));
  const Case cases[] = {
      {"missing inputs",
       {},
       "1 1 0 1 1 1 0",
       "",
       "war3map.doo: cannot open: No such file or directory\n"
       "war3map.w3e: cannot open: No such file or directory\n",
       {}},
      {"truncated doodads, terrain still runs",
       {{"war3map.doo", sampleDoodads().substr(0, 40)}, {"war3map.w3e", sampleTerrain()}},
       "1 1 0 0 0 1 0",
       "",
       "war3map.doo: file ends inside record 1 of 1 (offset 40)\n",
       {{"war3map.w3e.j",
         "call TerrainDeformCrater(-1536.00, -2048.00, 128, 100.00, 1, true)\n"
         "call SetTerrainType(-1536.00, -2048.00, 'Ldrt', -1, 1, 1)\n"}}},
      {"full disk",
       {{"war3map.doo", bigDoodads}, {"war3map.w3e", bigTerrain}},
       "1 1 0 0 0 1 0",
       "trap '' XFSZ; ulimit -f 20;",
       "war3map.doo.j: cannot write: File too large\nwar3map.w3e.j: cannot write: File too large\n",
       {}},
      // The script fits and the converted copy does not: neither replaces its
      // earlier version.
      {"full disk for the converted copy",
       {{"war3map.doo", classicDoodads}},
       "1 1 0 0 0 0",
       "trap '' XFSZ; ulimit -f 80;",
       "war3mapCONV.doo: cannot write: File too large\n",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    Files expected = earlierOutputs();
    for (const auto& [name, content] : earlierOutputs()) writeFile(name, content);
    for (const auto& [name, content] : c.inputs) {
      writeFile(name, content);
      expected[name] = content;
    }
    for (const auto& [name, content] : c.changed) expected[name] = content;
    auto result = runProgram(folder.path(), c.answers, c.shellPrefix);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_TRUE(sameFiles(folderContents("."), expected));
  }
}

TEST(Program, AFolderInPlaceOfAnOutput) {
  for (const char* name : {"war3map.doo.j", "war3mapCONV.doo", "war3map.old", "war3map.w3e.j"}) {
    TempFolder folder;
    writeFile("war3map.doo", sampleDoodads());
    writeFile("war3map.w3e", sampleTerrain());
    ASSERT_EQ(mkdir(name, 0755), 0);
    Files before = folderContents(".");
    auto result = runProgram(folder.path(), "1 1 0 1 1 1 0");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, std::string(name) + ": is a folder; the file cannot be written\n");
    Files after = folderContents(".");
    EXPECT_EQ(after[name], "<folder>");
    if (std::string(name) != "war3map.w3e.j") {
      EXPECT_EQ(after.count("war3map.doo.j") ? after["war3map.doo.j"] : "",
                before.count("war3map.doo.j") ? before["war3map.doo.j"] : "");
    }
  }
}

}  // namespace
}  // namespace mapjass
