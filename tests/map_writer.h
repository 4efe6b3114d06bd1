// Builds doodad and terrain files byte by byte for the tests, the fuzz
// targets' seeds and the benchmarks. It is written apart from the readers so that
// a mistake in one does not hide the same mistake in the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mapjass::testing {

// File contents, byte for byte.
using Bytes = std::string;

struct ItemSet {
  std::vector<std::pair<std::string, int32_t>> items;  // id, chance
  std::optional<int32_t> countOverride;                // written instead of items.size()
};

struct TestDoodad {
  std::string typeId = "LTlt";
  int32_t variation = 0;
  float x = 0, y = 0, z = 0, angle = 0;
  float scaleX = 1, scaleY = 1, scaleZ = 1;
  uint8_t flags = 2;
  uint8_t life = 100;
  int32_t itemTablePointer = -1;
  int32_t editorId = 0;
  std::vector<ItemSet> itemSets;
  std::string skinId;  // four characters, or empty for none
};

// A doodad as the editor places one: OBJ1 at (512.3456, -256.5, 0), facing
// the editor's default of 270 degrees (4.712389 radians), scale 1.25,
// variation 2, half its life.
TestDoodad typicalDoodad();

struct TestDoodadFile {
  std::string signature = "W3do";
  int32_t version = 8;
  int32_t subversion = 11;
  int32_t doodadCount = -1;  // -1: the number of doodads
  std::vector<TestDoodad> doodads;
  Bytes trailer = Bytes(8, 0);  // the special-doodad section
};

// Records are V7 (42 bytes) when version is 7, otherwise V8 with the skin id
// and item sets that each doodad carries.
Bytes doodadFileBytes(const TestDoodadFile& file);

struct TestTilePoint {
  int16_t groundHeight = 0x2000;
  uint16_t waterLevel = 0;
  uint16_t textureAndFlags = 0;
  uint8_t textureDetails = 0;
  uint8_t cliffAndLayer = 2;
};

struct TestTerrainFile {
  std::string signature = "W3E!";
  int32_t version = 11;
  char mainTileset = 'L';
  int32_t customTilesets = 0;
  std::vector<std::string> groundTilesets = {"Ldrt", "Lgrs"};
  std::vector<std::string> cliffTilesets = {"CLdi"};
  int32_t pointsX = 2, pointsY = 2;
  float centerX = -128, centerY = -128;
  std::vector<TestTilePoint> points;  // written as they are, however many
};

// Points are 7 bytes below version 12 and 8 from version 12 on.
Bytes terrainFileBytes(const TestTerrainFile& file);

struct TestMapInfo {
  int32_t format = 31;   // 31: game 1.32's editor
  int32_t language = 1;  // 0 JASS, 1 Lua; written from format 28 on
};

// A war3map.w3i up to the script language and the field after it, its
// strings not empty, so that a reader must find their ends. Formats below
// 27 lack the game version, below 28 the script language; their other
// fields stand as in format 28, as nothing reads them.
Bytes mapInfoBytes(const TestMapInfo& info);

}  // namespace mapjass::testing
