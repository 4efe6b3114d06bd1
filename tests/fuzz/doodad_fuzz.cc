// The whole doodad job on any bytes as "war3map.doo", with every side file.
// Nothing may crash, and a failed job keeps the earlier script and converted
// copy and leaves no temporary file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "doodads/doodad_job.h"
#include "test_support.h"

using namespace mapjass;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const testing::TempFolder folder;
  static std::FILE* console = std::fopen("/dev/null", "w");
  folder.write("war3map.doo", std::string(reinterpret_cast<const char*>(data), size));
  folder.write("war3map.doo.j", "earlier");
  folder.write("war3mapCONV.doo", "earlier");
  RunOptions options{.convertDoodads = true,
                     .convertDoodadVersion = true,
                     .wrapInFunction = true,
                     .functionName = "Fuzz",
                     .createEmptyDoodadFile = true,
                     .backupDoodadFile = true};
  Status status = runDoodadJob(options, folder.path(), console, [](const std::string&) {});
  testing::Files files = folder.contents();
  for (const auto& [name, content] : files) {
    if (name.find(".tmp") != std::string::npos) std::abort();  // left behind
  }
  if (!status.ok() && files["war3map.doo.j"] + files["war3mapCONV.doo"] != "earlierearlier") {
    std::abort();
  }
  return 0;
}
