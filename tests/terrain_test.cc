// The terrain job on files in a folder: the report, the lines for each
// option, and what a short or damaged file leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "map_writer.h"
#include "terrain/terrain_job.h"
#include "terrain/terrain_script.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace std::string_literals;
using namespace testing;

JobRun run(const TempFolder& folder, const TerrainJobOptions& options) {
  return runJob(runTerrainJob, options, folder);
}

TestTerrainFile grid(int32_t pointsX, int32_t pointsY, float centerX, float centerY) {
  int64_t count = pointsX > 0 && pointsY > 0 ? int64_t{pointsX} * pointsY : 0;
  return {.pointsX = pointsX,
          .pointsY = pointsY,
          .centerX = centerX,
          .centerY = centerY,
          .points = std::vector<TestTilePoint>(static_cast<size_t>(count))};
}

TEST(TerrainJob, CraterDepth) {
  struct Case {
    int16_t height;
    uint8_t cliffAndLayer;
    int32_t depth;
  };
  const Case cases[] = {{8192, 2, 0},    {8189, 2, 0},       {8195, 2, 0},       {8188, 2, 1},
                        {8196, 2, -1},   {7792, 2, 100},     {8192, 0, 256},     {8192, 3, -128},
                        {8192, 0xF2, 0}, {32767, 15, -7807}, {-32768, 0, 10496}, {8197, 2, -1}};
  for (const Case& c : cases) {
    TilePoint point{.groundHeight = c.height, .cliffAndLayer = c.cliffAndLayer};
    EXPECT_EQ(craterDepthOf(point), c.depth) << c.height;
  }
}

// Points in file order, row after row; the height line before the texture
// line; the filter compared as a whole, case-sensitive word. An empty slot,
// or an index past the list, names no tileset. Version 12 points take 6 bits
// of a 16-bit field for the index, older ones 4 bits of a byte.
TEST(TerrainJob, LinesForEachOption) {
  TempFolder folder;
  const uint16_t textures[2][6] = {{0xA0, 0x32, 0x02, 0x00, 0xF1, 0x09},
                                   {0x4000, 0x0082, 0x0002, 0x0000, 0xFFC1, 0x0050}};
  const char* depths[6] = {"100", nullptr, "-1", "-128", "2048", "256"};
  const char* ids[6] = {"Ldrt", "Lgrs", "Lgrs", "Ldrt", nullptr, nullptr};
  auto script = [&](bool heights, const std::string& only) {
    std::string text;
    for (int i = 0; i < 6; ++i) {
      std::string xy = std::to_string(-1536 + 128 * (i % 3)) + ".00, " +
                       std::to_string(-2048 + 128 * (i / 3)) + ".00";
      if (heights && depths[i] != nullptr) {
        text += "call TerrainDeformCrater(" + xy + ", 128, " + depths[i] + ".00, 1, true)\n";
      }
      if (ids[i] != nullptr && (only.empty() || only == ids[i])) {
        text += "call SetTerrainType(" + xy + ", '" + ids[i] + "', -1, 1, 1)\n";
      }
    }
    return text;
  };
  auto only = [](const char* filter) {
    return TerrainJobOptions{.heights = false, .filter = filter};
  };
  // clang-format off
  const std::pair<TerrainJobOptions, std::string> cases[] = {
      {{}, script(true, "")}, {{.heights = false}, script(false, "")},
      {only("Ldrt"), script(false, "Ldrt")}, {only("Lgrs"), script(false, "Lgrs")},
      {only("ldrt"), ""}, {only("Ldr"), ""}, {only("Ldrtx"), ""}};
  // clang-format on
  for (int32_t version : {11, 12}) {
    const uint16_t* texture = textures[version - 11];
    TestTerrainFile file = grid(3, 2, -1536, -2048);
    file.version = version;
    file.groundTilesets = {"Ldrt", "\0\0\0\0"s, "Lgrs"};
    file.points = {{7792, 0, texture[0]}, {0x2000, 0, texture[1]},
                   {8196, 0, texture[2]}, {0x2000, 0, texture[3], 0, 0xF3},
                   {-1, 0, texture[4]},   {8192, 0, texture[5], 0, 0}};
    folder.write("war3map.w3e", terrainFileBytes(file));
    for (const auto& [options, expected] : cases) {
      JobRun job = run(folder, options);
      ASSERT_TRUE(job.status.ok()) << job.status.error;
      EXPECT_EQ(folder.read("war3map.w3e.j"), expected) << version << options.filter.value_or("");
      std::vector<std::string> warnings = {
          "war3map.w3e: 2 tile points name no ground tileset (a texture index past the list, or "
          "an empty slot); they got no texture line"};
      if (options.filter && *options.filter != "Ldrt" && *options.filter != "Lgrs") {
        warnings.push_back("war3map.w3e: no ground tileset is '" + *options.filter +
                           "'; the file has Ldrt, Lgrs");
      }
      EXPECT_EQ(job.warnings, warnings);
    }
  }
}

