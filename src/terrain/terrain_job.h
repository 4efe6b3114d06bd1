// Turns "war3map.w3e" into the JASS script "war3map.w3e.j": a crater line
// that reshapes the height of every point, and a line that sets its ground
// texture.
#pragma once

#include <string>

#include "base/run_options.h"
#include "base/status.h"
#include "base/warning_sink.h"

namespace mapjass {

// Works on the fixed names in `folder` (empty: the current folder), and
// hands the terrain report to `report`, also the part of it that was read
// when the job fails. On failure the script keeps its earlier content.
Status runTerrainJob(const RunOptions& options, const std::string& folder, const ReportSink& report,
                     const WarningSink& warn);

}  // namespace mapjass
