#include "map_writer.h"

#include <bit>
#include <initializer_list>
#include <type_traits>

namespace mapjass::testing {

namespace {

// Appends raw bytes, and fixed-width fields little-endian whatever the host.
struct ByteWriter {
  Bytes bytes;
  ByteWriter& raw(const std::string& text) {
    bytes += text;
    return *this;
  }
  template <typename T>
  ByteWriter& le(T value) {
    uint64_t bits = 0;
    if constexpr (std::is_same_v<T, float>) bits = std::bit_cast<uint32_t>(value);
    if constexpr (std::is_integral_v<T>) bits = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof value; ++i) bytes.push_back(static_cast<char>(bits >> 8 * i));
    return *this;
  }
};

}  // namespace

TestDoodad typicalDoodad() {
  return {.typeId = "OBJ1",
          .variation = 2,
          .x = 512.3456f,
          .y = -256.5f,
          .angle = 4.712389f,
          .scaleZ = 1.25f,
          .life = 50,
          .editorId = 7};
}

Bytes doodadFileBytes(const TestDoodadFile& file) {
  ByteWriter w;
  int32_t count =
      file.doodadCount == -1 ? static_cast<int32_t>(file.doodads.size()) : file.doodadCount;
  w.raw(file.signature).le(file.version).le(file.subversion).le(count);
  for (const TestDoodad& d : file.doodads) {
    w.raw(d.typeId).le(d.variation).le(d.x).le(d.y).le(d.z).le(d.angle);
    w.le(d.scaleX).le(d.scaleY).le(d.scaleZ);
    if (file.version != 7) w.raw(d.skinId);
    w.le(d.flags).le(d.life);
    if (file.version != 7) {
      w.le(d.itemTablePointer).le(static_cast<int32_t>(d.itemSets.size()));
      for (const ItemSet& set : d.itemSets) {
        w.le(set.countOverride.value_or(static_cast<int32_t>(set.items.size())));
        for (const auto& [id, chance] : set.items) w.raw(id).le(chance);
      }
    }
    w.le(d.editorId);
  }
  return w.raw(file.trailer).bytes;
}

Bytes terrainFileBytes(const TestTerrainFile& file) {
  ByteWriter w;
  w.raw(file.signature).le(file.version).le(file.mainTileset).le(file.customTilesets);
  w.le(static_cast<int32_t>(file.groundTilesets.size()));
  for (const std::string& id : file.groundTilesets) w.raw(id);
  w.le(static_cast<int32_t>(file.cliffTilesets.size()));
  for (const std::string& id : file.cliffTilesets) w.raw(id);
  w.le(file.pointsX).le(file.pointsY).le(file.centerX).le(file.centerY);
  for (const TestTilePoint& p : file.points) {
    w.le(p.groundHeight).le(p.waterLevel);
    // Version 12 widened the texture field to 16 bits.
    file.version >= 12 ? w.le(p.textureAndFlags) : w.le(static_cast<uint8_t>(p.textureAndFlags));
    w.le(p.textureDetails).le(p.cliffAndLayer);
  }
  return w.bytes;
}

Bytes mapInfoBytes(const TestMapInfo& info) {
  ByteWriter w;
  auto texts = [&w](std::initializer_list<const char*> texts) -> ByteWriter& {
    for (const char* text : texts) w.raw(text).le(uint8_t{0});
    return w;
  };
  w.le(info.format).le(int32_t{3}).le(int32_t{6105});
  if (info.format >= 27) w.le(int32_t{1}).le(int32_t{32}).le(int32_t{10}).le(int32_t{18});
  texts({"TRIGSTR_001", "TRIGSTR_002", "TRIGSTR_003 long", "1-4"});
  for (int i = 0; i < 12; ++i) i < 8 ? w.le(-3000.5f + i) : w.le(int32_t{6});  // camera
  w.le(int32_t{116}).le(int32_t{84}).le(int32_t{0x8000}).raw("L").le(int32_t{-1});
  texts({"Load.mdx", "TRIGSTR_004", "TRIGSTR_005", "TRIGSTR_006"}).le(int32_t{0});
  texts({"Prologue.mdx", "TRIGSTR_007", "TRIGSTR_008", "TRIGSTR_009"}).le(int32_t{1});
  w.le(1000.0f).le(5000.0f).le(0.5f).raw("\x10\x20\x30\xff").raw("RAhr");
  texts({"Lordaeron"}).raw("L").raw("\x80\x90\xff\xff");
  if (info.format >= 28) w.le(info.language);
  return w.le(int32_t{3}).bytes;  // the supported modes
}

}  // namespace mapjass::testing
