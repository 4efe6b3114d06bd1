#include "terrain/terrain_job.h"

#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_reader.h"
#include "base/game_limits.h"
#include "base/number_text.h"
#include "base/output_file.h"
#include "base/put_literal.h"
#include "terrain/terrain_files.h"

namespace mapjass {

namespace {

// The texture index has at most 6 bits, so only the first 64 ground ids can
// ever be named by a point.
constexpr int kMaxTextureIndexes = 64;

// Columns whose x text is kept; wider rows format x for every point, so
// memory stays bounded whatever the file claims.
constexpr int64_t kMaxCachedColumns = 1 << 16;

// What a texture index gives: the id to write, or nothing.
struct TextureChoice {
  char id[4];
  bool written;  // false: filtered out, or no tileset
  bool missing;  // no tileset: past the list or an empty slot
};

void chooseTextures(const TerrainPreamble& preamble, const RunOptions& options,
                    TextureChoice choices[kMaxTextureIndexes]) {
  const TilesetIdList& ground = preamble.groundTilesets;
  for (int i = 0; i < kMaxTextureIndexes; ++i) {
    TextureChoice& choice = choices[i];
    choice = {{0, 0, 0, 0}, false, true};
    if (i >= ground.count) continue;
    std::memcpy(choice.id, tilesetIdAt(ground, i), 4);
    // An id with a zero byte is an empty slot; it would put NUL into the script.
    if (std::memchr(choice.id, 0, 4) != nullptr) continue;
    choice.missing = false;
    // The filter is compared as a whole, case-sensitive string.
    choice.written = !options.filterEnabled || std::string_view(options.filterTexture.c_str()) ==
                                                   std::string_view(choice.id, 4);
  }
}

std::string pointPiece(int64_t index, int64_t count, const TerrainGrid& grid) {
  return "tile point " + std::to_string(index + 1) + " of " + std::to_string(count) + " (column " +
         std::to_string(index % grid.pointsX) + ", row " + std::to_string(index / grid.pointsX) +
         ")";
}

// Position texts are short: they are copied in whole slots of kSlot bytes
// (both buffers have that much room) rather than by their exact size.
constexpr size_t kSlot = 32;

char* copyText(char* to, const char* from, size_t size) {
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

int32_t craterDepthOf(const TilePoint& point) {
  return (8192 - int32_t{point.groundHeight}) / 4 + (2 - layerHeightOf(point)) * 128;
}

Status runTerrainJob(const RunOptions& options, std::FILE* console, const WarningSink& warn) {
  ByteReader in;
  if (Status opened = ByteReader::openFile(kTerrainFile, in); !opened.ok()) return opened;
  if (Status name = checkNotFolder(kTerrainScriptFile); !name.ok()) return name;
  OutputFile script;
  if (Status created = script.open(kTerrainScriptFile, FileMode::kText); !created.ok()) {
    return created;
  }
  TerrainPreamble preamble;
  if (Status read = readTerrainPreamble(in, console, preamble); !read.ok()) return read;
  const TerrainGrid& grid = preamble.grid;
  // A position that is not a number cannot be written as JASS.
  if (!std::isfinite(grid.centerX) || !std::isfinite(grid.centerY)) {
    return Status::failure(in.name() + ": " +
                           (std::isfinite(grid.centerX) ? "centerY" : "centerX") +
                           " is not a finite number");
  }
  TilePointFormat format = tilePointFormatOf(preamble.header.version);
  // Zero or negative on either side means no points.
  int64_t count = grid.pointsX > 0 && grid.pointsY > 0 ? int64_t{grid.pointsX} * grid.pointsY : 0;
  // A file too short for its points fails at the first missing one, found
  // without reading up to it.
  uint64_t pointsHeld = in.remaining() / format.size;
  if (static_cast<uint64_t>(count) > pointsHeld) {
    uint64_t missingAt = in.offset() + pointsHeld * format.size;
    return Status::failure(
        in.endMessage(missingAt, pointPiece(static_cast<int64_t>(pointsHeld), count, grid)));
  }

  TextureChoice choices[kMaxTextureIndexes];
  chooseTextures(preamble, options, choices);
  // x takes one value per column and y one per row, so their text is made
  // once. Texts are kept in fixed slots and copied whole, which is much
  // cheaper than copies of their exact length. Very wide rows make x for
  // every point, so memory stays bounded.
  int64_t cachedColumns = std::min<int64_t>(count > 0 ? grid.pointsX : 0, kMaxCachedColumns);
  std::vector<char> xSlots(static_cast<size_t>(cachedColumns) * kSlot);
  std::vector<uint8_t> xSizes(static_cast<size_t>(cachedColumns));  // 0: too long for a slot
  for (int64_t column = 0; column < cachedColumns; ++column) {
    char text[kMaxFixed2Size];
    size_t size =
        formatFixed2(text, static_cast<double>(kTilePointSpacing * column) + grid.centerX);
    if (size < kSlot) {
      std::memcpy(&xSlots[static_cast<size_t>(column) * kSlot], text, size);
      xSizes[static_cast<size_t>(column)] = static_cast<uint8_t>(size);
    }
  }

  int64_t missingTilesets = 0;
  int64_t lines = 0;
  TilePoint point;
  char yText[kMaxFixed2Size + kSlot] = {};  // ", y" of the current row
  size_t ySize = 0;
  char xy[2 * kMaxFixed2Size + 2 * kSlot] = {};  // "x, y" of the current point
  // Room for both lines of a point, slack of the whole-slot copies included.
  constexpr size_t kMaxLines = 4 * kMaxFixed2Size + 4 * kSlot;
  int64_t column = 0, row = 0;
  for (int64_t i = 0; i < count; ++i) {
    uint64_t start = in.offset();
    if (!readTilePoint(in, format, point)) {
      return Status::failure(in.endMessage(start, pointPiece(i, count, grid)));
    }
    if (column == 0) {
      std::memcpy(yText, ", ", 2);
      ySize =
          2 + formatFixed2(yText + 2, static_cast<double>(kTilePointSpacing * row) + grid.centerY);
    }
    size_t xSize = column < cachedColumns ? xSizes[static_cast<size_t>(column)] : 0;
    if (xSize != 0) {
      std::memcpy(xy, &xSlots[static_cast<size_t>(column) * kSlot], kSlot);
    } else {
      xSize = formatFixed2(xy, static_cast<double>(kTilePointSpacing * column) + grid.centerX);
    }
    copyText(xy + xSize, yText, ySize);
    size_t xySize = xSize + ySize;

    char* line = script.reserve(kMaxLines);
    char* p = line;
    if (!options.texturesOnly) {
      int32_t depth = craterDepthOf(point);
      if (depth != 0) {
        p = put(p, "call TerrainDeformCrater(");
        p = copyText(p, xy, xySize);
        p = put(p, ", 128, ");
        p += formatInt(p, depth);
        p = put(p, ".00, 1, true)\n");
        ++lines;
      }
    }
    const TextureChoice& choice = choices[groundTextureIndexOf(point, format)];
    missingTilesets += choice.missing ? 1 : 0;
    if (choice.written) {
      p = put(p, "call SetTerrainType(");
      p = copyText(p, xy, xySize);
      p = put(p, ", '");
      std::memcpy(p, choice.id, 4);
      p = put(p + 4, "', -1, 1, 1)\n");
      ++lines;
    }
    script.advance(static_cast<size_t>(p - line));

    if (++column == grid.pointsX) {
      column = 0;
      ++row;
    }
  }
  if (Status committed = script.finishAndCommit(); !committed.ok()) return committed;
  if (missingTilesets > 0) {
    warn(in.name() + ": " + std::to_string(missingTilesets) +
         " tile points name no ground tileset (a texture index past the list, or an empty "
         "slot); they got no texture line");
  }
  // The lines stand alone: only the user, who puts them into functions,
  // can split them across threads.
  if (int64_t operations = lines * kTerrainLineOperations; operations > kThreadOperationBudget) {
    warn(std::string(kTerrainScriptFile) + ": " + std::to_string(lines) + " lines, about " +
         std::to_string(operations) + " operations in one game thread, more than the " +
         std::to_string(kThreadOperationBudget) +
         " the tool plans with, so the game may stop before the last line; the README's "
         "section \"Large maps and the game's limits\" shows how to split them");
  }
  return Status::success();
}

}  // namespace mapjass
