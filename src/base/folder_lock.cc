#include "base/folder_lock.h"

#include <cerrno>

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

std::string waitMessage(const std::string& name) {
  return name + ": another run is writing files in this folder; waiting until it has finished";
}

}  // namespace

#ifdef _WIN32

// A named mutex whose name is the folder's identity, the same whichever
// path leads to it. The system lets a mutex go when the process that owns it
// ends.
bool FolderLock::lock(const std::string& path, const std::string& name, const WarningSink& warn) {
  std::string identity = fileIdentity(folderOf(path));
  if (identity.empty()) return false;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wide("Local\\mapjass-folder-" + identity).c_str());
  if (mutex == nullptr) return false;
  if (WaitForSingleObject(mutex, 0) == WAIT_TIMEOUT) {
    warn(waitMessage(name));
    if (WaitForSingleObject(mutex, INFINITE) == WAIT_FAILED) {
      CloseHandle(mutex);
      return false;
    }
  }
  mutex_ = mutex;
  return true;
}

FolderLock::~FolderLock() {
  if (mutex_ == nullptr) return;
  ReleaseMutex(static_cast<HANDLE>(mutex_));
  CloseHandle(static_cast<HANDLE>(mutex_));
}

#else

// flock() on the folder itself: it needs no file in it, and the system lets
// it go when the process ends, however it ends.
bool FolderLock::lock(const std::string& path, const std::string& name, const WarningSink& warn) {
  int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) {
      ::close(fd);
      return false;
    }
    warn(waitMessage(name));
    // An interrupt during the wait ends the run as anywhere else.
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
      ::close(fd);
      return false;
    }
  }
  fd_ = fd;
  return true;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

#endif

}  // namespace mapjass
