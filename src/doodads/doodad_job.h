// Turns "war3map.doo" into the JASS script "war3map.doo.j", with the side
// files that were asked for.
#pragma once

#include <string>

#include "base/run_options.h"
#include "base/status.h"
#include "base/warning_sink.h"

namespace mapjass {

// Works on the fixed names in `folder` (empty: the current folder), and
// hands the header report to `report`. On failure no output changes.
Status runDoodadJob(const RunOptions& options, const std::string& folder, const ReportSink& report,
                    const WarningSink& warn);

}  // namespace mapjass
