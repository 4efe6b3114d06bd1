// The doodad job on files in a folder: the script, the side files, and
// what a short file leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/output_file.h"
#include "doodads/doodad_job.h"
#include "map_writer.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace std::string_literals;
using namespace testing;

const std::string kPreamble =
    "function RF takes nothing returns nothing\ncall FogMaskEnable(false)\ncall "
    "FogEnable(false)\ncall FogMaskEnable(true)\ncall FogEnable(true)\nendfunction\n"
    "function CD takes integer objectid, real x, real y, real z, real face, real scale, integer "
    "variation returns nothing\n"
    "set bj_lastCreatedDestructable =  "
    "CreateDestructableZ(objectid,x,y,z,face,scale,variation)\nendfunction\n"
    "function SL takes integer L returns nothing\n"
    "call SetDestructableLife(GetLastCreatedDestructable(), "
    "GetDestructableMaxLife(GetLastCreatedDestructable()) * L * 0.01)\nendfunction\n\n\n\n\n\n\n\n";

JobRun run(const TempFolder& folder, const DoodadJobOptions& options) {
  return runJob(runDoodadJob, options, folder);
}

// Whether the record stays in war3mapKEEP.doo: a doodad, or a destructable
// of the map's own script.
bool isKept(const TestDoodad& d) {
  return d.life == 255 || d.flags == 0;
}

// The warnings about the doodads and the destructables of the map's own
// script among `doodads`, with war3mapKEEP.doo written or not.
std::vector<std::string> leftOutWarnings(const std::vector<TestDoodad>& doodads, bool kept) {
  auto count = [&](auto predicate) {
    return std::to_string(std::count_if(doodads.begin(), doodads.end(), predicate));
  };
  std::string ofRecords = " of " + std::to_string(doodads.size()) + " records are ";
  std::string lifeless = count([](const TestDoodad& d) { return d.life == 255; });
  std::string scripted = count([](const TestDoodad& d) { return d.flags == 0 && d.life != 255; });
  std::vector<std::string> warnings;
  if (lifeless != "0") {
    warnings.push_back(
        "war3map.doo: " + lifeless + ofRecords +
        "doodads (life 255), which the game cannot create from a script, so their CD lines place "
        "nothing; to keep them, " +
        (kept ? "take war3mapKEEP.doo as the map's war3map.doo"
              : "answer 1 to \"Create empty war3map.doo?\" to get war3mapKEEP.doo, and take "
                "that as the map's war3map.doo"));
  }
  if (scripted != "0") {
    warnings.push_back("war3map.doo: " + scripted + ofRecords +
                       "destructables that the map's own script creates (flags 0: triggers refer "
                       "to them, or they drop items), so the doodad script leaves them out; they "
                       "stay in war3mapKEEP.doo" +
                       (kept ? "" : ", which answer 1 to \"Create empty war3map.doo?\" writes"));
  }
  return warnings;
}

