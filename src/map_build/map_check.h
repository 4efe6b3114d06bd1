// The check of a built map before it takes OUTPUT's place: it is read back
// and held against what was meant.
#pragma once

#include <map>
#include <string>

#include "base/status.h"
#include "base/warning_sink.h"
#include "map_build/map_archive.h"

namespace mapjass {

// What a built map differs in from its map: the files replaced, and their
// new bytes.
using Changes = std::map<std::string, std::string>;

// The failure of a built map, named `builtName`, that does not hold what was
// written: `what` says where.
Status notAsWritten(const std::string& builtName, const std::string& what);

// Reads the map at `builtPath` (named `builtName` in messages) back, and
// holds it against `map` (at `mapPath`) and the `changes`: the same names,
// every file as in the map but those replaced, which read as written, the
// library's check as clean as for the map (a file damaged in the map
// already is named through `warn`), and the same bytes before the archive.
Status checkBuiltMap(const std::string& mapPath, const MapArchive& map,
                     const std::string& builtPath, const std::string& builtName,
                     const Changes& changes, const WarningSink& warn);

}  // namespace mapjass
