#include "base/output_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "base/platform.h"

namespace mapjass {

namespace {

// Big writes keep the system calls few: a script is written in pieces of a
// quarter mebibyte. The buffer starts small, so that small files cost little.
constexpr size_t kBufferSize = 1 << 18;
constexpr size_t kFirstBufferSize = 1 << 16;

// The temporary files that exist right now, for the signal handler: fixed
// storage, since a handler may not allocate.
constexpr int kMaxTemporaryFiles = 8;
constexpr size_t kMaxTemporaryPath = 1024;
char temporaryPaths[kMaxTemporaryFiles][kMaxTemporaryPath];
std::atomic<bool> temporaryInUse[kMaxTemporaryFiles];

int rememberTemporaryFile(const std::string& path) {
  if (path.size() >= kMaxTemporaryPath) return -1;
  for (int slot = 0; slot < kMaxTemporaryFiles; ++slot) {
    if (temporaryInUse[slot].load()) continue;
    std::memcpy(temporaryPaths[slot], path.c_str(), path.size() + 1);
    temporaryInUse[slot].store(true);
    return slot;
  }
  return -1;
}

void forgetTemporaryFile(int slot) {
  if (slot >= 0) temporaryInUse[slot].store(false);
}

void removeTemporaryFilesAndEnd(int signal) {
  for (int slot = 0; slot < kMaxTemporaryFiles; ++slot) {
    if (temporaryInUse[slot].load()) removeFileInHandler(temporaryPaths[slot]);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void removeTemporaryFilesOnSignals() {
  onInterrupt(removeTemporaryFilesAndEnd);
}

bool isFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Status checkNotFolder(const std::string& path) {
  if (!isFolder(path)) return Status::success();
  return Status::failure(path + ": is a folder; the file cannot be written");
}

OutputFile::~OutputFile() {
  discard();
}

Status OutputFile::open(const std::string& finalPath, FileMode mode) {
  discard();
  finalPath_ = finalPath;
  translating_ = kTextLineEndIsCrLf && mode == FileMode::kText;
  errno_ = 0;
  used_ = 0;
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath_ = finalPath + ".tmp" + std::to_string(processId()) + "-" + std::to_string(counter++);
    fd_ = createNewFile(tempPath_);
    if (fd_ >= 0) break;
    if (errno != EEXIST) {
      int error = errno;
      tempPath_.clear();
      return Status::failure(finalPath + ": cannot create: " + std::strerror(error));
    }
  }
  if (fd_ < 0) {
    tempPath_.clear();
    return Status::failure(finalPath + ": cannot create a temporary file beside it");
  }
  tempSlot_ = rememberTemporaryFile(tempPath_);
  buffer_.resize(kFirstBufferSize);
  return Status::success();
}

void OutputFile::writeOut(const char* data, size_t size) {
  while (size > 0 && errno_ == 0) {
    long written = writeToFile(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      errno_ = errno;
    } else if (written == 0) {
      errno_ = ENOSPC;
    } else {
      data += written;
      size -= static_cast<size_t>(written);
    }
  }
}

void OutputFile::flushBuffer() {
  if (used_ > 0 && fd_ >= 0) writeOut(buffer_.data(), used_);
  used_ = 0;
}

void OutputFile::makeRoom(size_t size) {
  if (used_ + size <= buffer_.size()) return;
  if (buffer_.size() < kBufferSize) {
    buffer_.resize(std::min(kBufferSize, std::max(4 * buffer_.size(), used_ + size)));
    if (used_ + size <= buffer_.size()) return;
  }
  flushBuffer();
}

void OutputFile::write(const void* data, size_t size) {
  if (fd_ < 0 || errno_ != 0 || size == 0) return;
  const char* bytes = static_cast<const char*>(data);
  if (translating_) {
    for (size_t i = 0; i < size; ++i) {
      makeRoom(2);
      if (bytes[i] == '\n') buffer_[used_++] = '\r';
      buffer_[used_++] = bytes[i];
    }
    return;
  }
  // Large pieces, such as a batch of lines, go straight to the file.
  if (size >= kBufferSize / 4) {
    flushBuffer();
    writeOut(bytes, size);
    return;
  }
  makeRoom(size);
  std::memcpy(buffer_.data() + used_, bytes, size);
  used_ += size;
}

char* OutputFile::reserveSlowly(size_t size) {
  if (translating_ || fd_ < 0 || errno_ != 0) {
    if (scratch_.size() < size) scratch_.resize(size);
    return scratch_.data();
  }
  makeRoom(size);
  return buffer_.data() + used_;
}

void OutputFile::advanceSlowly(size_t used) {
  if (translating_) write(scratch_.data(), used);
}

Status OutputFile::writeFailure() const {
  return Status::failure(finalPath_ + ": cannot write: " + std::strerror(errno_));
}

Status OutputFile::finish() {
  if (fd_ < 0) return Status::failure(finalPath_ + ": was not opened");
  flushBuffer();
  if (closeFile(fd_) != 0 && errno_ == 0) errno_ = errno;
  fd_ = -1;
  if (errno_ != 0) {
    Status failure = writeFailure();
    discard();
    return failure;
  }
  return Status::success();
}

Status OutputFile::commit() {
  if (tempPath_.empty() || fd_ >= 0) return Status::failure(finalPath_ + ": was not finished");
  if (int error = replaceFile(tempPath_, finalPath_); error != 0) {
    discard();
    return Status::failure(finalPath_ + ": cannot replace: " + std::strerror(error));
  }
  tempPath_.clear();
  forgetTemporaryFile(tempSlot_);
  tempSlot_ = -1;
  return Status::success();
}

Status OutputFile::finishAndCommit() {
  Status status = finish();
  return status.ok() ? commit() : status;
}

void OutputFile::discard() {
  if (fd_ >= 0) {
    closeFile(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    std::remove(tempPath_.c_str());
    tempPath_.clear();
  }
  forgetTemporaryFile(tempSlot_);
  tempSlot_ = -1;
  used_ = 0;
}

}  // namespace mapjass