// Every layout is read field for field: the script shows the fields it
// uses, and the converted copy, which the writer makes independently, all
// the others. The backup holds every byte (around the copy's 4096-byte
// pieces too), the empty file the header with a count of 0, and the kept
// file the doodads as they stand, with everything after the records.
TEST(DoodadJob, ReadsEveryLayoutAndWritesEverySideFile) {
  TempFolder folder;
  const ItemSet two{{{"ratc", 50}, {"rat6", 50}}}, none{}, negative{{}, -3};
  const ItemSet many{std::vector<std::pair<std::string, int32_t>>(600, {"ratc", 1})};
  struct Case {
    int32_t version, converted;  // the converted copy's version
    std::string skin;
    std::vector<ItemSet> sets;
    int doodads = 3, count = -1;  // -1: the number of doodads
    size_t trailer = 8;
  };
  std::vector<Case> cases = {
      {7, 8, "", {}},     {8, 7, "", {}},        {8, 7, "", {two, none, negative, many}},
      {8, 7, "Sk~1", {}}, {8, 7, "ATtr", {two}}, {9, 7, "", {}},
      {-1, 7, "", {}},    {7, 8, "", {}, 2, 0},  {8, 7, "", {}, 2, -5}};
  for (size_t trailer = 4079; trailer <= 4082; ++trailer)
    cases.push_back({8, 7, "", {}, 0, 0, trailer});
  for (const Case& c : cases) {
    TestDoodadFile file{
        .version = c.version, .doodadCount = c.count, .trailer = Bytes(c.trailer, '\xA5')};
    std::string lines;
    TestDoodadFile kept = file;
    for (int i = 0; i < c.doodads; ++i) {
      file.doodads.push_back(doodadNumber(i));
      file.doodads[i].skinId = c.skin;
      file.doodads[i].itemSets = c.sets;
      if (c.count == -1) lines += scriptLinesOf(file.doodads[i]);
      if (isKept(file.doodads[i])) kept.doodads.push_back(file.doodads[i]);
    }
    const Bytes input = doodadFileBytes(file);
    folder.write("war3map.doo", input);
    JobRun job = run(
        folder,
        {.convertDoodadVersion = true, .createEmptyDoodadFile = true, .backupDoodadFile = true});
    ASSERT_TRUE(job.status.ok()) << job.status.error;
    EXPECT_EQ(job.report, "\nFILE: W3doo\nVersion: " + std::to_string(c.version) + ".11\nnumber:" +
                              std::to_string(c.count == -1 ? c.doodads : c.count) + "\n\n\n\n\n");
    EXPECT_EQ(folder.read("war3map.doo.j"), kPreamble + lines + "call RF()");
    TestDoodadFile other = file;
    other.version = c.converted;
    other.trailer.clear();
    if (c.count != -1) other.doodads.clear();  // not read: a count of 0 or below
    for (TestDoodad& d : other.doodads) {
      d.skinId.clear();
      d.itemSets.clear();
      if (c.converted == 8) d.itemTablePointer = -1;  // a version 7 record drops no items
    }
    EXPECT_EQ(folder.read("war3mapCONV.doo"), doodadFileBytes(other)) << c.version;
    EXPECT_EQ(folder.read("war3map.old"), input);
    EXPECT_EQ(folder.read("war3mapNULL.doo"), input.substr(0, 12) + std::string(4, '\0'));
    // With no record read, everything after the header is kept.
    EXPECT_EQ(folder.read("war3mapKEEP.doo"),
              c.count == -1 ? doodadFileBytes(kept)
                            : input.substr(0, 12) + std::string(4, '\0') + input.substr(16));
    EXPECT_EQ(job.warnings,
              c.count == -1 ? leftOutWarnings(file.doodads, true) : std::vector<std::string>{});
    EXPECT_EQ(folder.contents().size(), 6u);  // no temporary file is left
  }
}

// Life, ids, and numbers that JASS cannot write as %.6g would; the facing
// goes from radians to degrees, and what is not a finite number is 0.
TEST(DoodadJob, WritesWhatJassCanRead) {
  TempFolder folder;
  TestDoodadFile file{.signature = "AB\0D"s,
                      .version = 7,
                      .subversion = 9,
                      .doodads = {{"YTlb", 0, 1e6f, 1.5e-05f, 0, 0, 1, 1, -0.0f, 2, 99},
                                  {.typeId = "YT\0x"s, .life = 0},
                                  {.variation = -2147483647 - 1, .life = 255},
                                  {.x = NAN, .y = INFINITY, .z = NAN, .scaleZ = NAN, .life = 101}}};
  std::string script = kPreamble +
                       "call CD( 'YTlb', 1000000.0, 0.000015, 0, 0, -0, 0 )\ncall SL(99)\n"
                       "call CD( 'YT', 0, 0, 0, 0, 1, 0 )\ncall SL(0)\n"
                       "call CD( 'LTlt', 0, 0, 0, 0, 1, -2147483648 )\n"
                       "call CD( 'LTlt', 0, 0, 0, 0, 0, 0 )\n";
  std::vector<std::string> warnings = {"record 4 of 16: x", "record 4 of 16: y",
                                       "record 4 of 16: z", "record 4 of 16: scaleZ"};
  // clang-format off
  const std::pair<float, const char*> facings[] = {
      {4.712389f, "270"}, {1.5707964f, "90"}, {0.017453292f, "1"}, {6.2831855f, "360"},
      {-0.7853982f, "-45"}, {0.5f, "28.6479"}, {1e-9f, "0.0000000572958"},
      {5.9e36f, "338045000000000000000000000000000000000.0"},
      {1e37f, nullptr}, {-1e37f, nullptr}, {NAN, nullptr}, {-INFINITY, nullptr}};
  // clang-format on
  for (auto [radians, degrees] : facings) {
    file.doodads.push_back({.angle = radians});
    script += "call CD( 'LTlt', 0, 0, 0, " + std::string(degrees ? degrees : "0") + ", 1, 0 )\n";
    if (!degrees)
      warnings.push_back("record " + std::to_string(file.doodads.size()) + " of 16: angle");
  }
  for (std::string& warning : warnings) {
    warning = "war3map.doo: " + warning + " is not a finite number; 0 written instead";
  }
  // A finite facing that is too large in degrees says so.
  warnings[4].replace(warnings[4].find("angle"), std::string::npos,
                      "angle 1e+37 radians is too large in degrees; 0 written instead");
  warnings[5].replace(warnings[5].find("angle"), std::string::npos,
                      "angle -1e+37 radians is too large in degrees; 0 written instead");
  for (const std::string& warning : leftOutWarnings(file.doodads, false)) {
    warnings.push_back(warning);
  }
  folder.write("war3map.doo", doodadFileBytes(file));
  JobRun job = run(folder, {});
  ASSERT_TRUE(job.status.ok()) << job.status.error;
  EXPECT_EQ(job.report, "\nFILE: ABo\nVersion: 7.9\nnumber:16\n\n\n\n\n");
  EXPECT_EQ(folder.read("war3map.doo.j"), script + "call RF()");
  EXPECT_EQ(job.warnings, warnings);
}

