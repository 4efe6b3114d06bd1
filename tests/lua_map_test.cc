// The pieces of mapjass-build for Lua maps, on bytes and strings: which
// script a map runs, the Lua block, and the script as Lua reads it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "map_build/destructables.h"
#include "map_build/lua_script.h"
#include "map_build/map_info.h"
#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace testing;

const std::string kDamaged = "; the map is damaged: save it in the World Editor again";
const WarningSink kQuiet = [](const std::string&) {};

// The language of each format, and where a short or wrong file fails.
TEST(MapInfo, TellsTheScriptLanguage) {
  const Bytes lua = mapInfoBytes({});
  const size_t at = lua.size() - 8;  // the language, then one field more
  auto ends = [](const std::string& where, size_t offset) {
    return "war3map.w3i: file ends " + where + " (offset " + std::to_string(offset) + ")" +
           kDamaged;
  };
  const auto J = ScriptLanguage::kJass, L = ScriptLanguage::kLua;
  // clang-format off
  const std::string wrong = "war3map.w3i: the script language (offset " + std::to_string(at) +
                            ") is ";
  const std::string neither = ", neither 0 (JASS) nor 1 (Lua)" + kDamaged;
  const std::tuple<Bytes, ScriptLanguage, std::string> cases[] = {
      {lua, L, ""}, {mapInfoBytes({.format = 28, .language = 0}), J, ""},
      {mapInfoBytes({.format = 33, .language = 0}), J, ""}, {mapInfoBytes({.format = 34}), L, ""},
      {mapInfoBytes({.format = 27}), J, ""}, {mapInfoBytes({.format = 25}).substr(0, 4), J, ""},
      {"", J, ends("before the format", 0)},
      {lua.substr(0, lua.find("3 long")), J, ends("inside the map's description", 62)},
      {lua.substr(0, 100), J, ends("inside the camera bounds and margins", 100)},
      {lua.substr(0, at), J, ends("before the script language", at)},
      {lua.substr(0, at + 3), J, ends("inside the script language", at + 3)},
      {mapInfoBytes({.language = 2}), J, wrong + "2" + neither},
      {mapInfoBytes({.language = -1}), J, wrong + "-1" + neither}};
  // clang-format on
  for (const auto& [bytes, language, error] : cases) {
    ScriptLanguage read = L;
    EXPECT_EQ(scriptLanguageOf("war3map.w3i", bytes, read).error, error) << bytes.size();
    EXPECT_EQ(read, language) << error;
  }
}

const std::string kLuaHelpers =
    "-- Destructables placed by mapjass-build from war3map.doo\n"
    "function mapjass_RF()\n    FogMaskEnable(false)\n    FogEnable(false)\n"
    "    FogMaskEnable(true)\n    FogEnable(true)\nend\n"
    "function mapjass_CD(id, x, y, z, face, scale, variation)\n"
    "    mapjass_LastDestructable = CreateDestructableZ(id, x, y, z, face, scale, variation)\nend\n"
    "function mapjass_SL(L)\n    SetDestructableLife(mapjass_LastDestructable, "
    "GetDestructableMaxLife(mapjass_LastDestructable) * L * 0.01)\nend\n";

// The block of records' lines, 2,000 records a part.
std::string luaBlockOf(const std::vector<std::string>& records) {
  std::string block = kLuaHelpers, calls;
  for (size_t i = 0; i < records.size(); ++i) {
    std::string part = "mapjass_Destructables_" + std::to_string(i / 2000 + 1) + "()\n";
    if (i % 2000 == 0) block += (i > 0 ? "end\nfunction " : "function ") + part;
    if (i % 2000 == 0) calls += "    " + part;
    block += records[i];
  }
  return block + "    mapjass_RF()\nend\nfunction mapjass_Destructables()\n" + calls + "end\n";
}

// The records that the block creates, as the JASS block does, and the rest
// kept alike; a type id that Lua cannot take is refused.
TEST(LuaBlock, CreatesWhatTheJassBlockCreates) {
  const std::string tree = "    mapjass_CD(FourCC(\"LTlt\"), 0, 0, 0, 0, 1, 0)\n";
  const std::string bad = ": its type is no four-character code that Lua can take" + kDamaged;
  using Doodads = std::vector<TestDoodad>;
  using Lines = std::vector<std::string>;  // or the error after "war3map.doo: "
  // clang-format off
  const std::tuple<Doodads, Lines, int32_t> cases[] = {
      {{typicalDoodad(), {.flags = 0}, {.life = 255}, {.x = -1e7f, .life = 0}},
       {"    mapjass_CD(FourCC(\"OBJ1\"), 512.346, -256.5, 0, 270, 1.25, 2)\n    mapjass_SL(50)\n",
        "    mapjass_CD(FourCC(\"LTlt\"), -10000000.0, 0, 0, 0, 1, 0)\n    mapjass_SL(0)\n"}, 1},
      {{{.typeId = "A'B "}}, {"    mapjass_CD(FourCC(\"A'B \"), 0, 0, 0, 0, 1, 0)\n"}, 1},
      {{{.life = 99}, {.life = 100}, {.life = 254}}, {tree + "    mapjass_SL(99)\n", tree, tree},
       1},
      {{{}, {.typeId = "AB\"C"}}, {"record 2 of 2" + bad}, 0},
      {{{.typeId = "AB\\C"}}, {"record 1 of 1" + bad}, 0},
      {{{.typeId = "AB\x7f" "C"}}, {"record 1 of 1" + bad}, 0},
      {Doodads(2000), Lines(2000, tree), 1}, {Doodads(2001), Lines(2001, tree), 2}};
  // clang-format on
  for (const auto& [doodads, lines, parts] : cases) {
    const Bytes doo = doodadFileBytes({.doodads = doodads, .trailer = "after"});
    MapDestructables lua, jass;
    Status status = mapDestructablesOf("war3map.doo", doo, ScriptLanguage::kLua, kQuiet, lua);
    EXPECT_EQ(status.error, parts == 0 ? "war3map.doo: " + lines[0] : "");
    if (parts == 0) continue;
    EXPECT_EQ(lua.block, luaBlockOf(lines));
    EXPECT_EQ(lua.functions, parts);
    // JASS takes no single quote in a type id.
    if (!mapDestructablesOf("war3map.doo", doo, kQuiet, jass).ok()) continue;
    EXPECT_EQ(std::tie(lua.keptFile, lua.created, lua.doodads, lua.scriptCreated),
              std::tie(jass.keptFile, jass.created, jass.doodads, jass.scriptCreated));
  }
}

