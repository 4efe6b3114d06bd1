#include "doodads/doodad_format.h"

#include <bit>
#include <cstring>
#include <string>

#include "base/little_endian.h"

namespace mapjass {

namespace {

constexpr size_t kCommonSize = 36;  // typeId to scaleZ, the same in every layout

bool isPrintable(uint8_t byte) {
  return byte >= 0x20 && byte <= 0x7E;
}

float decodeFloat(const uint8_t* p) {
  return floatFromBits(decodeUint32(p));
}

void encodeFloat(uint8_t* p, float value) {
  encodeUint32(p, std::bit_cast<uint32_t>(value));
}

// The next `n` bytes, appended to `raw` when it is given. False when fewer
// are left.
bool takeOrSkip(ByteReader& in, uint64_t n, std::string* raw) {
  if (raw == nullptr) return in.skip(n);
  if (n > in.remaining()) return false;
  size_t at = raw->size();
  raw->resize(at + n);
  return in.takeInto(reinterpret_cast<uint8_t*>(raw->data() + at), n);
}

// Out of line, so that take() below stays small enough to be inlined in the
// loop over the records.
void append(std::string& raw, const uint8_t* p, size_t n) {
  raw.append(reinterpret_cast<const char*>(p), n);
}

// The next `n` (at most ByteReader::kMaxPiece) bytes, appended to `raw` when
// it is given; null when fewer are left.
inline const uint8_t* take(ByteReader& in, size_t n, std::string* raw) {
  const uint8_t* p = in.take(n);
  if (p != nullptr && raw != nullptr) append(*raw, p, n);
  return p;
}

}  // namespace

DoodadLayout doodadLayoutOf(int32_t version) {
  return version == 7 ? DoodadLayout::V7 : DoodadLayout::V8;
}

int32_t convertedDoodadVersion(int32_t version) {
  return version == 7 ? 8 : 7;
}

size_t doodadRecordSize(DoodadLayout layout) {
  return layout == DoodadLayout::V7 ? kDoodadV7RecordSize : kDoodadV8RecordSize;
}

Status readDoodadFileHeader(ByteReader& in, DoodadFileHeader& header) {
  const uint8_t* p = in.take(kDoodadHeaderSize);
  if (p == nullptr) {
    return Status::failure(in.endMessage(0, "the 16-byte header"));
  }
  std::memcpy(header.signature, p, 4);
  header.version = decodeInt32(p + 4);
  header.subversion = decodeInt32(p + 8);
  header.doodadCount = decodeInt32(p + 12);
  return Status::success();
}

DoodadRecordFormat doodadRecordFormatOf(ByteReader& in, const DoodadFileHeader& header) {
  DoodadRecordFormat format{doodadLayoutOf(header.version), false};
  if (format.layout == DoodadLayout::V8 && header.doodadCount > 0) {
    const uint8_t* p = in.peek(kDoodadSkinIdOffset + kDoodadSkinIdSize);
    if (p != nullptr) {
      format.skinIds = true;
      for (size_t i = 0; i < kDoodadSkinIdSize; ++i) {
        format.skinIds = format.skinIds && isPrintable(p[kDoodadSkinIdOffset + i]);
      }
    }
  }
  return format;
}

bool readDoodadRecord(ByteReader& in, DoodadRecordFormat format, DoodadRecord& record,
                      std::string* raw) {
  size_t skin = format.skinIds ? kDoodadSkinIdSize : 0;
  // Everything up to editorId, which in V8 stands after the item sets.
  size_t fixedSize = doodadRecordSize(format.layout) + skin - kDoodadEditorIdSize;
  if (raw != nullptr) raw->clear();
  const uint8_t* p = take(in, fixedSize, raw);
  if (p == nullptr) return false;
  std::memcpy(record.typeId, p, 4);
  record.variation = decodeInt32(p + 4);
  record.x = decodeFloat(p + 8);
  record.y = decodeFloat(p + 12);
  record.z = decodeFloat(p + 16);
  record.angle = decodeFloat(p + 20);
  record.scaleX = decodeFloat(p + 24);
  record.scaleY = decodeFloat(p + 28);
  record.scaleZ = decodeFloat(p + 32);
  const uint8_t* q = p + kCommonSize + skin;
  record.flags = q[0];
  record.life = q[1];
  record.itemTablePointer = kNoItemTable;
  record.itemSetCount = 0;
  if (format.layout == DoodadLayout::V8) {
    record.itemTablePointer = decodeInt32(q + 2);
    record.itemSetCount = decodeInt32(q + 6);
    // Skipped, not kept: the sets are not written to the script, and the V7
    // copy has no place for them. Each set takes at least 4 bytes, so a huge
    // count runs out of input quickly.
    for (int32_t set = 0; set < record.itemSetCount; ++set) {
      const uint8_t* count = take(in, kDoodadItemSetCountSize, raw);
      if (count == nullptr) return false;
      int32_t items = decodeInt32(count);
      if (items > 0 && !takeOrSkip(in, static_cast<uint64_t>(items) * kDoodadItemSize, raw)) {
        return false;
      }
    }
  }
  const uint8_t* id = take(in, kDoodadEditorIdSize, raw);
  if (id == nullptr) return false;
  record.editorId = decodeInt32(id);
  return true;
}

DoodadFileHeader emptyDoodadFileHeader(const DoodadFileHeader& header) {
  DoodadFileHeader empty = header;
  empty.doodadCount = 0;
  return empty;
}

DoodadFileHeader convertedDoodadFileHeader(const DoodadFileHeader& header) {
  DoodadFileHeader converted = header;
  converted.version = convertedDoodadVersion(header.version);
  return converted;
}

void encodeDoodadFileHeader(const DoodadFileHeader& header, uint8_t out[kDoodadHeaderSize]) {
  std::memcpy(out, header.signature, 4);
  encodeInt32(out + 4, header.version);
  encodeInt32(out + 8, header.subversion);
  encodeInt32(out + kDoodadCountOffset, header.doodadCount);
}

size_t encodeDoodadRecord(const DoodadRecord& record, DoodadLayout layout, uint8_t* out) {
  std::memcpy(out, record.typeId, 4);
  encodeInt32(out + 4, record.variation);
  encodeFloat(out + 8, record.x);
  encodeFloat(out + 12, record.y);
  encodeFloat(out + 16, record.z);
  encodeFloat(out + 20, record.angle);
  encodeFloat(out + 24, record.scaleX);
  encodeFloat(out + 28, record.scaleY);
  encodeFloat(out + 32, record.scaleZ);
  out[36] = record.flags;
  out[37] = record.life;
  if (layout == DoodadLayout::V7) {
    encodeInt32(out + 38, record.editorId);
    return kDoodadV7RecordSize;
  }
  encodeInt32(out + 38, record.itemTablePointer);
  encodeInt32(out + 42, record.itemSetCount);
  encodeInt32(out + 46, record.editorId);
  return kDoodadV8RecordSize;
}

}  // namespace mapjass
