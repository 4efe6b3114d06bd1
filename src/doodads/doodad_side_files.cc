#include "doodads/doodad_side_files.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "doodads/doodad_files.h"

namespace mapjass {

Status copyDoodadBackup(const std::string& folder, OutputFile& backup) {
  ByteReader in;
  if (Status opened = ByteReader::openFile(folder, kDoodadFile, in); !opened.ok()) return opened;
  if (Status created = backup.open(folder, kDoodadBackupFile, FileMode::kBinary); !created.ok()) {
    return created;
  }
  while (in.remaining() > 0) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(in.remaining(), ByteReader::kMaxPiece));
    const uint8_t* p = in.take(piece);
    if (p == nullptr) {
      // The file shrank, or could not be read, while it was copied.
      return Status::failure(in.endMessage(0, "the bytes to back up") +
                             "; war3map.old was left as it was");
    }
    backup.write(p, piece);
  }
  return backup.finish();
}

Status writeEmptyDoodadFile(const std::string& folder, const DoodadFileHeader& header,
                            OutputFile& file) {
  if (Status created = file.open(folder, kEmptyDoodadFile, FileMode::kBinary); !created.ok()) {
    return created;
  }
  uint8_t bytes[kDoodadHeaderSize];
  encodeDoodadFileHeader(emptyDoodadFileHeader(header), bytes);
  file.write(bytes, sizeof bytes);
  return file.finish();
}

Status openConvertedDoodadFile(const std::string& folder, const DoodadFileHeader& header,
                               OutputFile& file) {
  if (Status created = file.open(folder, kConvertedDoodadFile, FileMode::kBinary); !created.ok()) {
    return created;
  }
  uint8_t bytes[kDoodadHeaderSize];
  encodeDoodadFileHeader(convertedDoodadFileHeader(header), bytes);
  file.write(bytes, sizeof bytes);
  return Status::success();
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
