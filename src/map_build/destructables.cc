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

// Whether JASS can take `id` as a four-character code between single
// quotes: four printable characters, none of them a quote or a backslash.
// mapjass writes what it reads, for a person to look at; a built map's
// script goes straight into the game.
bool isJassCode(const char id[4]) {
  for (int i = 0; i < 4; ++i) {
    if (id[i] < 0x20 || id[i] > 0x7E || id[i] == '\'' || id[i] == '\\') return false;
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

}  // namespace

Status mapDestructablesOf(const std::string& name, std::string_view doodadFile,
                          const WarningSink& warn, MapDestructables& result) {
  result = {};
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

  std::string& block = result.block;
  block = kBlockComment + prefixedLines(kDoodadScriptPreamble);
  FunctionParts parts(kDestructablesFunction, FunctionParts::byOperations(kFunctionOperationBudget),
                      [&block](std::string_view text) { block += text; });
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
    if (!isJassCode(record.typeId)) {
      return Status::failure(name + ": " + recordLocation(i, header.doodadCount) +
                             ": its type is no four-character code that JASS can take" +
                             kDamagedMapAdvice);
    }
    unsigned nonFinite = 0;
    size_t size = formatDoodadLines(lines, record, nonFinite);
    if (nonFinite != 0) warnAboutNonFinite(name, record, i, header.doodadCount, nonFinite, warn);
    parts.startUnit(operationsOf(LineKind::kCd) +
                    (record.life < 100 ? operationsOf(LineKind::kSl) : 0));
    block += prefixedLines(std::string_view(lines, size));
    ++result.created;
  }
  if (result.created == 0) {
    return Status::failure(name + " holds no destructable for the script to create (" +
                           counted(std::max(header.doodadCount, 0), "record") + ": " +
                           counted(result.doodads, "doodad") + ", " +
                           counted(result.scriptCreated, "destructable") +
                           " of the map's own script), so there is nothing to build");
  }
  // RF ends the list, as in mapjass's script, as a call line of its own.
  parts.startUnit(operationsOf(LineKind::kOther));
  block += prefixedLines("call RF()");
  parts.finish(kFunctionEnd);
  result.functions = parts.parts();

  // Whatever follows the records (the special doodads of later editors)
  // stays as it is.
  uint64_t rest = in.remaining();
  result.keptFile.append(doodadFile.substr(static_cast<size_t>(in.offset()), rest));
  encodeInt32(reinterpret_cast<uint8_t*>(result.keptFile.data()) + kDoodadCountOffset,
              result.doodads + result.scriptCreated);
  return Status::success();
}

}  // namespace mapjass
