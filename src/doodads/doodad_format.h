// The doodad file "war3map.doo": placed doodads and destructables.
//
// Every field is little-endian and packed, with no alignment gaps.
//
// Header, 16 bytes:
//   0  char[4] signature     4  int32 version
//   8  int32   subversion   12  int32 doodadCount (0 or below: no records)
//
// Records follow the header directly, doodadCount of them. The header's
// version alone picks the layout: exactly 7 is V7, anything else V8.
//
//   0  char[4] typeId          4  int32   variation
//   8  float32 x              12  float32 y             16  float32 z
//  20  float32 angle          24  float32 scaleX        28  float32 scaleY
//  32  float32 scaleZ
//  36  char[4] skinId         (V8 files saved by editors of game 1.32 and
//                              later only; shifts what follows by 4 bytes)
//  36  uint8   flags (0: the map's script creates it)
//  37  uint8   life (percent; 255 marks a doodad)
//  V7: 38  int32 editorId                                   = 42 bytes
//  V8: 38  int32 itemTablePointer   42  int32 itemSetCount
//      46  itemSetCount item sets, each an int32 itemCount followed by
//          itemCount items of char[4] itemId and int32 chance
//      then int32 editorId                                  = 50 bytes
//                                                   without skin or sets
//
// Whether a file carries skin ids is not in the header (subversion is 11
// either way). It is decided once per file from the first record: its four
// bytes at offset 36 are all printable ASCII for a skin id, while a classic
// file has flags (0 to 7) there.
//
// Whatever follows the last record (the special doodads, in files of the
// later editors) is only ever copied, into war3mapKEEP.doo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/byte_reader.h"
#include "base/status.h"

namespace mapjass {

inline constexpr size_t kDoodadHeaderSize = 16;
inline constexpr size_t kDoodadCountOffset = 12;
inline constexpr size_t kDoodadV7RecordSize = 42;
inline constexpr size_t kDoodadV8RecordSize = 50;
inline constexpr size_t kDoodadSkinIdOffset = 36;
inline constexpr size_t kDoodadSkinIdSize = 4;
inline constexpr size_t kDoodadItemSetCountSize = 4;
inline constexpr size_t kDoodadItemSize = 8;
inline constexpr size_t kDoodadEditorIdSize = 4;

// The editor marks a doodad (a rock, a plant, a prop) with this life. A
// script cannot create one: JASS creates destructables only, whose life is
// a percentage.
inline constexpr uint8_t kDoodadLifeMark = 255;

// The editor writes these flags on a destructable that the map's own script
// creates (one that triggers refer to, or that drops items). The game does
// not place such a record from the file.
inline constexpr uint8_t kScriptCreatedFlags = 0;

// The version of the first beta editor's files, whose 41-byte records no
// layout here reads.
inline constexpr int32_t kBetaDoodadVersion = 6;

// itemTablePointer when a destructable drops no item table: 0 would name the
// map's first table. A V7 record has none.
inline constexpr int32_t kNoItemTable = -1;

enum class DoodadLayout { V7, V8 };

struct DoodadFileHeader {
  char signature[4];
  int32_t version;
  int32_t subversion;
  int32_t doodadCount;
};

// One record, whatever its layout. Floats keep the bits that were read.
struct DoodadRecord {
  char typeId[4];
  int32_t variation;
  float x, y, z;
  float angle;
  float scaleX, scaleY, scaleZ;
  uint8_t flags;
  uint8_t life;
  int32_t itemTablePointer;  // kNoItemTable for V7
  int32_t itemSetCount;      // 0 for V7
  int32_t editorId;
};

inline bool isDoodad(const DoodadRecord& record) {
  return record.life == kDoodadLifeMark;
}
inline bool isCreatedByMapScript(const DoodadRecord& record) {
  return record.flags == kScriptCreatedFlags;
}

// How the records of one file are read.
struct DoodadRecordFormat {
  DoodadLayout layout;
  bool skinIds;
};

DoodadLayout doodadLayoutOf(int32_t version);
int32_t convertedDoodadVersion(int32_t version);
size_t doodadRecordSize(DoodadLayout layout);

Status readDoodadFileHeader(ByteReader& in, DoodadFileHeader& header);

// Looks at the first record, without consuming it, to tell whether the
// file's V8 records carry skin ids.
DoodadRecordFormat doodadRecordFormatOf(ByteReader& in, const DoodadFileHeader& header);

// Reads the next record, item sets and all. False when the input ends first.
// `raw`, when given, receives the record's bytes as they stand in the file.
bool readDoodadRecord(ByteReader& in, DoodadRecordFormat format, DoodadRecord& record,
                      std::string* raw = nullptr);

DoodadFileHeader emptyDoodadFileHeader(const DoodadFileHeader& header);
DoodadFileHeader convertedDoodadFileHeader(const DoodadFileHeader& header);

void encodeDoodadFileHeader(const DoodadFileHeader& header, uint8_t out[kDoodadHeaderSize]);
// Writes the record in `layout`, without skin id or item sets; returns its
// size. `out` holds at least kDoodadV8RecordSize bytes.
size_t encodeDoodadRecord(const DoodadRecord& record, DoodadLayout layout, uint8_t* out);

}  // namespace mapjass
