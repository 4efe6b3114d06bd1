#include "base/output_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/platform.h"
#include "base/temporary_files.h"

namespace mapjass {

namespace {

// Big writes keep the system calls few: a script is written in pieces of a
// quarter mebibyte. The buffer starts small, so that small files cost little.
constexpr size_t kBufferSize = 1 << 18;
constexpr size_t kFirstBufferSize = 1 << 16;

// A name beside `finalPath` that no other file has: the process id keeps
// two runs apart, the counter two files of one run.
std::string temporaryPathFor(const std::string& finalPath) {
  static unsigned counter = 0;
  return finalPath + ".tmp" + std::to_string(processId()) + "-" + std::to_string(counter++);
}

// How the earlier file of the first of two outputs is kept while both take
// their places: as a second name where the file system has them, else
// moved aside.
enum class Kept { kNothing, kLinked, kMoved };

}  // namespace

Status checkReplaceable(const std::string& folder, const std::string& name) {
  struct stat info;
  if (stat(pathIn(folder, name).c_str(), &info) != 0) return Status::success();
  if (S_ISDIR(info.st_mode)) {
    return Status::failure(name + ": is a folder; the file cannot be written");
  }
  // The mode, not access(): root may write anywhere, but a file that its
  // owner made read-only is kept, as Windows keeps it.
  if ((info.st_mode & 0222) == 0) {
    return Status::failure(name + ": is read-only; the file cannot be replaced");
  }
  return Status::success();
}

OutputFile::~OutputFile() {
  discard();
}

Status OutputFile::open(const std::string& folder, const std::string& name, FileMode mode) {
  discard();
  name_ = name;
  finalPath_ = pathIn(folder, name);
  translating_ = kTextLineEndIsCrLf && mode == FileMode::kText;
  errno_ = 0;
  used_ = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath_ = temporaryPathFor(finalPath_);
    fd_ = createNewFile(tempPath_);
    if (fd_ >= 0) break;
    if (errno != EEXIST) {
      int error = errno;
      tempPath_.clear();
      return Status::failure(name + ": cannot create: " + std::strerror(error));
    }
  }
  if (fd_ < 0) {
    tempPath_.clear();
    return Status::failure(name + ": cannot create a temporary file beside it");
  }
  tempSlot_ = rememberTemporaryFile(tempPath_);
  keepPermissionsOf(finalPath_, fd_);
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
  if (fd_ >= 0) writeOut(buffer_.data(), used_);
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
  // Large pieces go straight to the file: a copy into the buffer would gain
  // nothing, and one larger than the buffer would not fit.
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
  return Status::failure(name_ + ": cannot write: " + std::strerror(errno_));
}

Status OutputFile::finish() {
  if (fd_ < 0) return Status::failure(name_ + ": was not opened");
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
  if (tempPath_.empty() || fd_ >= 0) return Status::failure(name_ + ": was not finished");
  if (int error = replaceFile(tempPath_, finalPath_); error != 0) {
    discard();
    return Status::failure(name_ + ": cannot replace: " + std::strerror(error));
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

Status commitTogether(OutputFile& first, OutputFile& second) {
  std::string keptPath = temporaryPathFor(first.finalPath_);
  Kept kept = Kept::kLinked;
  if (int error = linkFile(first.finalPath_, keptPath); error == ENOENT) {
    kept = Kept::kNothing;
  } else if (error != 0) {
    if (int moveError = replaceFile(first.finalPath_, keptPath); moveError != 0) {
      return Status::failure(first.name_ +
                             ": cannot keep the earlier file aside: " + std::strerror(moveError));
    }
    kept = Kept::kMoved;
  }
  // Puts the earlier file back; where that fails, the message says where it is.
  auto putBack = [&](Status failure) {
    if (replaceFile(keptPath, first.finalPath_) != 0) {
      failure.error += "; the earlier " + first.name_ + " is kept as " + first.name_ +
                       keptPath.substr(first.finalPath_.size());
    }
    return failure;
  };
  Status status = first.commit();
  if (!status.ok()) {
    // The earlier file is still in its place, or aside.
    if (kept == Kept::kLinked) std::remove(keptPath.c_str());
    return kept == Kept::kMoved ? putBack(status) : status;
  }
  status = second.commit();
  if (!status.ok()) {
    if (kept == Kept::kNothing) std::remove(first.finalPath_.c_str());
    return kept == Kept::kNothing ? status : putBack(status);
  }
  if (kept != Kept::kNothing) std::remove(keptPath.c_str());
  return Status::success();
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
