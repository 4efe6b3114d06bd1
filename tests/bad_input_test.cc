// Bad input through the whole program: whatever the files and answers hold,
// the run ends quickly with a clear message, and no earlier output is lost.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <random>
#include <string>

#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using testing::asString;
using testing::Bytes;
using testing::folderContents;
using testing::ItemSet;
using testing::runProgram;
using testing::TempFolder;
using testing::TestDoodad;
using testing::TestDoodadFile;
using testing::TestTerrainFile;
using testing::TestTilePoint;
using testing::writeFile;

using Files = std::map<std::string, std::string>;

// Every output name, with content from an earlier run.
const Files kEarlierOutputs = {{"war3map.doo.j", "old doo script"},
                               {"war3map.w3e.j", "old w3e script"},
                               {"war3mapCONV.doo", "old conv"},
                               {"war3map.old", "old backup"},
                               {"war3mapNULL.doo", "old null"}};

// Doodads: yes, all side files, wrapper Init; terrain: yes, heights too.
const std::string kAllAnswers = "1 1 1 Init 1 1 1 0\n";

Bytes goodDoodads() {
  TestDoodadFile file;
  file.doodads.resize(3);
  file.doodads[1].itemSets = {ItemSet{{{"ratc", 50}}}};
  file.doodads[2].life = 40;
  return testing::doodadFileBytes(file);
}

Bytes goodTerrain() {
  TestTerrainFile file{.pointsX = 2, .pointsY = 2};
  file.points.resize(4);
  file.points[3].groundHeight = 8000;
  return testing::terrainFileBytes(file);
}

