#include "doodads/doodad_job.h"

#include <algorithm>
#include <string>

#include "base/byte_reader.h"
#include "base/game_limits.h"
#include "base/output_file.h"
#include "doodads/doodad_files.h"
#include "doodads/doodad_format.h"
#include "doodads/doodad_script.h"
#include "doodads/doodad_side_files.h"

namespace mapjass {

namespace {

// An output name that cannot be replaced would only fail at the very end;
// finding it first keeps every file as it was.
Status checkOutputNames(const RunOptions& options, const std::string& folder) {
  const char* names[] = {kDoodadScriptFile, options.backupDoodadFile ? kDoodadBackupFile : nullptr,
                         options.createEmptyDoodadFile ? kEmptyDoodadFile : nullptr,
                         options.convertDoodadVersion ? kConvertedDoodadFile : nullptr};
  for (const char* name : names) {
    if (name == nullptr) continue;
    if (Status status = checkReplaceable(folder, name); !status.ok()) return status;
  }
  return Status::success();
}

std::string recordLocation(int32_t index, int32_t count) {
  return "record " + std::to_string(int64_t{index} + 1) + " of " + std::to_string(count);
}

// The record's CD line, and its SL line, straight into the script's buffer.
void writeRecordLines(OutputFile& script, const DoodadRecord& record, int32_t index, int32_t count,
                      const WarningSink& warn) {
  char* lines = script.reserve(kMaxDoodadLinesSize);
  unsigned nonFinite = 0;
  script.advance(formatDoodadLines(lines, record, nonFinite));
  for (int field = 0; nonFinite != 0; ++field, nonFinite >>= 1) {
    if ((nonFinite & 1) != 0) {
      warn(std::string(kDoodadFile) + ": " + recordLocation(index, count) + ": " +
           kCdFloatFieldNames[field] + " is not a finite number; 0 written instead");
    }
  }
}

}  // namespace

Status runDoodadJob(const RunOptions& options, const std::string& folder, std::FILE* console,
                    const WarningSink& warn) {
  ByteReader in;
  if (Status opened = ByteReader::openFile(folder, kDoodadFile, in); !opened.ok()) return opened;
  if (Status names = checkOutputNames(options, folder); !names.ok()) return names;
  // Every output is made in full before any takes its place, so that a job
  // that fails changes no file at all.
  OutputFile backup, script, empty, converted;
  if (options.backupDoodadFile) {
    if (Status copied = copyDoodadBackup(folder, backup); !copied.ok()) return copied;
  }
  if (Status created = script.open(folder, kDoodadScriptFile, FileMode::kText); !created.ok()) {
    return created;
  }
  DoodadFileHeader header;
  if (Status read = readDoodadFileHeader(in, header); !read.ok()) return read;
  if (options.createEmptyDoodadFile) {
    if (Status written = writeEmptyDoodadFile(folder, header, empty); !written.ok()) {
      return written;
    }
  }
  if (options.convertDoodadVersion) {
    if (Status opened = openConvertedDoodadFile(folder, header, converted); !opened.ok()) {
      return opened;
    }
  }
  std::string report = doodadHeaderReport(header);
  std::fwrite(report.data(), 1, report.size(), console);
  std::fflush(console);

  script.write(kDoodadScriptPreamble);
  DoodadFunctions functions =
      doodadFunctionsOf(options.functionName, options.wrapInFunction, header.doodadCount);
  script.write(functions.head());
  DoodadRecordFormat format = doodadRecordFormatOf(in, header);
  DoodadRecord record;
  int64_t slLines = 0;
  for (int32_t i = 0; i < header.doodadCount; ++i) {
    uint64_t start = in.offset();
    if (!readDoodadRecord(in, format, record)) {
      return Status::failure(in.endMessage(start, recordLocation(i, header.doodadCount)));
    }
    if (options.convertDoodadVersion) writeConvertedDoodadRecord(converted, record, format.layout);
    if (functions.opensPart(i)) script.write(functions.partHead(i));
    writeRecordLines(script, record, i, header.doodadCount, warn);
    slLines += record.life < 100 ? 1 : 0;
    if (functions.closesPart(i, header.doodadCount)) script.write(DoodadFunctions::kPartEnd);
  }
  script.write(functions.tail());
  if (Status finished = script.finish(); !finished.ok()) return finished;
  if (options.convertDoodadVersion) {
    if (Status closed = closeConvertedDoodadFile(converted); !closed.ok()) return closed;
  }
  if (Status placed = commitOutputs({&backup, &empty, &script, &converted}); !placed.ok()) {
    return placed;
  }

  // A list that is not wrapped cannot be split: the user pastes it into a
  // function of their own, which the game would stop before its end.
  int64_t operations =
      int64_t{std::max(header.doodadCount, 0)} * kCdLineOperations + slLines * kSlLineOperations;
  if (!options.wrapInFunction && operations > kThreadOperationBudget) {
    warn(std::string(kDoodadScriptFile) + ": " + overThreadBudget(operations, "doodad") +
         "; answer 1 to the function question and the tool splits the list across threads");
  }
  return Status::success();
}

}  // namespace mapjass
