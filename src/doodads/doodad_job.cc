#include "doodads/doodad_job.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/file_names.h"
#include "base/folder_lock.h"
#include "base/function_parts.h"
#include "base/game_limits.h"
#include "base/jass_functions.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "doodads/doodad_format.h"
#include "doodads/doodad_script.h"
#include "doodads/doodad_side_files.h"

namespace mapjass {

namespace {

// The record's CD line, and its SL line, straight into the script's buffer.
void writeRecordLines(OutputFile& script, const DoodadRecord& record, int32_t index, int32_t count,
                      const WarningSink& warn) {
  char* lines = script.reserve(kMaxDoodadLinesSize);
  unsigned nonFinite = 0;
  script.advance(formatDoodadLines(lines, record, nonFinite));
  if (nonFinite != 0) warnAboutNonFinite(kDoodadFile, record, index, count, nonFinite, warn);
}

// What the records that the script leaves out or cannot place are.
struct LeftOut {
  int32_t doodads = 0;        // life 255: no script can create them
  int32_t scriptCreated = 0;  // flags 0: the map's own script creates them
};

// What the script leaves out, after every other warning of the job: a
// function name that JASS refuses or every map has, the doodads, and the destructables that
// the map's own script creates.
void warnAboutWhatTheScriptCannotDo(const DoodadJobOptions& options,
                                    const DoodadFunctions& functions, LeftOut leftOut,
                                    int32_t records, const WarningSink& warn) {
  if (functions.wrapped && !isValidFunctionName(functions.name)) {
    warn(std::string(kDoodadScriptFile) + ": the function name \"" + functions.name +
         "\" is not valid in JASS, so the script will not compile until the function is renamed (" +
         kFunctionNameRule + ")");
  }
  if (functions.wrapped && isMapFunctionName(functions.name)) {
    warn(std::string(kDoodadScriptFile) + ": " + mapFunctionNameWarning(functions.name));
  }
  const std::string ofRecords = " of " + std::to_string(records) + " records are ";
  const std::string kept = kKeptDoodadFile, doo = kDoodadFile;
  const std::string question = "answer 1 to \"Create empty " + doo + "?\"";
  if (leftOut.doodads > 0) {
    const std::string asTheMaps = " as the map's " + doo;
    warn(doo + ": " + std::to_string(leftOut.doodads) + ofRecords +
         "doodads (life 255), which the game cannot create from a script, so their CD lines "
         "place nothing; to keep them, " +
         (options.createEmptyDoodadFile
              ? "take " + kept + asTheMaps
              : question + " to get " + kept + ", and take that" + asTheMaps));
  }
  if (leftOut.scriptCreated > 0) {
    warn(doo + ": " + std::to_string(leftOut.scriptCreated) + ofRecords +
         "destructables that the map's own script creates (flags 0: triggers refer to them, or "
         "they drop items), so the doodad script leaves them out; they stay in " +
         kept + (options.createEmptyDoodadFile ? "" : ", which " + question + " writes"));
  }
}

}  // namespace

Status runDoodadJob(const DoodadJobOptions& options, const JobSetting& setting) {
  const WarningSink& warn = setting.warn;
  // One reader for the whole job: the backup and the records see the same
  // file with the same size, even if another program changes it meanwhile.
  ByteReader in;
  if (Status opened = ByteReader::openFile(setting.folder, kDoodadFile, in); !opened.ok()) {
    return opened;
  }
  // An output name that cannot be replaced would only fail at the very end;
  // finding it first keeps every file as it was.
  for (const DoodadOutput& output : kDoodadOutputs) {
    if (!output.asked(options)) continue;
    if (Status status = checkReplaceable(setting.folder, output.name); !status.ok()) {
      return status;
    }
  }
  FolderLock lock;
  if (lock.lock(pathIn(setting.folder, kDoodadScriptFile), kDoodadScriptFile, warn)) {
    for (const DoodadOutput& output : kDoodadOutputs) {
      if (output.asked(options)) removeLeftovers(setting.folder, output.name, warn);
    }
  }
  // Every output is made in full before any takes its place, so that a job
  // that fails changes no file at all.
  DoodadOutputFiles files;
  std::vector<OutputFile*> outputs;
  for (const DoodadOutput& output : kDoodadOutputs) {
    if (!output.asked(options)) continue;
    OutputFile& file = files.*output.file;
    if (Status opened = file.open(setting.folder, output.name, output.mode); !opened.ok()) {
      return opened;
    }
    outputs.push_back(&file);
  }
  // Each output is finished as soon as it is complete, so that a full disk
  // is found at the first file that meets it.
  if (options.backupDoodadFile) {
    if (Status copied = copyDoodadBackup(in, files.backup); !copied.ok()) return copied;
    if (Status finished = files.backup.finish(); !finished.ok()) return finished;
  }
  DoodadFileHeader header;
  if (Status read = readDoodadFileHeader(in, header); !read.ok()) return read;
  if (options.createEmptyDoodadFile) {
    writeEmptyDoodadFile(header, files.empty);
    if (Status finished = files.empty.finish(); !finished.ok()) return finished;
    openKeptDoodadFile(header, files.kept);
  }
  if (options.convertDoodadVersion) openConvertedDoodadFile(header, files.converted);
  setting.report(doodadHeaderReport(header));
  if (header.version == kBetaDoodadVersion) {
    return Status::failure(std::string(kDoodadFile) +
                           ": version 6, an early beta format of the doodad file, is not "
                           "supported; save the map in a later World Editor and extract " +
                           kDoodadFile + " again");
  }

  OutputFile& script = files.script;
  script.write(kDoodadScriptPreamble);
  DoodadFunctions functions =
      doodadFunctionsOf(options.functionName, options.wrapInFunction, header.doodadCount);
  script.write(functions.head());
  std::optional<FunctionParts> parts;
  if (functions.split) {
    parts.emplace(functions.name, FunctionParts::byUnits(kRecordsPerFunction),
                  [&script](std::string_view text) { script.write(text); });
  }
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
    if (options.convertDoodadVersion) {
      writeConvertedDoodadRecord(files.converted, record, format.layout);
    }
    bool doodad = isDoodad(record);
    // The game leaves such a record to the map's own script, which creates
    // it: a line here would create it a second time.
    bool scriptCreated = isCreatedByMapScript(record);
    leftOut.doodads += doodad ? 1 : 0;
    leftOut.scriptCreated += scriptCreated && !doodad ? 1 : 0;
    if ((doodad || scriptCreated) && options.createEmptyDoodadFile) {
      writeKeptDoodadRecord(files.kept, raw);
    }
    // A part holds the file's records, whether they get lines or not.
    if (parts) parts->startUnit(0);
    if (!scriptCreated) {
      writeRecordLines(script, record, i, header.doodadCount, warn);
      ++cdLines;
      slLines += record.life < 100 ? 1 : 0;
    }
  }
  if (parts) {
    parts->finish(functions.tail());
  } else {
    script.write(functions.tail());
  }
  if (Status finished = script.finish(); !finished.ok()) return finished;
  if (options.createEmptyDoodadFile) {
    if (Status finished =
            finishKeptDoodadFile(files.kept, in, leftOut.doodads + leftOut.scriptCreated);
        !finished.ok()) {
      return finished;
    }
  }
  if (Status placed = commitOutputs(outputs, warn, setting.afterOutputRenamed); !placed.ok()) {
    return placed;
  }

  // A list that is not wrapped is not split here: the user pastes it into a
  // function of their own, which the game would stop before its end, or
  // splits it with the companion program.
  int64_t operations =
      cdLines * operationsOf(LineKind::kCd) + slLines * operationsOf(LineKind::kSl);
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
