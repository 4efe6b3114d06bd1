#include "doodads/doodad_job.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "doodads/doodad_script.h"
#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using testing::asString;
using testing::Bytes;
using testing::folderContents;
using testing::readFile;
using testing::TempFolder;
using testing::TestDoodad;
using testing::TestDoodadFile;
using testing::workedExampleDoodad;
using testing::writeFile;

const std::string kPreamble =
    "function RF takes nothing returns nothing\ncall FogMaskEnable(false)\ncall "
    "FogEnable(false)\ncall FogMaskEnable(true)\ncall FogEnable(true)\nendfunction\n"
    "function CD takes integer objectid, real x, real y, real z, real face, real scale, integer "
    "variation returns nothing\n"
    "set bj_lastCreatedDestructable =  "
    "CreateDestructableZ(objectid,x,y,z,face,scale,variation)\nendfunction\n"
    "function SL takes integer L returns nothing\n"
    "call SetDestructableLife(GetLastCreatedDestructable(), "
    "GetDestructableMaxLife(GetLastCreatedDestructable()) * L * 0.01)\nendfunction\n\n\n\n\n\n\n\n";

testing::JobRun runJob(const RunOptions& options) {
  return testing::runJob(runDoodadJob, options);
}

RunOptions doodadOptions() {
  RunOptions options;
  options.convertDoodads = true;
  return options;
}

TEST(DoodadJob, WritesTheWorkedExample) {
  TempFolder folder;
  writeFile("war3map.doo",
            testing::doodadFileBytes({.signature = "SIGN", .doodads = {workedExampleDoodad()}}));
  const std::string body = "call CD( 'OBJ1', 512.346, -256.5, 0, 270, 1.25, 2 )\ncall SL(50)\n";
  testing::JobRun run = runJob(doodadOptions());
  ASSERT_TRUE(run.status.ok()) << run.status.error;
  EXPECT_EQ(run.report, "\nFILE: SIGNo\nVersion: 8.11\nnumber:1\n\n\n\n\n");
  EXPECT_EQ(readFile("war3map.doo.j"), kPreamble + body + "call RF()");

  RunOptions wrapped = doodadOptions();
  wrapped.wrapInFunction = true;
  wrapped.functionName = "PlaceDoodads";
  ASSERT_TRUE(runJob(wrapped).status.ok());
  EXPECT_EQ(readFile("war3map.doo.j"), kPreamble +
                                           "function PlaceDoodads takes nothing returns nothing\n" +
                                           body + "call RF()\nendfunction");

  wrapped.functionName = "";
  ASSERT_TRUE(runJob(wrapped).status.ok());
  EXPECT_EQ(readFile("war3map.doo.j"), kPreamble + "function  takes nothing returns nothing\n" +
                                           body + "call RF()\nendfunction");
}

// The file keeps radians; the script passes degrees, as the game takes them.
TEST(DoodadJob, FacingInDegrees) {
  struct Case {
    float radians;
    const char* text;  // nullptr: not representable, written as 0
  };
  const Case cases[] = {
      {4.712389f, "270"},
      {1.5707964f, "90"},
      {0.017453292f, "1"},
      {6.2831855f, "360"},
      {-0.7853982f, "-45"},
      {0.0f, "0"},
      {-0.0f, "-0"},
      {0.5f, "28.6479"},
      {1e-9f, "0.0000000572958"},
      {5.9e36f, "338045000000000000000000000000000000000.0"},
      {1e37f, nullptr},
      {-1e37f, nullptr},
      {NAN, nullptr},
      {INFINITY, nullptr},
  };
  for (const Case& c : cases) {
    bool representable;
    float degrees = facingInDegrees(c.radians, representable);
    EXPECT_EQ(representable, c.text != nullptr) << c.radians;
    char text[kMaxFloatG6Size];
    EXPECT_EQ(std::string(text, formatFloatG6(text, degrees)), c.text ? c.text : "0") << c.radians;
  }
}

