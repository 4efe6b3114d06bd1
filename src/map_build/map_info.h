// The map's description, "war3map.w3i", as far as it says which script the
// game runs: war3map.j (JASS) or war3map.lua (Lua).
//
// Every field is little-endian and packed; a string is its bytes up to and
// with a zero byte, so what follows one moves with its length.
//
//   0  int32 format
// From format 28 on, after the format, in order:
//      int32[2]  saves, editor version        int32[4] game version
//      string[4] name, author, description, recommended players
//      float[8]  camera bounds                int32[4] camera margins
//      int32[3]  width, height, flags         uint8    main tileset
//      int32     loading screen number
//      string[4] loading screen model, text, title, subtitle
//      int32     game data set
//      string[4] prologue path, text, title, subtitle
//      int32     fog type                     float[3] fog start, end, density
//      uint8[4]  fog colour                   char[4]  weather id
//      string    sound environment            uint8    light environment
//      uint8[4]  water colour
//      int32     script language: 0 JASS, 1 Lua
// Later formats add fields after the script language only. Before format
// 28 there is no such field: the script is JASS.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/status.h"

namespace mapjass {

enum class ScriptLanguage { kJass, kLua };

// The first format with the script language.
inline constexpr int32_t kMapInfoLanguageFormat = 28;

// Reads the script language from `mapInfoFile`, named `name` in messages.
// Fails when the file ends before the field, or names a language other than
// JASS or Lua. A map without war3map.w3i runs JASS.
Status scriptLanguageOf(const std::string& name, std::string_view mapInfoFile,
                        ScriptLanguage& language);

}  // namespace mapjass
