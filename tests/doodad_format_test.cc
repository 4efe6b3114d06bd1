#include "doodads/doodad_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "map_writer.h"

namespace mapjass {
namespace {

using testing::Bytes;
using testing::ItemSet;
using testing::TestDoodad;
using testing::TestDoodadFile;

TestDoodad distinctDoodad(int seed) {
  TestDoodad d;
  d.typeId = "AB" + std::string(1, static_cast<char>('a' + seed)) + "Z";
  d.variation = -7 + seed;
  d.x = 512.3456f + seed;
  d.y = -256.5f;
  d.z = 3.25f;
  d.angle = 4.712389f;
  d.scaleX = 0.5f;
  d.scaleY = 0.75f;
  d.scaleZ = 1.25f;
  d.flags = 7;
  d.life = static_cast<uint8_t>(250 + seed);
  d.itemTablePointer = -1 - seed;
  d.editorId = 1000 + seed;
  return d;
}

ByteReader readerOf(const Bytes& bytes) {
  return ByteReader::fromMemory(bytes.data(), bytes.size(), "war3map.doo");
}

// Reads the whole file as the job does; the error text when it fails.
std::string readAll(const Bytes& bytes, std::vector<DoodadRecord>* records = nullptr,
                    DoodadRecordFormat* formatOut = nullptr) {
  ByteReader in = readerOf(bytes);
  DoodadFileHeader header;
  if (Status s = readDoodadFileHeader(in, header); !s.ok()) return s.error;
  DoodadRecordFormat format = doodadRecordFormatOf(in, header);
  if (formatOut != nullptr) *formatOut = format;
  for (int32_t i = 0; i < header.doodadCount; ++i) {
    DoodadRecord record;
    if (!readDoodadRecord(in, format, record)) return "short at " + std::to_string(i);
    if (records != nullptr) records->push_back(record);
  }
  return "";
}

void expectFields(const DoodadRecord& r, const TestDoodad& d, bool v8) {
  EXPECT_EQ(std::string(r.typeId, 4), d.typeId);
  EXPECT_EQ(r.variation, d.variation);
  EXPECT_EQ(r.x, d.x);
  EXPECT_EQ(r.y, d.y);
  EXPECT_EQ(r.z, d.z);
  EXPECT_EQ(r.angle, d.angle);
  EXPECT_EQ(r.scaleX, d.scaleX);
  EXPECT_EQ(r.scaleY, d.scaleY);
  EXPECT_EQ(r.scaleZ, d.scaleZ);
  EXPECT_EQ(r.flags, d.flags);
  EXPECT_EQ(r.life, d.life);
  EXPECT_EQ(r.itemTablePointer, v8 ? d.itemTablePointer : 0);
  EXPECT_EQ(r.itemSetCount, v8 ? static_cast<int32_t>(d.itemSets.size()) : 0);
  EXPECT_EQ(r.editorId, d.editorId);
}

TEST(DoodadFormat, ReadsEveryLayoutFieldForField) {
  ItemSet two{{{"ratc", 50}, {"rat6", 50}}};
  ItemSet empty{};
  ItemSet negative{{}, -3};
  struct Case {
    const char* name;
    int32_t version;
    std::string skin;
    std::vector<ItemSet> sets;
    size_t recordSize;
  };
  const Case cases[] = {
      {"V7", 7, "", {}, 42},
      {"V8", 8, "", {}, 50},
      {"V8 with item sets", 8, "", {two, empty, negative}, 50 + 4 + 16 + 4 + 4},
      {"V8 with a skin id", 8, "Skn1", {}, 54},
      {"V8 with skin and sets", 8, "ATtr", {two}, 54 + 4 + 16},
      {"version 9 reads as V8", 9, "", {}, 50},
      {"version -1 reads as V8", -1, "", {}, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestDoodadFile file;
    file.version = c.version;
    for (int i = 0; i < 3; ++i) {
      TestDoodad d = distinctDoodad(i);
      d.skinId = c.skin;
      d.itemSets = c.sets;
      d.flags = static_cast<uint8_t>(i);  // classic flags stay below 0x20
      file.doodads.push_back(d);
    }
    Bytes bytes = testing::doodadFileBytes(file);
    ASSERT_EQ(bytes.size(), 16 + 3 * c.recordSize + 8);
    std::vector<DoodadRecord> records;
    DoodadRecordFormat format;
    ASSERT_EQ(readAll(bytes, &records, &format), "");
    EXPECT_EQ(format.layout, c.version == 7 ? DoodadLayout::V7 : DoodadLayout::V8);
    EXPECT_EQ(format.skinIds, !c.skin.empty());
    for (int i = 0; i < 3; ++i) expectFields(records[i], file.doodads[i], c.version != 7);
  }
}

TEST(DoodadFormat, HeaderFieldsAndCounts) {
  for (int32_t count : {0, -5}) {
    TestDoodadFile file;
    file.signature = std::string("S\0GN", 4);
    file.doodadCount = count;
    Bytes bytes = testing::doodadFileBytes(file);
    ByteReader in = readerOf(bytes);
    DoodadFileHeader header;
    ASSERT_TRUE(readDoodadFileHeader(in, header).ok());
    EXPECT_EQ(std::string(header.signature, 4), file.signature);
    EXPECT_EQ(header.version, 8);
    EXPECT_EQ(header.subversion, 11);
    EXPECT_EQ(header.doodadCount, count);
    EXPECT_EQ(readAll(bytes), "");
    EXPECT_EQ(convertedDoodadFileHeader(header).doodadCount, count);
    EXPECT_EQ(emptyDoodadFileHeader(header).doodadCount, 0);
  }
  for (int32_t version : {7, 8, 0, 6, 9, -1}) {
    EXPECT_EQ(convertedDoodadVersion(version), version == 7 ? 8 : 7);
    EXPECT_NE(doodadLayoutOf(version), doodadLayoutOf(convertedDoodadVersion(version)));
  }
}

TEST(DoodadFormat, EveryTruncationFails) {
  TestDoodadFile file;
  TestDoodad withSets = distinctDoodad(1);
  withSets.itemSets = {ItemSet{{{"ratc", 10}}}, ItemSet{{{"ratf", 20}, {"rat9", 30}}}};
  file.doodads = {distinctDoodad(0), withSets, distinctDoodad(2)};
  file.trailer = {};
  for (const std::string& skin : {std::string(""), std::string("Skin")}) {
    for (TestDoodad& d : file.doodads) d.skinId = skin;
    for (int32_t version : {7, 8}) {
      file.version = version;
      Bytes bytes = testing::doodadFileBytes(file);
      ASSERT_EQ(readAll(bytes), "");
      for (size_t length = 0; length < bytes.size(); ++length) {
        Bytes cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
        std::string error = readAll(cut);
        if (length < 16) {
          EXPECT_EQ(error, "war3map.doo: file ends " +
                               std::string(length == 0 ? "before" : "inside") +
                               " the 16-byte header (offset " + std::to_string(length) + ")");
        } else {
          EXPECT_EQ(error.rfind("short at ", 0), 0u) << length;
        }
      }
    }
  }
}

TEST(DoodadFormat, HugeItemCountsRunOutOfInput) {
  for (int32_t count : {2147483647, 5}) {
    TestDoodadFile file;
    TestDoodad d = distinctDoodad(0);
    d.itemSets = {ItemSet{{{"ratc", 10}}, count}};
    file.doodads = {d};
    EXPECT_EQ(readAll(testing::doodadFileBytes(file)), "short at 0");
  }
  // A set count of 2^31 - 1 ends after at most a quarter of the file's bytes.
  Bytes bytes = testing::doodadFileBytes(TestDoodadFile{.doodads = {distinctDoodad(0)}});
  bytes[16 + 42] = 0xFF;
  bytes[16 + 43] = 0xFF;
  bytes[16 + 44] = 0xFF;
  bytes[16 + 45] = 0x7F;
  EXPECT_EQ(readAll(bytes), "short at 0");
}

TEST(DoodadFormat, ConversionRoundTrips) {
  TestDoodad d = distinctDoodad(3);
  d.x = std::bit_cast<float>(0x7FC12345u);  // a NaN with a payload
  d.y = -0.0f;
  d.typeId = std::string("a\0bc", 4);
  d.life = 255;
  for (int32_t version : {7, 8}) {
    TestDoodadFile file{.version = version, .doodads = {d}};
    file.trailer = {};
    Bytes bytes = testing::doodadFileBytes(file);
    std::vector<DoodadRecord> records;
    ASSERT_EQ(readAll(bytes, &records), "");
    DoodadLayout in = doodadLayoutOf(version);
    DoodadLayout other = doodadLayoutOf(convertedDoodadVersion(version));
    uint8_t once[kDoodadV8RecordSize];
    size_t size = encodeDoodadRecord(records[0], other, once);
    ASSERT_EQ(size, in == DoodadLayout::V7 ? 50u : 42u);
    // The first 38 bytes carry over; V7 to V8 puts 8 zero bytes before editorId.
    EXPECT_EQ(0, std::memcmp(once, bytes.data() + 16, 38));
    if (in == DoodadLayout::V7) {
      EXPECT_EQ(Bytes(once + 38, once + 46), Bytes(8, 0));
      EXPECT_EQ(Bytes(once + 46, once + 50), Bytes(bytes.begin() + 16 + 38, bytes.begin() + 58));
    } else {
      EXPECT_EQ(Bytes(once + 38, once + 42), Bytes(bytes.begin() + 16 + 46, bytes.begin() + 66));
    }
    // And back again.
    ByteReader again = ByteReader::fromMemory(once, size, "copy");
    DoodadRecord back;
    ASSERT_TRUE(readDoodadRecord(again, {other, false}, back));
    uint8_t twice[kDoodadV8RecordSize];
    ASSERT_EQ(encodeDoodadRecord(back, in, twice), bytes.size() - 16);
    Bytes expected(bytes.begin() + 16, bytes.end());
    if (in == DoodadLayout::V8) std::fill(expected.begin() + 38, expected.begin() + 46, 0);
    EXPECT_EQ(Bytes(twice, twice + expected.size()), expected);
  }
}

}  // namespace
}  // namespace mapjass
