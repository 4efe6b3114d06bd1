// The whole doodad job on any bytes as "war3map.doo", with every side file.
// Nothing may crash, and a failed job leaves every output as it was and no
// temporary file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "doodads/doodad_job.h"
#include "test_support.h"

using namespace mapjass;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const testing::TempFolder folder;
  testing::writeFile(folder.file("war3map.doo"),
                     std::string(reinterpret_cast<const char*>(data), size));
  for (const DoodadOutput& output : kDoodadOutputs) folder.write(output.name, "earlier");
  DoodadJobOptions options{.convertDoodadVersion = true,
                           .wrapInFunction = true,
                           .functionName = "Fuzz",
                           .createEmptyDoodadFile = true,
                           .backupDoodadFile = true};
  Status status = runDoodadJob(
      options, {folder.path(), [](std::string_view) {}, [](const std::string&) {}, {}});
  testing::Files files = folder.contents();
  if (files.size() != std::size(kDoodadOutputs) + 1) std::abort();  // a temporary file left
  for (const DoodadOutput& output : kDoodadOutputs) {
    if (!status.ok() && files[output.name] != "earlier") std::abort();
  }
  return 0;
}
