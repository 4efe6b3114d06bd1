// mapjass-build: from a map to a built map in one command. It takes a map
// archive, and writes a copy whose script creates the map's destructables
// when the map starts, and whose war3map.doo keeps the rest.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace mapjass {

inline constexpr char kBuildProgram[] = "mapjass-build";

// `arguments` are MAP [OUTPUT]. Asks nothing: prints a short report on
// `out` and returns 0, or prints one message on `err` and returns 1 with
// OUTPUT as it was. `in` gives the key press when the program has a console
// window of its own.
int runBuildProgram(const std::vector<std::string>& arguments, std::FILE* in, std::FILE* out,
                    std::FILE* err);

}  // namespace mapjass
