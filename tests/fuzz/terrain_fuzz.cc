// The whole terrain job on any bytes as "war3map.w3e". Nothing may crash,
// and a failed job keeps the earlier script and leaves no temporary file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "terrain/terrain_job.h"
#include "test_support.h"

using namespace mapjass;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const testing::TempFolder folder;
  testing::writeFile(folder.file("war3map.w3e"),
                     std::string(reinterpret_cast<const char*>(data), size));
  folder.write("war3map.w3e.j", "earlier");
  // The last byte picks the options, so that every path is reached.
  uint8_t choice = size > 0 ? data[size - 1] : 0;
  TerrainJobOptions options{.heights = (choice & 1) == 0};
  if ((choice & 2) != 0) options.filter = (choice & 4) != 0 ? "Ldrt" : "Lgrs";
  Status status = runTerrainJob(
      options, {folder.path(), [](std::string_view) {}, [](const std::string&) {}, {}});
  testing::Files files = folder.contents();
  if (files.size() != 2) std::abort();  // a temporary file left behind
  if (!status.ok() && files["war3map.w3e.j"] != "earlier") std::abort();
  return 0;
}
