// Spreads the call lines of a script that mapjass wrote over functions that
// each fit one game thread.
//
// The split script holds, in order:
//   every "function ... endfunction" block of the input, its lines unchanged
//     (the doodad script's helpers RF, CD and SL);
//   functions NAME_1, NAME_2, ... with the call lines in input order, each
//     up to kFunctionOperationBudget estimated operations, a CD line always
//     with the SL line that follows it;
//   NAME, which starts them one after another with ExecuteFunc, each in a
//     thread of its own.
// Empty lines outside the blocks are dropped. Lines are read without their
// line end (LF, CR LF or CR) and written with the platform's text line end.
#pragma once

#include <cstdint>
#include <string>

#include "base/byte_reader.h"
#include "base/status.h"
#include "base/warning_sink.h"

namespace mapjass {

struct SplitSummary {
  int64_t callLines = 0;
  int32_t functions = 0;
};

// Checks the script that `in` reads for all that does not depend on the
// function name, as splitScript() does, and rewinds `in` for it: what cannot
// be split is said before the name is asked for.
Status checkScript(ByteReader& in);

// Splits the script that `in` reads into `output` in `folder`, with the
// functions named after `functionName`. The output takes its place only once
// all of it is written. Fails, and writes nothing, when a line outside the
// blocks is not a call line or calls no function, a line holds a zero byte,
// a block defines `functionName` or one of its parts already, or a call line
// calls one, a block comes after the first call line or has no end, or there
// is no call line at all.
// Waiting for another run in the folder, and an earlier file that could not
// be removed, are said through `warn`.
Status splitScript(ByteReader& in, const std::string& folder, const std::string& output,
                   const std::string& functionName, SplitSummary& summary, const WarningSink& warn);

// `input` with a final ".j" replaced by ".split.j", or ".split.j" appended.
std::string splitScriptName(const std::string& input);

}  // namespace mapjass
