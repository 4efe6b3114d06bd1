#include "doodads/doodad_job.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/byte_reader.h"
#include "base/file_names.h"
#include "base/folder_lock.h"
#include "base/game_limits.h"
#include "base/jass_functions.h"
#include "base/output_file.h"
#include "base/platform.h"
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
                         options.createEmptyDoodadFile ? kKeptDoodadFile : nullptr,
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

// A CD float that JASS cannot take, written as 0. Out of line: it is rare,
// and the loop over the records stays small.
void warnAboutField(const DoodadRecord& record, int32_t index, int32_t count, int field,
                    const WarningSink& warn) {
  std::string what = std::string(kCdFloatFieldNames[field]) + " is not a finite number";
  // A finite facing can still be too large once it is turned into degrees.
  if (field == kCdAngleField && std::isfinite(record.angle)) {
    char radians[32];
    std::snprintf(radians, sizeof radians, "%g", static_cast<double>(record.angle));
    what = "angle " + std::string(radians) + " radians is too large in degrees";
  }
  warn(std::string(kDoodadFile) + ": " + recordLocation(index, count) + ": " + what +
       "; 0 written instead");
}

// The record's CD line, and its SL line, straight into the script's buffer.
void writeRecordLines(OutputFile& script, const DoodadRecord& record, int32_t index, int32_t count,
                      const WarningSink& warn) {
  char* lines = script.reserve(kMaxDoodadLinesSize);
  unsigned nonFinite = 0;
  script.advance(formatDoodadLines(lines, record, nonFinite));
  for (int field = 0; nonFinite != 0; ++field, nonFinite >>= 1) {
    if ((nonFinite & 1) != 0) warnAboutField(record, index, count, field, warn);
  }
}

// What the records that the script leaves out or cannot place are.
struct LeftOut {
  int32_t doodads = 0;        // life 255: no script can create them
  int32_t scriptCreated = 0;  // flags 0: the map's own script creates them
};

// What the script leaves out, after every other warning of the job: a
// function name that JASS refuses, the doodads, and the destructables that
// the map's own script creates.
void warnAboutWhatTheScriptCannotDo(const RunOptions& options, const DoodadFunctions& functions,
                                    LeftOut leftOut, int32_t records, const WarningSink& warn) {
  if (functions.wrapped && !isValidFunctionName(functions.name)) {
    warn(std::string(kDoodadScriptFile) + ": the function name \"" + functions.name +
         "\" is not valid in JASS, so the script will not compile until the function is renamed (" +
         kFunctionNameRule + ")");
  }
  const std::string ofRecords = " of " + std::to_string(records) + " records are ";
  const std::string kept = kKeptDoodadFile, doo = kDoodadFile;
  const std::string question = "answer 1 to \"Create empty " + doo + "?\"";
  if (leftOut.doodads > 0) {
    warn(doo + ": " + std::to_string(leftOut.doodads) + ofRecords +
         "doodads (life 255), which the game cannot create from a script, so their CD lines "
         "place nothing; to keep them, " +
         (options.createEmptyDoodadFile ? "take " + kept + " as the map's " + doo
                                        : question + " to get " + kept +
                                              ", and take that as the "
                                              "map's " +
                                              doo));
  }
  if (leftOut.scriptCreated > 0) {
    warn(doo + ": " + std::to_string(leftOut.scriptCreated) + ofRecords +
         "destructables that the map's own script creates (flags 0: triggers refer to them, or "
         "they drop items), so the doodad script leaves them out; they stay in " +
         kept + (options.createEmptyDoodadFile ? "" : ", which " + question + " writes"));
  }
}

}  // namespace

