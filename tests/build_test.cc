// mapjass-build as a user runs it, on map archives that the tests make with
// the archive library: what the built map holds, and what is refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "base/file_tree.h"
#include "base/little_endian.h"
#include "map_build/build_output.h"
#include "map_build/build_program.h"
#include "map_build/map_check.h"
#include "map_build/map_script.h"
#include "map_writer.h"
#include "read_faults.h"
#include "test_archive.h"
#include "test_support.h"

// The archive library's own table cipher, to make a block entry state a
// size that it would never write.
void EncryptMpqBlock(void* data, unsigned length, unsigned key);
void DecryptMpqBlock(void* data, unsigned length, unsigned key);

namespace mapjass {
namespace {

using namespace std::string_literals;
using namespace testing;

const std::string kHelpers =
    "// Destructables placed by mapjass-build from war3map.doo\n"
    "function mapjass_RF takes nothing returns nothing\ncall FogMaskEnable(false)\n"
    "call FogEnable(false)\ncall FogMaskEnable(true)\ncall FogEnable(true)\nendfunction\n"
    "function mapjass_CD takes integer objectid, real x, real y, real z, real face, real scale, "
    "integer variation returns nothing\n"
    "set bj_lastCreatedDestructable =  "
    "CreateDestructableZ(objectid,x,y,z,face,scale,variation)\nendfunction\n"
    "function mapjass_SL takes integer L returns nothing\n"
    "call SetDestructableLife(GetLastCreatedDestructable(), "
    "GetDestructableMaxLife(GetLastCreatedDestructable()) * L * 0.01)\nendfunction\n";

// The function by which a map built by mapjass-build is known.
const std::string kBuiltScript =
    "function mapjass_Destructables takes nothing returns nothing\nendfunction\n";

// A script as the editor writes one, its lines ended by `end`, with the
// destructables' block and its call where `built` asks for them.
std::string script(const std::string& end, bool locals, const std::string& block = "") {
  std::vector<std::string> lines = {"globals", "integer udg_Count = 0", "endglobals",
                                    "function InitTrig takes nothing returns nothing",
                                    "endfunction"};
  for (size_t at = 0; at < block.size(); at = block.find('\n', at) + 1) {
    lines.push_back(block.substr(at, block.find('\n', at) - at));
  }
  lines.push_back("function main takes nothing returns nothing");
  if (locals) lines.insert(lines.end(), {"local integer i = 0", "  local real r"});
  if (!block.empty()) lines.push_back("call ExecuteFunc(\"mapjass_Destructables\")");
  lines.insert(lines.end(), {"call InitTrig()", "endfunction",
                             "function config takes nothing returns nothing", "endfunction"});
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

// The block for `doodads`: their lines, and RF's call after them, in
// functions of up to 144,000 operations (40 a CD line, 32 an SL line, 40
// RF's call), and the function that starts them. `parts` tells how many.
std::string blockOf(const std::vector<TestDoodad>& doodads, size_t& parts) {
  std::vector<std::string> lines = {""};
  int64_t operations = 0;
  auto add = [&](const std::string& text, int64_t cost) {
    if (operations + cost > 144'000) lines.emplace_back(), operations = 0;
    lines.back() += text;
    operations += cost;
  };
  for (const TestDoodad& d : doodads) {
    if (d.life != 255 && d.flags != 0) add(scriptLinesOf(d, "mapjass_"), d.life < 100 ? 72 : 40);
  }
  add("call mapjass_RF()\n", 40);
  std::string block = kHelpers, starts;
  for (size_t i = 1; i <= lines.size(); ++i) {
    std::string part = "mapjass_Destructables_" + std::to_string(i);
    block +=
        "function " + part + " takes nothing returns nothing\n" + lines[i - 1] + "endfunction\n";
    starts += "call ExecuteFunc(\"" + part + "\")\n";
  }
  parts = lines.size();
  return block + "function mapjass_Destructables takes nothing returns nothing\n" + starts +
         "endfunction\n";
}

// A map of each kind is built as it should be: every file as it was but the
// script, which gains the block and its call, and war3map.doo, which keeps
// the doodads and the destructables of the map's own script, with the bytes
// after its records; the bytes before the archive as they were.
TEST(Build, BuildsEachKindOfMap) {
  const TestDoodad tree = typicalDoodad(), rock{.life = 255}, gate{.typeId = "DTg1", .flags = 0};
  const Bytes trailer = "\0\0\0\0\1\0\0\0LTrs\0\0\0\0\2\0\0\0\3\0\0\0"s;
  const Bytes kept = doodadFileBytes({.doodads = {rock, gate}, .trailer = trailer});
  const Bytes other = "terrain bytes", info = mapInfoBytes({.language = 0});
  struct Case {
    const char* name;
    size_t headerSize;
    bool listfile;
    std::string end;
    bool locals;
    std::vector<const char*> scripts;
    int trees = 0;  // more destructables, to fill more than one function
  };
  // clang-format off
  const Case cases[] = {
      {"the editor's map", 512, true, "\r\n", true, {"war3map.j"}},
      {"no header, LF", 0, true, "\n", false, {"war3map.j"}},
      {"a header of 1536 bytes, CR alone", 1536, true, "\r", true, {"war3map.j"}},
      {"no list of names", 512, false, "\r\n", false, {"war3map.j"}},
      {"the script in a folder", 512, true, "\r\n", false, {"scripts\\war3map.j"}},
      {"both scripts, no list, a full table", 512, false, "\n", true, {"war3map.j", "scripts\\war3map.j"}},
      {"two functions", 512, true, "\r\n", false, {"war3map.j"}, 3'598},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    std::vector<TestDoodad> doodads = {tree, rock, gate, {.typeId = " Lt~", .x = 64}};
    doodads.insert(doodads.end(), c.trees, {.typeId = "LTlt"});
    size_t parts = 0;
    const std::string block = blockOf(doodads, parts);
    const Bytes doo = doodadFileBytes({.doodads = doodads, .trailer = trailer});
    TestArchive map{c.headerSize,
                    c.listfile,
                    {{"war3map.doo", doo}, {"war3map.w3e", other}, {"war3map.w3i", info}}};
    for (const char* name : c.scripts) map.files.push_back({name, script(c.end, c.locals)});
    const Bytes mapBytes = archiveBytes(map);
    folder.write("Map.w3x", mapBytes);
    auto [status, out, err] =
        runProgram(folder, "", 0, {MAPJASS_BUILD_BINARY, {folder.file("Map.w3x")}});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err, "");
    const std::string built = folder.file("Map.built.w3x");
    EXPECT_TRUE(matchesText(
        out, "Map.w3x built into " + built + ".\n  The script creates " +
                 std::to_string(2 + c.trees) + " destructables when the map starts, in " +
                 std::to_string(parts) + (parts == 1 ? " function" : " functions") +
                 " of one game thread each.\n  war3map.doo keeps 2 records: 1 "
                 "doodad and 1 destructable of the map's own script.\n..."))
        << out;
    std::vector<std::string> names;
    auto expected = map.files;  // the terrain and the description as they were
    for (auto& [name, bytes] : expected) {
      names.push_back(name);
      if (name == "war3map.doo") bytes = kept;
      if (name.ends_with(".j")) bytes = script(c.end, c.locals, block);
    }
    EXPECT_EQ(archiveFiles(built, names), expected);
    EXPECT_EQ(folder.read("Map.w3x"), mapBytes);
    EXPECT_EQ(folder.contents().size(), 2u);
  }
}

// Each refusal is one message, exit status 1, and no file written; the map
// is only ever read.
TEST(Build, RefusesWhatItCannotBuild) {
  const Bytes doo = doodadFileBytes({.doodads = {typicalDoodad()}});
  const std::string jass = script("\r\n", false);
  auto map = [&](std::vector<std::pair<std::string, Bytes>> files) {
    if (files.empty()) files = {{"war3map.doo", doo}, {"war3map.j", jass}};
    return archiveBytes({512, true, files});
  };
  // Its header size makes no sense.
  const Bytes protectedMap = map({}).replace(512 + 4, 4, "VxOP");
  // The map with bytes of its archive header replaced from `at`.
  auto header = [&](size_t at, const Bytes& bytes) {
    return map({}).replace(512 + at, bytes.size(), bytes);
  };
  // A map whose block entries from the first (its files in the order they
  // were added) state `sizes`, packed (`field` 4) or not (8).
  auto stating = [&](std::vector<std::pair<std::string, Bytes>> files, std::vector<uint32_t> sizes,
                     size_t field = 8) {
    Bytes bytes = map(files);
    uint8_t* table = reinterpret_cast<uint8_t*>(bytes.data()) + 512 +
                     decodeUint32(reinterpret_cast<const uint8_t*>(&bytes[512 + 20]));
    DecryptMpqBlock(table, static_cast<unsigned>(16 * sizes.size()), 0xEC83B3A3);
    for (size_t i = 0; i < sizes.size(); ++i) encodeUint32(table + 16 * i + field, sizes[i]);
    EncryptMpqBlock(table, static_cast<unsigned>(16 * sizes.size()), 0xEC83B3A3);
    return bytes;
  };
  // No "HM3W": the copy, under its temporary name, is no Warcraft III map
  // to the library, which then honours user data and the format version.
  const Bytes bare = archiveBytes({0, true, {{"war3map.doo", doo}, {"war3map.j", jass}}});
  Bytes userData(512, '\0');
  userData.replace(0, 16, "MPQ\x1b\x10\0\0\0....\x10\0\0\0"s);
  encodeUint32(reinterpret_cast<uint8_t*>(&userData[8]),
               static_cast<uint32_t>(512 + bare.size() - 100));
  Bytes version2 = bare;
  version2[12] = 1;
  struct Case {
    Files files;  // besides Map.w3x, when it is given
    Bytes mapBytes;
    std::vector<std::string> arguments;
    std::string err;  // after "Map.w3x: " when it starts with ":"
    std::string out = "";
  };
  const std::vector<std::string> mapOnly = {"Map.w3x"};
  auto clash = [](const std::string& line, const std::string& name) {
    return ": war3map.j: line " + line + " defines " + name +
           ", a name that mapjass-build keeps for its own: the map was built by mapjass-build "
           "before, or its script takes that name; build the map it was built from, or rename " +
           name;
  };
  const std::string damaged = "; the map is damaged: save it in the World Editor again";
  const std::string notAMap = "; give the .w3x or .w3m file of a map";
  const std::string itself =
      ": is the map itself, which is only ever read; give another name "
      "for the built map, or none for Map.built.w3x";
  const Bytes builtMap = map({{"war3map.doo", doo}, {"war3map.j", kBuiltScript + jass}});
  const Bytes nothingToBuild =
      map({{"war3map.doo", doodadFileBytes({.doodads = {{.life = 255}}})}, {"war3map.j", jass}});
  const std::string builtAlready = ": was built by mapjass-build; build the map it was built from";
  const std::string removeIt = "; remove it, or give another name for the built map";
  const std::string notOurs =
      ": is there already, and is no map that mapjass-build built, so it is not replaced; remove "
      "it, or give another name for the built map";
  const Files notes = {{"notes.txt", "my notes"}};
  const std::vector<std::string> toNotes = {"Map.w3x", "notes.txt"};
  // A map saved as a folder, with `more` in it.
  auto folderMap = [&](Files more) {
    more.insert(
        {{"Map.w3x", "<folder>"}, {"Map.w3x/war3map.doo", doo}, {"Map.w3x/war3map.j", jass}});
    return more;
  };
  // clang-format off
  const Case cases[] = {
      {{}, "no archive here", mapOnly,
       ": is not a map archive that can be read: not an MPQ archive; give the .w3x or .w3m file of "
       "a map"},
      {{}, map({{"war3map.doo", doo}, {"war3map.j", jass}, {"war3map.w3i", mapInfoBytes({})}}),
       mapOnly, ": holds no war3map.lua, the Lua script that its war3map.w3i says the game runs, "
       "so it is not a map to build; give the .w3x or .w3m file of a map"},
      {{}, map({{"war3map.doo", doo}, {"war3map.lua", "main()"},
                {"war3map.w3i", mapInfoBytes({.language = 2})}}), mapOnly,
       ": war3map.w3i: the script language (offset 275) is 2, neither 0 (JASS) nor 1 (Lua)" +
       damaged},
      {{}, map({{"war3map.doo", doo}, {"war3map.lua", "function main()\nend\nfunction main()\n"},
                {"war3map.w3i", mapInfoBytes({})}}), mapOnly,
       ": war3map.lua: lines 1 and 3 each start a \"function main()\", so which one the game "
       "starts the map with cannot be told; keep the World Editor's main alone and build again"},
      {{}, map({{"war3map.doo", doodadFileBytes({.version = 6})}, {"war3map.j", jass}}), mapOnly,
       ": war3map.doo is version 6, an early beta format of the doodad file, which is not "
       "supported; save the map in a later World Editor and build it again"},
      {{}, map({{"war3map.doo", doodadFileBytes({.doodads = {{.life = 255}, {.flags = 0}}})},
                {"war3map.j", jass}}), mapOnly,
       ": war3map.doo holds no destructable for the script to create (2 records: 1 doodad, 1 "
       "destructable of the map's own script), so there is nothing to build"},
      {{}, map({{"war3map.doo", doo}, {"war3map.j", "globals\nreal mapjass_X\nendglobals\n"}}),
       mapOnly, clash("2", "mapjass_X")},
      {{}, map({{"war3map.doo", doo}, {"war3map.j", "type mapjass_T extends handle\n"}}), mapOnly,
       clash("1", "mapjass_T")},
      {{}, map({{"war3map.doo", doo}, {"war3map.j", "call mapjass_Y()\nfunction mapjass_RF\n"}}),
       mapOnly, clash("2", "mapjass_RF")},
      {{}, map({{"war3map.doo", doo}, {"war3map.j", "function main takes integer x\n"}}), mapOnly,
       ": war3map.j: has no line \"function main takes nothing returns nothing\", which the game "
       "starts the map with; build a map that the World Editor saved"},
      {{}, map({{"war3map.doo", doo}}), mapOnly,
       ": holds no war3map.j, so it is not a map to build; give the .w3x or .w3m file of a map"},
      {{}, map({{"war3map.doo", doo.substr(0, 40)}, {"war3map.j", jass}}), mapOnly,
       ": war3map.doo: file ends inside record 1 of 1 (offset 40)" + damaged},
      {{}, map({{"war3map.doo", doodadFileBytes({.doodads = {{.typeId = "A'BC"}}})},
                {"war3map.j", jass}}), mapOnly,
       ": war3map.doo: record 1 of 1: its type is no four-character code that JASS can take" +
       damaged},
      {{}, map({}), {"Map.w3x", ""}, "mapjass-build: the built map's name is empty"},
      {{}, header(14, "\xff\xff"), mapOnly, ": its archive header gives sectors of 512 << 255 bytes, "
       "more than any archive has" + damaged},
      {{}, header(24, "\xff\xff\xff\xff"), mapOnly, ": its archive hash table of 268435455 "
       "entries runs past the end of the file" + damaged},
      {{}, header(16, "\xff\xff\xff\x0f"), mapOnly, ": is not a map archive that can be read: "
       "its archive header points past the end of the file" + notAMap},
      {{}, map({}).substr(0, 600), mapOnly, ": is not a map archive that can be read: its archive "
       "header points past the end of the file" + notAMap},
      {{}, header(4, "\x08"), mapOnly, ": is not a map archive that can be read: not an MPQ "
       "archive" + notAMap},
      {{}, stating({}, {200 << 20}), mapOnly, ": its archive lists a file of 209715200 bytes, more than the "
       "128 MB that a map can hold" + damaged},
      {{}, stating({}, {0x7fffffff}, 4), mapOnly, ": its archive lists a file whose data runs past "
       "the end of the file" + damaged},
      {{}, stating({{"war3map.doo", doo}, {"war3map.j", jass}, {"a", "a"}, {"b", "b"}, {"c", "c"}},
                   {7, 7, 120 << 20, 120 << 20, 120 << 20, 120 << 20, 120 << 20}),
       mapOnly, ": its files state 629145614 bytes in all, more than the 512 MB that a map can hold" +
       damaged},
      {{}, userData + bare, mapOnly, ": its archive user data leads to a header that the file ends "
       "inside" + damaged},
      {{}, version2, mapOnly, ": is not a map archive that can be read: its header is of MPQ "
       "format 2, which Warcraft III maps do not have" + notAMap},
      {{}, protectedMap, mapOnly,
       ": is a protected map: its archive tables are damaged on purpose, so the library opens it "
       "only for reading; build the map's unprotected source instead"},
      {{}, map({}), {"Map.w3x", "Map.w3x"}, "Map.w3x" + itself},
      {{{"Other.w3x", "<link to Map.w3x>"}}, map({}), {"Map.w3x", "Other.w3x"},
       "Other.w3x" + itself},
      {{{"Map.built.w3x", "<read-only>"}}, map({}), mapOnly,
       "Map.built.w3x: is read-only; the file cannot be replaced"},
      {{{"Map.built.w3x", "<folder>"}}, map({}), mapOnly,
       "Map.built.w3x: is a folder; the file cannot be written"},
      {{}, "", mapOnly, "Map.w3x: cannot open: No such file or directory"},
      {{}, builtMap, mapOnly, builtAlready},
      {{{"Other.w3x", map({})}}, map({}), {"Map.w3x", "Other.w3x"}, "Other.w3x" + notOurs},
      {{}, map({}), {"Map.w3x", "Nope/"},
       "Nope/Map.w3x: the folder Nope does not exist; make it first, or give another name for "
       "the built map"},
      // Two faults: the one that comes first in the order of the checks.
      {notes, "no archive", toNotes, ": is not a map archive that can be read: not an MPQ "
       "archive; give the .w3x or .w3m file of a map"},
      {notes, builtMap, toNotes, builtAlready},
      {notes, nothingToBuild, toNotes, "notes.txt" + notOurs},
      {notes, protectedMap, toNotes, "notes.txt" + notOurs},
      {{{"Map.w3x", "<folder>"}, {"Map.w3x/war3map.j", jass}}, "", mapOnly,
       ": holds no war3map.doo, so it is not a map to build; give the .w3x or .w3m file of a map, "
       "or the folder of a map saved as a folder"},
      {folderMap({{"Map.w3x/sub", "<folder>"}, {"Map.w3x/sub/l", "<link to ../war3map.j>"}}), "",
       mapOnly, "Map.w3x/sub/l: is a link, which a map saved as a folder does not hold; replace it "
       "with the file itself, or remove it"},
      {folderMap({}), "", {"Map.w3x/", "Map.w3x/x"},
       "Map.w3x/x: is inside the map Map.w3x, which is only ever read; give a name outside it"},
      {folderMap({{"Map.built.w3x", "<folder>"}, {"Map.built.w3x/war3map.w3i", "x"}}), "", mapOnly,
       "Map.built.w3x" + notOurs},
      {folderMap({{"Map.built.w3x", "x"}}), "", mapOnly, "Map.built.w3x" + notOurs},
      {folderMap({{"Map.built.w3x", builtMap}}), "", mapOnly,
       "Map.built.w3x: is a .w3x or .w3m file that mapjass-build built, which the build of a map "
       "saved as a folder does not replace" + removeIt},
      {{{"Map.built.w3x", "<folder>"}, {"Map.built.w3x/war3map.doo", doo},
        {"Map.built.w3x/war3map.j", kBuiltScript}}, map({}), {"Map.w3x", "Map.built.w3x/"},
       "Map.built.w3x: is a map saved as a folder that mapjass-build built, which the build of a "
       ".w3x or .w3m file does not replace" + removeIt},
      {{}, "", {}, "mapjass-build: give it a map, and if you like the name of the built map: "
       "mapjass-build MAP [OUTPUT]"},
      {{}, "", {"--version"}, "", "mapjass-build " MAPJASS_VERSION " (StormLib ..."},
      {{}, "", {"-h"}, "", "Usage: mapjass-build MAP [OUTPUT]\n..."},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    TempFolder folder;
    if (!c.mapBytes.empty()) folder.write("Map.w3x", c.mapBytes);
    for (const auto& [name, content] : c.files) folder.write(name, content);
    const Files before = folder.contents();
    auto [status, out, err] = runProgram(folder, "", 0, {MAPJASS_BUILD_BINARY, c.arguments});
    EXPECT_EQ(status, c.err.empty() ? 0 : 1);
    EXPECT_EQ(err, c.err.empty() ? "" : (c.err[0] == ':' ? "Map.w3x" : "") + c.err + "\n");
    EXPECT_TRUE(matchesText(out, c.out)) << out;
    EXPECT_EQ(differences(folder.contents(), before), "");
  }
}

// Where the built map goes: into a folder that OUTPUT names, in the place
// of a map built before, and where a stopped run left files, those are
// cleared first, an earlier built map kept aside being put back.
TEST(Build, PlacesTheBuiltMap) {
  const Bytes map = archiveBytes({512,
                                  true,
                                  {{"war3map.doo", doodadFileBytes({.doodads = {typicalDoodad()}})},
                                   {"war3map.j", script("\r\n", false)}}});
  TempFolder reference;
  reference.write("Map.w3x", map);
  ASSERT_EQ(std::get<0>(runProgram(reference, "", 0, {MAPJASS_BUILD_BINARY, {"Map.w3x"}})), 0);
  const Bytes built = reference.read("Map.built.w3x");
  struct Case {
    Files files;
    std::vector<std::string> arguments;
    std::string output;  // where the built map is then
    std::string err = "";
  };
  const std::string kept = "Map.built.w3x.kept12-3";
  // clang-format off
  const Case cases[] = {
      {{{"Release", "<folder>"}}, {"Map.w3x", "Release"}, "Release/Map.w3x"},
      {{{"Release", "<folder>"}}, {"Map.w3x", "Release//"}, "Release/Map.w3x"},
      {{{"Map.built.w3x", built}}, {"Map.w3x"}, "Map.built.w3x"},
      {{{"Map.built.w3x", built}, {"Map.built.w3x.tmp12-0", "half"}, {"Map.built.w3x.tmp3", "x"}},
       {"Map.w3x"}, "Map.built.w3x",
       "warning: Map.built.w3x.tmp12-0: left by a stopped run; removed\n"},
      {{{kept, built}}, {"Map.w3x"}, "Map.built.w3x",
       "warning: Map.built.w3x: put back from " + kept + ", where a stopped run had kept it aside\n"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output + " " + c.err);
    TempFolder folder;
    folder.write("Map.w3x", map);
    for (const auto& [name, content] : c.files) folder.write(name, content);
    auto [status, out, err] = runProgram(folder, "", 0, {MAPJASS_BUILD_BINARY, c.arguments});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(err, c.err);
    EXPECT_TRUE(out.starts_with("Map.w3x built into " + c.output + ".\n")) << out;
    Files expected = c.files;
    expected.erase(kept);
    expected.erase("Map.built.w3x.tmp12-0");
    expected["Map.w3x"] = map;
    expected[c.output] = built;
    EXPECT_EQ(differences(folder.contents(), expected), "");
  }
}

// The script is read as the game reads it: main's header with any blanks
// and a comment; strings over lines, with escapes, and rawcodes, in which
// nothing is a header, a local, a definition or a comment; the line end
// that most lines have.
TEST(Build, ReadsTheScriptAsTheGameDoes) {
  const std::string head = "function main takes nothing returns nothing", end = "endfunction\n";
  const std::string noMain = "!s: has no line", defines = "!s: line 2 defines mapjass_";
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {  // script, built or !error's start
      {"function  main\ttakes nothing  returns nothing // x\n" + end,
       "B\nfunction  main\ttakes nothing  returns nothing // x\nC\n" + end},
      {"set s = \"\n" + head + "\n\"\n", noMain}, {head + " x\n", noMain}, {head + "()\n", noMain},
      {"//\ntype mapjass_R extends handle\n", defines + "R"},
      {"globals\nconstant real mapjass_G=1\n", defines + "G"},
      {"globals\ninteger i = 'A\"bc'\nfunction mapjass_X takes\n", "!s: line 3 defines mapjass_X"},
      {"set s = \"a\\\\\"\nconstant native mapjass_N\n", defines + "N"},
      {"set s = \"\\\" // \" + \"\ntype mapjass_T\n\"\n" + head + "\n" + end,
       "set s = \"\\\" // \" + \"\ntype mapjass_T\n\"\nB\n" + head + "\nC\n" + end},
      {head + "\n local string s = \"\nlocal\"\n\n//\nlocal integer i\nset s = \"\nlocal\"\n" + end,
       "B\n" + head + "\n local string s = \"\nlocal\"\n\n//\nlocal integer i\nC\nset s = \"\nlocal\"\n" +
       end},
      {"a\r\nb\r\n" + head + "\r\r\n" + end, "a\r\nb\r\nB\r\n" + head + "\rC\r\n\r\n" + end},
      {"a\rb\r\n" + head + "\r" + end, "a\rb\r\nB\r" + head + "\rC\r" + end},
      {head + "\rendfunction\n", "B\r\n" + head + "\rC\r\nendfunction\n"},
      {head, "B\r\n" + head + "\r\nC\r\n"},
  };
  // clang-format on
  for (const auto& [script, built] : cases) {
    SCOPED_TRACE(script);
    std::string text = script;
    Status status = insertIntoMain("s", "B\n", "C", "mapjass_", text);
    EXPECT_EQ(status.ok() ? text : ("!" + status.error).substr(0, built.size()), built);
  }
  // clang-format off
  const std::tuple<std::string, std::string, bool> names[] = {
      {"type T extends handle", "T", true}, {"globals\n\tinteger array X=1\nendglobals", "X", true},
      {"integer X", "X", false}, {"constant function F takes", "F", true}, {"function Fx", "F", false},
      {"// function F", "F", false}, {"call s(\"\nfunction F\n\")", "F", false},
      {"globals\nendglobals\ninteger X", "X", false}, {"\"\\\\\"\r\nnative F", "F", true}};
  // clang-format on
  for (const auto& [script, name, defined] : names) {
    EXPECT_EQ(definesName(script, name), defined) << script;
  }
}

// A map saved as a folder is built into a folder: everything in it as it
// is, empty folders and permission bits too, but war3map.doo and the
// script, which hold what an archive's build gives them. Built again over
// that folder, an interrupt at any moment leaves it earlier or new, and no
// temporary folder.
TEST(Build, BuildsAFolderMap) {
  const Bytes doo = doodadFileBytes({.doodads = {typicalDoodad(), {.life = 255}}});
  const std::string jass = script("\n", true);
  Files files = {{"war3map.doo", doo},     {"war3map.j", jass},   {"war3map.w3e", "terrain"},
                 {"Units", "<folder>"},    {"empty", "<folder>"}, {"Units/a b.mdx", "model"},
                 {"empty/sub", "<folder>"}};
  // Enough files that an interrupt finds the copy under way.
  for (int i = 0; i < 200; ++i) files["Units/" + std::to_string(i)] = std::string(i, 'x');
  TempFolder reference;
  reference.write("Map.w3x",
                  archiveBytes({512, true, {{"war3map.doo", doo}, {"war3map.j", jass}}}));
  ASSERT_EQ(std::get<0>(runProgram(reference, "", 0, {MAPJASS_BUILD_BINARY, {"Map.w3x"}})), 0);
  TempFolder folder;
  Files expected;
  for (const auto& [name, content] : files) expected["Map.built.w3x/" + name] = content;
  for (const auto& [name, content] :
       archiveFiles(reference.file("Map.built.w3x"), {"war3map.doo", "war3map.j"})) {
    expected["Map.built.w3x/" + name] = content;
  }
  auto writeAll = [&](const Files& entries) {
    for (const auto& [name, content] : entries) folder.write(name, content);
  };
  folder.write("Map.w3x", "<folder>");
  for (const auto& [name, content] : files) folder.write("Map.w3x/" + name, content);
  chmod(folder.file("Map.w3x/war3map.w3e").c_str(), 0640);
  const Files map = folder.contents();
  expected.insert(map.begin(), map.end());
  expected["Map.built.w3x"] = "<folder>";
  auto [status, out, err] = runProgram(folder, "", 0, {MAPJASS_BUILD_BINARY, {"Map.w3x/"}});
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
  EXPECT_TRUE(out.starts_with("Map.w3x built into Map.built.w3x.\n")) << out;
  EXPECT_EQ(differences(folder.contents(), expected), "");
  struct stat info {};
  stat(folder.file("Map.built.w3x/war3map.w3e").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  const Bytes changed = doodadFileBytes({.doodads = {typicalDoodad(), {.x = 1}}});
  expected["Map.w3x/war3map.doo"] = changed;
  std::vector<Files> seen;
  // Microseconds until the interrupt; the last run has none, and the one
  // before it ignores it (nohup), and so must build.
  for (int delay : {0, 2'000, 5'000, 10'000, 20'000, 50'000, 5'001, -1}) {
    removeTree(folder.file("Map.built.w3x"));
    writeAll(expected);
    pid_t child = startProgram(folder,
                               [delay] {
                                 int null = open("/dev/null", O_RDWR);
                                 dup2(null, 1), dup2(null, 2);
                                 if (delay == 5'001) std::signal(SIGINT, SIG_IGN);
                               },
                               {MAPJASS_BUILD_BINARY, {"Map.w3x"}});
    if (delay >= 0) usleep(static_cast<useconds_t>(delay)), kill(child, SIGINT);
    int result = 0;
    waitpid(child, &result, 0);
    seen.push_back(folder.contents());
  }
  EXPECT_NE(differences(seen.back(), expected), "");
  EXPECT_EQ(differences(seen[seen.size() - 2], seen.back()), "");
  // Where the file system cannot swap the folders in one step, two renames
  // do, and leave nothing beside them.
  removeTree(folder.file("Map.built.w3x"));
  writeAll(expected);
  std::FILE* quiet = std::tmpfile();
  armExchangeFault(true);
  EXPECT_EQ(runBuildProgram({folder.file("Map.w3x")}, quiet, quiet, quiet), 0);
  armExchangeFault(false);
  std::fclose(quiet);
  EXPECT_EQ(differences(folder.contents(), seen.back()), "");
  for (const Files& after : seen) {
    EXPECT_TRUE(after == expected || after == seen.back()) << differences(after, seen.back());
  }
}

// The game's functions as Lua stand-ins that print each call: a
// destructable as the JASS lines that would make it, its life set on the
// one made last.
const char kLuaStandIns[] = R"lua(local last
function FourCC(id) return id end
function CreateDestructableZ(...)
  print(string.format("call CD( '%s', %.6g, %.6g, %.6g, %.6g, %.6g, %d )", ...))
  last = {} return last
end
function GetDestructableMaxLife(d) return d == last and 400 end
function SetDestructableLife(d, life) assert(d == last) print(("call SL(%.0f)"):format(life/4)) end
function FogMaskEnable(on) print("FogMaskEnable " .. tostring(on)) end
function FogEnable(on) print("FogEnable " .. tostring(on)) end
function InitGlobals() print("InitGlobals") end
)lua";

// A Lua map, archive or folder, gets the block in war3map.lua, which its
// war3map.w3i says the game runs; a war3map.j beside it stays as it is.
// Where lua5.3 is on the machine, the built script runs under it: main
// makes the destructables of the records, in order, before anything else,
// also when a hook wraps it.
TEST(Build, BuildsALuaMap) {
  std::vector<TestDoodad> doodads = {typicalDoodad(), {.typeId = "A'B ", .z = -3.5f, .life = 0}};
  for (int i = 0; i < 3300; ++i) doodads.push_back(doodadNumber(i));  // flags 0, life 255 too
  std::string lines;
  std::vector<TestDoodad> kept;
  int rocks = 0;
  for (const TestDoodad& d : doodads) {
    lines += d.life == 255 ? "" : scriptLinesOf(d);
    if (d.life == 255 || d.flags == 0) kept.push_back(d);
    rocks += d.life == 255;
  }
  const std::string lua =
      "--[[ function main() ]]\r\nfunction main()\r\n    InitGlobals()\r\nend\r\n"
      "oldMain = main\r\nfunction hooked()\r\n    print('hooked')\r\n    oldMain()\r\nend\r\n"
      "main = hooked\r\n";
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"war3map.doo", doodadFileBytes({.doodads = doodads})},
      {"war3map.j", "stale"},
      {"war3map.lua", lua},
      {"war3map.w3i", mapInfoBytes({})}};
  const bool hasLua = std::system("command -v lua5.3 >/dev/null") == 0;
  if (!hasLua) std::printf("no lua5.3: the built scripts are not run\n");
  for (bool asFolder : {false, true}) {
    SCOPED_TRACE(asFolder ? "a folder" : "an archive");
    TempFolder folder;
    if (asFolder) {
      folder.write("Map.w3x", "<folder>");
      for (const auto& [name, bytes] : files) folder.write("Map.w3x/" + name, bytes);
    } else {
      folder.write("Map.w3x", archiveBytes({512, true, files}));
    }
    auto [status, out, err] = runProgram(folder, "", 0, {MAPJASS_BUILD_BINARY, {"Map.w3x"}});
    EXPECT_EQ(std::tie(status, err), std::make_tuple(0, std::string()));
    EXPECT_TRUE(matchesText(
        out, "Map.w3x built into Map.built.w3x.\n  The script creates " +
                 std::to_string(doodads.size() - kept.size()) +
                 " destructables when the map starts, in 2 functions, one after another.\n  "
                 "war3map.doo keeps " +
                 std::to_string(kept.size()) + " records: " + std::to_string(rocks) +
                 " doodads and " + std::to_string(kept.size() - rocks) +
                 " destructables of the map's own script.\n  Changed: war3map.lua (Lua), "
                 "war3map.doo.\n..."))
        << out;
    std::vector<std::pair<std::string, Bytes>> built = files;
    for (auto& [name, bytes] : built) {
      bytes = asFolder ? folder.read("Map.built.w3x/" + name)
                       : archiveFiles(folder.file("Map.built.w3x"), {name})[0].second;
    }
    EXPECT_EQ(built[0].second, doodadFileBytes({.doodads = kept}));
    EXPECT_EQ(built[1], files[1]);
    EXPECT_EQ(built[3], files[3]);
    if (!hasLua) continue;
    folder.write("run.lua", kLuaStandIns + built[2].second + "main()\n");
    auto [ran, shown, failed] = runProgram(folder, "", 0, {"/bin/sh", {"-c", "lua5.3 run.lua"}});
    EXPECT_EQ(std::tie(ran, failed), std::make_tuple(0, std::string()));
    EXPECT_EQ(differences(shown, "hooked\n" + lines +
                                     "FogMaskEnable false\nFogEnable false\nFogMaskEnable "
                                     "true\nFogEnable true\nInitGlobals\n"),
              "");
  }
}

// A map that exists but cannot be opened says why, as the system gave it.
TEST(Build, SaysWhyTheMapCannotBeOpened) {
  const std::string held =
      ": is open in another program (the World Editor?), which keeps others from reading it; "
      "close the map there and build again\n";
  struct Case {
    bool asFolder;
    const char* opened;  // the end of the path whose opening fails
    int error;
    std::string message;
  };
  const Case cases[] = {
      {false, "/Map.w3x", EACCES, "Map.w3x: cannot open: permission denied\n"},
      {false, "/Map.w3x", EBUSY, "Map.w3x" + held},
      {false, "/Map.w3x", EIO, "Map.w3x: cannot open: Input/output error\n"},
      {true, "/Map.w3x/sub", EACCES, "Map.w3x/sub: cannot read the folder: Permission denied\n"},
      {true, "/sub/a b", EBUSY, "Map.w3x/sub/a b" + held}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    TempFolder folder;
    if (c.asFolder) {
      for (const auto& [name, content] : Files{{"Map.w3x", "<folder>"},
                                               {"Map.w3x/sub", "<folder>"},
                                               {"Map.w3x/sub/a b", "x"},
                                               {"Map.w3x/war3map.j", "x"},
                                               {"Map.w3x/war3map.doo", "x"}}) {
        folder.write(name, content);
      }
    } else {
      folder.write("Map.w3x", archiveBytes({512, true, {{"war3map.j", "x"}}}));
    }
    const Files before = folder.contents();
    std::FILE* err = std::tmpfile();
    armOpenFault(c.opened, c.error);
    int status = runBuildProgram({folder.file("Map.w3x")}, err, err, err);
    armOpenFault("", 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(readFile("/proc/self/fd/" + std::to_string(fileno(err))), c.message);
    std::fclose(err);
    EXPECT_EQ(differences(folder.contents(), before), "");
  }
}

// The check after writing holds the built map against its map: an added
// file, a file that differs, a replaced file not as written, or other bytes
// before the archive fail the build.
TEST(Build, ChecksTheBuiltMap) {
  TempFolder folder;
  auto map = [](const Bytes& doo, const Bytes& added) {
    std::vector<std::pair<std::string, Bytes>> files = {{"war3map.doo", doo}, {"a", "x"}};
    if (!added.empty()) files.emplace_back("b", added);
    return archiveBytes({512, true, files});
  };
  Bytes otherHeader = map("d", "");
  otherHeader[100] ^= 1;
  const std::string wrong = "Built: the built map does not read back as it was written (";
  // clang-format off
  const std::tuple<Bytes, Changes, std::string> cases[] = {
      {map("d", ""), {}, ""}, {map("new", ""), {{"war3map.doo", "new"}}, ""},
      {map("d", "y"), {}, wrong + "its files are not the map's)"},
      {map("d2", ""), {}, wrong + "war3map.doo differs)"},
      {map("d", ""), {{"war3map.doo", "new"}}, wrong + "war3map.doo differs)"},
      {otherHeader, {}, wrong + "the bytes before the archive differ)"}};
  // clang-format on
  folder.write("Map.w3x", map("d", ""));
  MapArchive source;
  ASSERT_TRUE(source.openForReading(folder.file("Map.w3x"), "Map.w3x").ok());
  for (const auto& [bytes, changes, error] : cases) {
    folder.write("Built", bytes);
    EXPECT_EQ(checkBuiltMap(folder.file("Map.w3x"), source, folder.file("Built"), "Built", changes,
                            [](const std::string&) {})
                  .error,
              error);
  }
}

// The built map's name when none is given: ".built" before the last dot of
// the file name, never of a folder's name.
TEST(Build, NamesTheBuiltMap) {
  // clang-format off
  const std::string cases[][2] = {{"Map.w3x", "Map.built.w3x"}, {"Map", "Map.built"},
      {"maps.v2/Map", "maps.v2/Map.built"}, {"a.b\\(2)Map.w3m", "a.b\\(2)Map.built.w3m"}};
  // clang-format on
  for (const auto& [map, built] : cases) EXPECT_EQ(builtMapName(map), built);
}

}  // namespace
}  // namespace mapjass
