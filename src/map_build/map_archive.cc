#include "map_build/map_archive.h"

#include <algorithm>

// The library is built with wide-character paths on Windows, and its
// header must see the same choice.
#ifdef _WIN32
#define UNICODE
#define _UNICODE
#endif
#include <StormLib.h>

#include "base/platform.h"
#include "map_build/archive_header.h"

namespace mapjass {

namespace {

DWORD lastError() {
  return SErrGetLastError();
}

std::string describe(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return "not found";
    case ERROR_ACCESS_DENIED:
      return "access denied";
    case ERROR_BAD_FORMAT:
      return "not an MPQ archive";
    case ERROR_FAKE_MPQ_HEADER:
      return "its archive header points past the end of the file";
    case ERROR_FILE_CORRUPT:
      return "damaged data";
    case ERROR_DISK_FULL:
      return "no space left on the disk";
    default:
      return "error " + std::to_string(error);
  }
}

#ifdef _WIN32
std::wstring libraryPath(const std::string& path) {
  return wide(path);
}
#else
const std::string& libraryPath(const std::string& path) {
  return path;
}
#endif

template <typename T>
T archiveInfo(HANDLE archive, SFileInfoClass what, T otherwise) {
  T value{};
  DWORD needed = 0;
  return SFileGetFileInfo(archive, what, &value, sizeof value, &needed) ? value : otherwise;
}

}  // namespace

MapArchive::~MapArchive() {
  if (handle_ != nullptr) SFileCloseArchive(handle_);
}

Status MapArchive::failure(const std::string& what) const {
  return Status::failure(name_ + ": " + what + ": " + describe(lastError()));
}

Status MapArchive::openForReading(const std::string& path, const std::string& name) {
  name_ = name;
  if (Status checked = checkArchiveHeader(path, name); !checked.ok()) return checked;
  HANDLE archive = nullptr;
  if (!SFileOpenArchive(libraryPath(path).c_str(), 0, STREAM_FLAG_READ_ONLY, &archive)) {
    return Status::failure(failure("is not a map archive that can be read").error + kNotAMapAdvice);
  }
  handle_ = archive;
  return Status::success();
}

Status MapArchive::openForWriting(const std::string& path, const std::string& name) {
  name_ = name;
  // Checked again: the copy's name is no map's, and the library may take
  // the same bytes for another kind of archive under it.
  if (Status checked = checkArchiveHeader(path, name); !checked.ok()) return checked;
  HANDLE archive = nullptr;
  if (!SFileOpenArchive(libraryPath(path).c_str(), 0, 0, &archive)) {
    return failure("cannot be opened for writing");
  }
  handle_ = archive;
  if ((archiveInfo<DWORD>(archive, SFileMpqFlags, MPQ_FLAG_READ_ONLY) & MPQ_FLAG_READ_ONLY) != 0) {
    return Status::failure(name_ + kProtectedMap);
  }
  return Status::success();
}

const char* MapArchive::readFailureAdvice() const {
  return kDamagedMapAdvice;
}

bool MapArchive::has(const std::string& file) const {
  return SFileHasFile(handle_, file.c_str());
}

namespace {

Status tooLarge(const std::string& name, const std::string& file, uint64_t size) {
  return Status::failure(name + ": " + file + " states " + std::to_string(size) +
                         " bytes, more than the " + std::to_string(kMaxFileSize >> 20) +
                         " MB that a map can hold");
}

}  // namespace

MapArchive::Reader::~Reader() {
  if (handle_ != nullptr) SFileCloseFile(handle_);
}

Status MapArchive::Reader::open(const MapArchive& archive, const std::string& file) {
  archive_ = &archive;
  file_ = file;
  HANDLE handle = nullptr;
  if (!SFileOpenFileEx(archive.handle_, file.c_str(), SFILE_OPEN_FROM_MPQ, &handle)) {
    return archive.failure(file + " cannot be read");
  }
  handle_ = handle;
  DWORD high = 0;
  DWORD low = SFileGetFileSize(handle, &high);
  if (low == SFILE_INVALID_SIZE) return archive.failure(file + " cannot be read");
  size_ = (static_cast<uint64_t>(high) << 32) | low;
  return size_ > kMaxFileSize ? tooLarge(archive.name_, file, size_) : Status::success();
}

