// Reads a file front to back in fixed-size pieces.
//
// The total size is taken when the file is opened, so a count read from the
// file can be checked against the bytes that are actually left before
// anything loops or allocates. That size holds for the whole read: a file
// that grows meanwhile is read up to it, and one that shrinks, or a read
// that fails, fails every later request for bytes instead of looking like
// the end of the file. A file is read through one fixed buffer; it is never
// held whole in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace mapjass {

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const ByteReader&) = delete;
  ByteReader& operator=(const ByteReader&) = delete;
  ~ByteReader();

  // The largest piece that peek() and take() hand out in one call.
  static constexpr size_t kMaxPiece = 4096;

  // Opens `name` in `folder` for binary reading and takes its size. Fails
  // with a message naming the file when it is missing, unreadable, a folder
  // or not a plain file.
  static Status openFile(const std::string& folder, const std::string& name, ByteReader& reader);

  // The whole of `name` in `folder`, for a file that is held whole anyway
  // (a script to change). Fails as openFile() does, or when it cannot be
  // read to the size it had.
  static Status readWholeFile(const std::string& folder, const std::string& name,
                              std::string& bytes);

  // Reads `bytes`, which must outlive the reader, as the file `name`: a file
  // taken out of a map archive.
  void openBytes(const std::string& name, std::string_view bytes);

  // The next `n` bytes (n <= kMaxPiece) without consuming them, or nullptr
  // when fewer than `n` are left of the size taken at the start, or the
  // file could not be read.
  const uint8_t* peek(size_t n) {
    if (static_cast<size_t>(end_ - data_) >= n) return data_;
    return n <= kMaxPiece && fill(n) ? data_ : nullptr;
  }

  // As peek(), and consumes them.
  const uint8_t* take(size_t n) {
    const uint8_t* p = peek(n);
    if (p != nullptr) data_ += n;
    return p;
  }

  // Copies the next `n` bytes (any number) into `out`. False when fewer are left.
  bool takeInto(uint8_t* out, uint64_t n);

  // Consumes `n` bytes. False when fewer are left.
  bool skip(uint64_t n);

  // Back to the first byte, with the size taken at the start: a second pass
  // over the same file sees the same bytes as the first.
  Status rewind();

  uint64_t offset() const { return windowOffset_ + static_cast<uint64_t>(data_ - window_); }
  uint64_t remaining() const { return size_ - offset(); }

  const std::string& name() const { return name_; }

  // Why the location of the file that starts at `locationStart` could not
  // be read, with the offset where the data stops: "war3map.doo: file ends
  // inside record 3 of 5 (offset 141)", the system's reason when reading
  // failed, or that the file shrank while it was read. `detail`, when given,
  // follows the location.
  std::string endMessage(uint64_t locationStart, const std::string& location,
                         const std::string& detail = "") const;

 private:
  bool fill(size_t n);
  void close();

  std::string name_;
  int fd_ = -1;
  std::vector<uint8_t> buffer_;
  // The bytes in memory run from window_ to end_; the first of them stands
  // at windowOffset_ in the input, and data_ is the next one to hand out.
  // Only the pointers move for each piece, as that happens for every
  // record and every tile point.
  const uint8_t* window_ = nullptr;
  const uint8_t* data_ = nullptr;
  const uint8_t* end_ = nullptr;
  uint64_t windowOffset_ = 0;
  uint64_t size_ = 0;  // when the file was opened
  // Why the file gave fewer bytes than its size, from then on: the system
  // reported an error, or the data ran out early. stoppedAt_ is where.
  enum class Shortfall { kNone, kReadError, kShrank };
  Shortfall shortfall_ = Shortfall::kNone;
  int readErrno_ = 0;
  uint64_t stoppedAt_ = 0;
};

}  // namespace mapjass
