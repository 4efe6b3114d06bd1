#include "terrain/terrain_job.h"

#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "base/byte_reader.h"
#include "base/file_names.h"
#include "base/folder_lock.h"
#include "base/game_limits.h"
#include "base/kept_quirks.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "terrain/terrain_format.h"
#include "terrain/terrain_script.h"

namespace mapjass {

namespace {

// The texture index has at most 6 bits, so only the first 64 ground ids can
// ever be named by a point.
constexpr int kMaxTextureIndexes = 64;

// What a texture index gives: the id to write, or nothing.
struct TextureChoice {
  char id[4];
  bool written;  // false: filtered out, or no tileset
  bool missing;  // no tileset: past the list or an empty slot
};

void chooseTextures(const TerrainPreamble& preamble, const TerrainJobOptions& options,
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
    choice.written =
        !options.filter || quirks::upToFirstZero(*options.filter) == std::string_view(choice.id, 4);
  }
}

std::string pointLocation(int64_t index, int64_t count, const TerrainGrid& grid) {
  return "tile point " + std::to_string(index + 1) + " of " + std::to_string(count) + " (column " +
         std::to_string(index % grid.pointsX) + ", row " + std::to_string(index / grid.pointsX) +
         ")";
}

}  // namespace

Status runTerrainJob(const TerrainJobOptions& options, const JobSetting& setting) {
  const std::string& folder = setting.folder;
  const WarningSink& warn = setting.warn;
  ByteReader in;
  if (Status opened = ByteReader::openFile(folder, kTerrainFile, in); !opened.ok()) return opened;
  if (Status name = checkReplaceable(folder, kTerrainScriptFile); !name.ok()) return name;
  FolderLock lock;
  if (lock.lock(pathIn(folder, kTerrainScriptFile), kTerrainScriptFile, warn)) {
    removeLeftovers(folder, kTerrainScriptFile, warn);
  }
  OutputFile script;
  if (Status created = script.open(folder, kTerrainScriptFile, FileMode::kText); !created.ok()) {
    return created;
  }
  TerrainPreamble preamble;
  Status read = readTerrainPreamble(in, preamble);
  setting.report(terrainReport(preamble));
  if (!read.ok()) return read;
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
        in.endMessage(missingAt, pointLocation(static_cast<int64_t>(pointsHeld), count, grid)));
  }

  TextureChoice choices[kMaxTextureIndexes];
  chooseTextures(preamble, options, choices);
  TerrainLineWriter lines(grid, count > 0 ? grid.pointsX : 0);
  TilePoint point;
  int64_t missingTilesets = 0;
  int64_t lineCount = 0;
  int64_t column = 0, row = 0;
  for (int64_t i = 0; i < count; ++i) {
    uint64_t start = in.offset();
    if (!readTilePoint(in, format, point)) {
      return Status::failure(in.endMessage(start, pointLocation(i, count, grid)));
    }
    if (column == 0) lines.startRow(row);
    int32_t depth = options.heights ? craterDepthOf(point) : 0;
    const TextureChoice& choice = choices[groundTextureIndexOf(point, format)];
    missingTilesets += choice.missing ? 1 : 0;
    lineCount += (depth != 0 ? 1 : 0) + (choice.written ? 1 : 0);
    char* out = script.reserve(TerrainLineWriter::kMaxLinesSize);
    char* end = lines.writePoint(out, column, depth, choice.written ? choice.id : nullptr);
    script.advance(static_cast<size_t>(end - out));
    if (++column == grid.pointsX) {
      column = 0;
      ++row;
    }
  }
  if (Status committed = commitOutputs({&script}, warn, setting.afterOutputRenamed);
      !committed.ok()) {
    return committed;
  }

  if (missingTilesets > 0) {
    warn(in.name() + ": " + std::to_string(missingTilesets) +
         " tile points name no ground tileset (a texture index past the list, or an empty "
         "slot); they got no texture line");
  }
  // The lines stand alone, with no function to split them into: the
  // companion program does that.
  if (int64_t operations = lineCount * operationsOf(LineKind::kTerrain);
      operations > kThreadOperationBudget) {
    warn(std::string(kTerrainScriptFile) + ": " + std::to_string(lineCount) + " lines, " +
         overThreadBudget(operations, "line") +
         "; mapjass-split spreads them over functions that each fit one thread");
  }
  // A filter that names no tileset leaves the script empty: most likely a
  // typing error, which the map maker should hear of, with the ids that a
  // point can name.
  if (options.filter) {
    std::string_view filter = quirks::upToFirstZero(*options.filter);
    const TilesetIdList& ground = preamble.groundTilesets;
    bool named = false;
    for (int32_t i = 0; i < ground.count && !named; ++i) {
      named = std::string_view(tilesetIdAt(ground, i), 4) == filter;
    }
    if (!named) {
      std::string ids;
      for (int i = 0; i <= format.textureMask; ++i) {
        if (!choices[i].missing) ids += (ids.empty() ? "" : ", ") + std::string(choices[i].id, 4);
      }
      warn(in.name() + ": no ground tileset is '" + std::string(filter) + "'; the file has " +
           (ids.empty() ? "none" : ids));
    }
  }
  return Status::success();
}

}  // namespace mapjass
