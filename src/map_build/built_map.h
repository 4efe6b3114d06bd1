// A map that mapjass-build built: its script defines the function that
// creates the destructables. Such a map is never built again (its
// destructables are in its script already), and it is the only file that a
// build may replace: any other file at OUTPUT's name may be a map maker's
// work.
#pragma once

#include "map_build/map_files.h"

namespace mapjass {

bool isBuiltMap(const MapFiles& map);

}  // namespace mapjass
