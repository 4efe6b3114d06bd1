#include "doodads/doodad_job.h"

#include <algorithm>
#include <string>

#include "base/byte_reader.h"
#include "base/output_file.h"
#include "doodads/doodad_files.h"
#include "doodads/doodad_format.h"
#include "doodads/doodad_script.h"
#include "doodads/doodad_side_files.h"

namespace mapjass {

namespace {

// An output name taken by a folder would only fail at the very end; finding
// it first keeps every file as it was.
Status checkOutputNames(const RunOptions& options) {
  const char* names[] = {kDoodadScriptFile, options.backupDoodadFile ? kDoodadBackupFile : nullptr,
                         options.createEmptyDoodadFile ? kEmptyDoodadFile : nullptr,
                         options.convertDoodadVersion ? kConvertedDoodadFile : nullptr};
  for (const char* name : names) {
    if (name == nullptr) continue;
    if (Status status = checkNotFolder(name); !status.ok()) return status;
  }
  return Status::success();
}

std::string recordPiece(int32_t index, int32_t count) {
  return "record " + std::to_string(int64_t{index} + 1) + " of " + std::to_string(count);
}

}  // namespace

Status runDoodadJob(const RunOptions& options, std::FILE* console, const WarningSink& warn) {
  ByteReader in;
  if (Status opened = ByteReader::openFile(kDoodadFile, in); !opened.ok()) return opened;
  if (Status names = checkOutputNames(options); !names.ok()) return names;
  if (options.backupDoodadFile) {
    if (Status copied = copyDoodadBackup(); !copied.ok()) return copied;
  }
  OutputFile script;
  if (Status created = script.open(kDoodadScriptFile, FileMode::kText); !created.ok()) {
    return created;
  }
  DoodadFileHeader header;
  if (Status read = readDoodadFileHeader(in, header); !read.ok()) return read;
  if (options.createEmptyDoodadFile) {
    if (Status written = writeEmptyDoodadFile(header); !written.ok()) return written;
  }
  OutputFile converted;
  if (options.convertDoodadVersion) {
    if (Status opened = openConvertedDoodadFile(converted, header); !opened.ok()) return opened;
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
    if (functions.opensPart(i)) script.write(functions.partHead(i));
    uint64_t start = in.offset();
    if (!readDoodadRecord(in, format, record)) {
      return Status::failure(in.endMessage(start, recordPiece(i, header.doodadCount)));
    }
    if (options.convertDoodadVersion) writeConvertedDoodadRecord(converted, record, format.layout);
    char* lines = script.reserve(kMaxDoodadLinesSize);
    unsigned nonFinite = 0;
    script.advance(formatDoodadLines(lines, record, nonFinite));
    slLines += record.life < 100 ? 1 : 0;
    for (int field = 0; nonFinite != 0; ++field, nonFinite >>= 1) {
      if ((nonFinite & 1) != 0) {
        warn(std::string(kDoodadFile) + ": " + recordPiece(i, header.doodadCount) + ": " +
             kCdFloatFieldNames[field] + " is not a finite number; 0 written instead");
      }
    }
    if (functions.closesPart(i, header.doodadCount)) script.write(DoodadFunctions::kPartEnd);
  }
  script.write(functions.tail());

  // Both outputs are finished before either replaces its earlier version, so
  // a full disk leaves both as they were.
  if (Status finished = script.finish(); !finished.ok()) return finished;
  if (options.convertDoodadVersion) {
    if (Status finished = closeConvertedDoodadFile(converted); !finished.ok()) return finished;
  }
  if (Status committed = script.commit(); !committed.ok()) return committed;
  if (options.convertDoodadVersion) {
    if (Status committed = converted.commit(); !committed.ok()) return committed;
  }
  // A list that is not wrapped cannot be split: the user pastes it into a
  // function of their own, which the game would stop before its end.
  int64_t operations =
      int64_t{std::max(header.doodadCount, 0)} * kCdLineOperations + slLines * kSlLineOperations;
  if (!options.wrapInFunction && operations > kThreadOperationBudget) {
    warn(std::string(kDoodadScriptFile) + ": about " + std::to_string(operations) +
         " operations in one game thread, more than the " + std::to_string(kThreadOperationBudget) +
         " the tool plans with, so the game may stop before the last doodad; answer 1 to the "
         "function question and the tool splits the list across threads");
  }
  return Status::success();
}

}  // namespace mapjass
