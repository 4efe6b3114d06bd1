// The arguments that every program of the project understands: --help
// (also -h, and /? on Windows) and --version. Each asks nothing, prints its
// text on standard output and ends the program with exit status 0.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/console.h"

namespace mapjass {

// When the first argument asks for help or the version, prints `usage`, or
// "PROGRAM VERSION" (with `versionNote` in brackets after it), and is true:
// the program then ends with status 0.
bool answeredStandardRequest(const std::vector<std::string>& arguments, std::string_view program,
                             const std::string& usage, Console& console,
                             std::string_view versionNote = "");

}  // namespace mapjass
