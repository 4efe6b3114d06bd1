// Turns "war3map.doo" into the JASS script "war3map.doo.j", with the side
// files that were asked for.
#pragma once

#include <cstdio>
#include <string>

#include "base/run_options.h"
#include "base/status.h"
#include "base/warning_sink.h"

namespace mapjass {

// Works on the fixed names in `folder` (empty: the current folder), and
// prints the header report on `console`. On failure nothing more of the job
// is written, and the script and converted copy keep their earlier content.
Status runDoodadJob(const RunOptions& options, const std::string& folder, std::FILE* console,
                    const WarningSink& warn);

}  // namespace mapjass
