#include "test_archive.h"

#include <StormLib.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "test_support.h"

namespace mapjass::testing {

Bytes archiveBytes(const TestArchive& archive) {
  char path[] = "/tmp/mapjass-archive-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  close(fd);
  std::remove(path);
  HANDLE handle = nullptr;
  SFILE_CREATE_MPQ create{};
  create.cbSize = sizeof create;
  create.dwMpqVersion = MPQ_FORMAT_VERSION_1;
  create.dwSectorSize = 0x1000;
  // Without a list, as small a table as the files need, as real maps have
  // it: full, with four files.
  create.dwMaxFileCount = static_cast<DWORD>(archive.files.size() + (archive.listfile ? 2 : 0));
  if (archive.listfile) {
    create.dwFileFlags1 = create.dwFileFlags2 = MPQ_FILE_DEFAULT_INTERNAL;
    create.dwAttrFlags = MPQ_ATTRIBUTE_CRC32;
  }
  if (!SFileCreateArchive2(path, &create, &handle)) {
    throw std::runtime_error("SFileCreateArchive2 failed");
  }
  for (const auto& [name, bytes] : archive.files) {
    HANDLE file = nullptr;
    DWORD size = static_cast<DWORD>(bytes.size());
    if (!SFileCreateFile(handle, name.c_str(), 0, size, 0, MPQ_FILE_COMPRESS, &file) ||
        !SFileWriteFile(file, bytes.data(), size, MPQ_COMPRESSION_ZLIB) || !SFileFinishFile(file)) {
      throw std::runtime_error("cannot add " + name);
    }
  }
  SFileCloseArchive(handle);
  Bytes header(archive.headerSize, '\0');
  if (!header.empty()) header.replace(0, 4, "HM3W");
  for (size_t i = 8; i < header.size(); ++i) header[i] = static_cast<char>(i * 7);
  Bytes result = header + readFile(path);
  std::remove(path);
  return result;
}

std::vector<std::pair<std::string, Bytes>> archiveFiles(const std::string& path,
                                                        const std::vector<std::string>& names) {
  std::vector<std::pair<std::string, Bytes>> files;
  HANDLE handle = nullptr;
  if (!SFileOpenArchive(path.c_str(), 0, STREAM_FLAG_READ_ONLY, &handle)) return files;
  for (const std::string& name : names) {
    HANDLE file = nullptr;
    Bytes bytes = "<unreadable>";
    if (SFileOpenFileEx(handle, name.c_str(), SFILE_OPEN_FROM_MPQ, &file)) {
      DWORD size = SFileGetFileSize(file, nullptr), got = 0;
      bytes.assign(size, '\0');
      if (!SFileReadFile(file, bytes.data(), size, &got, nullptr) || got != size) {
        bytes = "<unreadable>";
      }
      SFileCloseFile(file);
    }
    files.emplace_back(name, bytes);
  }
  SFileCloseArchive(handle);
  return files;
}

}  // namespace mapjass::testing
