// The map's Lua script, war3map.lua, as mapjass-build changes it: the block
// that creates the destructables goes in before the editor's function main,
// and main calls it first of all. No other byte changes.
//
// The script is read as Lua reads it, in one pass: what a comment ("--" to
// the line end, "--[[ ]]", "--[==[ ]==]") or a string (in single or double
// quotes, with backslash escapes, or long: "[[ ]]", "[=[ ]=]") holds is no
// code.
#pragma once

#include <string>
#include <string_view>

#include "base/status.h"

namespace mapjass {

// The line that starts the main function, which the editor writes, and the
// game runs when the map starts.
inline constexpr char kLuaMainHead[] = "function main()";

// Puts `block` (lines that end in "\n") in `script`, named `name` in
// messages, right before the editor's main: the one line outside comments
// and strings that starts with "function", blanks, "main", optional blanks
// and "()". `call` (one line, without its end, such as "F()") goes right
// after that line, as main's first statement, indented as the line after
// it, or by four spaces when that is main's "end" or there is none. Each
// inserted line ends with the script's most common line end (CR LF, LF or
// CR; CR LF on a tie). Fails when the script has no such line or more than
// one, or uses a name that starts with `reservedPrefix`. A later wrapper of
// main (`old = main ... main = hooked`) still calls the editor's main.
Status insertIntoLuaMain(const std::string& name, const std::string& block, const std::string& call,
                         const std::string& reservedPrefix, std::string& script);

// Whether `name` appears in `script` outside comments and strings: Lua
// declares no global, so a use of the name is what tells.
bool luaDefinesName(const std::string& script, std::string_view name);

}  // namespace mapjass