Status MapArchive::Reader::read(size_t n, std::string& bytes) {
  bytes.assign(static_cast<size_t>(std::min<uint64_t>(n, size_ - at_)), '\0');
  DWORD got = 0;
  if (!bytes.empty() &&
      (!SFileReadFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
       got != bytes.size())) {
    return archive_->failure(file_ + " cannot be read");
  }
  at_ += bytes.size();
  return Status::success();
}

Status MapArchive::read(const std::string& file, std::string& bytes) const {
  Reader reader;
  if (Status opened = reader.open(*this, file); !opened.ok()) return opened;
  // A piece at a time: a file may state far more than its archive holds,
  // and memory then grows only with what it does hold.
  bytes.clear();
  for (std::string piece; bytes.size() < reader.size(); bytes += piece) {
    if (Status read = reader.read(1 << 20, piece); !read.ok()) return read;
  }
  return Status::success();
}

Status MapArchive::checkStatedSizes() const {
  SFILE_FIND_DATA found;
  HANDLE search = SFileFindFirstFile(handle_, "*", &found, nullptr);
  if (search == nullptr) return Status::success();
  Status status;
  uint64_t total = 0;
  do {
    total += found.dwFileSize;
    if (found.dwFileSize > kMaxFileSize)
      status = tooLarge(name_, found.cFileName, found.dwFileSize);
  } while (status.ok() && SFileFindNextFile(search, &found));
  SFileFindClose(search);
  if (status.ok() && total > kMaxTotalSize) {
    status = Status::failure(name_ + ": its files state " + std::to_string(total) +
                             " bytes in all, more than the " + std::to_string(kMaxTotalSize >> 20) +
                             " MB that a map can hold");
  }
  return status;
}

void MapArchive::learnName(const std::string& file) const {
  HANDLE handle = nullptr;
  if (SFileOpenFileEx(handle_, file.c_str(), SFILE_OPEN_FROM_MPQ, &handle)) SFileCloseFile(handle);
}

std::vector<std::string> MapArchive::fileNames() const {
  std::vector<std::string> names;
  SFILE_FIND_DATA found;
  HANDLE search = SFileFindFirstFile(handle_, "*", &found, nullptr);
  if (search == nullptr) return names;
  do {
    names.push_back(found.cFileName);
  } while (SFileFindNextFile(search, &found));
  SFileFindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

uint64_t MapArchive::headerOffset() const {
  return archiveInfo<ULONGLONG>(handle_, SFileMpqHeaderOffset, 0);
}

bool MapArchive::isProtected() const {
  return (archiveInfo<DWORD>(handle_, SFileMpqFlags, 0) & MPQ_FLAG_MALFORMED) != 0;
}

bool MapArchive::isDamaged(const std::string& file) const {
  return (SFileVerifyFile(handle_, file.c_str(), SFILE_VERIFY_ALL) & VERIFY_FILE_ERROR_MASK) != 0;
}

Status MapArchive::replace(const std::string& file, const std::string& bytes) {
  // Opened by its name first: the library aborts the process when it
  // replaces a file whose name it has not learned yet (a map without a
  // list of its names).
  HANDLE handle = nullptr;
  if (!SFileOpenFileEx(handle_, file.c_str(), SFILE_OPEN_FROM_MPQ, &handle)) {
    return failure(file + " cannot be replaced");
  }
  SFileCloseFile(handle);
  DWORD size = static_cast<DWORD>(bytes.size());
  if (!SFileCreateFile(handle_, file.c_str(), 0, size, 0,
                       MPQ_FILE_COMPRESS | MPQ_FILE_REPLACEEXISTING, &handle)) {
    return failure(file + " cannot be replaced");
  }
  bool written = SFileWriteFile(handle, bytes.data(), size, MPQ_COMPRESSION_ZLIB);
  bool finished = SFileFinishFile(handle);
  return written && finished ? Status::success() : failure(file + " cannot be written");
}

Status MapArchive::close() {
  HANDLE archive = handle_;
  handle_ = nullptr;
  return SFileCloseArchive(archive) ? Status::success() : failure("cannot be written");
}

std::string mapArchiveLibrary() {
  return "StormLib " STORMLIB_VERSION_STRING;
}

}  // namespace mapjass
