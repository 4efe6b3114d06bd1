// The fixed names of the terrain job's files, in the current folder.
#pragma once

namespace mapjass {

inline constexpr char kTerrainFile[] = "war3map.w3e";
inline constexpr char kTerrainScriptFile[] = "war3map.w3e.j";

}  // namespace mapjass
