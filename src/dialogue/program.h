// The whole run: the questions, then the doodad job and the terrain job,
// each when it was chosen.
#pragma once

#include <cstdio>

namespace mapjass {

// Returns the exit status: 0 when every chosen job completed, 1 when one
// failed. Messages and warnings go to `err`, one line each.
int runMapjass(std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace mapjass
