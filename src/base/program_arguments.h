// The arguments that every program of the project understands: --help
// (also -h, and /? on Windows) and --version. Each asks nothing, prints its
// text on standard output and ends the program with exit status 0.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mapjass {

enum class StandardRequest { kNone, kHelp, kVersion };

// What the first argument asks for.
StandardRequest standardRequestOf(const std::vector<std::string>& arguments);

// "NAME VERSION" and a line end; the version is the project's.
std::string versionText(std::string_view program);

}  // namespace mapjass
