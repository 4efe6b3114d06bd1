#include "terrain/terrain_format.h"

#include <cstring>
#include <string>

#include "base/little_endian.h"

namespace mapjass {

namespace {

Status readCount(ByteReader& in, const char* field, int32_t& count) {
  uint64_t start = in.offset();
  const uint8_t* p = in.take(kTerrainCountSize);
  if (p == nullptr) return Status::failure(in.endMessage(start, field));
  count = decodeInt32(p);
  return Status::success();
}

// The ids are allocated only once the count is known to fit in the file.
Status readTilesetIds(ByteReader& in, const char* countField, const char* ids, int32_t count,
                      TilesetIdList& list) {
  std::string counted = std::string(countField) + " is " + std::to_string(count);
  if (count < 0) return Status::failure(in.name() + ": " + counted + "; it cannot be negative");
  uint64_t bytes = static_cast<uint64_t>(count) * kTilesetIdSize;
  // The count and its ids are one location: a count with too few ids after
  // it is cut inside it.
  uint64_t countStart = in.offset() - kTerrainCountSize;
  if (bytes > in.remaining()) {
    return Status::failure(
        in.endMessage(countStart, std::string("the ") + ids,
                      counted + ", but only " + std::to_string(in.remaining()) + " bytes follow"));
  }
  list.count = count;
  list.ids.resize(bytes);
  if (!in.takeInto(reinterpret_cast<uint8_t*>(list.ids.data()), bytes)) {
    return Status::failure(in.endMessage(countStart, std::string("the ") + ids));
  }
  return Status::success();
}

}  // namespace

TilePointFormat tilePointFormatOf(int32_t version) {
  if (version >= kFirstWideTerrainVersion) return {kWideTilePointSize, 0x3F};
  return {kClassicTilePointSize, 0x0F};
}

Status readTerrainPreamble(ByteReader& in, TerrainPreamble& preamble) {
  TerrainFileHeader& header = preamble.header;
  const uint8_t* p = in.take(kTerrainHeaderSize);
  if (p == nullptr) return Status::failure(in.endMessage(0, "the 17-byte header"));
  std::memcpy(header.signature, p, 4);
  header.version = decodeInt32(p + 4);
  header.mainTileset = static_cast<char>(p[8]);
  header.customTilesets = decodeInt32(p + 9);
  header.groundTilesetCount = decodeInt32(p + 13);
  preamble.partsRead = 1;

  Status status = readTilesetIds(in, "groundTilesetCount", "ground tileset ids",
                                 header.groundTilesetCount, preamble.groundTilesets);
  if (!status.ok()) return status;
  preamble.partsRead = 2;

  int32_t cliffCount = 0;
  if (status = readCount(in, "cliffTilesetCount", cliffCount); !status.ok()) return status;
  preamble.cliffTilesets.count = cliffCount;
  preamble.partsRead = 3;
  status = readTilesetIds(in, "cliffTilesetCount", "cliff tileset ids", cliffCount,
                          preamble.cliffTilesets);
  if (!status.ok()) return status;
  preamble.partsRead = 4;

  uint64_t gridStart = in.offset();
  p = in.take(kTerrainGridSize);
  if (p == nullptr) return Status::failure(in.endMessage(gridStart, "the 16-byte grid size"));
  TerrainGrid& grid = preamble.grid;
  grid.pointsX = decodeInt32(p);
  grid.pointsY = decodeInt32(p + 4);
  grid.centerX = floatFromBits(decodeUint32(p + 8));
  grid.centerY = floatFromBits(decodeUint32(p + 12));
  preamble.partsRead = 5;
  return Status::success();
}

}  // namespace mapjass
