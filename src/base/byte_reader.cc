#include "base/byte_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/platform.h"

namespace mapjass {

namespace {
constexpr size_t kFileBufferSize = 64 * 1024;
}

ByteReader::~ByteReader() {
  close();
}

void ByteReader::close() {
  if (fd_ >= 0) closeFile(fd_);
  fd_ = -1;
}

Status ByteReader::readWholeFile(const std::string& folder, const std::string& name,
                                 std::string& bytes) {
  ByteReader in;
  if (Status opened = openFile(folder, name, in); !opened.ok()) return opened;
  bytes.assign(static_cast<size_t>(in.remaining()), '\0');
  if (!in.takeInto(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size())) {
    return Status::failure(in.endMessage(0, "its bytes"));
  }
  return Status::success();
}

Status ByteReader::openFile(const std::string& folder, const std::string& name,
                            ByteReader& reader) {
  std::string path = pathIn(folder, name);
  // Checked before opening: Windows refuses to open a folder at all, and
  // opening a pipe would wait for a writer that may never come.
  FileKind kind = fileStateAt(path, true).kind;
  if (kind == FileKind::kFolder) return Status::failure(name + ": is a folder, not a file");
  if (kind == FileKind::kOther) return Status::failure(name + ": is not a plain file");
  reader.close();
  reader.name_ = name;
  reader.fd_ = openForReading(path);
  if (reader.fd_ < 0) return Status::failure(name + ": cannot open: " + std::strerror(errno));
  struct stat info;
  if (fstat(reader.fd_, &info) != 0) {
    return Status::failure(name + ": cannot open: " + std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) return Status::failure(name + ": is not a plain file");
  reader.size_ = static_cast<uint64_t>(info.st_size);
  reader.buffer_.resize(kFileBufferSize);
  return reader.rewind();
}

void ByteReader::openBytes(const std::string& name, std::string_view bytes) {
  close();
  name_ = name;
  size_ = bytes.size();
  // All of it is in the window at once, so fill() never reads.
  window_ = data_ = reinterpret_cast<const uint8_t*>(bytes.data());
  end_ = window_ + bytes.size();
  windowOffset_ = 0;
  shortfall_ = Shortfall::kNone;
}

Status ByteReader::rewind() {
  if (fd_ < 0) {
    data_ = window_;
    return Status::success();
  }
  if (seekToStart(fd_) != 0) {
    return Status::failure(name_ + ": cannot read: " + std::strerror(errno));
  }
  // Never null: the first fill() moves what is left, even nothing, from here.
  window_ = data_ = end_ = buffer_.data();
  windowOffset_ = 0;
  shortfall_ = Shortfall::kNone;
  return Status::success();
}

std::string ByteReader::endMessage(uint64_t locationStart, const std::string& location,
                                   const std::string& detail) const {
  uint64_t end = shortfall_ == Shortfall::kNone ? size_ : stoppedAt_;
  std::string where =
      location + (detail.empty() ? "" : ": " + detail) + " (offset " + std::to_string(end) + ")";
  if (shortfall_ == Shortfall::kReadError) {
    return name_ + ": cannot read " + where + ": " + std::strerror(readErrno_);
  }
  std::string message =
      name_ + ": file ends " + (end <= locationStart ? "before " : "inside ") + where;
  if (shortfall_ == Shortfall::kShrank) {
    message += ": it shrank from " + std::to_string(size_) + " bytes while it was read";
  }
  return message;
}

bool ByteReader::fill(size_t n) {
  size_t available = static_cast<size_t>(end_ - data_);
  if (available >= n) return true;
  if (shortfall_ != Shortfall::kNone || n > remaining()) return false;
  // Move what is left to the front, then top the buffer up.
  windowOffset_ = offset();
  std::memmove(buffer_.data(), data_, available);
  window_ = data_ = buffer_.data();
  end_ = data_ + available;
  while (available < n) {
    size_t want = std::min<uint64_t>(buffer_.size() - available, remaining() - available);
    long got = readFromFile(fd_, buffer_.data() + available, want);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      // The device failed, or the file shrank under us: either way the
      // bytes its size promised are not there, and no later call may take
      // what is left for the whole file.
      shortfall_ = got < 0 ? Shortfall::kReadError : Shortfall::kShrank;
      readErrno_ = errno;
      stoppedAt_ = windowOffset_ + available;
      return false;
    }
    available += static_cast<size_t>(got);
    end_ = data_ + available;
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
