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
  HANDLE archive = nullptr;
  if (!SFileOpenArchive(libraryPath(path).c_str(), 0, STREAM_FLAG_READ_ONLY, &archive)) {
    return failure("is not a map archive that can be read");
  }
  handle_ = archive;
  return Status::success();
}

Status MapArchive::openForWriting(const std::string& path, const std::string& name) {
  name_ = name;
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

bool MapArchive::has(const std::string& file) const {
  return SFileHasFile(handle_, file.c_str());
}

Status MapArchive::read(const std::string& file, std::string& bytes) const {
  HANDLE handle = nullptr;
  if (!SFileOpenFileEx(handle_, file.c_str(), SFILE_OPEN_FROM_MPQ, &handle)) {
    return failure(file + " cannot be read");
  }
  DWORD high = 0;
  DWORD size = SFileGetFileSize(handle, &high);
  bool read = size != SFILE_INVALID_SIZE && high == 0;
  DWORD got = 0;
  if (read) {
    bytes.assign(size, '\0');
    read = size == 0 || (SFileReadFile(handle, bytes.data(), size, &got, nullptr) && got == size);
  }
  Status status = read ? Status::success() : failure(file + " cannot be read");
  SFileCloseFile(handle);
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
