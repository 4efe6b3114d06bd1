// Turns "war3map.w3e" into the JASS script "war3map.w3e.j": a crater line
// that reshapes the height of every point, and a line that sets its ground
// texture.
#pragma once

#include <cstdio>

#include "base/run_options.h"
#include "base/status.h"
#include "base/warning_sink.h"
#include "terrain/terrain_format.h"

namespace mapjass {

// The depth of the crater that brings flat ground to the point's height:
// (8192 - groundHeight) / 4 + (2 - layer height) * 128, the division
// truncating toward zero.
int32_t craterDepthOf(const TilePoint& point);

// Prints the terrain report on `console`. On failure the script keeps its
// earlier content.
Status runTerrainJob(const RunOptions& options, std::FILE* console, const WarningSink& warn);

}  // namespace mapjass