Bytes withInt(Bytes bytes, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

struct Outcome {
  int exitStatus;
  std::string out;
  std::string err;
  double seconds;
  Files files;
};

// Runs the program in a fresh folder holding `inputs` (a value of "<folder>"
// makes a folder) and every earlier output.
Outcome runWith(const Files& inputs, const std::string& answers, const std::string& prefix = "") {
  TempFolder folder;
  for (const auto& [name, content] : kEarlierOutputs) writeFile(name, content);
  for (const auto& [name, content] : inputs) {
    if (content == "<folder>") {
      std::remove(name.c_str());
      mkdir(name.c_str(), 0755);
    } else {
      writeFile(name, content);
    }
  }
  auto start = std::chrono::steady_clock::now();
  auto result = runProgram(folder.path(), answers, prefix);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {result.exitStatus, result.out, result.err, seconds, folderContents(".")};
}

size_t lineCount(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A failed run: status 1, exactly the expected lines on standard error,
// inputs and earlier outputs as they were (apart from `replaced`), and no
// temporary file.
void expectFailure(const Outcome& outcome, const Files& inputs, size_t errorLines,
                   const std::string& firstError, const std::vector<std::string>& replaced = {}) {
  EXPECT_EQ(outcome.exitStatus, 1);
  EXPECT_EQ(lineCount(outcome.err), errorLines) << outcome.err;
  EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')), firstError);
  EXPECT_LT(outcome.seconds, 1.0);
  Files expected = kEarlierOutputs;
  for (const auto& [name, content] : inputs) expected[name] = content;
  for (const std::string& name : replaced) expected.erase(name);
  Files actual = outcome.files;
  for (const std::string& name : replaced) actual.erase(name);
  EXPECT_EQ(actual.size(), expected.size());
  for (const auto& [name, content] : expected) {
    EXPECT_TRUE(actual.count(name) == 1 && actual[name] == content) << name << " changed";
  }
}

TEST(BadInput, FilesThatCannotBeConverted) {
  const std::string doo = asString(goodDoodads());
  const std::string w3e = asString(goodTerrain());
  const Bytes terrain = goodTerrain();
  const Bytes doodads = goodDoodads();
  TestDoodadFile itemFile{.doodads = {TestDoodad{}}};
  itemFile.doodads[0].itemSets = {ItemSet{{{"ratc", 50}}}};
  const Bytes items = testing::doodadFileBytes(itemFile);  // set count at 58, item count at 62
  TestTerrainFile huge{.pointsX = 65536, .pointsY = 65536};
  huge.points.assign(3, TestTilePoint{});

  struct Case {
    const char* name;
    Files inputs;
    std::string doodadError;  // empty: the doodad job succeeds
    std::string terrainError;
  };
  const Case cases[] = {
      {"missing inputs",
       {},
       "war3map.doo: cannot open: No such file or directory",
       "war3map.w3e: cannot open: No such file or directory"},
      {"folders in place of the inputs",
       {{"war3map.doo", "<folder>"}, {"war3map.w3e", "<folder>"}},
       "war3map.doo: is a folder, not a file",
       "war3map.w3e: is a folder, not a file"},
      {"empty files",
       {{"war3map.doo", ""}, {"war3map.w3e", ""}},
       "war3map.doo: file ends before the 16-byte header (offset 0)",
       "war3map.w3e: file ends before the 17-byte header (offset 0)"},
      {"huge counts",
       {{"war3map.doo", asString(withInt(doodads, 12, 2147483647))},
        {"war3map.w3e", asString(withInt(terrain, 13, 2147483647))}},
       "war3map.doo: file ends inside record 4 of 2147483647 (offset 186)",
       "war3map.w3e: file ends inside the ground tileset ids: groundTilesetCount is 2147483647, "
       "but only 60 bytes follow (offset 77)"},
      {"negative counts",
       {{"war3map.doo", doo}, {"war3map.w3e", asString(withInt(terrain, 25, -5))}},
       "",
       "war3map.w3e: cliffTilesetCount is -5; it cannot be negative"},
      {"huge cliff count",
       {{"war3map.doo", asString(withInt(items, 58, 2147483647))},
        {"war3map.w3e", asString(withInt(terrain, 25, 2147483647))}},
       "war3map.doo: file ends inside record 1 of 1 (offset 86)",
       "war3map.w3e: file ends inside the cliff tileset ids: cliffTilesetCount is 2147483647, "
       "but only 48 bytes follow (offset 77)"},
      {"huge item count",
       {{"war3map.doo", asString(withInt(items, 62, 2147483647))}},
       "war3map.doo: file ends inside record 1 of 1 (offset 86)",
       "war3map.w3e: cannot open: No such file or directory"},
      {"65536 x 65536 points on a small file",
       {{"war3map.doo", doo}, {"war3map.w3e", asString(testing::terrainFileBytes(huge))}},
       "",
       "war3map.w3e: file ends before tile point 4 of 4294967296 (column 3, row 0) (offset 70)"},
      {"NaN centerX",
       {{"war3map.doo", doo},
        {"war3map.w3e", asString(testing::terrainFileBytes({.centerX = NAN}))}},
       "",
       "war3map.w3e: centerX is not a finite number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Outcome outcome = runWith(c.inputs, kAllAnswers);
    std::vector<std::string> replaced;
    std::string first = c.doodadError.empty() ? c.terrainError : c.doodadError;
    // The backup is complete once the input could be opened, the empty file
    // once the header was read; both may be replaced before a later failure.
    if (c.doodadError.empty()) {
      replaced = {"war3map.doo.j", "war3mapCONV.doo", "war3map.old", "war3mapNULL.doo"};
    } else if (c.doodadError.find("record") != std::string::npos) {
      replaced = {"war3map.old", "war3mapNULL.doo"};
    } else if (c.doodadError.find("header") != std::string::npos) {
      replaced = {"war3map.old"};
    }
    expectFailure(outcome, c.inputs, c.doodadError.empty() ? 1 : 2, first, replaced);
    if (!c.doodadError.empty()) {
      EXPECT_EQ(outcome.err, c.doodadError + "\n" + c.terrainError + "\n");
    }
  }
}

TEST(BadInput, OutputNamesTakenByFolders) {
  for (const auto& [name, content] : kEarlierOutputs) {
    SCOPED_TRACE(name);
    Files inputs = {{"war3map.doo", asString(goodDoodads())},
                    {"war3map.w3e", asString(goodTerrain())},
                    {name, "<folder>"}};
    Outcome outcome = runWith(inputs, kAllAnswers);
    std::vector<std::string> replaced = {"war3map.doo.j", "war3mapCONV.doo", "war3map.old",
                                         "war3mapNULL.doo"};
    if (name != "war3map.w3e.j") replaced = {"war3map.w3e.j"};
    expectFailure(outcome, inputs, 1, name + ": is a folder; the file cannot be written", replaced);
  }
}

TEST(BadInput, FullDisk) {
  TestDoodadFile many{.version = 7};
  many.doodads.resize(1000);
  TestTerrainFile wide{.pointsX = 40, .pointsY = 40};
  wide.points.resize(1600);
  const Files inputs = {{"war3map.doo", asString(testing::doodadFileBytes(many))},
                        {"war3map.w3e", asString(testing::terrainFileBytes(wide))}};
  // 512-byte blocks: the converted copy (50 KB) does not fit in 40 KB, the
  // doodad script (37 KB) does; in 20 KB neither script fits.
  expectFailure(runWith(inputs, "1 1 0 0 0 0\n", "trap '' XFSZ; ulimit -f 80;"), inputs, 1,
                "war3mapCONV.doo: cannot write: File too large");
  expectFailure(runWith(inputs, "1 0 0 0 0 1 0\n", "trap '' XFSZ; ulimit -f 20;"), inputs, 2,
                "war3map.doo.j: cannot write: File too large");
  // The backup of a 42 KB file does not fit in 20 KB either.
  expectFailure(runWith(inputs, "1 0 0 0 1 0\n", "trap '' XFSZ; ulimit -f 20;"), inputs, 1,
                "war3map.old: cannot write: File too large");
}

TEST(BadInput, EveryTruncationThroughTheProgram) {
  const Bytes doodads = goodDoodads();
  const Bytes terrain = goodTerrain();
  for (size_t length = 0; length < std::max(doodads.size(), terrain.size()); ++length) {
    SCOPED_TRACE(length);
    Files inputs = {
        {"war3map.doo",
         asString(Bytes(doodads.begin(), doodads.begin() + std::min(length, doodads.size())))},
        {"war3map.w3e",
         asString(Bytes(terrain.begin(), terrain.begin() + std::min(length, terrain.size())))}};
    Outcome outcome = runWith(inputs, kAllAnswers);
    // Each job that failed said so in one line; no temporary file is left.
    size_t failures = (length < doodads.size() - 8 ? 1 : 0) + (length < terrain.size() ? 1 : 0);
    EXPECT_EQ(outcome.exitStatus, failures > 0 ? 1 : 0);
    EXPECT_LT(outcome.seconds, 1.0);
    EXPECT_EQ(lineCount(outcome.err), failures) << outcome.err;
    EXPECT_EQ(outcome.files.size(), kEarlierOutputs.size() + 2);
    if (length < terrain.size()) {
      EXPECT_EQ(outcome.files["war3map.w3e.j"], "old w3e script");
    }
    if (length < doodads.size() - 8) {
      EXPECT_EQ(outcome.files["war3map.doo.j"], "old doo script");
      EXPECT_EQ(outcome.files["war3mapCONV.doo"], "old conv");
    }
  }
}

TEST(BadInput, AnswersThatAreNoise) {
  const Files inputs = {{"war3map.doo", asString(goodDoodads())},
                        {"war3map.w3e", asString(goodTerrain())}};
  std::mt19937 random(5);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  struct Case {
    const char* name;
    std::string answers;
  };
  const Case cases[] = {
      {"1 MB of binary noise", noise},
      {"a 200,000-character function name", "1 0 1 " + std::string(200'000, 'F') + " 0 0 0\n"},
      {"zero bytes", std::string("1\0 1", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Outcome outcome = runWith(inputs, c.answers);
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_LT(outcome.seconds, 1.0);
    EXPECT_EQ(outcome.files.size(), kEarlierOutputs.size() + 2);
  }
  // Answers cut off after every byte: each run ends normally with what it got.
  for (size_t length = 0; length <= kAllAnswers.size(); ++length) {
    Outcome outcome = runWith(inputs, kAllAnswers.substr(0, length));
    EXPECT_EQ(outcome.exitStatus, 0) << length;
    EXPECT_EQ(outcome.err, "") << length;
    EXPECT_EQ(outcome.files.size(), kEarlierOutputs.size() + 2) << length;
  }
}

}  // namespace
}  // namespace mapjass
