// The pieces of mapjass-build for Lua maps, on bytes and strings: which
// script a map runs, and the Lua block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map_build/destructables.h"
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

}  // namespace
}  // namespace mapjass