TEST(DoodadJob, LifeTypeIdsAndOddNumbers) {
  TempFolder folder;
  TestDoodadFile file{.signature = std::string("AB\0D", 4), .version = 7, .subversion = 9};
  for (int life : {99, 0, 100, 101, 255}) {
    TestDoodad d;
    d.life = static_cast<uint8_t>(life);
    d.typeId = life == 0 ? std::string("YT\0x", 4) : "YTlb";
    d.x = 1e6f;
    d.y = 1.5e-05f;
    d.scaleZ = -0.0f;
    d.variation = -3;
    file.doodads.push_back(d);
  }
  file.doodads[4].z = std::bit_cast<float>(0x7FC00000u);
  file.doodads[4].angle = -INFINITY;
  writeFile("war3map.doo", testing::doodadFileBytes(file));
  testing::JobRun run = runJob(doodadOptions());
  ASSERT_TRUE(run.status.ok()) << run.status.error;
  EXPECT_EQ(run.report, "\nFILE: ABo\nVersion: 7.9\nnumber:5\n\n\n\n\n");
  const std::string line = "1000000.0, 0.000015, 0, 0, -0, -3 )\n";
  EXPECT_EQ(readFile("war3map.doo.j"),
            kPreamble + "call CD( 'YTlb', " + line + "call SL(99)\n" + "call CD( 'YT', " + line +
                "call SL(0)\n" + "call CD( 'YTlb', " + line + "call CD( 'YTlb', " + line +
                "call CD( 'YTlb', 1000000.0, 0.000015, 0, 0, -0, -3 )\ncall RF()");
  EXPECT_EQ(run.warnings,
            (std::vector<std::string>{
                "war3map.doo: record 5 of 5: z is not a finite number; 0 written instead",
                "war3map.doo: record 5 of 5: angle is not a finite number; 0 written instead"}));
}

TEST(DoodadJob, SideFiles) {
  TempFolder folder;
  TestDoodadFile file{.version = 8};
  for (int i = 0; i < 3; ++i) file.doodads.push_back(workedExampleDoodad());
  file.doodads[1].itemSets = {testing::ItemSet{{{"ratc", 100}}}};
  file.trailer = {1, 2, 3, 4, 5};
  const Bytes input = testing::doodadFileBytes(file);
  writeFile("war3map.doo", input);
  writeFile("war3map.old", "older");
  writeFile("war3mapNULL.doo", "older");
  writeFile("war3mapCONV.doo", "older");

  // Not asked for: left alone.
  ASSERT_TRUE(runJob(doodadOptions()).status.ok());
  EXPECT_EQ(readFile("war3map.old"), "older");
  EXPECT_EQ(readFile("war3mapNULL.doo"), "older");
  EXPECT_EQ(readFile("war3mapCONV.doo"), "older");

  RunOptions all = doodadOptions();
  all.backupDoodadFile = all.createEmptyDoodadFile = all.convertDoodadVersion = true;
  ASSERT_TRUE(runJob(all).status.ok());
  EXPECT_EQ(readFile("war3map.old"), asString(input));
  EXPECT_EQ(readFile("war3mapNULL.doo"), std::string("W3do\x08\0\0\0\x0b\0\0\0\0\0\0\0", 16));
  std::string converted = readFile("war3mapCONV.doo");
  ASSERT_EQ(converted.size(), 16 + 3 * 42u);
  EXPECT_EQ(converted.substr(0, 16), std::string("W3do\x07\0\0\0\x0b\0\0\0\x03\0\0\0", 16));
  // The record with an item set comes out as plain as the others.
  EXPECT_EQ(converted.substr(16, 42), converted.substr(16 + 42, 42));
  EXPECT_EQ(converted.substr(16 + 42, 42), converted.substr(16 + 84, 42));
  EXPECT_EQ(folderContents(".").size(), 5u);  // no temporary file is left
}

TEST(DoodadJob, ConvertedSizesFollowTheCount) {
  TempFolder folder;
  struct Case {
    int32_t version;
    int32_t count;
    size_t doodads;
    size_t size;
  };
  const Case cases[] = {{7, -1, 3, 16 + 150},
                        {8, -1, 3, 16 + 126},
                        {7, 0, 2, 16},
                        {8, -5, 2, 16},
                        {0, -1, 1, 16 + 42}};
  for (const Case& c : cases) {
    TestDoodadFile file{.version = c.version, .doodadCount = c.count};
    file.doodads.resize(c.doodads);
    writeFile("war3map.doo", testing::doodadFileBytes(file));
    RunOptions options = doodadOptions();
    options.convertDoodadVersion = options.createEmptyDoodadFile = true;
    ASSERT_TRUE(runJob(options).status.ok());
    std::string converted = readFile("war3mapCONV.doo");
    EXPECT_EQ(converted.size(), c.size);
    int32_t count = c.count == -1 ? static_cast<int32_t>(c.doodads) : c.count;
    EXPECT_EQ(converted.substr(12, 4), std::string(reinterpret_cast<char*>(&count), 4));
    EXPECT_EQ(readFile("war3mapNULL.doo").size(), 16u);
  }
}

