#include "terrain/terrain_job.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using testing::Bytes;
using testing::folderContents;
using testing::readFile;
using testing::TempFolder;
using testing::TestTerrainFile;
using testing::TestTilePoint;
using testing::writeFile;

testing::JobRun runJob(const RunOptions& options) {
  return testing::runJob(runTerrainJob, options);
}

RunOptions terrainOptions(bool texturesOnly = false, const char* filter = nullptr) {
  RunOptions options;
  options.convertTerrain = true;
  options.texturesOnly = texturesOnly;
  options.filterEnabled = filter != nullptr;
  if (filter != nullptr) options.filterTexture = filter;
  return options;
}

TEST(TerrainJob, CraterDepth) {
  struct Case {
    int16_t height;
    uint8_t cliffAndLayer;
    int32_t depth;
  };
  const Case cases[] = {{8192, 2, 0},    {8189, 2, 0},       {8195, 2, 0},       {8188, 2, 1},
                        {8196, 2, -1},   {7792, 2, 100},     {8192, 0, 256},     {8192, 3, -128},
                        {8192, 0xF2, 0}, {32767, 15, -7807}, {-32768, 0, 10496}, {8187, 2, 1}};
  for (const Case& c : cases) {
    TilePoint point{};
    point.groundHeight = c.height;
    point.cliffAndLayer = c.cliffAndLayer;
    EXPECT_EQ(craterDepthOf(point), c.depth) << c.height;
  }
}

TEST(TerrainJob, PositionsOrderAndLines) {
  TempFolder folder;
  TestTerrainFile file{.pointsX = 3, .pointsY = 2, .centerX = -1536, .centerY = -2048};
  file.points = {{.groundHeight = 7792},
                 {.textureAndFlags = 0x31},
                 {.groundHeight = 8196, .textureAndFlags = 0x01},
                 {.cliffAndLayer = 0xF3},
                 {},
                 {.groundHeight = 8192, .cliffAndLayer = 0}};
  writeFile("war3map.w3e", testing::terrainFileBytes(file));
  testing::JobRun run = runJob(terrainOptions());
  ASSERT_TRUE(run.status.ok()) << run.status.error;
  EXPECT_EQ(readFile("war3map.w3e.j"),
            "call TerrainDeformCrater(-1536.00, -2048.00, 128, 100.00, 1, true)\n"
            "call SetTerrainType(-1536.00, -2048.00, 'Ldrt', -1, 1, 1)\n"
            "call SetTerrainType(-1408.00, -2048.00, 'Lgrs', -1, 1, 1)\n"
            "call TerrainDeformCrater(-1280.00, -2048.00, 128, -1.00, 1, true)\n"
            "call SetTerrainType(-1280.00, -2048.00, 'Lgrs', -1, 1, 1)\n"
            "call TerrainDeformCrater(-1536.00, -1920.00, 128, -128.00, 1, true)\n"
            "call SetTerrainType(-1536.00, -1920.00, 'Ldrt', -1, 1, 1)\n"
            "call SetTerrainType(-1408.00, -1920.00, 'Ldrt', -1, 1, 1)\n"
            "call TerrainDeformCrater(-1280.00, -1920.00, 128, 256.00, 1, true)\n"
            "call SetTerrainType(-1280.00, -1920.00, 'Ldrt', -1, 1, 1)\n");
  EXPECT_TRUE(run.warnings.empty());
}

TEST(TerrainJob, TexturesOnlyAndFilter) {
  TempFolder folder;
  TestTerrainFile file{.pointsX = 2, .pointsY = 1, .centerX = 0.125f, .centerY = 64.5f};
  file.points = {{.groundHeight = 0, .textureAndFlags = 0}, {.textureAndFlags = 1}};
  writeFile("war3map.w3e", testing::terrainFileBytes(file));
  const std::string ldrt = "call SetTerrainType(0.12, 64.50, 'Ldrt', -1, 1, 1)\n";
  const std::string lgrs = "call SetTerrainType(128.12, 64.50, 'Lgrs', -1, 1, 1)\n";
  struct Case {
    RunOptions options;
    std::string script;
  };
  const Case cases[] = {
      {terrainOptions(true), ldrt + lgrs},  {terrainOptions(true, "Ldrt"), ldrt},
      {terrainOptions(true, "Lgrs"), lgrs}, {terrainOptions(true, "ldrt"), ""},
      {terrainOptions(true, "Ldr"), ""},    {terrainOptions(true, "Ldrtx"), ""},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(runJob(c.options).status.ok());
    EXPECT_EQ(readFile("war3map.w3e.j"), c.script) << c.options.filterTexture;
  }
}

