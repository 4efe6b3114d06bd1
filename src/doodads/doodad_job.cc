#include "doodads/doodad_job.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/batch_pipeline.h"
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

// Records per batch: enough that handing a batch to the other thread costs
// little, few enough that memory does not grow with the file.
constexpr int64_t kBatchRecords = 2048;

// The CD and SL lines of a run of records, and the records among them that
// had floats that are not finite (record index, field bits).
struct BatchText {
  std::unique_ptr<char[]> text;
  size_t capacity = 0;
  size_t size = 0;
  std::vector<std::pair<int32_t, unsigned>> nonFinite;
};

void formatRecords(const DoodadRecord* records, int32_t count, int32_t firstIndex, BatchText& out) {
  size_t needed = static_cast<size_t>(count) * kMaxDoodadLinesSize;
  if (out.capacity < needed) {
    out.text.reset(new char[needed]);
    out.capacity = needed;
  }
  out.size = 0;
  out.nonFinite.clear();
  for (int32_t i = 0; i < count; ++i) {
    unsigned nonFinite = 0;
    out.size += formatDoodadLines(out.text.get() + out.size, records[i], nonFinite);
    if (nonFinite != 0) out.nonFinite.emplace_back(firstIndex + i, nonFinite);
  }
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

  // The reading, the converted copy and the writing stay in file order on
  // this thread; the text is made on two cores.
  DoodadRecordFormat format = doodadRecordFormatOf(in, header);
  std::vector<DoodadRecord> batches[2];
  int64_t firstOf[2] = {0, 0};
  BatchText texts[2][2];  // [slot][part]
  auto readBatch = [&](int slot, int64_t first, int64_t count) {
    std::vector<DoodadRecord>& batch = batches[slot];
    batch.resize(static_cast<size_t>(count));
    firstOf[slot] = first;
    for (int64_t i = 0; i < count; ++i) {
      uint64_t start = in.offset();
      if (!readDoodadRecord(in, format, batch[static_cast<size_t>(i)])) {
        return Status::failure(
            in.endMessage(start, recordPiece(static_cast<int32_t>(first + i), header.doodadCount)));
      }
      if (options.convertDoodadVersion) {
        writeConvertedDoodadRecord(converted, batch[static_cast<size_t>(i)], format.layout);
      }
    }
    return Status::success();
  };
  auto formatBatch = [&](int slot, int part, int64_t begin, int64_t end) {
    formatRecords(batches[slot].data() + begin, static_cast<int32_t>(end - begin),
                  static_cast<int32_t>(firstOf[slot] + begin), texts[slot][part]);
  };
  auto writeBatch = [&](int slot) {
    for (const BatchText& part : texts[slot]) {
      script.write(part.text.get(), part.size);
      for (auto [index, nonFinite] : part.nonFinite) {
        for (int field = 0; nonFinite != 0; ++field, nonFinite >>= 1) {
          if ((nonFinite & 1) != 0) {
            warn(std::string(kDoodadFile) + ": " + recordPiece(index, header.doodadCount) + ": " +
                 kCdFloatFieldNames[field] + " is not a finite number; 0 written instead");
          }
        }
      }
    }
  };
  Status records = runInBatches(std::max(header.doodadCount, 0), kBatchRecords, readBatch,
                                formatBatch, writeBatch);
  if (!records.ok()) return records;
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
