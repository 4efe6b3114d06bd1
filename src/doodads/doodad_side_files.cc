#include "doodads/doodad_side_files.h"

#include "base/file_names.h"
#include "base/little_endian.h"

namespace mapjass {

namespace {

void writeHeader(const DoodadFileHeader& header, OutputFile& file) {
  uint8_t bytes[kDoodadHeaderSize];
  encodeDoodadFileHeader(header, bytes);
  file.write(bytes, sizeof bytes);
}

}  // namespace

Status copyDoodadBackup(ByteReader& in, OutputFile& backup) {
  if (!copyToEnd(in, backup)) {
    // The file shrank, or could not be read, while it was copied.
    return Status::failure(in.endMessage(0, "the bytes to back up") + "; " + kDoodadBackupFile +
                           " was left as it was");
  }
  return in.rewind();
}

void writeEmptyDoodadFile(const DoodadFileHeader& header, OutputFile& file) {
  writeHeader(emptyDoodadFileHeader(header), file);
}

void openKeptDoodadFile(const DoodadFileHeader& header, OutputFile& file) {
  writeHeader(header, file);
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
  return Status::success();
}

void openConvertedDoodadFile(const DoodadFileHeader& header, OutputFile& file) {
  writeHeader(convertedDoodadFileHeader(header), file);
}

void writeConvertedDoodadRecord(OutputFile& file, const DoodadRecord& record,
                                DoodadLayout readLayout) {
  DoodadLayout other = readLayout == DoodadLayout::V7 ? DoodadLayout::V8 : DoodadLayout::V7;
  uint8_t bytes[kDoodadV8RecordSize];
  file.write(bytes, encodeDoodadRecord(record, other, bytes));
}

}  // namespace mapjass
