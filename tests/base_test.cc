#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "base/byte_reader.h"
#include "base/jass_functions.h"
#include "base/output_file.h"
#include "doodads/doodad_job.h"
#include "map_writer.h"
#include "read_faults.h"
#include "split/script_split.h"
#include "terrain/terrain_job.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace testing;

const WarningSink noWarnings = [](const std::string& line) { ADD_FAILURE() << line; };

TEST(ByteReader, SaysWhatCannotBeRead) {
  TempFolder folder;
  ByteReader reader;
  folder.write("folder", "<folder>");
  EXPECT_EQ(ByteReader::openFile(folder.path(), "folder", reader).error,
            "folder: is a folder, not a file");
  // A pipe without a writer must not make the run wait.
  ASSERT_EQ(mkfifo(folder.file("pipe").c_str(), 0644), 0);
  EXPECT_EQ(ByteReader::openFile(folder.path(), "pipe", reader).error, "pipe: is not a plain file");
  // A file that shrinks while it is read ends where its data ends.
  folder.write("shrinks", std::string(100'000, 'x'));
  ASSERT_TRUE(ByteReader::openFile(folder.path(), "shrinks", reader).ok());
  ASSERT_NE(reader.take(10), nullptr);
  ASSERT_EQ(truncate(folder.file("shrinks").c_str(), 70'000), 0);
  EXPECT_FALSE(reader.skip(90'000));
  EXPECT_EQ(
      reader.endMessage(10, "the rest"),
      "shrinks: file ends inside the rest (offset 70000): it shrank from 100000 bytes while it "
      "was read");
}

// A read that fails, or a file that shrinks while it is read, fails the job
// at whichever read it happens: one message names the file and what was
// being read, and no file is written. Every loop that reads is reached.
TEST(ByteReader, AFailedReadFailsTheJob) {
  const DoodadJobOptions all{
      .convertDoodadVersion = true, .createEmptyDoodadFile = true, .backupDoodadFile = true};
  std::string script;
  for (int i = 0; i < 4000; ++i) script += "call SetTerrainType(0.00, 0.00, 'Ldrt', -1, 1, 1)\r\n";
  struct Case {
    const char* input;
    Bytes bytes;
    std::function<Status(const TempFolder&)> run;
    std::set<std::string> read;  // what the messages name, without numbers
  };
  // clang-format off
  const Case cases[] = {
      {"war3map.doo",
       doodadFileBytes({.doodads = std::vector<TestDoodad>(1400), .trailer = Bytes(150'000, 'x')}),
       [&](const TempFolder& folder) { return runJob(runDoodadJob, all, folder).status; },
       {"the bytes to back up", "the 16-byte header", "record", "the bytes after the records"}},
      {"war3map.w3e",
       terrainFileBytes({.groundTilesets = std::vector<std::string>(20'000, "Ldrt"), .pointsX = 200,
                         .pointsY = 200, .points = std::vector<TestTilePoint>(40'000)}),
       [&](const TempFolder& folder) { return runJob(runTerrainJob, {}, folder).status; },
       {"the 17-byte header", "the ground tileset ids", "tile point"}},
      {"in.j", script, [](const TempFolder& folder) {
         ByteReader in;
         SplitSummary summary;
         Status opened = ByteReader::openFile(folder.path(), "in.j", in);
         return opened.ok() ? splitScript(in, folder.path(), "in.split.j", "T", summary, noWarnings)
                            : opened;
       }, {"line"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    for (ReadFault fault : {ReadFault::kError, ReadFault::kShrink}) {
      SCOPED_TRACE(c.input + std::string(fault == ReadFault::kError ? ", read error" : ", shrink"));
      const std::string message =
          c.input +
          std::string(fault == ReadFault::kError
                          ? ": cannot read {} (offset {}): Input/output error{}"
                          : ": file ends {} (offset {}): it shrank from " +
                                std::to_string(c.bytes.size()) + " bytes while it was read{}");
      std::set<std::string> read;
      for (int n = 1;; ++n) {
        TempFolder folder;
        folder.write(c.input, c.bytes);
        armReadFault(fault, n);
        Status status = c.run(folder);
        if (!disarmReadFault()) {
          EXPECT_TRUE(status.ok()) << status.error;
          break;
        }
        std::vector<std::string> parts;
        ASSERT_TRUE(matchesPattern(status.error, message, parts)) << n << ": " << status.error;
        EXPECT_TRUE(parts[2].empty() || parts[2] == "; war3map.old was left as it was");
        std::string what = parts[0];
        if (fault == ReadFault::kShrink) what = what.substr(what.find(' ') + 1);  // inside, before
        for (const char* numbered : {"record", "tile point", "line"}) {
          if (what.starts_with(numbered)) what = numbered;
        }
        read.insert(what);
        EXPECT_EQ(folder.contents().size(), 1u) << status.error;
      }
      EXPECT_EQ(read, c.read);
    }
  }
}

// A replaced file keeps its permission bits; a file that cannot be made
// says so.
TEST(OutputFile, KeepsThePermissionsOfTheFileItReplaces) {
  TempFolder folder;
  folder.write("out", "earlier");
  chmod(folder.file("out").c_str(), 0640);
  OutputFile file;
  ASSERT_TRUE(file.open(folder.path(), "out", FileMode::kText).ok());
  file.write("new");
  file.write(std::string(300'000, 'x'));  // larger than the buffer: straight to the file
  ASSERT_TRUE(commitOutputs({&file}, noWarnings).ok());
  struct stat info;
  ASSERT_EQ(stat(folder.file("out").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(differences(folder.contents(), {{"out", "new" + std::string(300'000, 'x')}}), "");
  EXPECT_EQ(file.open(folder.file("missing"), "out", FileMode::kBinary).error,
            "out: cannot create: No such file or directory");
}

// An interrupt removes every temporary file, so one that could not be
// listed for that is not made at all. A file that took its place gives its
// place in the list back once, not again when it goes.
TEST(OutputFile, MakesNoFileThatAnInterruptWouldLeave) {
  TempFolder folder;
  auto committed = std::make_unique<OutputFile>();
  ASSERT_TRUE(committed->open(folder.path(), "done", FileMode::kBinary).ok());
  committed->write("x");  // a single byte is written too
  ASSERT_TRUE(commitOutputs({committed.get()}, noWarnings).ok());
  EXPECT_EQ(folder.read("done"), "x");
  std::array<OutputFile, 16> open;  // as many as the list holds
  ASSERT_TRUE(open[0].open(folder.path(), "out", FileMode::kBinary).ok());
  ASSERT_TRUE(open[1].open(folder.path(), "out", FileMode::kBinary).ok());
  committed.reset();  // must give back no slot, not another file's
  for (size_t i = 2; i < open.size(); ++i) {
    ASSERT_TRUE(open[i].open(folder.path(), "out", FileMode::kBinary).ok()) << i;
  }
  OutputFile extra;
  EXPECT_EQ(extra.open(folder.path(), "extra", FileMode::kBinary).error,
            "extra: cannot create a temporary file beside it: its path is too long, or too many "
            "are open");
  EXPECT_EQ(folder.contents().size(), 17u);  // "done" and the 16 temporary files
}

TEST(FunctionName, IsWhatJassAccepts) {
  // The keywords and types of JASS, and the doodad script's helpers, are
  // taken apart: a few of them stand for the list.
  const std::pair<std::string, bool> cases[] = {
      {"a", true},           {"PlaceDoodads", true}, {"Init_2", true},     {"z9_9", true},
      {"Function", true},    {"rf", true},           {"RFx", true},        {"", false},
      {"a_", false},         {"_a", false},          {"1a", false},        {"a-b", false},
      {"a b", false},        {"\xc3\xa9", false},    {{"a\0b", 3}, false}, {"function", false},
      {"endglobals", false}, {"code", false},        {"RF", false},        {"SL", false},
  };
  for (const auto& [name, valid] : cases) EXPECT_EQ(isValidFunctionName(name), valid) << name;
}

}  // namespace
}  // namespace mapjass
