#include "terrain/terrain_format.h"

#include <charconv>
#include <cstring>
#include <string>

#include "base/four_char_code.h"
#include "base/little_endian.h"

namespace mapjass {

namespace {

void print(std::FILE* console, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), console);
}

// "%f" of a float widened to double, exact for every magnitude.
std::string sixDecimals(float value) {
  char text[400];
  auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                              std::chars_format::fixed, 6);
  return std::string(text, result.ptr);
}

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
  if (bytes > in.remaining()) {
    return Status::failure(in.name() + ": file ends inside the " + ids + ": " + counted +
                           ", but only " + std::to_string(in.remaining()) +
                           " bytes follow (offset " + std::to_string(in.size()) + ")");
  }
  list.count = count;
  list.ids.resize(bytes);
  if (!in.takeInto(reinterpret_cast<uint8_t*>(list.ids.data()), bytes)) {
    return Status::failure(in.endMessage(in.offset(), std::string("the ") + ids));
  }
  return Status::success();
}

void printList(std::FILE* console, const TilesetIdList& list) {
  std::fputs("List: ", console);
  if (!list.ids.empty()) std::fwrite(list.ids.data(), 1, list.ids.size(), console);
  std::fputs("\n", console);
}

}  // namespace

TilePointFormat tilePointFormatOf(int32_t version) {
  if (version >= kFirstWideTerrainVersion) return {kWideTilePointSize, 0x3F};
  return {kClassicTilePointSize, 0x0F};
}

Status readTerrainPreamble(ByteReader& in, std::FILE* console, TerrainPreamble& preamble) {
  TerrainFileHeader& header = preamble.header;
  const uint8_t* p = in.take(kTerrainHeaderSize);
  if (p == nullptr) return Status::failure(in.endMessage(0, "the 17-byte header"));
  std::memcpy(header.signature, p, 4);
  header.version = decodeInt32(p + 4);
  header.mainTileset = static_cast<char>(p[8]);
  header.customTilesets = decodeInt32(p + 9);
  header.groundTilesetCount = decodeInt32(p + 13);
  print(console, "\nFILE: " + std::string(header.signature, fourCharCodeLength(header.signature)) +
                     "\n Version: " + std::to_string(header.version) +
                     "\n Type:" + std::string(1, header.mainTileset) + "\n" +
                     std::to_string(header.customTilesets) + "\n Tilesets(ground) " +
                     std::to_string(header.groundTilesetCount) + "\n");

  Status status = readTilesetIds(in, "groundTilesetCount", "ground tileset ids",
                                 header.groundTilesetCount, preamble.groundTilesets);
  if (!status.ok()) return status;
  printList(console, preamble.groundTilesets);

  int32_t cliffCount = 0;
  if (status = readCount(in, "cliffTilesetCount", cliffCount); !status.ok()) return status;
  print(console, "Tilesets(cliffs): " + std::to_string(cliffCount) + "\n");
  status = readTilesetIds(in, "cliffTilesetCount", "cliff tileset ids", cliffCount,
                          preamble.cliffTilesets);
  if (!status.ok()) return status;
  printList(console, preamble.cliffTilesets);

  uint64_t gridStart = in.offset();
  p = in.take(kTerrainGridSize);
  if (p == nullptr) return Status::failure(in.endMessage(gridStart, "the 16-byte grid size"));
  TerrainGrid& grid = preamble.grid;
  grid.pointsX = decodeInt32(p);
  grid.pointsY = decodeInt32(p + 4);
  grid.centerX = floatFromBits(decodeUint32(p + 8));
  grid.centerY = floatFromBits(decodeUint32(p + 12));
  print(console, "\nCX: " + sixDecimals(grid.centerX) + ", CY: " + sixDecimals(grid.centerY) +
                     " \n MX: " + std::to_string(grid.pointsX) +
                     ", MY: " + std::to_string(grid.pointsY) + " \n \n \n " +
                     std::to_string(tilePointFormatOf(header.version).size));
  std::fflush(console);
  return Status::success();
}

}  // namespace mapjass
