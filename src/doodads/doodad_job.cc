#include "doodads/doodad_job.h"

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
  if (options.wrapInFunction) script.write(doodadWrapperHead(options.functionName));

  DoodadRecordFormat format = doodadRecordFormatOf(in, header);
  DoodadRecord record;
  for (int32_t i = 0; i < header.doodadCount; ++i) {
    uint64_t start = in.offset();
    if (!readDoodadRecord(in, format, record)) {
      return Status::failure(in.endMessage(start, recordPiece(i, header.doodadCount)));
    }
    if (options.convertDoodadVersion) writeConvertedDoodadRecord(converted, record, format.layout);
    char* lines = script.reserve(kMaxDoodadLinesSize);
    unsigned nonFinite = 0;
    script.advance(formatDoodadLines(lines, record, nonFinite));
    for (int field = 0; nonFinite != 0; ++field, nonFinite >>= 1) {
      if ((nonFinite & 1) != 0) {
        warn(std::string(kDoodadFile) + ": " + recordPiece(i, header.doodadCount) + ": " +
             kCdFloatFieldNames[field] + " is not a finite number; 0 written instead");
      }
    }
  }
  script.write(doodadScriptTail(options.wrapInFunction));

  // Both outputs are finished before either replaces its earlier version, so
  // a full disk leaves both as they were.
  if (Status finished = script.finish(); !finished.ok()) return finished;
  if (options.convertDoodadVersion) {
    if (Status finished = closeConvertedDoodadFile(converted); !finished.ok()) return finished;
  }
  if (Status committed = script.commit(); !committed.ok()) return committed;
  if (options.convertDoodadVersion) return converted.commit();
  return Status::success();
}

}  // namespace mapjass
