// Turns "war3map.doo" into the JASS script "war3map.doo.j", with the side
// files that were asked for.
#pragma once

#include <cstdio>

#include "base/run_options.h"
#include "base/status.h"
#include "base/warning_sink.h"

namespace mapjass {

// Prints the header report on `console`. On failure nothing more of the job
// is written, and the script and converted copy keep their earlier content.
Status runDoodadJob(const RunOptions& options, std::FILE* console, const WarningSink& warn);

}  // namespace mapjass
