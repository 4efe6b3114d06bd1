// What mapjass-build makes of a map's war3map.doo: the JASS or Lua that
// creates its destructables when the map starts, and the war3map.doo that
// keeps the rest for the game to place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/status.h"
#include "base/warning_sink.h"
#include "map_build/map_info.h"

namespace mapjass {

// The function that creates them all: in JASS each part in a game thread of
// its own, in Lua each part in turn.
inline constexpr char kDestructablesFunction[] = "mapjass_Destructables";
// Every name that the block defines starts with this.
inline constexpr char kBuildPrefix[] = "mapjass_";
// What is said of a script that has such a name already, before the name.
inline constexpr char kReservedNameAdvice[] =
    ", a name that mapjass-build keeps for its own: the map was built by mapjass-build before, or "
    "its script takes that name; build the map it was built from, or rename ";

// A Lua thread has no operation limit; parts of this many records keep each
// function's constants well within what one Lua function addresses directly.
inline constexpr int32_t kLuaRecordsPerPart = 2'000;

struct MapDestructables {
  // The block, lines ending in "\n": a comment line, the doodad script's
  // helpers RF, CD and SL as mapjass_RF, mapjass_CD and mapjass_SL, the
  // parts mapjass_Destructables_1.._k, and mapjass_Destructables. In JASS as
  // mapjass-split writes them for mapjass's list without a function; in Lua
  // with the same numbers, kLuaRecordsPerPart records a part, and the parts
  // called in turn.
  std::string block;
  // The new war3map.doo: the header, with the count of the records that
  // stay, those records byte for byte in file order, and every byte after
  // the last record.
  std::string keptFile;
  int64_t created = 0;        // destructables that the block creates
  int32_t functions = 0;      // parts of mapjass_Destructables
  int32_t doodads = 0;        // records that stay: life 255 ...
  int32_t scriptCreated = 0;  // ... or flags 0, the map's own script's
};

// Reads `doodadFile`, named `name` in messages, for a script in `language`.
// Fails on a damaged file, on version 6, on a type id that the language
// cannot take, and when no record is left for the block to create. A float
// that is not finite is written as 0, with a warning.
Status mapDestructablesOf(const std::string& name, std::string_view doodadFile,
                          ScriptLanguage language, const WarningSink& warn,
                          MapDestructables& result);
inline Status mapDestructablesOf(const std::string& name, std::string_view doodadFile,
                                 const WarningSink& warn, MapDestructables& result) {
  return mapDestructablesOf(name, doodadFile, ScriptLanguage::kJass, warn, result);
}

}  // namespace mapjass
