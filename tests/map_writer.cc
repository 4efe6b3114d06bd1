#include "map_writer.h"

#include <cstring>

namespace mapjass::testing {

ByteWriter& ByteWriter::raw(const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  return *this;
}

ByteWriter& ByteWriter::u8(uint8_t v) {
  bytes.push_back(v);
  return *this;
}

ByteWriter& ByteWriter::u16(uint16_t v) {
  return u8(v & 0xFF).u8(v >> 8);
}

ByteWriter& ByteWriter::i16(int16_t v) {
  return u16(static_cast<uint16_t>(v));
}

ByteWriter& ByteWriter::i32(int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  return u8(u & 0xFF).u8((u >> 8) & 0xFF).u8((u >> 16) & 0xFF).u8(u >> 24);
}

ByteWriter& ByteWriter::f32bits(uint32_t bits) {
  return i32(static_cast<int32_t>(bits));
}

ByteWriter& ByteWriter::f32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return f32bits(bits);
}

TestDoodad workedExampleDoodad() {
  TestDoodad d;
  d.typeId = "OBJ1";
  d.variation = 2;
  d.x = 512.3456f;
  d.y = -256.5f;
  d.z = 0;
  d.angle = 4.712389f;
  d.scaleX = d.scaleY = 1;
  d.scaleZ = 1.25f;
  d.flags = 2;
  d.life = 50;
  d.itemTablePointer = -1;
  d.editorId = 7;
  return d;
}

Bytes doodadFileBytes(const TestDoodadFile& file) {
  ByteWriter w;
  int32_t count =
      file.doodadCount == -1 ? static_cast<int32_t>(file.doodads.size()) : file.doodadCount;
  w.raw(file.signature).i32(file.version).i32(file.subversion).i32(count);
  for (const TestDoodad& d : file.doodads) {
    w.raw(d.typeId).i32(d.variation).f32(d.x).f32(d.y).f32(d.z).f32(d.angle);
    w.f32(d.scaleX).f32(d.scaleY).f32(d.scaleZ);
    if (file.version != 7) w.raw(d.skinId);
    w.u8(d.flags).u8(d.life);
    if (file.version != 7) {
      w.i32(d.itemTablePointer).i32(static_cast<int32_t>(d.itemSets.size()));
      for (const ItemSet& set : d.itemSets) {
        w.i32(set.countOverride.value_or(static_cast<int32_t>(set.items.size())));
        for (const auto& [id, chance] : set.items) w.raw(id).i32(chance);
      }
    }
    w.i32(d.editorId);
  }
  w.bytes.insert(w.bytes.end(), file.trailer.begin(), file.trailer.end());
  return w.bytes;
}

Bytes terrainFileBytes(const TestTerrainFile& file) {
  ByteWriter w;
  w.raw(file.signature).i32(file.version).u8(static_cast<uint8_t>(file.mainTileset));
  w.i32(file.customTilesets).i32(static_cast<int32_t>(file.groundTilesets.size()));
  for (const std::string& id : file.groundTilesets) w.raw(id);
  w.i32(static_cast<int32_t>(file.cliffTilesets.size()));
  for (const std::string& id : file.cliffTilesets) w.raw(id);
  w.i32(file.pointsX).i32(file.pointsY).f32(file.centerX).f32(file.centerY);
  for (const TestTilePoint& p : file.points) {
    w.i16(p.groundHeight).u16(p.waterLevel);
    if (file.version >= 12) {
      w.u16(p.textureAndFlags);
    } else {
      w.u8(static_cast<uint8_t>(p.textureAndFlags));
    }
    w.u8(p.textureDetails).u8(p.cliffAndLayer);
  }
  return w.bytes;
}

}  // namespace mapjass::testing