// After its other warnings, a job that succeeds says what its script cannot
// do: compile under a name that JASS refuses, create doodads, or create the
// destructables of the map's own script (whose counts the layout, split and
// JASS tests check too); and when the backup holds only such records.
TEST(DoodadJob, SaysWhatTheScriptCannotDo) {
  TempFolder folder;
  auto named = [](const std::string& name) {
    return "war3map.doo.j: the function name \"" + name +
           "\" is not valid in JASS, so the script will not compile until the function is "
           "renamed (a name starts with a letter, holds only letters, digits and underscores, "
           "does not end in an underscore, and is no JASS keyword or type, nor RF, CD or SL)";
  };
  auto taken = [](const std::string& name) {
    return "war3map.doo.j: the function name \"" + name + "\" is taken: every map has a function " +
           name +
           " already, and the game would reject a second one; give the function another name";
  };
  const std::string nan = "war3map.doo: record 1 of 2: x is not a finite number; 0 written instead";
  const TestDoodad doodad{.life = 255}, destructable{.life = 254};
  const std::vector<TestDoodad> scripted = {{.flags = 0, .life = 255}, {.flags = 0}};
  enum { kKept = 1, kBackup = 2 };  // war3mapKEEP.doo, war3map.old
  struct Case {
    bool wrapped;
    const char* name;
    int sideFiles;
    std::vector<TestDoodad> doodads;
    std::vector<std::string> warnings;
  };
  std::vector<std::string> backedUp = leftOutWarnings(scripted, true);
  backedUp.push_back(
      "war3map.old: war3map.doo holds no record that the script creates, as a war3mapKEEP.doo "
      "taken into the map does; war3map.old now holds that file, not the original map's, so "
      "keep the original map");
  // An unwrapped list of more than the 150,000 operations that one game
  // thread is planned with: 40 a CD line, 32 an SL line; records of the
  // map's own script (flags 0) have no lines.
  auto many = [](int cdOnly, int withSl, int scripted) {
    std::vector<TestDoodad> doodads(cdOnly);
    doodads.insert(doodads.end(), withSl, TestDoodad{.life = 10});
    doodads.insert(doodads.end(), scripted, TestDoodad{.flags = 0, .life = 10});
    return doodads;
  };
  auto tooLong = [](const char* operations) {
    return "war3map.doo.j: about " + std::string(operations) +
           " operations in one game thread, more than the 150000 the tool plans with, so the "
           "game may stop before the last doodad; answer 1 to the function question and the "
           "tool splits the list across threads";
  };
  const std::vector<TestDoodad> mixed = {
      destructable, {.flags = 0, .life = 5}, scripted[0], scripted[1]};
  // clang-format off
  const Case cases[] = {
      {true, "PlaceDoodads", 0, {destructable}, {}},
      {true, "Init-1", 0, {destructable}, {named("Init-1")}},
      {true, "", 0, {destructable}, {named("")}},  // the name's answer failed
      {false, "Init-1", 0, {destructable}, {}},    // not wrapped
      {true, "config", 0, {destructable}, {taken("config")}},
      {true, "main", 0, many(0, 2084, 0), {taken("main")}},  // split into functions
      {true, "Main", 0, {destructable}, {}}, {false, "main", 0, {destructable}, {}},
      {true, "RF", kKept, {destructable, doodad},
       {named("RF"), leftOutWarnings({destructable, doodad}, true)[0]}},
      {true, "a_", 0, {{.x = NAN}, doodad},
       {nan, named("a_"), leftOutWarnings({{.x = NAN}, doodad}, false)[0]}},
      {false, "", kKept, mixed, leftOutWarnings(mixed, true)},
      {false, "", kKept | kBackup, scripted, backedUp},
      {false, "", kBackup, {destructable, doodad}, leftOutWarnings({destructable, doodad}, false)},
      {false, "", 0, many(3750, 0, 0), {}},
      {false, "", 0, many(3749, 1, 0), {tooLong("150032")}},
      {false, "", 0, many(0, 2084, 0), {tooLong("150048")}},
      {false, "", 0, many(0, 2083, 0), {}},
      {false, "", 0, many(3750, 0, 5), leftOutWarnings(many(3750, 0, 5), false)},
      {true, "A", 0, many(0, 2084, 0), {}},  // split into functions
  };
  // clang-format on
  for (const Case& c : cases) {
    folder.write("war3map.doo", doodadFileBytes({.doodads = c.doodads}));
    DoodadJobOptions options;
    options.wrapInFunction = c.wrapped;
    options.functionName = c.name;
    options.createEmptyDoodadFile = (c.sideFiles & kKept) != 0;
    options.backupDoodadFile = (c.sideFiles & kBackup) != 0;
    JobRun job = run(folder, options);
    ASSERT_TRUE(job.status.ok()) << job.status.error;
    EXPECT_EQ(job.warnings, c.warnings) << c.name;
  }
}

