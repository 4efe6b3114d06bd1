// The pieces of mapjass-build for Lua maps, on bytes and strings: which
// script a map runs.
#include <gtest/gtest.h>

#include <string>

#include "map_build/map_info.h"
#include "map_writer.h"

namespace mapjass {
namespace {

using namespace testing;

const std::string kDamaged = "; the map is damaged: save it in the World Editor again";

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

}  // namespace
}  // namespace mapjass
