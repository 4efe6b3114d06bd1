#include "map_build/destructables.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/file_names.h"
#include "base/function_parts.h"
#include "base/game_limits.h"
#include "base/jass_functions.h"
#include "base/little_endian.h"
#include "doodads/doodad_format.h"
#include "doodads/doodad_script.h"
#include "map_build/build_program.h"
#include "map_build/map_archive.h"

namespace mapjass {

namespace {

const std::string kBlockComment =
    std::string("// Destructables placed by ") + kBuildProgram + " from " + kDoodadFile + "\n";

// The JASS block's helpers, RF, CD and SL, in Lua. CD keeps what it created
// for SL, in a name of the block's own.
const std::string kLuaBlockHead = std::string("-- Destructables placed by ") + kBuildProgram +
                                  " from " + kDoodadFile +
                                  "\n"
                                  "function mapjass_RF()\n"
                                  "    FogMaskEnable(false)\n"
                                  "    FogEnable(false)\n"
                                  "    FogMaskEnable(true)\n"
                                  "    FogEnable(true)\n"
                                  "end\n"
                                  "function mapjass_CD(id, x, y, z, face, scale, variation)\n"
                                  "    mapjass_LastDestructable = "
                                  "CreateDestructableZ(id, x, y, z, face, scale, variation)\n"
                                  "end\n"
                                  "function mapjass_SL(L)\n"
                                  "    SetDestructableLife(mapjass_LastDestructable, "
                                  "GetDestructableMaxLife(mapjass_LastDestructable) * L * 0.01)\n"
                                  "end\n";

// The parts of a JASS record line, "call CD( 'LTlt', x, y, z, facing,
// scale, variation )", that the Lua line takes its numbers from.
constexpr std::string_view kCdHead = "call CD( '";
constexpr std::string_view kCdEnd = " )\n";
constexpr std::string_view kSlHead = "call SL(";

// Whether a script can take `id` as a four-character code between quotes
// `quote`: four printable characters, none of them the quote or a
// backslash. mapjass writes what it reads, for a person to look at; a built
// map's script goes straight into the game.
bool isCodeBetween(const char id[4], char quote) {
  for (int i = 0; i < 4; ++i) {
    if (id[i] < 0x20 || id[i] > 0x7E || id[i] == quote || id[i] == '\\') return false;
  }
  return true;
}

// `line` with a call or the definition of RF, CD or SL prefixed, so that
// the block's helpers cannot meet functions of the map's own.
std::string prefixed(std::string_view line) {
  for (std::string_view word : {"function ", "call "}) {
    if (!line.starts_with(word)) continue;
    std::string_view rest = line.substr(word.size());
    for (std::string_view helper : {"RF", "CD", "SL"}) {
      if (rest.starts_with(helper) && rest.size() > 2 && (rest[2] == ' ' || rest[2] == '(')) {
        return std::string(word) + kBuildPrefix + std::string(rest);
      }
    }
  }
  return std::string(line);
}

// The lines of `text`, prefixed, each with its "\n"; empty lines are left
// out, as mapjass-split leaves them out.
std::string prefixedLines(std::string_view text) {
  std::string result;
  for (size_t start = 0; start < text.size();) {
    size_t end = std::min(text.find('\n', start), text.size());
    if (end > start) result += prefixed(text.substr(start, end - start)) + '\n';
    start = end + 1;
  }
  return result;
}

// The Lua lines of a record from its JASS lines, with the same numbers:
// both languages place a destructable alike.
void appendLuaLines(std::string_view jass, std::string& block) {
  size_t numbers = kCdHead.size() + 4 + std::string_view("', ").size();
  size_t end = jass.find(kCdEnd, numbers);
  block.append("    mapjass_CD(FourCC(\"").append(jass.substr(kCdHead.size(), 4)).append("\"), ");
  block.append(jass.substr(numbers, end - numbers)).append(")\n");
  std::string_view life = jass.substr(end + kCdEnd.size());
  if (!life.empty()) block.append("    mapjass_SL(").append(life.substr(kSlHead.size()));
}

// Sorts the records of `doodadFile`: those that stay go into the kept file
// and its counts, and each other one, with its JASS lines, to `create`.
// The block's language takes its type ids between `quote`s.
template <typename Create>
Status sortRecords(const std::string& name, std::string_view doodadFile, const char* language,
                   char quote, const WarningSink& warn, MapDestructables& result, Create create) {
  ByteReader in;
  in.openBytes(name, doodadFile);
  DoodadFileHeader header;
  if (Status read = readDoodadFileHeader(in, header); !read.ok()) {
    return Status::failure(read.error + kDamagedMapAdvice);
  }
  if (header.version == kBetaDoodadVersion) {
    return Status::failure(name +
                           " is version 6, an early beta format of the doodad file, which is not "
                           "supported; save the map in a later World Editor and build it again");
  }
  uint8_t keptHeader[kDoodadHeaderSize];
  encodeDoodadFileHeader(header, keptHeader);
  result.keptFile.assign(reinterpret_cast<const char*>(keptHeader), sizeof keptHeader);

  DoodadRecordFormat format = doodadRecordFormatOf(in, header);
  DoodadRecord record;
  std::string raw;
  char lines[kMaxDoodadLinesSize];
  for (int32_t i = 0; i < header.doodadCount; ++i) {
    uint64_t start = in.offset();
    if (!readDoodadRecord(in, format, record, &raw)) {
      return Status::failure(in.endMessage(start, recordLocation(i, header.doodadCount)) +
                             kDamagedMapAdvice);
    }
    if (isDoodad(record) || isCreatedByMapScript(record)) {
      result.keptFile += raw;
      ++(isDoodad(record) ? result.doodads : result.scriptCreated);
      continue;
    }
    if (!isCodeBetween(record.typeId, quote)) {
      return Status::failure(name + ": " + recordLocation(i, header.doodadCount) +
                             ": its type is no four-character code that " + language + " can take" +
                             kDamagedMapAdvice);
    }
    unsigned nonFinite = 0;
    size_t size = formatDoodadLines(lines, record, nonFinite);
    if (nonFinite != 0) warnAboutNonFinite(name, record, i, header.doodadCount, nonFinite, warn);
    create(record, std::string_view(lines, size));
    ++result.created;
  }
  if (result.created == 0) {
    return Status::failure(name + " holds no destructable for the script to create (" +
                           counted(std::max(header.doodadCount, 0), "record") + ": " +
                           counted(result.doodads, "doodad") + ", " +
                           counted(result.scriptCreated, "destructable") +
                           " of the map's own script), so there is nothing to build");
  }
  // Whatever follows the records (the special doodads of later editors)
  // stays as it is.
  uint64_t rest = in.remaining();
  result.keptFile.append(doodadFile.substr(static_cast<size_t>(in.offset()), rest));
  encodeInt32(reinterpret_cast<uint8_t*>(result.keptFile.data()) + kDoodadCountOffset,
              result.doodads + result.scriptCreated);
  return Status::success();
}

Status jassDestructablesOf(const std::string& name, std::string_view doodadFile,
                           const WarningSink& warn, MapDestructables& result) {
  std::string& block = result.block;
  block = kBlockComment + prefixedLines(kDoodadScriptPreamble);
  FunctionParts parts(kDestructablesFunction, FunctionParts::byOperations(kFunctionOperationBudget),
                      [&block](std::string_view text) { block += text; });
  Status sorted =
      sortRecords(name, doodadFile, "JASS", '\'', warn, result,
                  [&](const DoodadRecord& record, std::string_view lines) {
                    parts.startUnit(operationsOf(LineKind::kCd) +
                                    (record.life < 100 ? operationsOf(LineKind::kSl) : 0));
                    block += prefixedLines(lines);
                  });
  if (!sorted.ok()) return sorted;
  // RF ends the list, as in mapjass's script, as a call line of its own.
  parts.startUnit(operationsOf(LineKind::kOther));
  block += prefixedLines("call RF()");
  parts.finish(kFunctionEnd);
  result.functions = parts.parts();
  return Status::success();
}

Status luaDestructablesOf(const std::string& name, std::string_view doodadFile,
                          const WarningSink& warn, MapDestructables& result) {
  std::string& block = result.block;
  block = kLuaBlockHead;
  auto part = [](int32_t n) {
    return std::string(kDestructablesFunction) + "_" + std::to_string(n);
  };
  Status sorted = sortRecords(name, doodadFile, "Lua", '"', warn, result,
                              [&](const DoodadRecord&, std::string_view lines) {
                                if (result.created % kLuaRecordsPerPart == 0) {
                                  if (result.functions > 0) block += "end\n";
                                  block += "function " + part(++result.functions) + "()\n";
                                }
                                appendLuaLines(lines, block);
                              });
  if (!sorted.ok()) return sorted;
  // A Lua thread has no operation limit: the parts are called directly.
  block += "    mapjass_RF()\nend\nfunction " + std::string(kDestructablesFunction) + "()\n";
  for (int32_t n = 1; n <= result.functions; ++n) block += "    " + part(n) + "()\n";
  block += "end\n";
  return Status::success();
}

}  // namespace

Status mapDestructablesOf(const std::string& name, std::string_view doodadFile,
                          ScriptLanguage language, const WarningSink& warn,
                          MapDestructables& result) {
  result = {};
  return language == ScriptLanguage::kLua ? luaDestructablesOf(name, doodadFile, warn, result)
                                          : jassDestructablesOf(name, doodadFile, warn, result);
}

}  // namespace mapjass
