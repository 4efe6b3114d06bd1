// What the README and the programs' --help texts promise, held against the
// programs themselves: the README's example of mapjass-build, run on a map
// that gives its numbers, prints the README's report byte for byte; and the
// file that each --help text points to is there.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "map_writer.h"
#include "test_archive.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace testing;

TEST(Readme, SaysWhatTheProgramsDo) {
  const std::string readme = readFile(MAPJASS_SOURCE_DIR "/README.md");
  // The example: a console block whose first line is the command.
  const std::string start = "```console\n$ mapjass-build ";
  const size_t at = readme.find(start);
  ASSERT_NE(at, std::string::npos);
  const size_t lineEnd = readme.find('\n', at + start.size());
  const std::string argument = readme.substr(at + start.size(), lineEnd - at - start.size());
  const std::string report = readme.substr(lineEnd + 1, readme.find("```", lineEnd) - lineEnd - 1);
  ASSERT_EQ(argument, "MyMap.w3x");

  // 3742 trees, more than one game thread creates; 412 rocks, which stay;
  // 3 gates of the map's own script, which stay too.
  std::vector<TestDoodad> doodads(3742, TestDoodad{.x = 64, .y = -128});
  doodads.insert(doodads.end(), 412, {.typeId = "LTrs", .life = 255});
  doodads.insert(doodads.end(), 3, {.typeId = "DTg1", .flags = 0});
  const Bytes jass =
      "globals\r\nendglobals\r\nfunction main takes nothing returns nothing\r\n"
      "call InitBlizzard()\r\nendfunction\r\n";
  TempFolder folder;
  folder.write("MyMap.w3x", archiveBytes({512,
                                          true,
                                          {{"war3map.doo", doodadFileBytes({.doodads = doodads})},
                                           {"war3map.w3e", terrainFileBytes({})},
                                           {"war3map.j", jass}}}));
  auto [status, out, err] = runProgram(folder, "", 0, {MAPJASS_BUILD_BINARY, {argument}});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
  EXPECT_EQ(out, report);

  // "More in FILE beside the program (SOURCE in its source)."
  for (const char* program : {MAPJASS_BINARY, MAPJASS_SPLIT_BINARY, MAPJASS_BUILD_BINARY}) {
    SCOPED_TRACE(program);
    auto [helped, help, _] = runProgram(folder, "", 0, {program, {"--help"}});
    EXPECT_EQ(helped, 0);
    const size_t open = help.rfind('('), close = help.rfind(" in its source).\n");
    ASSERT_TRUE(open != std::string::npos && close != std::string::npos) << help;
    struct stat state;
    EXPECT_EQ(
        stat((MAPJASS_SOURCE_DIR "/" + help.substr(open + 1, close - open - 1)).c_str(), &state), 0)
        << help;
  }
}

}  // namespace
}  // namespace mapjass
