#include "doodads/doodad_job.h"

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/byte_reader.h"
#include "base/helper_thread.h"
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
    if (name != nullptr && isFolder(name)) {
      return Status::failure(std::string(name) + ": is a folder; the file cannot be written");
    }
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

  // Records go in batches through two stages on two threads: while both
  // threads make the text of batch n, this one also writes the text of batch
  // n - 1 and reads batch n + 1. The reading, the converted copy and the
  // writing stay in file order on this thread.
  DoodadRecordFormat format = doodadRecordFormatOf(in, header);
  const int64_t total = std::max(header.doodadCount, 0);
  std::vector<DoodadRecord> batches[2];
  BatchText texts[2][2];  // [batch slot][the part made here, the helper's part]
  auto readBatch = [&](int64_t first, std::vector<DoodadRecord>& batch) {
    batch.resize(static_cast<size_t>(std::min<int64_t>(kBatchRecords, total - first)));
    for (DoodadRecord& record : batch) {
      uint64_t start = in.offset();
      if (!readDoodadRecord(in, format, record)) {
        int32_t index = static_cast<int32_t>(first + (&record - batch.data()));
        return Status::failure(in.endMessage(start, recordPiece(index, header.doodadCount)));
      }
      if (options.convertDoodadVersion)
        writeConvertedDoodadRecord(converted, record, format.layout);
    }
    return Status::success();
  };
  auto writeBatch = [&](const BatchText(&parts)[2]) {
    for (const BatchText& part : parts) {
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
  if (total > 0) {
    if (Status read = readBatch(0, batches[0]); !read.ok()) return read;
  }
  // On a single core the helper would only get in the way.
  std::unique_ptr<HelperThread> helper;
  if (total > kBatchRecords && std::thread::hardware_concurrency() > 1) {
    helper = std::make_unique<HelperThread>();
  }
  for (int64_t first = 0; first < total; first += kBatchRecords) {
    int slot = static_cast<int>((first / kBatchRecords) % 2);
    const std::vector<DoodadRecord>& batch = batches[slot];
    // This thread also reads and writes, so the helper takes the larger part.
    int32_t count = static_cast<int32_t>(batch.size());
    int32_t here = helper ? count / 3 : count;
    if (helper) {
      helper->start([&, slot, here, count, first] {
        formatRecords(batch.data() + here, count - here, static_cast<int32_t>(first) + here,
                      texts[slot][1]);
      });
    }
    formatRecords(batch.data(), here, static_cast<int32_t>(first), texts[slot][0]);
    if (first > 0) writeBatch(texts[1 - slot]);
    Status read = Status::success();
    if (first + kBatchRecords < total) read = readBatch(first + kBatchRecords, batches[1 - slot]);
    if (helper) helper->wait();
    if (!read.ok()) return read;
    if (first + kBatchRecords >= total) writeBatch(texts[slot]);
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
