#include "base/output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/file_tree.h"
#include "base/platform.h"
#include "base/signals.h"

namespace mapjass {

namespace {

// Big writes keep the system calls few: a script is written in pieces of a
// quarter mebibyte. The buffer starts small, so that small files cost little.
constexpr size_t kBufferSize = 1 << 18;
constexpr size_t kFirstBufferSize = 1 << 16;

// A name beside `finalPath` that no other file has: the process id keeps
// two runs apart, the counter two files of one run. New files are made as
// ".tmp" names and earlier files kept aside as ".kept" names, so that what a
// killed run left can be told apart: the one is removed, the other put back.
constexpr char kNewSuffix[] = ".tmp";
constexpr char kKeptSuffix[] = ".kept";

std::string uniquePathFor(const std::string& finalPath, const char* suffix) {
  static unsigned counter = 0;
  return finalPath + suffix + std::to_string(processId()) + "-" + std::to_string(counter++);
}

// Whether `entry`, in the folder of output `base`, is a name that
// uniquePathFor() gives it with `suffix`: the suffix, digits, "-", digits.
bool isUniqueNameOf(std::string_view entry, const std::string& base, std::string_view suffix) {
  if (!entry.starts_with(base) || !entry.substr(base.size()).starts_with(suffix)) return false;
  std::string_view rest = entry.substr(base.size() + suffix.size());
  size_t dash = rest.find('-');
  auto digits = [](std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
  };
  return dash != std::string_view::npos && digits(rest.substr(0, dash)) &&
         digits(rest.substr(dash + 1));
}

// How the earlier file at an output's name is kept while the outputs of a
// job take their places: as a second name where the file system has them,
// else moved aside.
enum class Kept { kNothing, kLinked, kMoved };

struct Earlier {
  Kept kept = Kept::kNothing;
  std::string path;  // where it is kept
  RemovalSlot slot;  // in the list of names that an interrupt removes
};

// Why what stands at an output's name cannot be replaced, if it cannot.
Status checkState(const std::string& name, FileState state) {
  switch (state.kind) {
    case FileKind::kFolder:
      return Status::failure(name + ": is a folder; the file cannot be written");
    case FileKind::kOther:
      return Status::failure(name + ": is not a plain file; the file cannot be written");
    default:
      break;
  }
  if (state.readOnly) return Status::failure(name + ": is read-only; the file cannot be replaced");
  return Status::success();
}

}  // namespace

std::string temporaryPathFor(const std::string& finalPath) {
  return uniquePathFor(finalPath, kNewSuffix);
}

std::string keptPathFor(const std::string& finalPath) {
  return uniquePathFor(finalPath, kKeptSuffix);
}

// On Windows a file that another program holds open cannot be replaced;
// finding it before anything moves leaves no file behind.
Status checkNotHeldOpen(const std::string& name, const std::string& path) {
  if (!isHeldOpen(path)) return Status::success();
  return Status::failure(name +
                         ": is open in another program, so it cannot be replaced; close it there "
                         "(the game, when it is testing the map), then run again");
}

bool copyToEnd(ByteReader& in, OutputFile& file) {
  while (in.remaining() > 0) {
    size_t piece = static_cast<size_t>(std::min<uint64_t>(in.remaining(), ByteReader::kMaxPiece));
    const uint8_t* p = in.take(piece);
    if (p == nullptr) return false;
    file.write(p, piece);
  }
  return true;
}

Status checkReplaceable(const std::string& folder, const std::string& name) {
  std::string path = pathIn(folder, name);
  if (Status state = checkState(name, fileStateAt(path, true)); !state.ok()) return state;
  return checkNotHeldOpen(name, path);
}

void removeLeftovers(const std::string& folder, const std::string& name, const WarningSink& warn) {
  const std::string path = pathIn(folder, name);
  const std::string base = fileNameOf(path);
  std::vector<std::string> entries;
  if (!folderEntries(folderOf(path), entries)) return;
  std::sort(entries.begin(), entries.end());  // the warnings in one order
  for (const std::string& entry : entries) {
    bool isNew = isUniqueNameOf(entry, base, kNewSuffix);
    if (!isNew && !isUniqueNameOf(entry, base, kKeptSuffix)) continue;
    const std::string leftover = path + entry.substr(base.size());
    const std::string shown = name + entry.substr(base.size());
    // Files, links and folders (a map saved as a folder is written as a
    // folder); nothing else is a run's.
    if (fileStateAt(leftover, false).kind == FileKind::kOther) continue;
    // An earlier file whose output is gone was kept aside by a run killed
    // between its renames: it is the only copy, and goes back.
    if (!isNew && fileStateAt(path, false).kind == FileKind::kNothing) {
      if (int error = replaceFile(leftover, path); error != 0) {
        warn(shown + ": an earlier " + name + " that a stopped run kept aside; it could not be " +
             "put back (" + std::strerror(error) + "): rename it to " + name);
      } else {
        warn(name + ": put back from " + shown + ", where a stopped run had kept it aside");
      }
      continue;
    }
    if (int error = removeTree(leftover); error != 0) {
      warn(shown + ": left by a stopped run, and could not be removed (" + std::strerror(error) +
           "); delete it");
    } else {
      warn(shown + ": left by a stopped run; removed");
    }
  }
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
  // Made and registered with interrupts waiting, so that none can come
  // between and leave the file behind.
  InterruptsHeld held;
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
  if (!tempSlot_.take(tempPath_)) {
    discard();
    return Status::failure(name +
                           ": cannot create a temporary file beside it: its path is too long, or "
                           "too many are open");
  }
  keepPermissionsOf(finalPath_, fd_);
  buffer_.resize(kFirstBufferSize);
  return Status::success();
}

void OutputFile::writeOut(const char* data, size_t size, int64_t offset) {
  while (size > 0 && errno_ == 0) {
    long written = offset < 0 ? writeToFile(fd_, data, size)
                              : writeToFileAt(fd_, static_cast<uint64_t>(offset), data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      errno_ = errno;
    } else if (written == 0) {
      errno_ = ENOSPC;
    } else {
      data += written;
      size -= static_cast<size_t>(written);
      if (offset >= 0) offset += written;
    }
  }
}

void OutputFile::writeAt(uint64_t offset, const void* data, size_t size) {
  if (fd_ < 0 || errno_ != 0) return;
  flushBuffer();
  writeOut(static_cast<const char*>(data), size, static_cast<int64_t>(offset));
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

namespace {

// Keeps what stands at the output's name aside, if anything does. It is
// checked again as at the start of the job, a symbolic link's target
// included: what appeared meanwhile gets no other rule than what was there.
Status keepAside(const std::string& name, const std::string& path, Earlier& earlier) {
  if (Status replaceable = checkState(name, fileStateAt(path, true)); !replaceable.ok()) {
    return replaceable;
  }
  FileState state = fileStateAt(path, false);
  if (state.kind == FileKind::kNothing) return Status::success();
  if (Status replaceable = checkState(name, state); !replaceable.ok()) return replaceable;
  if (Status held = checkNotHeldOpen(name, path); !held.ok()) return held;
  earlier.path = keptPathFor(path);
  if (!earlier.slot.take(earlier.path)) {
    return Status::failure(name +
                           ": cannot keep the earlier file aside: its path is too long, or too "
                           "many files are kept");
  }
  int error = linkFile(path, earlier.path);
  if (error == 0 || error == ENOENT) {
    earlier.kept = error == 0 ? Kept::kLinked : Kept::kNothing;
    return Status::success();
  }
  if (error = replaceFile(path, earlier.path); error != 0) {
    earlier.slot.release();
    return Status::failure(name + ": cannot keep the earlier file aside: " + std::strerror(error));
  }
  earlier.kept = Kept::kMoved;
  // What was moved may have become a folder since it was looked at (no hard
  // link can be made to one): then it goes back, and stays as it is.
  state = fileStateAt(earlier.path, false);
  if (state.kind != FileKind::kFile && state.kind != FileKind::kLink) {
    replaceFile(earlier.path, path);
    earlier.slot.release();
    earlier.kept = Kept::kNothing;
    return checkState(name, state);
  }
  return Status::success();
}

// The name that the earlier file of output `name` (at `finalPath`) is kept
// under, as the user sees it.
std::string keptName(const std::string& name, const std::string& finalPath,
                     const Earlier& earlier) {
  return name + earlier.path.substr(finalPath.size());
}

// Puts the earlier file back at the output's name, where the new one stands
// when `replaced`. Says, after `failure`, what the file system refused: an
// earlier file that stays where it was kept, a new one that stays at the
// name, or a second name of the earlier file that stays beside it.
void putBack(const std::string& name, const std::string& path, Earlier& earlier, bool replaced,
             Status& failure) {
  int error = 0;
  if (earlier.kept == Kept::kNothing) {
    if (replaced && (error = removeFile(path)) != 0) {
      failure.error += "; the new " + name + " could not be removed: " + std::strerror(error);
    }
  } else if (earlier.kept == Kept::kLinked && !replaced) {
    if ((error = removeFile(earlier.path)) != 0) {
      failure.error += "; " + keptName(name, path, earlier) + ", a second name of the earlier " +
                       name + ", could not be removed: " + std::strerror(error);
    }
  } else if ((error = replaceFile(earlier.path, path)) != 0) {
    failure.error += "; the earlier " + name + " is kept as " + keptName(name, path, earlier) +
                     ", as it could not be put back: " + std::strerror(error);
  }
  // Kept for good when it could not be put back: no interrupt may remove it.
  earlier.slot.release();
}

}  // namespace

Status commitOutputs(const std::vector<OutputFile*>& outputs, const WarningSink& warn,
                     const std::function<void()>& afterRename) {
  std::vector<OutputFile*> files;
  for (OutputFile* file : outputs) {
    if (file->tempPath_.empty()) continue;
    if (file->fd_ >= 0) {
      if (Status finished = file->finish(); !finished.ok()) return finished;
    }
    files.push_back(file);
  }
  InterruptsHeld held;
  std::vector<Earlier> earlier(files.size());
  // Every output before `kept` has its earlier file aside, and every one
  // before `renamed` has taken its place.
  auto undo = [&](size_t kept, size_t renamed, Status failure) {
    for (size_t i = 0; i < kept; ++i) {
      putBack(files[i]->name_, files[i]->finalPath_, earlier[i], i < renamed, failure);
    }
    return failure;
  };
  for (size_t i = 0; i < files.size(); ++i) {
    Status kept = keepAside(files[i]->name_, files[i]->finalPath_, earlier[i]);
    if (!kept.ok()) return undo(i, 0, kept);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    OutputFile& file = *files[i];
    if (int error = replaceFile(file.tempPath_, file.finalPath_); error != 0) {
      return undo(files.size(), i,
                  Status::failure(file.name_ + ": cannot replace: " + std::strerror(error)));
    }
    if (afterRename) afterRename();
  }
  for (size_t i = 0; i < files.size(); ++i) {
    OutputFile& file = *files[i];
    if (earlier[i].kept != Kept::kNothing) {
      if (int error = removeFile(earlier[i].path); error != 0) {
        warn(file.name_ + ": the earlier file stays beside it as " +
             keptName(file.name_, file.finalPath_, earlier[i]) + ", as it could not be removed (" +
             std::strerror(error) + "); delete it");
      }
    }
    earlier[i].slot.release();
    file.tempPath_.clear();
    file.discard();
  }
  return Status::success();
}

void OutputFile::discard() {
  if (fd_ >= 0) {
    closeFile(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    removeFile(tempPath_);
    tempPath_.clear();
  }
  tempSlot_.release();
  used_ = 0;
}

}  // namespace mapjass
