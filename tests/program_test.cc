// The built program as a user runs it: answers piped in, files in a folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using testing::asString;
using testing::folderContents;
using testing::runProgram;
using testing::TempFolder;
using testing::TestTerrainFile;
using testing::writeFile;

using Files = std::map<std::string, std::string>;

constexpr char kDoodadPrompts[] =
    "\nConvert war3map.doo to JASS?  1-yes 0-no:"
    "\nConvert war3map.doo to old version?  1-yes 0-no:"
    "\nCreate \"function ... list ... endfunction\"?  1-yes 0-no:"
    "\nCreate empty war3map.doo?   1-yes 0-no:\n1 3"
    "\nCreate backup war3map.doo?   1-yes 0-no:";
constexpr char kTerrainPrompt[] = "\nConvert war3map.w3e to JASS?  1-yes 0-no:";

std::string sampleDoodads() {
  return asString(
      testing::doodadFileBytes({.signature = "SIGN", .doodads = {testing::workedExampleDoodad()}}));
}

std::string sampleTerrain() {
  TestTerrainFile file{.pointsX = 1, .pointsY = 1, .centerX = -1536, .centerY = -2048};
  file.points = {{.groundHeight = 7792}};
  return asString(testing::terrainFileBytes(file));
}

TEST(Program, RunsBothJobs) {
  TempFolder folder;
  writeFile("war3map.doo", sampleDoodads());
  writeFile("war3map.w3e", sampleTerrain());
  auto result = runProgram(folder.path(), "1 0 0 0 0 1 0\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            std::string(kDoodadPrompts) + kTerrainPrompt + "\nOnly textures?  1-yes 0-no:" +
                "\nFILE: SIGNo\nVersion: 8.11\nnumber:1\n\n\n\n\n" +
                "\nFILE: W3E!\n Version: 11\n Type:L\n0\n Tilesets(ground) 2\nList: LdrtLgrs\n"
                "Tilesets(cliffs): 1\nList: CLdi\n"
                "\nCX: -1536.000000, CY: -2048.000000 \n MX: 1, MY: 1 \n \n \n 7");
  Files files = folderContents(".");
  EXPECT_EQ(files.size(), 4u);
  EXPECT_EQ(files["war3map.w3e.j"],
            "call TerrainDeformCrater(-1536.00, -2048.00, 128, 100.00, 1, true)\n"
            "call SetTerrainType(-1536.00, -2048.00, 'Ldrt', -1, 1, 1)\n");
  EXPECT_NE(files["war3map.doo.j"].find(
                "\n\n\n\n\n\n\n\ncall CD( 'OBJ1', 512.346, -256.5, 0, 270, 1.25, 2 )\n"
                "call SL(50)\ncall RF()"),
            std::string::npos);
}

TEST(Program, AClosedConsoleDoesNotStopTheJobs) {
  TempFolder folder;
  writeFile("war3map.doo", sampleDoodads());
  writeFile("war3map.w3e", sampleTerrain());
  writeFile("answers", "1 0 0 0 0 1 0\n");
  // The reader of standard output goes away after the first byte.
  std::string command = "cd '" + folder.path() +
                        "' && '" MAPJASS_BINARY "' < answers 2> /dev/null | head -c 1 > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  Files files = folderContents(".");
  EXPECT_EQ(files.size(), 5u);
  EXPECT_EQ(files.count("war3map.doo.j"), 1u);
  EXPECT_EQ(files.count("war3map.w3e.j"), 1u);
}

TEST(Program, NoJobNoFiles) {
  TempFolder folder;
  for (const char* input : {"0 0", "", "y", "2 1 1"}) {
    auto result = runProgram(folder.path(), input);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out,
              std::string("\nConvert war3map.doo to JASS?  1-yes 0-no:") + kTerrainPrompt);
    EXPECT_TRUE(folderContents(".").empty());
  }
}

}  // namespace
}  // namespace mapjass
