// The fixed names of the doodad job's files, all in the current folder.
#pragma once

namespace mapjass {

inline constexpr char kDoodadFile[] = "war3map.doo";
inline constexpr char kDoodadScriptFile[] = "war3map.doo.j";
inline constexpr char kDoodadBackupFile[] = "war3map.old";
inline constexpr char kEmptyDoodadFile[] = "war3mapNULL.doo";
inline constexpr char kConvertedDoodadFile[] = "war3mapCONV.doo";
inline constexpr char kKeptDoodadFile[] = "war3mapKEEP.doo";

}  // namespace mapjass
