#include "sample_map.h"

namespace mapjass::testing {

namespace {

TestDoodad doodad(const char* type, float x, float y, float z, float angle, float scale,
                  int variation, int life, int editorId) {
  TestDoodad d;
  d.typeId = type;
  d.x = x;
  d.y = y;
  d.z = z;
  d.angle = angle;
  d.scaleX = d.scaleY = d.scaleZ = scale;
  d.variation = variation;
  d.life = static_cast<uint8_t>(life);
  d.editorId = editorId;
  return d;
}

// A clearing in a forest: trees at full and partial life, a damaged gate
// that drops items, rocks and a barrel.
std::vector<TestDoodad> clearing() {
  return {
      doodad("LTlt", -896, -768, 0, 4.712389f, 1, 0, 100, 0),
      doodad("LTlt", -768, -704, 0, 4.712389f, 1.1f, 3, 100, 1),
      doodad("LTlt", -640, -768, 0, 4.712389f, 0.9f, 7, 60, 2),
      doodad("LTlt", 512.3456f, 640.25f, 12.5f, 1.570796f, 1.25f, 2, 25, 3),
      doodad("LTbr", 128, -256.5f, 0, 0.785398f, 1, 0, 99, 4),
      doodad("LTg1", 0, 384, 0, 3.141593f, 1, 0, 50, 5),
      doodad("LTrc", -192.75f, 256, -3.5f, 2.356194f, 0.75f, 1, 100, 6),
      doodad("LTrt", 1000000, 0.000015f, 0, 0, 1, 0, 0, 7),
  };
}

TestTerrainFile meadow(int32_t version) {
  TestTerrainFile file;
  file.version = version;
  file.groundTilesets = {"Ldrt", "Lgrs", "Lrok", "Lgrd"};
  file.cliffTilesets = {"CLdi", "CLgr"};
  file.pointsX = 6;
  file.pointsY = 5;
  file.centerX = -384;
  file.centerY = -256;
  for (int row = 0; row < file.pointsY; ++row) {
    for (int column = 0; column < file.pointsX; ++column) {
      TestTilePoint point;
      // A hill in the middle, grass around it and rock on top.
      int distance = (row - 2) * (row - 2) + (column - 3) * (column - 3);
      point.groundHeight = static_cast<int16_t>(0x2000 + (distance < 3 ? 200 - 60 * distance : 0));
      point.textureAndFlags = static_cast<uint16_t>(distance == 0 ? 2 : (row + column) % 2);
      point.cliffAndLayer = static_cast<uint8_t>(distance == 0 ? 3 : 2);
      file.points.push_back(point);
    }
  }
  return file;
}

}  // namespace

std::vector<SampleMap> sampleMaps() {
  // Frozen Throne: version 8 records; the gate carries a set of items.
  TestDoodadFile tft{.version = 8, .subversion = 11, .doodads = clearing()};
  tft.doodads[5].itemSets = {ItemSet{{{"ratc", 60}, {"rat6", 40}}}};
  // Reforged: version 8 records with skin ids, and 8-byte terrain points.
  TestDoodadFile reforged{.version = 8, .subversion = 11, .doodads = clearing()};
  for (TestDoodad& d : reforged.doodads) d.skinId = d.typeId;
  // Reign of Chaos: version 7 records.
  TestDoodadFile roc{.version = 7, .subversion = 9, .doodads = clearing()};
  return {{"tft", doodadFileBytes(tft), terrainFileBytes(meadow(11))},
          {"reforged", doodadFileBytes(reforged), terrainFileBytes(meadow(12))},
          {"roc", doodadFileBytes(roc), terrainFileBytes(meadow(11))}};
}

}  // namespace mapjass::testing
