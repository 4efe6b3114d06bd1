// The questions at the start of a run of mapjass.
#pragma once

#include "base/question_reader.h"
#include "mapjass/run_options.h"

namespace mapjass {

// Asks up to ten questions, each only when the earlier answers call for it.
RunOptions collectRunOptions(Dialogue& dialogue);

}  // namespace mapjass
