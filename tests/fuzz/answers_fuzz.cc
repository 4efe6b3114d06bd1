// The dialogue on any answers: it must end, and what it collects must be
// what the questions allow.
#include <cstdio>
#include <cstdlib>

#include "dialogue/dialogue.h"

using namespace mapjass;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
  static std::FILE* out = std::fopen("/dev/null", "w");
  Dialogue dialogue{in, out};
  RunOptions options = collectRunOptions(dialogue);
  std::fclose(in);
  bool doodadDefaults = !options.convertDoodadVersion && !options.wrapInFunction &&
                        options.functionName.empty() && !options.createEmptyDoodadFile &&
                        !options.backupDoodadFile;
  if (!options.convertDoodads && !doodadDefaults) std::abort();
  if (!options.functionName.empty() && !options.wrapInFunction) std::abort();
  if (!options.convertTerrain && (options.texturesOnly || options.filterEnabled)) std::abort();
  if (options.filterEnabled && !options.texturesOnly) std::abort();
  if (!options.filterTexture.empty() && !options.filterEnabled) std::abort();
  return 0;
}
