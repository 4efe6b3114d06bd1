// Where mapjass-build puts the built map, and what it may replace there:
// nothing but a map that it built itself, as anything else at that name may
// be a map maker's work, and a typo must not cost it.
#pragma once

#include <string>

#include "base/status.h"

namespace mapjass {

// MAP with ".built" before the last dot of its file name:
// "(4)Deadlock.w3m" gives "(4)Deadlock.built.w3m".
std::string builtMapName(const std::string& map);

// The built map's path for the OUTPUT given on the command line. OUTPUT is
// that path, unless it names a folder (one that exists, or any name that
// ends in a slash): then the built map goes into it under MAP's name
// `mapName`, as cp does. An existing folder that holds a map's files is
// OUTPUT itself, a map saved as a folder.
std::string outputPathOf(std::string output, const std::string& mapName);

// Whether the built map may be written at `outputPath`: not MAP itself,
// nor inside it or around it (for a map saved as a folder), not in a
// folder that does not exist, and not in the place of anything that is not
// a map that mapjass-build built. `mapPath` and `mapName` are MAP's path
// and name.
Status checkOutput(const std::string& mapPath, const std::string& mapName, bool mapIsFolder,
                   const std::string& outputPath);

// On Windows a file that another program holds open keeps its folder from
// being moved or removed: found first, it leaves OUTPUT as it was.
Status checkNothingHeldOpen(const std::string& folder);

// The last part of those checks: what stands at `outputPath` may be
// replaced. Done again under the folder lock, as it may have changed.
Status checkOutputReplaceable(const std::string& outputPath, bool mapIsFolder);

}  // namespace mapjass
