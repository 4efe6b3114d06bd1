#include "terrain/terrain_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace std::string_literals;
using testing::Bytes;
using testing::TestTerrainFile;
using testing::TestTilePoint;

struct PreambleRead {
  Status status;
  std::string report;
  TerrainPreamble preamble;
  uint64_t offset;
};

PreambleRead readPreamble(const Bytes& bytes) {
  ByteReader in = ByteReader::fromMemory(bytes.data(), bytes.size(), "war3map.w3e");
  PreambleRead read;
  read.report = testing::consoleOutput(
      [&](std::FILE* console) { read.status = readTerrainPreamble(in, console, read.preamble); });
  read.offset = in.offset();
  return read;
}

TEST(TerrainFormat, PreambleOffsetsAndReport) {
  struct Case {
    std::vector<std::string> ground;
    std::vector<std::string> cliffs;
    uint64_t firstPoint;
    std::string lists;
  };
  const Case cases[] = {
      {{"Ldrt", "Lgrs"},
       {"CLdi"},
       49,
       " Tilesets(ground) 2\nList: LdrtLgrs\nTilesets(cliffs): 1\nList: CLdi\n"},
      {{}, {}, 37, " Tilesets(ground) 0\nList: \nTilesets(cliffs): 0\nList: \n"},
      {{"Ldrt", "Ldro", "Ldrg"},
       {"CLdi", "CLgr"},
       37 + 12 + 8,
       " Tilesets(ground) 3\nList: LdrtLdroLdrg\nTilesets(cliffs): 2\nList: CLdiCLgr\n"},
      // Empty slots are printed as their raw bytes, all four of each.
      {{std::string(4, '\0'), "Idrt"},
       {},
       45,
       " Tilesets(ground) 2\nList: \0\0\0\0Idrt\nTilesets(cliffs): 0\nList: \n"s},
  };
  for (const Case& c : cases) {
    TestTerrainFile file{.customTilesets = -2,
                         .groundTilesets = c.ground,
                         .cliffTilesets = c.cliffs,
                         .pointsX = 25,
                         .pointsY = 33,
                         .centerX = -1536,
                         .centerY = -2048};
    PreambleRead read = readPreamble(testing::terrainFileBytes(file));
    ASSERT_TRUE(read.status.ok()) << read.status.error;
    EXPECT_EQ(read.offset, c.firstPoint);
    EXPECT_EQ(read.report, "\nFILE: W3E!\n Version: 11\n Type:L\n-2\n" + c.lists +
                               "\nCX: -1536.000000, CY: -2048.000000 \n MX: 25, MY: 33 \n \n \n 7");
    EXPECT_EQ(read.preamble.groundTilesets.count, static_cast<int32_t>(c.ground.size()));
  }
}

TEST(TerrainFormat, SignatureStopsAtAZeroByteAndVersion12HasWidePoints) {
  TestTerrainFile file{.signature = std::string("W3\0!", 4), .version = 12};
  PreambleRead read = readPreamble(testing::terrainFileBytes(file));
  ASSERT_TRUE(read.status.ok());
  EXPECT_EQ(read.report.substr(0, 18), "\nFILE: W3\n Version");
  EXPECT_EQ(read.report.substr(read.report.size() - 2), " 8");
}

TEST(TerrainFormat, TilePointFields) {
  struct Case {
    int32_t version;
    TestTilePoint point;
    int16_t height;
    int texture;
    int layer;
  };
  const Case cases[] = {
      {11, {.groundHeight = -1, .textureAndFlags = 0xA3, .cliffAndLayer = 0x2E}, -1, 3, 14},
      {11, {.groundHeight = 8192, .textureAndFlags = 0x31, .cliffAndLayer = 0xF2}, 8192, 1, 2},
      {12, {.groundHeight = 8192, .textureAndFlags = 0x01F1, .cliffAndLayer = 0x02}, 8192, 49, 2},
      {12, {.groundHeight = 7000, .textureAndFlags = 0xFFC5, .cliffAndLayer = 0x0F}, 7000, 5, 15},
  };
  for (const Case& c : cases) {
    TestTerrainFile file{.version = c.version, .pointsX = 1, .pointsY = 1, .points = {c.point}};
    Bytes bytes = testing::terrainFileBytes(file);
    ByteReader in = ByteReader::fromMemory(bytes.data(), bytes.size(), "t");
    TerrainPreamble preamble;
    testing::consoleOutput(
        [&](std::FILE* console) { EXPECT_TRUE(readTerrainPreamble(in, console, preamble).ok()); });
    TilePointFormat format = tilePointFormatOf(c.version);
    TilePoint point;
    ASSERT_TRUE(readTilePoint(in, format, point));
    EXPECT_EQ(point.groundHeight, c.height);
    EXPECT_EQ(groundTextureIndexOf(point, format), c.texture);
    EXPECT_EQ(layerHeightOf(point), c.layer);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_FALSE(readTilePoint(in, format, point));
  }
}

TEST(TerrainFormat, CountsAreCheckedBeforeAnythingIsAllocated) {
  Bytes bytes = testing::terrainFileBytes({});
  auto withInt = [&](size_t offset, int32_t value) {
    Bytes changed = bytes;
    for (int i = 0; i < 4; ++i) changed[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    return changed;
  };
  struct Case {
    Bytes input;
    std::string error;
  };
  const Case cases[] = {
      {withInt(13, -5), "war3map.w3e: groundTilesetCount is -5; it cannot be negative"},
      {withInt(13, 2147483647),
       "war3map.w3e: file ends inside the ground tileset ids: groundTilesetCount is 2147483647, "
       "but only 32 bytes follow (offset 49)"},
      {withInt(25, -1), "war3map.w3e: cliffTilesetCount is -1; it cannot be negative"},
      {withInt(25, 6),
       "war3map.w3e: file ends inside the cliff tileset ids: cliffTilesetCount is 6, but only 20 "
       "bytes follow (offset 49)"},
  };
  for (const Case& c : cases) EXPECT_EQ(readPreamble(c.input).status.error, c.error);
}

TEST(TerrainFormat, EveryTruncationOfThePreambleFails) {
  Bytes bytes = testing::terrainFileBytes({});
  ASSERT_EQ(bytes.size(), 49u);
  for (size_t length = 0; length < bytes.size(); ++length) {
    std::string error = readPreamble(Bytes(bytes.begin(), bytes.begin() + length)).status.error;
    std::string piece = length < 17   ? "the 17-byte header"
                        : length < 25 ? "ground tileset ids"
                        : length < 29 ? "cliffTilesetCount"
                        : length < 33 ? "cliff tileset ids"
                                      : "the 16-byte grid size";
    EXPECT_NE(error.find(piece), std::string::npos) << length << ": " << error;
    EXPECT_EQ(error.rfind("war3map.w3e: ", 0), 0u) << error;
  }
}

}  // namespace
}  // namespace mapjass
