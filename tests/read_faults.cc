#include "read_faults.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace mapjass::testing {
namespace {

int readsToFault = 0;  // 0: disarmed
ReadFault armedFault = ReadFault::kError;
bool faultHappened = false;

}  // namespace

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
