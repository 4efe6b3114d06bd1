// The terrain file "war3map.w3e". It is only read, never written.
//
// Every field is little-endian and packed, with no alignment gaps.
//
//   0  char[4] signature
//   4  int32   version
//   8  char    mainTileset
//   9  int32   customTilesets
//  13  int32   groundTilesetCount (G)
//  17  G x char[4]  ground tileset ids
//  17 + 4G        int32 cliffTilesetCount (C)
//  21 + 4G        C x char[4]  cliff tileset ids
//  21 + 4G + 4C   grid, 16 bytes: int32 pointsX, int32 pointsY,
//                 float32 centerX, float32 centerY
//  37 + 4G + 4C   pointsX x pointsY tile points, row after row
//
// Tile point, 7 bytes up to version 11:
//   0 int16 groundHeight  2 waterLevel (2 bytes)
//   4 uint8 textureAndFlags: low 4 bits are the ground texture index
//   5 uint8 textureDetails  6 uint8 cliffAndLayer: low 4 bits are the layer height
// Version 12 and later (64 ground tilesets) widen textureAndFlags to a
// uint16 whose low 6 bits are the texture index, so a point is 8 bytes:
//   0 int16 groundHeight  2 waterLevel  4 uint16 textureAndFlags
//   6 uint8 textureDetails  7 uint8 cliffAndLayer
//
// Point (column c, row r) stands at x = centerX + 128c, y = centerY + 128r.
// A ground tileset id made of zero bytes is an empty slot: it names no tileset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/byte_reader.h"
#include "base/little_endian.h"
#include "base/status.h"

namespace mapjass {

inline constexpr size_t kTerrainHeaderSize = 17;
inline constexpr size_t kTerrainCountSize = 4;
inline constexpr size_t kTilesetIdSize = 4;
inline constexpr size_t kTerrainGridSize = 16;
inline constexpr size_t kClassicTilePointSize = 7;
inline constexpr size_t kWideTilePointSize = 8;
inline constexpr int32_t kFirstWideTerrainVersion = 12;
// Points are 128 map units apart.
inline constexpr int kTilePointSpacing = 128;

struct TerrainFileHeader {
  char signature[4];
  int32_t version;
  char mainTileset;
  int32_t customTilesets;
  int32_t groundTilesetCount;
};

struct TilesetIdList {
  int32_t count = 0;
  std::vector<char> ids;  // 4 x count characters, id i at 4i
};

struct TerrainGrid {
  int32_t pointsX;
  int32_t pointsY;
  float centerX;
  float centerY;
};

struct TilePoint {
  int16_t groundHeight;
  uint8_t waterLevel[2];
  uint16_t textureAndFlags;
  uint8_t textureDetails;
  uint8_t cliffAndLayer;
};

struct TerrainPreamble {
  TerrainFileHeader header;
  TilesetIdList groundTilesets;
  TilesetIdList cliffTilesets;  // its count is set as soon as it is read
  TerrainGrid grid;
  // How many of the five parts above were read, in file order: the header,
  // the ground ids, the cliff count, the cliff ids and the grid. The report
  // shows these also when a later part could not be read.
  int partsRead = 0;
};

// How the tile points of one file are laid out.
struct TilePointFormat {
  size_t size;
  uint16_t textureMask;
};

TilePointFormat tilePointFormatOf(int32_t version);

// Reads everything before the first tile point. Fails on a short file and
// on a tileset count that is negative or larger than the file can hold.
Status readTerrainPreamble(ByteReader& in, TerrainPreamble& preamble);

// Reads the next point. False when the input ends first. Inline: it runs once
// for every point of the map.
inline bool readTilePoint(ByteReader& in, TilePointFormat format, TilePoint& point) {
  const uint8_t* p = in.take(format.size);
  if (p == nullptr) return false;
  point.groundHeight = decodeInt16(p);
  point.waterLevel[0] = p[2];
  point.waterLevel[1] = p[3];
  if (format.size == kWideTilePointSize) {
    point.textureAndFlags = decodeUint16(p + 4);
    p += 1;
  } else {
    point.textureAndFlags = p[4];
  }
  point.textureDetails = p[5];
  point.cliffAndLayer = p[6];
  return true;
}

inline int groundTextureIndexOf(const TilePoint& point, TilePointFormat format) {
  return point.textureAndFlags & format.textureMask;
}

inline int layerHeightOf(const TilePoint& point) {
  return point.cliffAndLayer & 0x0F;
}

// The id's four characters; `index` must be below the list's count.
inline const char* tilesetIdAt(const TilesetIdList& list, int index) {
  return list.ids.data() + static_cast<size_t>(index) * kTilesetIdSize;
}

}  // namespace mapjass