// A wrapped list longer than one game thread runs is split into functions
// of 2,000 records; each SL line stays with its own CD line.
TEST(DoodadJob, SplitsLongWrappedListsAcrossThreads) {
  TempFolder folder;
  for (int count : {1, 2000, 2001, 4000, 4001}) {
    SCOPED_TRACE(count);
    TestDoodadFile file;
    for (int i = 0; i < count; ++i) file.doodads.push_back(doodadNumber(i));
    folder.write("war3map.doo", doodadFileBytes(file));
    JobRun job =
        run(folder, {.wrapInFunction = true, .functionName = std::string("Place\0ignored", 13)});
    ASSERT_TRUE(job.status.ok()) << job.status.error;
    EXPECT_EQ(job.warnings, leftOutWarnings(file.doodads, false));
    int parts = count <= 2000 ? 0 : (count + 1999) / 2000;
    std::string expected = kPreamble, calls, lines;
    for (int i = 0; i < count; ++i) {
      std::string part = "Place_" + std::to_string(i / 2000 + 1);
      if (parts > 0 && i % 2000 == 0) {
        expected += "function " + part + " takes nothing returns nothing\n";
        calls += "call ExecuteFunc(\"" + part + "\")\n";
      }
      if (parts == 0 && i == 0) expected += "function Place takes nothing returns nothing\n";
      lines += scriptLinesOf(file.doodads[i]);
      expected += scriptLinesOf(file.doodads[i]);
      if (parts > 0 && (i % 2000 == 1999 || i == count - 1)) expected += "endfunction\n";
    }
    if (parts > 0) expected += "function Place takes nothing returns nothing\n" + calls;
    EXPECT_EQ(differences(folder.read("war3map.doo.j"), expected + "call RF()\nendfunction"), "");
    ASSERT_TRUE(run(folder, {}).status.ok());  // unwrapped: one list, as ever
    EXPECT_EQ(differences(folder.read("war3map.doo.j"), kPreamble + lines + "call RF()"), "");
  }
  // Cut off inside the second function: nothing of it is written.
  Bytes whole = doodadFileBytes(TestDoodadFile{.doodads = std::vector<TestDoodad>(2500)});
  folder.write("war3map.doo", whole.substr(0, 16 + 50 * 2100 + 7));
  folder.write("war3map.doo.j", "earlier");
  EXPECT_EQ(run(folder, {.wrapInFunction = true}).status.error,
            "war3map.doo: file ends inside record 2101 of 2500 (offset 105023)");
  EXPECT_EQ(folder.read("war3map.doo.j"), "earlier");
}

