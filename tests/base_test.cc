#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "base/byte_reader.h"
#include "base/output_file.h"
#include "test_support.h"

namespace mapjass {
namespace {

using testing::folderContents;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

// A file larger than the reader's buffer, so that pieces straddle refills.
std::string numberedBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TEST(ByteReader, FileAndMemoryHandOutTheSamePieces) {
  TempFolder folder;
  const std::string bytes = numberedBytes(200'003);
  writeFile("input", bytes);
  ByteReader file;
  ASSERT_TRUE(ByteReader::openFile("input", file).ok());
  ByteReader memory =
      ByteReader::fromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "input");
  for (ByteReader* reader : {&file, &memory}) {
    size_t offset = 0;
    for (size_t step = 1; offset + step <= bytes.size(); step = step * 3 % 4001 + 1) {
      if (step % 5 == 0) {
        ASSERT_TRUE(reader->skip(step));
      } else if (step % 7 == 0) {
        std::string copy(step, '\0');
        ASSERT_TRUE(reader->takeInto(reinterpret_cast<uint8_t*>(copy.data()), step));
        ASSERT_EQ(copy, bytes.substr(offset, step));
      } else {
        const uint8_t* p = reader->take(step);
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(p), step), bytes.substr(offset, step));
      }
      offset += step;
      ASSERT_EQ(reader->offset(), offset);
    }
    EXPECT_EQ(reader->take(reader->remaining() + 1), nullptr);
    EXPECT_FALSE(reader->skip(reader->remaining() + 1));
    EXPECT_TRUE(reader->skip(reader->remaining()));
    EXPECT_EQ(reader->take(1), nullptr);
  }
}

TEST(ByteReader, NamesWhatCannotBeOpened) {
  TempFolder folder;
  ByteReader reader;
  EXPECT_EQ(ByteReader::openFile("missing", reader).error,
            "missing: cannot open: No such file or directory");
  ASSERT_EQ(mkdir("folder", 0755), 0);
  EXPECT_EQ(ByteReader::openFile("folder", reader).error, "folder: is a folder, not a file");
  // A pipe without a writer must not make the run wait.
  ASSERT_EQ(mkfifo("pipe", 0644), 0);
  EXPECT_EQ(ByteReader::openFile("pipe", reader).error, "pipe: is not a plain file");
}

TEST(ByteReader, SaysWhereTheDataEnds) {
  const uint8_t bytes[10] = {};
  ByteReader reader = ByteReader::fromMemory(bytes, sizeof bytes, "f");
  EXPECT_EQ(reader.endMessage(4, "record 1 of 2"), "f: file ends inside record 1 of 2 (offset 10)");
  EXPECT_EQ(reader.endMessage(10, "record 2 of 2"),
            "f: file ends before record 2 of 2 (offset 10)");
}

TEST(OutputFile, AppearsOnlyWhenCommitted) {
  TempFolder folder;
  writeFile("out", "earlier");
  {
    OutputFile file;
    ASSERT_TRUE(file.open("out", FileMode::kBinary).ok());
    file.write("new content");
    EXPECT_EQ(readFile("out"), "earlier");
    EXPECT_EQ(folderContents(".").size(), 2u);  // the earlier file and the temporary one
  }
  // Dropped without a commit: the earlier file stays, the temporary one goes.
  EXPECT_EQ(folderContents("."), (std::map<std::string, std::string>{{"out", "earlier"}}));

  OutputFile file;
  ASSERT_TRUE(file.open("out", FileMode::kText).ok());
  std::string big(3'000'000, 'x');  // more than one buffer
  file.write(big);
  file.write("\n");
  ASSERT_TRUE(file.finishAndCommit().ok());
  EXPECT_EQ(folderContents("."), (std::map<std::string, std::string>{{"out", big + "\n"}}));
}

TEST(OutputFile, ReportsAFolderInTheWay) {
  TempFolder folder;
  ASSERT_EQ(mkdir("out", 0755), 0);
  EXPECT_TRUE(isFolder("out"));
  OutputFile file;
  ASSERT_TRUE(file.open("out", FileMode::kBinary).ok());
  ASSERT_TRUE(file.finish().ok());
  EXPECT_EQ(file.commit().error, "out: cannot replace: Is a directory");
  EXPECT_EQ(folderContents("."), (std::map<std::string, std::string>{{"out", "<folder>"}}));
}

TEST(OutputFile, AnInterruptedRunRemovesItsTemporaryFiles) {
  TempFolder folder;
  writeFile("out", "earlier");
  pid_t child = fork();
  if (child == 0) {
    removeTemporaryFilesOnSignals();
    OutputFile first, second;
    if (!first.open("out", FileMode::kText).ok() || !second.open("other", FileMode::kBinary).ok()) {
      _exit(2);
    }
    first.write("new");
    raise(SIGTERM);
    _exit(3);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(folderContents("."), (std::map<std::string, std::string>{{"out", "earlier"}}));
}

}  // namespace
}  // namespace mapjass
