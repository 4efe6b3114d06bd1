#include "doodads/doodad_side_files.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/file_names.h"
#include "base/little_endian.h"

namespace mapjass {

namespace {

// Copies everything from `in`'s position to the end it had when it was
// opened into `file`. False when the input shrank or could not be read
// meanwhile.
bool copyToEnd(ByteReader& in, OutputFile& file) {
  while (in.remaining() > 0) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(in.remaining(), ByteReader::kMaxPiece));
    const uint8_t* p = in.take(piece);
    if (p == nullptr) return false;
    file.write(p, piece);
  }
  return true;
}

Status startWithHeader(const std::string& folder, const char* name, const DoodadFileHeader& header,
                       OutputFile& file) {
  if (Status created = file.open(folder, name, FileMode::kBinary); !created.ok()) return created;
  uint8_t bytes[kDoodadHeaderSize];
  encodeDoodadFileHeader(header, bytes);
  file.write(bytes, sizeof bytes);
  return Status::success();
}

}  // namespace

Status copyDoodadBackup(ByteReader& in, const std::string& folder, OutputFile& backup) {
  if (Status created = backup.open(folder, kDoodadBackupFile, FileMode::kBinary); !created.ok()) {
    return created;
  }
  if (!copyToEnd(in, backup)) {
    // The file shrank, or could not be read, while it was copied.
    return Status::failure(in.endMessage(0, "the bytes to back up") + "; " + kDoodadBackupFile +
                           " was left as it was");
  }
  if (Status back = in.rewind(); !back.ok()) return back;
  return backup.finish();
}

Status writeEmptyDoodadFile(const std::string& folder, const DoodadFileHeader& header,
                            OutputFile& file) {
  Status started = startWithHeader(folder, kEmptyDoodadFile, emptyDoodadFileHeader(header), file);
  return started.ok() ? file.finish() : started;
}

Status openKeptDoodadFile(const std::string& folder, const DoodadFileHeader& header,
                          OutputFile& file) {
  return startWithHeader(folder, kKeptDoodadFile, header, file);
}

void writeKeptDoodadRecord(OutputFile& file, const std::string& raw) {
  file.write(raw);
}

Status finishKeptDoodadFile(OutputFile& file, ByteReader& in, int32_t keptCount) {
  uint64_t start = in.offset();
  if (!copyToEnd(in, file)) {
    return Status::failure(in.endMessage(start, "the bytes after the records"));
  }
  uint8_t count[4];
  encodeInt32(count, keptCount);
  file.writeAt(kDoodadCountOffset, count, sizeof count);
  return file.finish();
}

Status openConvertedDoodadFile(const std::string& folder, const DoodadFileHeader& header,
                               OutputFile& file) {
  return startWithHeader(folder, kConvertedDoodadFile, convertedDoodadFileHeader(header), file);
}

void writeConvertedDoodadRecord(OutputFile& file, const DoodadRecord& record,
                                DoodadLayout readLayout) {
  DoodadLayout other = readLayout == DoodadLayout::V7 ? DoodadLayout::V8 : DoodadLayout::V7;
  uint8_t bytes[kDoodadV8RecordSize];
  file.write(bytes, encodeDoodadRecord(record, other, bytes));
}

Status closeConvertedDoodadFile(OutputFile& file) {
  return file.finish();
}

}  // namespace mapjass
