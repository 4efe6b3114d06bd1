#include "map_build/map_info.h"

#include "base/byte_reader.h"
#include "base/little_endian.h"
#include "map_build/map_archive.h"

namespace mapjass {

namespace {

// A field before the script language: `size` bytes, or a zero-ended string.
struct Field {
  size_t size;
  const char* what;
};
constexpr size_t kString = 0;

// clang-format off
constexpr Field kFieldsBeforeLanguage[] = {
    {8, "the saves and editor version"}, {16, "the game version"},
    {kString, "the map's name"}, {kString, "the map's author"},
    {kString, "the map's description"}, {kString, "the recommended players"},
    {48, "the camera bounds and margins"}, {13, "the size, flags and main tileset"},
    {4, "the loading screen number"}, {kString, "the loading screen model"},
    {kString, "the loading screen text"}, {kString, "the loading screen title"},
    {kString, "the loading screen subtitle"}, {4, "the game data set"},
    {kString, "the prologue path"}, {kString, "the prologue text"},
    {kString, "the prologue title"}, {kString, "the prologue subtitle"},
    {20, "the fog"}, {4, "the weather id"}, {kString, "the sound environment"},
    {1, "the light environment"}, {4, "the water colour"},
};
// clang-format on

// Consumes a string up to and with its zero byte.
bool skipString(ByteReader& in) {
  for (const uint8_t* byte; (byte = in.take(1)) != nullptr;) {
    if (*byte == 0) return true;
  }
  return false;
}

}  // namespace

Status scriptLanguageOf(const std::string& name, std::string_view mapInfoFile,
                        ScriptLanguage& language) {
  language = ScriptLanguage::kJass;
  ByteReader in;
  in.openBytes(name, mapInfoFile);
  const uint8_t* format = in.take(4);
  if (format == nullptr) return Status::failure(in.endMessage(0, "the format") + kDamagedMapAdvice);
  if (decodeInt32(format) < kMapInfoLanguageFormat) return Status::success();
  for (const Field& field : kFieldsBeforeLanguage) {
    uint64_t start = in.offset();
    if (!(field.size == kString ? skipString(in) : in.skip(field.size))) {
      return Status::failure(in.endMessage(start, field.what) + kDamagedMapAdvice);
    }
  }
  uint64_t at = in.offset();
  const uint8_t* field = in.take(4);
  if (field == nullptr) {
    return Status::failure(in.endMessage(at, "the script language") + kDamagedMapAdvice);
  }
  int32_t value = decodeInt32(field);
  if (value != 0 && value != 1) {
    return Status::failure(name + ": the script language (offset " + std::to_string(at) + ") is " +
                           std::to_string(value) + ", neither 0 (JASS) nor 1 (Lua)" +
                           kDamagedMapAdvice);
  }
  language = value == 1 ? ScriptLanguage::kLua : ScriptLanguage::kJass;
  return Status::success();
}

}  // namespace mapjass
