// The map's JASS script, war3map.j, as mapjass-build changes it: the block
// that creates the destructables goes in before the function main, and main
// starts it first of all. No other byte changes.
#pragma once

#include <string>
#include <string_view>

#include "base/status.h"

namespace mapjass {

// The line that starts the main function, which the editor writes, and the
// game runs when the map starts.
inline constexpr char kMainHead[] = "function main takes nothing returns nothing";

// Puts `block` (lines that end in "\n") in `script`, named `name` in
// messages, right before the line of kMainHead (its words with any blanks
// between them, and any comment after them), and `call` (one line, without
// its end) as main's first statement: after its last `local` line, or right
// after its first line when it has none. Each inserted line ends as most of
// the script's lines end (CR LF, LF or CR; CR LF on a tie). Fails when the
// script has no main, or defines a name that starts with `reservedPrefix`
// already (a function, native, global or type, as definesName() reads
// them). The script is read once, as the game reads it.
Status insertIntoMain(const std::string& name, const std::string& block, const std::string& call,
                      const std::string& reservedPrefix, std::string& script);

// Whether `script` defines `name`: a function, native, global or type,
// read as the game reads it (not inside a comment or a string).
bool definesName(const std::string& script, std::string_view name);

}  // namespace mapjass
