// The terrain reader on in-memory bytes, then the whole terrain job on the
// same bytes as "war3map.w3e".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/byte_reader.h"
#include "fuzz_folder.h"
#include "terrain/terrain_format.h"
#include "terrain/terrain_job.h"

using namespace mapjass;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::enterFuzzFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::FILE* console = std::fopen("/dev/null", "w");
  ByteReader in = ByteReader::fromMemory(data, size, "war3map.w3e");
  TerrainPreamble preamble;
  if (readTerrainPreamble(in, console, preamble).ok()) {
    TilePointFormat format = tilePointFormatOf(preamble.header.version);
    TilePoint point;
    while (readTilePoint(in, format, point)) {
      int index = groundTextureIndexOf(point, format);
      if (index < preamble.groundTilesets.count &&
          tilesetIdAt(preamble.groundTilesets, index)[3] == 1) {
        std::fputc(' ', console);
      }
      craterDepthOf(point);
    }
  }

  static const uint8_t kEarlier[] = "earlier";
  fuzzing::writeWhole("war3map.w3e", data, size);
  fuzzing::writeWhole("war3map.w3e.j", kEarlier, 7);
  RunOptions options;
  options.convertTerrain = true;
  // The first byte picks the options, so that every path is reached.
  uint8_t choice = size > 0 ? data[size - 1] : 0;
  options.texturesOnly = (choice & 1) != 0;
  options.filterEnabled = (choice & 2) != 0;
  options.filterTexture = (choice & 4) != 0 ? "Ldrt" : "Lgrs";
  Status status = runTerrainJob(options, console, [](const std::string&) {});
  if (!status.ok() && fuzzing::readWhole("war3map.w3e.j") != "earlier") std::abort();
  fuzzing::expectOnly({"war3map.w3e", "war3map.w3e.j"});
  return 0;
}