// A filter that equals no ground tileset id is warned about, with the ids
// that a point can name: the first 16, or 64 from version 12 on, less the
// empty slots. (The lines' test has the filters that match.)
TEST(TerrainJob, SaysWhenTheFilterMatchesNothing) {
  TempFolder folder;
  std::vector<std::string> ids = {"Ldrt", "\0\0\0\0"s};
  std::string first16 = "Ldrt", all;
  for (int i = 2; i < 20; ++i) {
    char id[8];
    std::snprintf(id, sizeof id, "X%d", 100 + i);
    ids.push_back(id);
    if (i < 16) first16.append(", ").append(id);
  }
  all = first16 + ", X116, X117, X118, X119";
  // clang-format off
  const std::tuple<int32_t, std::vector<std::string>, std::string, std::string> cases[] = {
      {11, ids, "X999", first16}, {12, ids, "X999", all}, {11, ids, "X117", ""},
      {11, {}, "Ldrt", "none"}};
  // clang-format on
  for (const auto& [version, groundIds, filter, has] : cases) {
    TestTerrainFile file = grid(0, 0, 0, 0);
    file.version = version;
    file.groundTilesets = groundIds;
    folder.write("war3map.w3e", terrainFileBytes(file));
    JobRun job = run(folder, {.heights = false, .filter = filter});
    ASSERT_TRUE(job.status.ok());
    std::vector<std::string> warnings;
    if (!has.empty()) {
      warnings.push_back("war3map.w3e: no ground tileset is '" + filter + "'; the file has " + has);
    }
    EXPECT_EQ(job.warnings, warnings) << version << filter;
  }
}