// The name of a file kept aside, whatever its number: "NAME.kept*".
std::string withoutTemporaryNumber(const std::string& text) {
  std::string result = text;
  for (size_t at = result.find(".kept"); at != std::string::npos;
       at = result.find(".kept", at + 1)) {
    size_t end = result.find_first_not_of("0123456789-", at + 5);
    result.replace(at + 5, (end == std::string::npos ? result.size() : end) - at - 5, "*");
  }
  return result;
}

// A job's outputs take their places together at its end, or none does.
// Something that appears at an output's name halfway through and is not a
// file (a symbolic link's target included) fails the job and stays as it
// is; a rename that fails puts back the earlier file of every output renamed
// before it, or removes the new one, and names what the file system would
// not put back. A symbolic link at an output's name is replaced itself.
TEST(DoodadJob, OutputsTakeTheirPlacesTogetherOrNotAtAll) {
  const DoodadJobOptions all{
      .convertDoodadVersion = true, .createEmptyDoodadFile = true, .backupDoodadFile = true};
  const Bytes input = doodadFileBytes({.doodads = {{.z = NAN}}});
  TempFolder reference, elsewhere;
  reference.write("war3map.doo", input);
  ASSERT_TRUE(runJob(runDoodadJob, all, reference).status.ok());
  elsewhere.write("target", "elsewhere");
  elsewhere.write("read-only", "<read-only>");
  struct Case {
    Files before, midway;  // besides the input; what appears while the records are read
    int rename;            // and after this rename (1: the backup's, 5: the last) ...
    Files atRename;        // ... what appears then; "NAME.kept*" is the earlier NAME kept aside
    std::string error;
    // What differs from `before` at the end; unset: what appeared stays.
    std::optional<Files> after = std::nullopt;
    std::vector<std::string> warnings = {};
  };
  auto one = [](const std::string& name, const std::string& content) {
    return Files{{name, content}};
  };
  const Files earlier = {{"war3map.doo.j", "e1"},
                         {"war3map.old", "e2"},
                         {"war3mapNULL.doo", "e3"},
                         {"war3mapCONV.doo", "e4"}};
  const Files folder = one("war3map.doo.j", "<folder>");
  const std::string linkToFolder = "<link to " + elsewhere.path() + ">";
  const std::string linkToReadOnly = "<link to " + elsewhere.file("read-only") + ">";
  const std::string isFolder = ": is a folder; the file cannot be written";
  Files keptForGood = reference.contents();
  keptForGood["war3map.doo.j.kept*"] = "<folder>";
  keptForGood["war3map.doo.j.kept*/inside"] = "x";
  // clang-format off
  const Case cases[] = {
      {earlier, one("war3mapCONV.doo", "<folder>"), 0, {}, "war3mapCONV.doo" + isFolder},
      {earlier, {{"war3map.doo.j", "<folder>"}, {"war3map.doo.j/inside", "kept"}}, 0, {},
       "war3map.doo.j" + isFolder},
      {earlier, one("war3map.old", "<other>"), 0, {},
       "war3map.old: is not a plain file; the file cannot be written"},
      {earlier, one("war3mapNULL.doo", "<read-only>"), 0, {},
       "war3mapNULL.doo: is read-only; the file cannot be replaced", Files{}},
      {earlier, one("war3map.doo.j", linkToFolder), 0, {}, "war3map.doo.j" + isFolder},
      {{}, one("war3mapCONV.doo", linkToReadOnly), 0, {},
       "war3mapCONV.doo: is read-only; the file cannot be replaced"},
      {earlier, {}, 1, folder, "war3map.doo.j: cannot replace: Is a directory"},
      {{}, {}, 1, folder, "war3map.doo.j: cannot replace: Is a directory"},
      {earlier, {}, 2,
       {{"war3map.old", "<folder>"}, {"war3map.old/inside", "x"}, {"war3mapKEEP.doo", "<folder>"}},
       "war3mapKEEP.doo: cannot replace: Is a directory; the earlier war3map.old is kept as "
       "war3map.old.kept*, as it could not be put back: Is a directory",
       Files{{"war3map.old", "<folder>"}, {"war3map.old/inside", "x"}, {"war3map.old.kept*", "e2"},
             {"war3mapKEEP.doo", "<folder>"}}},
      {{}, {{"war3map.doo.j", "<link to " + elsewhere.file("target") + ">"},
            {"war3mapCONV.doo", "<link to missing>"}}, 0, {}, "", reference.contents()},
      {earlier, {}, 5, {{"war3map.doo.j.kept*", "<folder>"}, {"war3map.doo.j.kept*/inside", "x"}},
       "", keptForGood,
       {"war3map.doo.j: the earlier file stays beside it as war3map.doo.j.kept*, as it could not "
        "be removed (Is a directory); delete it"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    TempFolder folder;
    folder.write("war3map.doo", input);
    for (const auto& [name, content] : c.before) folder.write(name, content);
    Files expected = folder.contents();
    Files appeared = c.midway;
    appeared.insert(c.atRename.begin(), c.atRename.end());
    for (const auto& [name, content] : c.after.value_or(appeared)) expected[name] = content;
    int renames = 0;
    JobSetting setting{
        folder.path(),
        [](std::string_view) {},
        {},
        [&] {
          if (++renames != c.rename) return;
          for (const auto& [name, content] : c.atRename) {
            std::string actual = name;
            for (const auto& [present, unused] : folder.contents()) {
              if (withoutTemporaryNumber(present) == name.substr(0, name.find('/'))) {
                actual = present + name.substr(std::min(name.find('/'), name.size()));
              }
            }
            folder.write(actual, content);
          }
        }};
    // The NaN's warning comes while the records are read.
    std::vector<std::string> warnings;
    setting.warn = [&](const std::string& warning) {
      if (warnings.empty()) {
        for (const auto& [name, content] : c.midway) folder.write(name, content);
      }
      warnings.push_back(withoutTemporaryNumber(warning));
    };
    Status status = runDoodadJob(all, setting);
    EXPECT_EQ(withoutTemporaryNumber(status.error), c.error);
    Files after;
    for (const auto& [name, content] : folder.contents())
      after[withoutTemporaryNumber(name)] = content;
    EXPECT_EQ(differences(after, expected), "");
    EXPECT_EQ(elsewhere.read("target"), "elsewhere");
    if (status.ok()) {
      EXPECT_EQ(std::vector(warnings.begin() + 1, warnings.end()), c.warnings);
    }
  }
}

TEST(DoodadJob, EveryTruncationFailsCleanly) {
  TempFolder folder;
  TestDoodadFile file{.doodadCount = 3, .doodads = {typicalDoodad(), typicalDoodad()}};
  file.doodads[1].itemSets = {ItemSet{{{"ratc", 10}, {"rat6", 20}}}};
  file.trailer = {};
  for (int32_t version : {7, 8}) {
    file.version = version;
    // Record k starts where a file of the first k - 1 records ends.
    std::vector<size_t> starts;
    for (size_t k = 0; k <= 2; ++k) {
      TestDoodadFile first = file;
      first.doodads.resize(k);
      starts.push_back(doodadFileBytes(first).size());
    }
    file.doodads.push_back(typicalDoodad());
    const Bytes whole = doodadFileBytes(file);
    file.doodads.pop_back();
    for (size_t length = 0; length < whole.size(); ++length) {
      folder.write("war3map.doo", whole.substr(0, length));
      folder.write("war3map.doo.j", "earlier");
      folder.write("war3mapCONV.doo", "earlier");
      size_t k = std::upper_bound(starts.begin(), starts.end(), length) - starts.begin();
      std::string location =
          k == 0 ? "the 16-byte header" : "record " + std::to_string(k) + " of 3";
      bool before = length == (k == 0 ? 0 : starts[k - 1]);
      DoodadJobOptions all{
          .convertDoodadVersion = true, .wrapInFunction = true, .createEmptyDoodadFile = true};
      EXPECT_EQ(run(folder, all).status.error,
                "war3map.doo: file ends " + std::string(before ? "before " : "inside ") + location +
                    " (offset " + std::to_string(length) + ")");
      EXPECT_EQ(folder.contents(), (Files{{"war3map.doo", folder.read("war3map.doo")},
                                          {"war3map.doo.j", "earlier"},
                                          {"war3mapCONV.doo", "earlier"}}));
    }
  }
}

}  // namespace
}  // namespace mapjass
