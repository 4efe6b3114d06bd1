// A built map saved as a folder: written as a temporary folder beside
// OUTPUT, checked there against what was meant, and only then put in
// OUTPUT's place, so that OUTPUT is always the earlier map or the new one,
// never a mix.
#pragma once

#include <string>

#include "base/status.h"
#include "base/warning_sink.h"
#include "map_build/map_check.h"
#include "map_build/map_folder.h"

namespace mapjass {

// Writes the folder `temporary`: every folder and file of `map` (files
// copied, never linked, with their permission bits), but the files in
// `changes`, which get their new bytes. Then reads it back: the same
// paths, every other file equal to the map's, the changed ones as written.
// Messages name `outputName`. Stops at an interrupt (see
// interruptWaiting()). The caller removes `temporary` when it fails.
Status writeBuiltFolder(const MapFolder& map, const Changes& changes, const std::string& temporary,
                        const std::string& outputName);

// Puts the folder `temporary` at `output`. An earlier output is swapped
// with it in one step where the file system can (then removed), or kept
// aside under a name that the next run puts back should this one be
// killed between its two renames. An earlier folder that cannot be removed
// afterwards is named through `warn`. Interrupts must be held.
Status placeBuiltFolder(const std::string& temporary, const std::string& output,
                        const WarningSink& warn);

}  // namespace mapjass