Status runDoodadJob(const RunOptions& options, const std::string& folder, const ReportSink& report,
                    const WarningSink& warn) {
  // One reader for the whole job: the backup and the records see the same
  // file with the same size, even if another program changes it meanwhile.
  ByteReader in;
  if (Status opened = ByteReader::openFile(folder, kDoodadFile, in); !opened.ok()) return opened;
  if (Status names = checkOutputNames(options, folder); !names.ok()) return names;
  FolderLock lock;
  lock.lock(pathIn(folder, kDoodadScriptFile), kDoodadScriptFile, warn);
  // Every output is made in full before any takes its place, so that a job
  // that fails changes no file at all.
  OutputFile backup, script, empty, kept, converted;
  if (options.backupDoodadFile) {
    if (Status copied = copyDoodadBackup(in, folder, backup); !copied.ok()) return copied;
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
    if (Status opened = openKeptDoodadFile(folder, header, kept); !opened.ok()) return opened;
  }
  if (options.convertDoodadVersion) {
    if (Status opened = openConvertedDoodadFile(folder, header, converted); !opened.ok()) {
      return opened;
    }
  }
  report(doodadHeaderReport(header));
  if (header.version == kBetaDoodadVersion) {
    return Status::failure(std::string(kDoodadFile) +
                           ": version 6, an early beta format of the doodad file, is not "
                           "supported; save the map in a later World Editor and extract " +
                           kDoodadFile + " again");
  }

  script.write(kDoodadScriptPreamble);
  DoodadFunctions functions =
      doodadFunctionsOf(options.functionName, options.wrapInFunction, header.doodadCount);
  script.write(functions.head());
  DoodadRecordFormat format = doodadRecordFormatOf(in, header);
  DoodadRecord record;
  std::string raw;  // the record as it stands in the file, for war3mapKEEP.doo
  int64_t cdLines = 0, slLines = 0;
  LeftOut leftOut;
  for (int32_t i = 0; i < header.doodadCount; ++i) {
    uint64_t start = in.offset();
    if (!readDoodadRecord(in, format, record, options.createEmptyDoodadFile ? &raw : nullptr)) {
      return Status::failure(in.endMessage(start, recordLocation(i, header.doodadCount)));
    }
    if (options.convertDoodadVersion) writeConvertedDoodadRecord(converted, record, format.layout);
    bool doodad = record.life == kDoodadLifeMark;
    // The game leaves a record with flags 0 to the map's own script, which
    // creates it: a line here would create it a second time.
    bool scriptCreated = record.flags == kScriptCreatedFlags;
    leftOut.doodads += doodad ? 1 : 0;
    leftOut.scriptCreated += scriptCreated && !doodad ? 1 : 0;
    if ((doodad || scriptCreated) && options.createEmptyDoodadFile) {
      writeKeptDoodadRecord(kept, raw);
    }
    if (functions.opensPart(i)) script.write(functions.partHead(i));
    if (!scriptCreated) {
      writeRecordLines(script, record, i, header.doodadCount, warn);
      ++cdLines;
      slLines += record.life < 100 ? 1 : 0;
    }
    if (functions.closesPart(i, header.doodadCount)) script.write(kFunctionEnd);
  }
  script.write(functions.tail());
  if (Status finished = script.finish(); !finished.ok()) return finished;
  if (options.createEmptyDoodadFile) {
    if (Status finished = finishKeptDoodadFile(kept, in, leftOut.doodads + leftOut.scriptCreated);
        !finished.ok()) {
      return finished;
    }
  }
  if (options.convertDoodadVersion) {
    if (Status closed = closeConvertedDoodadFile(converted); !closed.ok()) return closed;
  }
  if (Status placed = commitOutputs({&backup, &empty, &kept, &script, &converted}, warn);
      !placed.ok()) {
    return placed;
  }

  // A list that is not wrapped is not split here: the user pastes it into a
  // function of their own, which the game would stop before its end, or
  // splits it with the companion program.
  int64_t operations = cdLines * kCdLineOperations + slLines * kSlLineOperations;
  if (!options.wrapInFunction && operations > kThreadOperationBudget) {
    warn(std::string(kDoodadScriptFile) + ": " + overThreadBudget(operations, "doodad") +
         "; answer 1 to the function question and the tool splits the list across threads");
  }
  warnAboutWhatTheScriptCannotDo(options, functions, leftOut, header.doodadCount, warn);
  // Such a file is what a kept file looks like once it was taken into the
  // map: the backup is then no longer the original that the user may think
  // it is.
  if (options.backupDoodadFile && header.doodadCount > 0 &&
      leftOut.doodads + leftOut.scriptCreated == header.doodadCount) {
    warn(std::string(kDoodadBackupFile) + ": " + kDoodadFile +
         " holds no record that the script creates, as a " + kKeptDoodadFile +
         " taken into the map does; " + kDoodadBackupFile +
         " now holds that file, not the original map's, so keep the original map");
  }
  return Status::success();
}

}  // namespace mapjass
