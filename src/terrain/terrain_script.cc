#include "terrain/terrain_script.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "base/kept_quirks.h"

namespace mapjass {

namespace {

// "%f" of a float widened to double, exact for every magnitude.
std::string sixDecimals(float value) {
  char text[400];
  auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                              std::chars_format::fixed, 6);
  return std::string(text, result.ptr);
}

std::string listLine(const TilesetIdList& list) {
  return "List: " + std::string(list.ids.begin(), list.ids.end()) + "\n";
}

char* copyText(char* to, const char* from, size_t size) {
  constexpr size_t kSlot = TerrainLineWriter::kSlot;
  if (size <= kSlot) {
    std::memcpy(to, from, kSlot);
  } else if (size <= 2 * kSlot) {
    std::memcpy(to, from, 2 * kSlot);
  } else {
    std::memcpy(to, from, size);
  }
  return to + size;
}

}  // namespace

std::string terrainReport(const TerrainPreamble& preamble) {
  const TerrainFileHeader& header = preamble.header;
  std::string report;
  if (preamble.partsRead < 1) return report;
  report += "\nFILE: " + std::string(header.signature, fourCharCodeLength(header.signature)) +
            "\n Version: " + std::to_string(header.version) +
            "\n Type:" + std::string(1, header.mainTileset) + "\n" +
            std::to_string(header.customTilesets) + "\n Tilesets(ground) " +
            std::to_string(header.groundTilesetCount) + "\n";
  if (preamble.partsRead < 2) return report;
  report += listLine(preamble.groundTilesets);
  if (preamble.partsRead < 3) return report;
  report += "Tilesets(cliffs): " + std::to_string(preamble.cliffTilesets.count) + "\n";
  if (preamble.partsRead < 4) return report;
  report += listLine(preamble.cliffTilesets);
  if (preamble.partsRead < 5) return report;
  // Kept byte for byte on purpose (kept_quirks.h).
  const TerrainGrid& grid = preamble.grid;
  report += "\nCX: " + sixDecimals(grid.centerX) + ", CY: " + sixDecimals(grid.centerY) +
            " \n MX: " + std::to_string(grid.pointsX) + ", MY: " + std::to_string(grid.pointsY) +
            quirks::kBeforeTilePointSize + std::to_string(tilePointFormatOf(header.version).size);
  return report;
}

int32_t craterDepthOf(const TilePoint& point) {
  return (8192 - int32_t{point.groundHeight}) / 4 + (2 - layerHeightOf(point)) * 128;
}

TerrainLineWriter::TerrainLineWriter(const TerrainGrid& grid, int64_t columns)
    : centerX_(grid.centerX), centerY_(grid.centerY) {
  int64_t cached = std::clamp<int64_t>(columns, 0, kMaxCachedColumns);
  xSlots_.resize(static_cast<size_t>(cached) * kSlot);
  xSizes_.resize(static_cast<size_t>(cached));
  for (int64_t column = 0; column < cached; ++column) {
    char text[kMaxFixed2Size];
    size_t size = formatFixed2(text, static_cast<double>(kTilePointSpacing * column) + centerX_);
    if (size < kSlot) {
      std::memcpy(&xSlots_[static_cast<size_t>(column) * kSlot], text, size);
      xSizes_[static_cast<size_t>(column)] = static_cast<uint8_t>(size);
    }
  }
}

void TerrainLineWriter::startRow(int64_t row) {
  std::memcpy(yText_, ", ", 2);
  ySize_ = 2 + formatFixed2(yText_ + 2, static_cast<double>(kTilePointSpacing * row) + centerY_);
}

char* TerrainLineWriter::writePoint(char* out, int64_t column, int32_t depth, const char* id) {
  size_t xSize =
      column < static_cast<int64_t>(xSizes_.size()) ? xSizes_[static_cast<size_t>(column)] : 0;
  if (xSize != 0) {
    std::memcpy(xy_, &xSlots_[static_cast<size_t>(column) * kSlot], kSlot);
  } else {
    xSize = formatFixed2(xy_, static_cast<double>(kTilePointSpacing * column) + centerX_);
  }
  copyText(xy_ + xSize, yText_, ySize_);
  size_t xySize = xSize + ySize_;

  char* p = out;
  if (depth != 0) {
    p = put(p, "call TerrainDeformCrater(");
    p = copyText(p, xy_, xySize);
    p = put(p, ", 128, ");
    p += formatInt(p, depth);
    p = put(p, ".00, 1, true)\n");
  }
  if (id != nullptr) {
    p = put(p, "call SetTerrainType(");
    p = copyText(p, xy_, xySize);
    p = put(p, ", '");
    std::memcpy(p, id, 4);
    p = put(p + 4, "', -1, 1, 1)\n");
  }
  return p;
}

}  // namespace mapjass
