#include "base/folder_lock.h"

#include <cerrno>
#include <cstdio>

#include "base/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace mapjass {

namespace {

std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string waitMessage(const std::string& name) {
  return name + ": another run is writing files in this folder; waiting until it has finished";
}

}  // namespace

#ifdef _WIN32

// A named mutex whose name is the folder's identity: its volume and file
// index, the same whichever path leads to it. The system lets a mutex go
// when the process that owns it ends.
void FolderLock::lock(const std::string& path, const std::string& name, const WarningSink& warn) {
  HANDLE folder = CreateFileW(wide(folderOf(path)).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return;
  BY_HANDLE_FILE_INFORMATION info;
  bool known = GetFileInformationByHandle(folder, &info) != 0;
  CloseHandle(folder);
  if (!known) return;
  wchar_t mutexName[96];
  swprintf(mutexName, 96, L"Local\\mapjass-folder-%08lx-%08lx%08lx",
           static_cast<unsigned long>(info.dwVolumeSerialNumber),
           static_cast<unsigned long>(info.nFileIndexHigh),
           static_cast<unsigned long>(info.nFileIndexLow));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName);
  if (mutex == nullptr) return;
  if (WaitForSingleObject(mutex, 0) == WAIT_TIMEOUT) {
    warn(waitMessage(name));
    if (WaitForSingleObject(mutex, INFINITE) == WAIT_FAILED) {
      CloseHandle(mutex);
      return;
    }
  }
  mutex_ = mutex;
}

FolderLock::~FolderLock() {
  if (mutex_ == nullptr) return;
  ReleaseMutex(static_cast<HANDLE>(mutex_));
  CloseHandle(static_cast<HANDLE>(mutex_));
}

#else

// flock() on the folder itself: it needs no file in it, and the system lets
// it go when the process ends, however it ends.
void FolderLock::lock(const std::string& path, const std::string& name, const WarningSink& warn) {
  int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) {
      ::close(fd);
      return;
    }
    warn(waitMessage(name));
    // An interrupt during the wait ends the run as anywhere else.
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
      ::close(fd);
      return;
    }
  }
  fd_ = fd;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

#endif

}  // namespace mapjass
