// The functions that the tools write around call lines: their names, their
// heads and ends, and the call that runs one in a game thread of its own.
#pragma once

#include <string>
#include <string_view>

namespace mapjass {

// Whether JASS accepts `name` for a function of the script: an ASCII
// letter, then letters, digits and underscores, not ending in an underscore;
// no keyword or type name of JASS, and none of the doodad script's helpers
// RF, CD and SL.
bool isValidFunctionName(std::string_view name);

// What a map maker is told about a name that isValidFunctionName() refuses.
inline constexpr char kFunctionNameRule[] =
    "a name starts with a letter, holds only letters, digits and underscores, does not end in an "
    "underscore, and is no JASS keyword or type, nor RF, CD or SL";

// "function NAME takes nothing returns nothing" and its line end.
std::string functionHead(std::string_view name);
inline constexpr std::string_view kFunctionEnd = "endfunction\n";

// The line that runs function NAME in a fresh game thread, which has an
// operation budget of its own.
std::string executeFuncLine(std::string_view name);

}  // namespace mapjass
