#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "base/byte_reader.h"
#include "base/output_file.h"
#include "test_support.h"

namespace mapjass {
namespace {

using namespace testing;

TEST(ByteReader, HandsOutEveryPieceInOrder) {
  TempFolder folder;
  std::string bytes(200'003, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  folder.write("input", bytes);
  ByteReader reader;
  ASSERT_TRUE(ByteReader::openFile(folder.path(), "input", reader).ok());
  // Sizes around the largest piece and across the file's buffer.
  const size_t sizes[] = {1, 4095, 4096, 4097, 7, 10'000, 65'536, 3, 50'000, 17};
  size_t offset = 0;
  for (size_t i = 0; offset + sizes[i % 10] <= bytes.size(); offset += sizes[i++ % 10]) {
    size_t size = sizes[i % 10];
    std::string piece(size, '\0');
    if (i % 3 == 1) {
      ASSERT_TRUE(reader.skip(size));
      piece = bytes.substr(offset, size);
    } else if (size > ByteReader::kMaxPiece || i % 3 == 2) {
      ASSERT_TRUE(reader.takeInto(reinterpret_cast<uint8_t*>(piece.data()), size));
    } else {
      const uint8_t* p = reader.take(size);
      ASSERT_NE(p, nullptr);
      piece.assign(reinterpret_cast<const char*>(p), size);
    }
    ASSERT_EQ(piece, bytes.substr(offset, size)) << i;
    ASSERT_EQ(reader.offset(), offset + size);
  }
  EXPECT_EQ(reader.take(reader.remaining() + 1), nullptr);
  EXPECT_FALSE(reader.skip(reader.remaining() + 1));
  EXPECT_TRUE(reader.skip(reader.remaining()));
  EXPECT_EQ(reader.take(1), nullptr);
}

TEST(ByteReader, SaysWhatCannotBeRead) {
  TempFolder folder;
  ByteReader reader;
  EXPECT_EQ(ByteReader::openFile(folder.path(), "missing", reader).error,
            "missing: cannot open: No such file or directory");
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
  EXPECT_EQ(reader.endMessage(10, "the rest"), "shrinks: file ends inside the rest (offset 70000)");
}

TEST(OutputFile, AppearsOnlyWhenCommittedWithTheEarlierPermissions) {
  TempFolder folder;
  folder.write("out", "earlier");
  chmod(folder.file("out").c_str(), 0640);
  {
    OutputFile file;
    ASSERT_TRUE(file.open(folder.path(), "out", FileMode::kBinary).ok());
    file.write("new content");
    EXPECT_EQ(folder.read("out"), "earlier");
    EXPECT_EQ(folder.contents().size(), 2u);  // the earlier file and the temporary one
  }
  // Dropped without a commit: the earlier file stays, the temporary one goes.
  EXPECT_EQ(folder.contents(), (Files{{"out", "earlier"}}));

  OutputFile file;
  ASSERT_TRUE(file.open(folder.path(), "out", FileMode::kText).ok());
  std::string big(3'000'000, 'x');  // more than one buffer
  file.write(big);
  char* room = file.reserve(5);
  std::memcpy(room, "\nend", 4);
  file.advance(4);
  ASSERT_TRUE(file.finishAndCommit().ok());
  EXPECT_EQ(folder.contents(), (Files{{"out", big + "\nend"}}));
  struct stat info;
  ASSERT_EQ(stat(folder.file("out").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(file.open(folder.file("missing"), "out", FileMode::kBinary).error,
            "out: cannot create: No such file or directory");
}

// The script and the converted copy take their places together: when the
// second cannot, the first is put back as it was.
TEST(OutputFile, CommitsTwoFilesTogetherOrNeither) {
  for (const char* earlier : {"earlier", ""}) {
    SCOPED_TRACE(earlier);
    TempFolder folder;
    if (*earlier != '\0') folder.write("first", earlier);
    OutputFile first, second;
    ASSERT_TRUE(first.open(folder.path(), "first", FileMode::kText).ok());
    ASSERT_TRUE(second.open(folder.path(), "second", FileMode::kBinary).ok());
    first.write("new first");
    ASSERT_TRUE(first.finish().ok());
    ASSERT_TRUE(second.finish().ok());
    folder.write("second", "<folder>");  // its rename fails
    EXPECT_EQ(commitTogether(first, second).error, "second: cannot replace: Is a directory");
    Files expected{{"second", "<folder>"}};
    if (*earlier != '\0') expected["first"] = earlier;
    EXPECT_EQ(folder.contents(), expected);
  }
}

}  // namespace
}  // namespace mapjass
