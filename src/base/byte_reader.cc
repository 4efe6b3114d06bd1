#include "base/byte_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "base/platform.h"

namespace mapjass {

namespace {
constexpr size_t kFileBufferSize = 64 * 1024;
}

Status ByteReader::openFile(const std::string& folder, const std::string& name,
                            ByteReader& reader) {
  std::string path = pathIn(folder, name);
  // Checked before opening: Windows refuses to open a folder at all, and
  // opening a pipe would wait for a writer that may never come.
  FileKind kind = fileStateAt(path, true).kind;
  if (kind == FileKind::kFolder) return Status::failure(name + ": is a folder, not a file");
  if (kind == FileKind::kOther) return Status::failure(name + ": is not a plain file");
  std::FILE* file = openForReading(path);
  if (file == nullptr) {
    return Status::failure(name + ": cannot open: " + std::strerror(errno));
  }
  reader = ByteReader();
  reader.name_ = name;
  reader.file_.reset(file);
  struct stat info;
  if (fstat(fileno(file), &info) != 0) {
    return Status::failure(name + ": cannot open: " + std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) {
    return Status::failure(name + ": is not a plain file");
  }
  reader.size_ = static_cast<uint64_t>(info.st_size);
  reader.buffer_.resize(kFileBufferSize);
  // Never null: the first fill() moves what is left, even nothing, from here.
  reader.window_ = reader.data_ = reader.end_ = reader.buffer_.data();
  return Status::success();
}

std::string ByteReader::endMessage(uint64_t locationStart, const std::string& location,
                                   const std::string& detail) const {
  std::string where =
      location + (detail.empty() ? "" : ": " + detail) + " (offset " + std::to_string(size_) + ")";
  if (readFailed_) return name_ + ": cannot read " + where + ": " + std::strerror(readErrno_);
  return name_ + ": file ends " + (size_ <= locationStart ? "before " : "inside ") + where;
}

bool ByteReader::fill(size_t n) {
  size_t available = static_cast<size_t>(end_ - data_);
  if (available >= n) return true;
  if (readFailed_ || n > remaining()) return false;
  // Move what is left to the front, then top the buffer up.
  windowOffset_ = offset();
  std::memmove(buffer_.data(), data_, available);
  window_ = data_ = buffer_.data();
  while (available < n) {
    size_t want = std::min<uint64_t>(buffer_.size() - available, remaining() - available);
    size_t got = std::fread(buffer_.data() + available, 1, want, file_.get());
    available += got;
    end_ = data_ + available;
    if (got < want) {
      // The file shrank under us, or the device failed.
      readFailed_ = std::ferror(file_.get()) != 0;
      readErrno_ = errno;
      size_ = windowOffset_ + available;
      return available >= n;
    }
  }
  return true;
}

bool ByteReader::takeInto(uint8_t* out, uint64_t n) {
  if (n > remaining()) return false;
  while (n > 0) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(n, kMaxPiece));
    const uint8_t* p = take(piece);
    if (p == nullptr) return false;
    std::memcpy(out, p, piece);
    out += piece;
    n -= piece;
  }
  return true;
}

bool ByteReader::skip(uint64_t n) {
  if (n > remaining()) return false;
  while (n > 0) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(n, kMaxPiece));
    if (take(piece) == nullptr) return false;
    n -= piece;
  }
  return true;
}

}  // namespace mapjass
