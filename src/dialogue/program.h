// The whole run: the questions, then the doodad job and the terrain job,
// each when it was chosen.
#pragma once

#include <cstdio>
#include <string>

namespace mapjass {

// Works on the fixed names in `folder` (empty: the current folder). The
// answers and the key presses come from `in`. Returns the exit status: 0
// when every chosen job completed, 1 when one failed. Messages and warnings
// go to `err`, one line each.
int runMapjass(const std::string& folder, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace mapjass
