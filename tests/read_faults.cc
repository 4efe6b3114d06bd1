#include "read_faults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <string>

namespace mapjass::testing {
namespace {

int readsToFault = 0;  // 0: disarmed
ReadFault armedFault = ReadFault::kError;
bool faultHappened = false;
std::string openFaultName;
int openFaultError = 0;
bool exchangeFault = false;

}  // namespace

void armExchangeFault(bool armed) {
  exchangeFault = armed;
}

void armOpenFault(const char* name, int error) {
  openFaultName = name;
  openFaultError = error;
}

void armReadFault(ReadFault fault, int n) {
  armedFault = fault;
  readsToFault = n;
  faultHappened = false;
}

bool disarmReadFault() {
  readsToFault = 0;
  return faultHappened;
}

}  // namespace mapjass::testing

using namespace mapjass::testing;

// Standard input and pipes are left alone: only the reads of files count.
extern "C" ssize_t read(int fd, void* data, size_t size) {
  using Read = ssize_t (*)(int, void*, size_t);
  static const Read next = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
  struct stat info;
  if (readsToFault > 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && --readsToFault == 0) {
    faultHappened = true;
    if (armedFault == ReadFault::kError) {
      errno = EIO;
      return -1;
    }
    // The descriptor is read-only; the file is cut through its name.
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (truncate(path.c_str(), lseek(fd, 0, SEEK_CUR)) != 0) return -1;
  }
  return next(fd, data, size);
}

extern "C" int open(const char* path, int flags, ...) {
  using Open = int (*)(const char*, int, ...);
  static const Open next = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "open"));
  std::string_view opened = path;
  if (openFaultError != 0 && opened.ends_with(openFaultName)) {
    errno = openFaultError;
    return -1;
  }
  va_list more;
  va_start(more, flags);
  int mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(more, int) : 0;
  va_end(more);
  return next(path, flags, mode);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned flags) {
  using Rename = int (*)(int, const char*, int, const char*, unsigned);
  static const Rename next = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "renameat2"));
  if (exchangeFault) {
    errno = EINVAL;
    return -1;
  }
  return next(fromFolder, from, toFolder, to, flags);
}
