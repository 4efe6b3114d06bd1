#include "base/temporary_files.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include "base/platform.h"

namespace mapjass {

namespace {

// A signal handler may neither allocate nor lock, so the list is fixed
// storage that the handler only reads. That is safe because the program has
// one thread: every file is remembered and forgotten on it, and a slot is
// marked in use only once its path is complete.
constexpr int kMaxTemporaryFiles = 8;
constexpr size_t kMaxTemporaryPath = 1024;
char temporaryPaths[kMaxTemporaryFiles][kMaxTemporaryPath];
std::atomic<bool> temporaryInUse[kMaxTemporaryFiles];

void removeTemporaryFilesAndEnd(int signal) {
  for (int slot = 0; slot < kMaxTemporaryFiles; ++slot) {
    if (temporaryInUse[slot].load()) removeFileInHandler(temporaryPaths[slot]);
  }
  restoreTerminalInHandler();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

int rememberTemporaryFile(const std::string& path) {
  if (path.size() >= kMaxTemporaryPath) return -1;
  for (int slot = 0; slot < kMaxTemporaryFiles; ++slot) {
    if (temporaryInUse[slot].load()) continue;
    std::memcpy(temporaryPaths[slot], path.c_str(), path.size() + 1);
    temporaryInUse[slot].store(true);
    return slot;
  }
  return -1;
}

void forgetTemporaryFile(int slot) {
  if (slot >= 0) temporaryInUse[slot].store(false);
}

void cleanUpOnInterrupt() {
  onInterrupt(removeTemporaryFilesAndEnd);
}

}  // namespace mapjass