// Positions of any length, and rows wider than the columns whose text is
// kept, are written exactly as %.2f writes them. Zero or negative on either
// side means no points.
TEST(TerrainJob, EveryPositionAsPrintfWritesIt) {
  TempFolder folder;
  for (TestTerrainFile file : {grid(3, 2, 3e38f, -3e38f), grid(2, 2, -1.5e9f, 0.125f),
                               grid(65'538, 1, -1000000.5f, 64.25f), grid(0, 5, 0, 0),
                               grid(5, 0, 0, 0), grid(-2, 3, 0, 0), grid(-2, -3, 0, 0)}) {
    folder.write("war3map.w3e", terrainFileBytes(file));
    folder.write("war3map.w3e.j", "earlier");
    ASSERT_TRUE(run(folder, {.heights = false}).status.ok());
    std::string expected;
    for (size_t i = 0; i < file.points.size(); ++i) {
      char line[256];
      std::snprintf(line, sizeof line, "call SetTerrainType(%.2f, %.2f, 'Ldrt', -1, 1, 1)\n",
                    static_cast<double>(128 * (i % file.pointsX)) + file.centerX,
                    static_cast<double>(128 * (i / file.pointsX)) + file.centerY);
      expected += line;
    }
    EXPECT_EQ(differences(folder.read("war3map.w3e.j"), expected), "") << file.pointsX;
  }
}

// 16 operations a line: more than 9,375 lines cannot run in one thread.
TEST(TerrainJob, WarnsWhereTheScriptIsTooLongForOneThread) {
  TempFolder folder;
  const std::string warning =
      "war3map.w3e.j: 9376 lines, about 150016 operations in one game thread, more than the "
      "150000 the tool plans with, so the game may stop before the last line; mapjass-split "
      "spreads them over functions that each fit one thread";
  // clang-format off
  for (auto [points, height, warned] : {std::tuple{9375, 0x2000, false}, {9376, 0x2000, true},
                                        {4687, 8000, false}, {4688, 8000, true}}) {
    // clang-format on
    TestTerrainFile file = grid(points, 1, 0, 0);
    for (TestTilePoint& point : file.points) point.groundHeight = static_cast<int16_t>(height);
    folder.write("war3map.w3e", terrainFileBytes(file));
    JobRun job = run(folder, {});
    ASSERT_TRUE(job.status.ok());
    EXPECT_EQ(job.warnings, warned ? std::vector{warning} : std::vector<std::string>{}) << points;
  }
}

// At every length the message names what is cut and where, the report shows
// the parts read before it, and the earlier script stays.
TEST(TerrainJob, EveryTruncationFailsCleanly) {
  TempFolder folder;
  for (int32_t version : {11, 12}) {
    TestTerrainFile file = grid(3, 2, -1536, -2048);
    file.version = version;
    if (version == 12) file.signature = "W3\0!"s;  // the report stops at the zero
    const Bytes whole = terrainFileBytes(file);
    const std::string parts[5] = {"\nFILE: " + std::string(version == 12 ? "W3" : "W3E!") +
                                      "\n Version: " + std::to_string(version) +
                                      "\n Type:L\n0\n Tilesets(ground) 2\n",
                                  "List: LdrtLgrs\n", "Tilesets(cliffs): 1\n", "List: CLdi\n",
                                  "\nCX: -1536.000000, CY: -2048.000000 \n MX: 3, MY: 2 \n \n \n " +
                                      std::to_string(version - 4)};
    const size_t partEnds[5] = {17, 25, 29, 33, 49}, pointSize = version - 4;
    for (size_t length = 0; length < whole.size(); ++length) {
      folder.write("war3map.w3e", whole.substr(0, length));
      folder.write("war3map.w3e.j", "earlier");
      auto ends = [&](size_t start, const std::string& location) {
        return std::string(length == start ? "before " : "inside ") + location;
      };
      std::string expected, report;
      for (size_t part = 0; part < 5 && partEnds[part] <= length; ++part) report += parts[part];
      if (length < 17) {
        expected = ends(0, "the 17-byte header");
      } else if (length < 25) {
        expected = "inside the ground tileset ids: groundTilesetCount is 2, but only " +
                   std::to_string(length - 17) + " bytes follow";
      } else if (length < 29) {
        expected = ends(25, "cliffTilesetCount");
      } else if (length < 33) {
        expected = "inside the cliff tileset ids: cliffTilesetCount is 1, but only " +
                   std::to_string(length - 29) + " bytes follow";
      } else if (length < 49) {
        expected = ends(33, "the 16-byte grid size");
      } else {
        size_t point = (length - 49) / pointSize;
        expected = ends(49 + point * pointSize, "tile point " + std::to_string(point + 1) +
                                                    " of 6 (column " + std::to_string(point % 3) +
                                                    ", row " + std::to_string(point / 3) + ")");
      }
      JobRun job = run(folder, {});
      EXPECT_EQ(job.status.error,
                "war3map.w3e: file ends " + expected + " (offset " + std::to_string(length) + ")");
      EXPECT_EQ(job.report, report) << length;
      EXPECT_EQ(folder.contents().size(), 2u);
      EXPECT_EQ(folder.read("war3map.w3e.j"), "earlier");
    }
  }
  folder.write("war3map.w3e", terrainFileBytes({.centerY = -INFINITY}));
  EXPECT_EQ(run(folder, {}).status.error, "war3map.w3e: centerY is not a finite number");
  EXPECT_EQ(folder.read("war3map.w3e.j"), "earlier");
}

}  // namespace
}  // namespace mapjass
