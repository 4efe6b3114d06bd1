// Keeps two runs from writing in one folder at the same time.
//
// A job holds the folder from its first temporary file to its last rename.
// Without this, a run whose job fails could put earlier files back over what
// another run had just written, or find a file moved away that it was about
// to keep aside. The lock is the folder itself (a named mutex on Windows),
// never a file in it, so nothing is left behind when a process is killed:
// the system gives the lock up with the process.
#pragma once

#include <string>

#include "base/status.h"
#include "base/warning_sink.h"

namespace mapjass {

class FolderLock {
 public:
  FolderLock() = default;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

  // Takes the folder of `path` (a file's path, relative to the current
  // folder or absolute). When another run holds it, says so through `warn`,
  // naming `name`, and waits until that run lets it go. A folder that cannot
  // be locked (a file system without locks) is written without: then it is
  // false, and no other run can be ruled out.
  bool lock(const std::string& path, const std::string& name, const WarningSink& warn);

 private:
#ifdef _WIN32
  void* mutex_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace mapjass