TEST(TerrainJob, PointsWithoutATilesetGetNoTextureLine) {
  TempFolder folder;
  for (int32_t version : {11, 12}) {
    TestTerrainFile file{.version = version,
                         .groundTilesets = {"Ldrt", std::string("\0\0\0\0", 4), "Lgrs"},
                         .pointsX = 4,
                         .pointsY = 1,
                         .centerX = 0,
                         .centerY = 0};
    file.points = {{.textureAndFlags = 1},
                   {.textureAndFlags = 2},
                   {.groundHeight = 8000, .textureAndFlags = 9},
                   {.textureAndFlags = 0}};
    writeFile("war3map.w3e", testing::terrainFileBytes(file));
    testing::JobRun run = runJob(terrainOptions());
    ASSERT_TRUE(run.status.ok());
    EXPECT_EQ(readFile("war3map.w3e.j"),
              "call SetTerrainType(128.00, 0.00, 'Lgrs', -1, 1, 1)\n"
              "call TerrainDeformCrater(256.00, 0.00, 128, 48.00, 1, true)\n"
              "call SetTerrainType(384.00, 0.00, 'Ldrt', -1, 1, 1)\n");
    EXPECT_EQ(run.warnings, std::vector<std::string>{
                                "war3map.w3e: 2 tile points name no ground tileset (a texture "
                                "index past the list, or an empty slot); they got no texture "
                                "line"});
  }
}

// 16 operations a line: more than 9,375 lines cannot run in one thread.
TEST(TerrainJob, WarnsWhereTheScriptIsTooLongForOneThread) {
  TempFolder folder;
  struct Case {
    int32_t pointsX, pointsY;
    int16_t height;  // 8192: no height line
    bool texturesOnly;
    std::vector<std::string> warnings;
  };
  const std::string tail =
      " operations in one game thread, more than the 150000 the tool plans with, so the game may "
      "stop before the last line; the README's section \"Large maps and the game's limits\" "
      "shows how to split them";
  const Case cases[] = {
      {9375, 1, 8192, false, {}},
      {9376, 1, 8192, false, {"war3map.w3e.j: 9376 lines, about 150016" + tail}},
      {4688, 1, 8000, false, {"war3map.w3e.j: 9376 lines, about 150016" + tail}},
      {4687, 2, 8000, true, {}},
      {4688, 2, 8000, true, {"war3map.w3e.j: 9376 lines, about 150016" + tail}},
  };
  for (const Case& c : cases) {
    TestTerrainFile file{.pointsX = c.pointsX, .pointsY = c.pointsY};
    file.points.assign(static_cast<size_t>(c.pointsX * c.pointsY),
                       TestTilePoint{.groundHeight = c.height});
    writeFile("war3map.w3e", testing::terrainFileBytes(file));
    testing::JobRun run = runJob(terrainOptions(c.texturesOnly));
    ASSERT_TRUE(run.status.ok());
    EXPECT_EQ(run.warnings, c.warnings) << c.pointsX << " x " << c.pointsY;
  }
}

TEST(TerrainJob, NoPointsForZeroOrNegativeSides) {
  TempFolder folder;
  for (auto [x, y] :
       std::vector<std::pair<int32_t, int32_t>>{{0, 5}, {5, 0}, {-2, 3}, {3, -2}, {-2, -3}}) {
    writeFile("war3map.w3e.j", "earlier");
    TestTerrainFile file{.pointsX = x, .pointsY = y};
    writeFile("war3map.w3e", testing::terrainFileBytes(file));
    ASSERT_TRUE(runJob(terrainOptions()).status.ok());
    EXPECT_EQ(readFile("war3map.w3e.j"), "");
  }
}

TEST(TerrainJob, EveryTruncationFailsCleanly) {
  TempFolder folder;
  for (int32_t version : {11, 12}) {
    TestTerrainFile file{.version = version, .pointsX = 3, .pointsY = 2};
    file.points.resize(6);
    Bytes whole = testing::terrainFileBytes(file);
    for (size_t length = 0; length < whole.size(); ++length) {
      writeFile("war3map.w3e", Bytes(whole.begin(), whole.begin() + length));
      writeFile("war3map.w3e.j", "earlier");
      std::string error = runJob(terrainOptions()).status.error;
      EXPECT_EQ(error.rfind("war3map.w3e: file ends ", 0), 0u) << length << ": " << error;
      EXPECT_NE(error.find("(offset " + std::to_string(length) + ")"), std::string::npos) << error;
      EXPECT_EQ(readFile("war3map.w3e.j"), "earlier");
      EXPECT_EQ(folderContents(".").size(), 2u);
    }
  }
  writeFile("war3map.w3e", testing::terrainFileBytes({.centerY = -INFINITY}));
  EXPECT_EQ(runJob(terrainOptions()).status.error, "war3map.w3e: centerY is not a finite number");
  EXPECT_EQ(readFile("war3map.w3e.j"), "earlier");
}

}  // namespace
}  // namespace mapjass
