// The fixed names of the files that the programs read and write, each
// spelled once: a renamed output must reach every program that looks for it,
// every message that names it, and the tests.
#pragma once

namespace mapjass {

// Beside the inputs, in the folder a program works in.
inline constexpr char kDoodadFile[] = "war3map.doo";
inline constexpr char kDoodadScriptFile[] = "war3map.doo.j";
inline constexpr char kDoodadBackupFile[] = "war3map.old";
inline constexpr char kEmptyDoodadFile[] = "war3mapNULL.doo";
inline constexpr char kConvertedDoodadFile[] = "war3mapCONV.doo";
inline constexpr char kKeptDoodadFile[] = "war3mapKEEP.doo";
inline constexpr char kTerrainFile[] = "war3map.w3e";
inline constexpr char kTerrainScriptFile[] = "war3map.w3e.j";

// Inside a map archive, beside war3map.doo and war3map.w3e: the map's JASS
// script (protected maps keep it in a folder), or its Lua script.
inline constexpr char kMapScriptFile[] = "war3map.j";
inline constexpr char kProtectedMapScriptFile[] = "scripts\\war3map.j";
inline constexpr char kLuaMapScriptFile[] = "war3map.lua";
// The map's description, which says among others which script the game runs.
inline constexpr char kMapInfoFile[] = "war3map.w3i";
// The archive's own: the list of its names, checksums, and a signature.
inline constexpr char kListFile[] = "(listfile)";
inline constexpr char kAttributesFile[] = "(attributes)";
inline constexpr char kSignatureFile[] = "(signature)";

}  // namespace mapjass
