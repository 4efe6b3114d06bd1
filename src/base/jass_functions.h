// The functions that the tools write around call lines: their names, and
// their heads and ends.
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
// The programs treat such a name differently, on purpose: mapjass writes it
// as typed, with a warning, since its answers are its input and a run is
// not asked again; mapjass-split refuses it and writes nothing, since it
// can simply be run again, and its one output is the script itself.
inline constexpr char kFunctionNameRule[] =
    "a name starts with a letter, holds only letters, digits and underscores, does not end in an "
    "underscore, and is no JASS keyword or type, nor RF, CD or SL";

// Whether every map's script defines `name` already: main, which the game
// starts the map with, and config, which the game reads its settings from.
// JASS is case-sensitive, so only these exact names.
bool isMapFunctionName(std::string_view name);

// What a map maker is told about such a name. Both programs still write the
// script as asked: it is right but for that one name, quickly changed.
std::string mapFunctionNameWarning(std::string_view name);

// "function NAME takes nothing returns nothing" and its line end.
std::string functionHead(std::string_view name);
inline constexpr std::string_view kFunctionEnd = "endfunction\n";

}  // namespace mapjass
