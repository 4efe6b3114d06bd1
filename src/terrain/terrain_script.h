// The text of "war3map.w3e.j", a height line and a texture line per tile
// point, and of the terrain report on the console.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/script_text.h"
#include "terrain/terrain_format.h"

namespace mapjass {

// The report of the parts of the preamble that were read.
std::string terrainReport(const TerrainPreamble& preamble);

// The depth of the crater that brings flat ground to the point's height:
// (8192 - groundHeight) / 4 + (2 - layer height) * 128, the division
// truncating toward zero.
int32_t craterDepthOf(const TilePoint& point);

// Writes the lines of the points of one grid. Every point of a column has
// the same x and every point of a row the same y, so their texts are made
// once: x for the first kMaxCachedColumns columns, y when a row starts.
class TerrainLineWriter {
 public:
  static constexpr int64_t kMaxCachedColumns = 1 << 16;
  // Position texts are copied in whole slots of this many bytes rather than
  // by their exact size, which is much cheaper; longer ones are copied
  // exactly.
  static constexpr size_t kSlot = 32;
  // The room that writePoint() needs, slack of the slot copies included.
  static constexpr size_t kMaxLinesSize = 4 * kMaxFixed2Size + 4 * kSlot;

  // `columns` is the number of points in a row (0 when there are none).
  TerrainLineWriter(const TerrainGrid& grid, int64_t columns);

  // Starts row `row`.
  void startRow(int64_t row);

  // Writes the lines of the point in `column` of the current row: the
  // height line when `depth` is not 0, then the texture line when `id` (four
  // characters) is given. Returns the end of what was written.
  char* writePoint(char* out, int64_t column, int32_t depth, const char* id);

 private:
  float centerX_, centerY_;
  std::vector<char> xSlots_;
  std::vector<uint8_t> xSizes_;              // 0: too long for a slot
  char yText_[kMaxFixed2Size + kSlot] = {};  // ", y" of the current row
  size_t ySize_ = 0;
  char xy_[2 * kMaxFixed2Size + 2 * kSlot] = {};  // "x, y" of the current point
};

}  // namespace mapjass