// The editor's main is found as Lua reads the script, and the block and its
// call go in with the script's line end; everything else stays. A case
// shows in braces what goes in, or says why nothing does.
TEST(LuaScript, InsertsIntoTheEditorsMain) {
  // clang-format off
  const std::string main = "function main()\n", end = "\nend\n", block = "{-- b\nf()\n}";
  const std::string into = block + main + "{    C()\n}";  // at the editor's main
  const std::string no = "war3map.lua: has no line \"function main()\", which the game starts the "
                         "map with; build a map that the World Editor saved";
  const std::string two = "\"function main()\", so which one the game starts the map with cannot "
                          "be told; keep the World Editor's main alone and build again";
  const std::string ours = ", a name that mapjass-build keeps for its own: the map was built by "
                           "mapjass-build before, or its script takes that name; build the map it "
                           "was built from, or rename ";
  const std::pair<std::string, std::string> cases[] = {
      {"x = 1\n" + block + main + "{  C()\n}  Init()\nend\n", ""},
      {into + "end", ""}, {into, ""},
      {block + "function  main ()\n{\tC()\n}\tInit()", ""},
      {"{-- b\r\nf()\r\n}function main(){\r\n    C()\r\n}", ""},
      {"{-- b\r\nf()\r\n}function main()\r\n{  C()\r\n}  I()\r\nend\n", ""},
      {"a\r{-- b\r\nf()\r\n}function main()\n{    C()\r\n}", ""},
      {"{-- b\rf()\r}function main()\r{    C()\r}end\r\n\r", ""},
      {"--[[\n" + main + "]] --[==[\n]] x = 1\n" + main + "]==] -- " + main + into + "end", ""},
      {"s = [[\n" + main + "]] .. [=[\n]] x\n" + main + "]=] .. 'it\\'s' .. \"a\\\"\\\n" + main +
       "\"\n" + into, ""},
      {into + "end\nold = main\nfunction hooked()\n  old()\nend\nmain = hooked\n", ""},
      {"--x[[ a t[1] ]\n" + into, ""},  // no long comment: a bracket must follow "--" itself
      {"-- mapjass_A\ns = 'mapjass_B' .. \"mapjass_C\" .. [[mapjass_D]] --[[mapjass_E]]\n"
       "xmapjass_F = 1\n" + into, ""},
      {main + end + main + "end\nfunction main ()",
       "war3map.lua: lines 1, 4 and 6 each start a " + two},
      {"local function main()" + end + " function main()\nfunction main2()\nfunction main(x)", no},
      {"-- function main()\n", no}, {"", no},
      {"a = 1\n\nt.mapjass_X = 2\n" + main,
       "war3map.lua: line 3 uses mapjass_X" + ours + "mapjass_X"},
      {main + "  mapjass_Destructables()" + end + main,
       "war3map.lua: line 2 uses mapjass_Destructables" + ours + "mapjass_Destructables"},
  };
  const std::pair<std::string, bool> names[] = {{"mapjass_Destructables()", true},
      {"x=mapjass_Destructables", true}, {"-- mapjass_Destructables", false},
      {"s = 'mapjass_Destructables'", false}, {"mapjass_Destructables_1()", false}};
  // clang-format on
  // The text without what stands in braces, or without the braces alone.
  auto strip = [](const std::string& text, bool inserted) {
    std::string kept;
    bool inBraces = false;
    for (char c : text) {
      if (c == '{' || c == '}') {
        inBraces = c == '{';
      } else if (inserted || !inBraces) {
        kept += c;
      }
    }
    return kept;
  };
  for (const auto& [text, error] : cases) {
    std::string built = strip(text, false);
    Status status = insertIntoLuaMain("war3map.lua", "-- b\nf()\n", "C()", "mapjass_", built);
    EXPECT_EQ(status.error, error);
    EXPECT_EQ(built, strip(text, error.empty()));
  }
  for (const auto& [script, defines] : names) {
    EXPECT_EQ(luaDefinesName(script, "mapjass_Destructables"), defines) << script;
  }
}

}  // namespace
}  // namespace mapjass