TEST(DoodadJob, EveryTruncationFailsCleanly) {
  TempFolder folder;
  TestDoodadFile file{.doodads = {workedExampleDoodad(), workedExampleDoodad()}};
  file.doodads[0].itemSets = {testing::ItemSet{{{"ratc", 10}, {"rat6", 20}}}};
  file.trailer = {};
  RunOptions all = doodadOptions();
  all.convertDoodadVersion = true;
  for (int32_t version : {7, 8}) {
    file.version = version;
    Bytes whole = testing::doodadFileBytes(file);
    for (size_t length = 0; length < whole.size(); ++length) {
      writeFile("war3map.doo", Bytes(whole.begin(), whole.begin() + length));
      writeFile("war3map.doo.j", "earlier");
      writeFile("war3mapCONV.doo", "earlier");
      std::string error = runJob(all).status.error;
      EXPECT_EQ(error.rfind("war3map.doo: file ends ", 0), 0u) << length << ": " << error;
      EXPECT_NE(error.find("(offset " + std::to_string(length) + ")"), std::string::npos) << error;
      EXPECT_EQ(readFile("war3map.doo.j"), "earlier");
      EXPECT_EQ(readFile("war3mapCONV.doo"), "earlier");
      EXPECT_EQ(folderContents(".").size(), 3u);
    }
  }
  TestDoodadFile five;
  five.doodads.resize(5);
  Bytes fiveBytes = testing::doodadFileBytes(five);
  writeFile("war3map.doo", Bytes(fiveBytes.begin(), fiveBytes.begin() + 141));
  EXPECT_EQ(runJob(all).status.error, "war3map.doo: file ends inside record 3 of 5 (offset 141)");
}

// Enough records for several batches on both threads: the text, the order
// and the warnings must be those of one record after the other.
TEST(DoodadJob, ManyRecordsInFileOrder) {
  TempFolder folder;
  TestDoodadFile file;
  std::string expected = kPreamble;
  std::vector<std::string> warnings;
  const int count = 9001;
  for (int i = 0; i < count; ++i) {
    TestDoodad d;
    d.variation = i % 10;
    d.x = static_cast<float>(i) * 1.5f - 6000;
    d.y = 3000 - static_cast<float>(i) / 7;
    d.z = static_cast<float>(i % 13);
    d.angle = static_cast<float>(i % 628) / 100;
    d.scaleZ = 0.5f + static_cast<float>(i % 4) / 4;
    d.life = static_cast<uint8_t>(i % 150);
    if (i % 2999 == 1) {
      d.y = NAN;
      warnings.push_back("war3map.doo: record " + std::to_string(i + 1) +
                         " of 9001: y is not a "
                         "finite number; 0 written instead");
    }
    char line[256];
    std::snprintf(line, sizeof line, "call CD( 'LTlt', %.6g, %.6g, %.6g, %.6g, %.6g, %d )\n",
                  double{d.x}, std::isfinite(d.y) ? double{d.y} : 0.0, double{d.z},
                  double{static_cast<float>(double{d.angle} * 180 / 3.141592653589793)},
                  double{d.scaleZ}, d.variation);
    expected += line;
    if (d.life < 100) expected += "call SL(" + std::to_string(d.life) + ")\n";
    file.doodads.push_back(d);
  }
  Bytes bytes = testing::doodadFileBytes(file);
  writeFile("war3map.doo", bytes);
  testing::JobRun run = runJob(doodadOptions());
  ASSERT_TRUE(run.status.ok()) << run.status.error;
  EXPECT_TRUE(readFile("war3map.doo.j") == expected + "call RF()");
  warnings.push_back(
      "war3map.doo.j: about 552072 operations in one game thread, more than the 150000 the tool "
      "plans with, so the game may stop before the last doodad; answer 1 to the function "
      "question and the tool splits the list across threads");
  EXPECT_EQ(run.warnings, warnings);

  // Cut inside a later batch, while the other thread is at work.
  writeFile("war3map.doo", Bytes(bytes.begin(), bytes.begin() + 16 + 50 * 6000 + 20));
  writeFile("war3map.doo.j", "earlier");
  EXPECT_EQ(runJob(doodadOptions()).status.error,
            "war3map.doo: file ends inside record 6001 of 9001 (offset 300036)");
  EXPECT_EQ(readFile("war3map.doo.j"), "earlier");
}

