// The whole run of mapjass: the questions, then the doodad job and the
// terrain job, each when it was chosen.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace mapjass {

inline constexpr char kMapjassProgram[] = "mapjass";

// Works on the fixed names in `folder` (empty: the current folder). The
// answers and the key presses come from `in`. Returns the exit status: 0
// when every chosen job completed, 1 when one failed. Messages and warnings
// go to `err`, one line each. --help and --version print their text and ask
// nothing; any other argument is named in a warning, as the program works in
// its folder whatever it is given.
int runMapjass(const std::vector<std::string>& arguments, const std::string& folder, std::FILE* in,
               std::FILE* out, std::FILE* err);

}  // namespace mapjass
