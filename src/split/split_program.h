// mapjass-split: the whole run of the companion program. It takes the script
// that mapjass wrote, asks for a function name, and writes the same calls as
// functions that each fit one game thread (script_split.h).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace mapjass {

inline constexpr char kSplitProgram[] = "mapjass-split";

// With one argument, splits that script, and writes beside it. Without one
// (a double click in the map's folder), takes war3map.w3e.j or
// war3map.doo.j from `folder` (empty: the current folder), and asks which
// when both are there. The answers and the key press come from `in`.
// Returns the exit status: 0 when a script was split, 1 when none was.
int runSplitProgram(const std::vector<std::string>& arguments, const std::string& folder,
                    std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace mapjass
