#include "map_build/archive_header.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "base/little_endian.h"
#include "base/platform.h"
#include "map_build/map_archive.h"
#include "map_build/map_files.h"

namespace mapjass {

namespace {

constexpr uint32_t kHeaderId = 0x1A51504D;    // "MPQ\x1A"
constexpr uint32_t kUserDataId = 0x1B51504D;  // "MPQ\x1B"
constexpr uint32_t kMpkId = 0x1A4B504D;       // "MPK\x1A", another game's archive
constexpr size_t kSearchBlock = 4096;
constexpr uint64_t kSearchEnd = 128 << 20;
constexpr size_t kHeaderBytes = 208;
constexpr uint32_t kHeaderSizeV1 = 32;
constexpr uint32_t kTableCountMask = 0x0FFFFFFF;
constexpr uint64_t kTableEntryBytes = 16;
// Sectors of 16 MB; beyond, the library's sector buffers outgrow any map,
// and from 22 on its shift of a signed 512 overflows.
constexpr unsigned kMaxSectorShift = 15;

// What the library takes the file for, from its name and first bytes.
enum class TakenFor { kWarcraft3, kStarcraft, kStarcraft2, kAvi, kOther };

bool endsWithNoCase(const std::string& extension, const char* wanted) {
  size_t n = std::strlen(wanted);
  if (extension.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != wanted[i]) return false;
  }
  return true;
}

// As the library's CheckMapType: the extension is whatever follows the
// path's last dot, a folder's included.
TakenFor kindOf(const std::string& path, const uint8_t* start, size_t size) {
  TakenFor byExtension = TakenFor::kOther;
  if (size > 16) {
    size_t dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot);
    if (endsWithNoCase(extension, ".scm") || endsWithNoCase(extension, ".scx")) {
      return TakenFor::kStarcraft;
    }
    if (endsWithNoCase(extension, ".s2ma") || endsWithNoCase(extension, ".sc2map") ||
        endsWithNoCase(extension, ".sc2mod")) {
      return TakenFor::kStarcraft2;
    }
    if (endsWithNoCase(extension, ".w3m") || endsWithNoCase(extension, ".w3x")) {
      byExtension = TakenFor::kWarcraft3;
    }
    if (decodeUint32(start) == 0x46464952 && decodeUint32(start + 8) == 0x20495641 &&
        decodeUint32(start + 12) == 0x5453494C) {
      return TakenFor::kAvi;
    }
    if (decodeUint32(start) == 0x57334D48 && decodeUint32(start + 4) == 0) {
      return TakenFor::kWarcraft3;
    }
  }
  // A DLL with an archive after it ("MIX" files), which only Warcraft III
  // loads: the DOS header (64 bytes, the PE header's offset at 60), then
  // "PE\0\0" and the file header, whose flags stand at 18.
  if (size > 64 && decodeUint16(start) == 0x5A4D) {
    int32_t peAt = decodeInt32(start + 60);
    if (peAt > 0 && peAt < 0x10000 && static_cast<size_t>(peAt) <= size - 4 - 20 &&
        (decodeUint16(start + peAt + 4 + 18) & 0x2000) != 0) {
      return TakenFor::kWarcraft3;
    }
  }
  return byExtension;
}