// A wrapped list longer than one game thread runs is split into functions
// of 2,000 records; each SL line stays with its own CD line.
TEST(DoodadJob, LongWrappedListsAreSplitAcrossThreads) {
  TempFolder folder;
  auto lineOf = [](int i) {
    std::string line = "call CD( 'LTlt', " + std::to_string(i) + ", 0, 0, 0, 1, 0 )\n";
    return i % 1000 == 999 ? line + "call SL(50)\n" : line;
  };
  for (int count : {2000, 2001, 4000, 4001}) {
    SCOPED_TRACE(count);
    TestDoodadFile file;
    for (int i = 0; i < count; ++i) {
      TestDoodad d;
      d.x = static_cast<float>(i);
      d.life = i % 1000 == 999 ? 50 : 100;
      file.doodads.push_back(d);
    }
    writeFile("war3map.doo", testing::doodadFileBytes(file));
    RunOptions options = doodadOptions();
    options.wrapInFunction = true;
    options.functionName = std::string("Place\0ignored", 13);
    testing::JobRun run = runJob(options);
    ASSERT_TRUE(run.status.ok()) << run.status.error;
    EXPECT_TRUE(run.warnings.empty());
    std::string expected = kPreamble;
    if (count <= 2000) {
      expected += "function Place takes nothing returns nothing\n";
      for (int i = 0; i < count; ++i) expected += lineOf(i);
    } else {
      int parts = (count + 1999) / 2000;
      for (int part = 1; part <= parts; ++part) {
        expected += "function Place_" + std::to_string(part) + " takes nothing returns nothing\n";
        for (int i = (part - 1) * 2000; i < std::min(count, part * 2000); ++i) {
          expected += lineOf(i);
        }
        expected += "endfunction\n";
      }
      expected += "function Place takes nothing returns nothing\n";
      for (int part = 1; part <= parts; ++part) {
        expected += "call ExecuteFunc(\"Place_" + std::to_string(part) + "\")\n";
      }
    }
    EXPECT_EQ(readFile("war3map.doo.j"), expected + "call RF()\nendfunction");
  }
  // Cut off inside the second function: nothing of it is written.
  Bytes whole = testing::doodadFileBytes(TestDoodadFile{.doodads = std::vector<TestDoodad>(2500)});
  writeFile("war3map.doo", Bytes(whole.begin(), whole.begin() + 16 + 50 * 2100 + 7));
  writeFile("war3map.doo.j", "earlier");
  RunOptions options = doodadOptions();
  options.wrapInFunction = true;
  EXPECT_EQ(runJob(options).status.error,
            "war3map.doo: file ends inside record 2101 of 2500 (offset 105023)");
  EXPECT_EQ(readFile("war3map.doo.j"), "earlier");
}

// The game stops a thread after about 300,000 operations, so an unwrapped
// list that would cost more than half of that is written with a warning.
TEST(DoodadJob, WarnsWhereTheListIsTooLongForOneThread) {
  TempFolder folder;
  struct Case {
    int cdOnly;
    int withSl;
    bool wrapped;
    const char* operations;  // in the warning; nullptr: no warning
  };
  const Case cases[] = {
      {3750, 0, false, nullptr},   // 150,000: the budget itself
      {3749, 1, false, "150032"},  // 149,960 + 72
      {2083, 0, false, nullptr},   // 83,320
      {0, 2084, false, "150048"},  // 72 each
      {0, 2083, false, nullptr},   // 149,976
      {3751, 0, true, nullptr},    // split instead
  };
  for (const Case& c : cases) {
    TestDoodadFile file;
    file.doodads.resize(static_cast<size_t>(c.cdOnly + c.withSl));
    for (int i = 0; i < c.withSl; ++i) file.doodads[static_cast<size_t>(i)].life = 10;
    writeFile("war3map.doo", testing::doodadFileBytes(file));
    RunOptions options = doodadOptions();
    options.wrapInFunction = c.wrapped;
    testing::JobRun run = runJob(options);
    ASSERT_TRUE(run.status.ok());
    std::vector<std::string> expected;
    if (c.operations != nullptr) {
      expected.push_back(std::string("war3map.doo.j: about ") + c.operations +
                         " operations in one game thread, more than the 150000 the tool plans "
                         "with, so the game may stop before the last doodad; answer 1 to the "
                         "function question and the tool splits the list across threads");
    }
    EXPECT_EQ(run.warnings, expected) << c.cdOnly << " + " << c.withSl;
  }
}

TEST(DoodadJob, MissingInputTouchesNothing) {
  TempFolder folder;
  writeFile("war3map.old", "older");
  RunOptions options = doodadOptions();
  options.backupDoodadFile = true;
  EXPECT_EQ(runJob(options).status.error, "war3map.doo: cannot open: No such file or directory");
  EXPECT_EQ(folderContents("."), (std::map<std::string, std::string>{{"war3map.old", "older"}}));
}

}  // namespace
}  // namespace mapjass