class File {
 public:
  explicit File(int fd) : fd_(fd) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { closeFile(fd_); }
  // All `n` bytes at `offset`, or false.
  bool read(uint64_t offset, uint8_t* out, size_t n) {
    while (n > 0) {
      long got = readFromFileAt(fd_, offset, out, n);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      offset += static_cast<uint64_t>(got);
      out += got;
      n -= static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
};

// The tables are encrypted: a key stream from a table of 1280 words that
// the library makes from a fixed seed.
const std::array<uint32_t, 0x500>& cryptTable() {
  static const std::array<uint32_t, 0x500> table = [] {
    std::array<uint32_t, 0x500> made{};
    uint32_t seed = 0x00100001;
    for (uint32_t first = 0; first < 0x100; ++first) {
      for (uint32_t at = first; at < 0x500; at += 0x100) {
        seed = (seed * 125 + 3) % 0x2AAAAB;
        uint32_t high = (seed & 0xFFFF) << 16;
        seed = (seed * 125 + 3) % 0x2AAAAB;
        made[at] = high | (seed & 0xFFFF);
      }
    }
    return made;
  }();
  return table;
}

// `count` entries of 16 bytes at `from`, the part past the file's end as
// zeros (as the library reads them), decrypted with `key` into words.
bool readTable(File& file, uint64_t from, uint64_t count, uint64_t fileSize, uint32_t key,
               std::vector<uint32_t>& words) {
  std::vector<uint8_t> bytes(static_cast<size_t>(count * kTableEntryBytes), 0);
  size_t inFile = static_cast<size_t>(std::min<uint64_t>(bytes.size(), fileSize - from));
  if (!file.read(from, bytes.data(), inFile)) return false;
  words.resize(bytes.size() / 4);
  uint32_t key2 = 0xEEEEEEEE;
  for (size_t i = 0; i < words.size(); ++i) {
    key2 += cryptTable()[0x400 + (key & 0xFF)];
    words[i] = decodeUint32(&bytes[i * 4]) ^ (key + key2);
    key = ((~key << 21) + 0x11111111) | (key >> 11);
    key2 = words[i] + key2 + (key2 << 5) + 3;
  }
  return true;
}

Status damaged(const std::string& name, const std::string& what) {
  return Status::failure(name + ": its archive " + what + kDamagedMapAdvice);
}

// Whether the library takes the header in `h`, found at `offset` (the user
// data's offset when it led there), for the archive, as its
// ConvertMpqHeaderToFormat4 does for version 1: not when a table starts
// past the file's end.
bool isTaken(const uint8_t* h, uint64_t offset, uint64_t fileSize, TakenFor kind) {
  uint32_t hashAt = decodeUint32(h + 16), blockAt = decodeUint32(h + 20);
  if (((offset + hashAt) & 0xFFFFFFFF) > fileSize) return false;
  if (((offset + blockAt) & 0xFFFFFFFF) > fileSize) return false;
  if (kind == TakenFor::kStarcraft) {
    uint64_t hashBytes = decodeUint32(h + 24) * kTableEntryBytes;
    uint64_t blockBytes = decodeUint32(h + 28) * kTableEntryBytes;
    if ((hashBytes & 0xF0000000) != 0 || (blockBytes & 0xF0000000) != 0) return false;
  }
  return true;
}

// Where the library finds the tables, and how many entries it takes.
struct TableView {
  uint64_t archiveAt, fileSize, hashFrom, hashCount, blockFrom, blockCount;
};

// The library reads (listfile) and (attributes) as it opens the archive,
// into buffers of the sizes that their block entries state. So every file
// that a hash entry leads to (a block index below the count, a block that
// exists and starts inside the file) is held to kMaxFileSize first.
Status checkStatedSizes(const std::string& name, File& file, const TableView& tables) {
  std::vector<uint32_t> hashes, blocks;
  if (!readTable(file, tables.hashFrom, tables.hashCount, tables.fileSize, 0xC3AF3770, hashes) ||
      !readTable(file, tables.blockFrom, tables.blockCount, tables.fileSize, 0xEC83B3A3, blocks)) {
    return Status::failure(name + ": cannot read: " + std::strerror(errno));
  }
  for (size_t at = 3; at < hashes.size(); at += 4) {
    uint64_t block = hashes[at] & kTableCountMask;
    if (block >= tables.blockCount) continue;
    const uint32_t* entry = &blocks[block * 4];
    bool exists = (entry[3] & 0x80000000) != 0;
    if (!exists || ((tables.archiveAt + entry[0]) & 0xFFFFFFFF) >= tables.fileSize) continue;
    if (entry[2] > kMaxFileSize) {
      return damaged(name, "lists a file of " + std::to_string(entry[2]) +
                               " bytes, more than the " + std::to_string(kMaxFileSize >> 20) +
                               " MB that a map can hold");
    }
    // The library writes a new file after the end of the last one's data,
    // wherever an entry puts that.
    if (uint64_t{entry[0]} + entry[1] > tables.fileSize - tables.archiveAt) {
      return damaged(name, "lists a file whose data runs past the end of the file");
    }
  }
  return Status::success();
}

// The header in `h`, taken by the library, read as it reads version 1:
// the archive at `archiveAt`, the fake-header checks made from `offset`.
Status checkTables(const std::string& name, File& file, const uint8_t* h, uint64_t offset,
                   uint64_t archiveAt, uint64_t fileSize) {
  unsigned shift = decodeUint16(h + 14) & 0xFF;
  if (shift == 0) return Status::success();  // the library refuses it
  if (shift > kMaxSectorShift) {
    return damaged(name, "header gives sectors of 512 << " + std::to_string(shift) +
                             " bytes, more than any archive has");
  }
  uint32_t hashAt = decodeUint32(h + 16), blockAt = decodeUint32(h + 20);
  uint64_t hashCount = decodeUint32(h + 24) & kTableCountMask;
  uint64_t blockCount = decodeUint32(h + 28);
  // The library cuts a block table that runs past the file's end to it,
  // counting from the offset that the search was at.
  uint64_t cutAt = static_cast<uint32_t>(static_cast<uint32_t>(offset) + blockAt);
  if (cutAt + blockCount * kTableEntryBytes > fileSize) {
    blockCount = (fileSize - cutAt) / kTableEntryBytes;
  }
  blockCount &= kTableCountMask;
  // It reads the tables from the archive's start, with 32-bit offsets.
  uint64_t hashFrom = (archiveAt + hashAt) & 0xFFFFFFFF;
  uint64_t blockFrom = (archiveAt + blockAt) & 0xFFFFFFFF;
  if (hashFrom > fileSize || blockFrom > fileSize) return Status::success();  // refused
  // Each table is allocated whole before it is read, and the file table
  // after them is as long as the longer one.
  if (hashCount * kTableEntryBytes > fileSize - hashFrom) {
    return damaged(name, "hash table of " + std::to_string(hashCount) +
                             " entries runs past the end of the file");
  }
  if (blockCount * kTableEntryBytes > fileSize - blockFrom) {
    return damaged(name, "block table of " + std::to_string(blockCount) +
                             " entries runs past the end of the file");
  }
  return checkStatedSizes(name, file,
                          {archiveAt, fileSize, hashFrom, hashCount, blockFrom, blockCount});
}

}  // namespace

Status checkArchiveHeader(const std::string& path, const std::string& name,
                          const std::string& readAs) {
  int fd = openForReading(path);
  if (fd < 0) return mapOpenFailure(name, errno);
  File file(fd);
  struct stat info;
  if (fstat(fd, &info) != 0) return mapOpenFailure(name, errno);
  const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
  if (fileSize < kHeaderSizeV1) return Status::success();  // the library refuses it
  auto readFailure = [&] {
    return Status::failure(name + ": cannot read: " + std::strerror(errno));
  };
  // Kept between blocks, as the library's buffer is: a header near the
  // file's end reads on into what the block before left there.
  std::vector<uint8_t> block(kSearchBlock, 0);
  TakenFor kind = TakenFor::kOther;
  const uint64_t searchEnd = std::min(fileSize, kSearchEnd);
  for (uint64_t offset = 0; offset < searchEnd;) {
    size_t available = static_cast<size_t>(std::min<uint64_t>(kSearchBlock, fileSize - offset));
    if (!file.read(offset, block.data(), available)) return readFailure();
    if (offset == 0) {
      kind = kindOf(readAs.empty() ? path : readAs, block.data(), available);
      if (kind == TakenFor::kAvi) return Status::success();  // the library refuses it
    }
    for (size_t inBlock = 0; inBlock < available; inBlock += 512, offset += 512) {
      std::array<uint8_t, kHeaderBytes> header;
      std::memcpy(header.data(), block.data() + inBlock, kHeaderBytes);
      uint64_t archiveAt = offset;
      uint32_t id = decodeUint32(header.data());
      if (kind != TakenFor::kWarcraft3 && id == kUserDataId) {
        uint64_t userDataSize = decodeUint32(&header[4]), headerAt = decodeUint32(&header[8]);
        if (decodeUint32(&header[12]) <= userDataSize && userDataSize <= headerAt &&
            offset + headerAt + kHeaderSizeV1 < fileSize) {
          // Where fewer than 208 bytes follow, the library's read fails, and
          // its search starts the same block again, for ever.
          if (offset + headerAt + kHeaderBytes > fileSize) {
            return damaged(name, "user data leads to a header that the file ends inside");
          }
          archiveAt = offset + headerAt;
          if (!file.read(archiveAt, header.data(), kHeaderBytes)) return readFailure();
          id = decodeUint32(header.data());
        }
      }
      if (id == kHeaderId && decodeUint32(&header[4]) >= kHeaderSizeV1) {
        uint16_t version = decodeUint16(&header[12]);
        if (kind != TakenFor::kWarcraft3 && kind != TakenFor::kStarcraft && version != 0) {
          return Status::failure(name +
                                 ": is not a map archive that can be read: its header is "
                                 "of MPQ format " +
                                 std::to_string(version + 1) +
                                 ", which Warcraft III maps do not have" + kNotAMapAdvice);
        }
        if (isTaken(header.data(), offset, fileSize, kind)) {
          return checkTables(name, file, header.data(), offset, archiveAt, fileSize);
        }
      }
      if (kind == TakenFor::kOther && id == kMpkId) {
        return Status::failure(name +
                               ": is not a map archive that can be read: it is an MPK "
                               "archive" +
                               kNotAMapAdvice);
      }
    }
  }
  return Status::success();  // no header: the library says so
}

}  // namespace mapjass
