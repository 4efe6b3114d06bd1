// An output file that appears under its final name only when it is complete.
//
// The bytes go to a temporary file in the same folder; commit() flushes and
// closes it, checking every step, and renames it over the final name. A file
// that is never committed is removed, so a failed job leaves the earlier file
// of that name exactly as it was and no temporary file behind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace mapjass {

// Scripts are text: on Windows their line ends become CR LF. Data files are
// written byte for byte everywhere.
enum class FileMode { kBinary, kText };

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Creates the temporary file for `finalPath`.
  Status open(const std::string& finalPath, FileMode mode);

  // Buffered; the first failure is kept and reported by commit().
  void write(const void* data, size_t size);
  void write(std::string_view text) { write(text.data(), text.size()); }

  // Room for up to `size` bytes (at most 256 KiB) to be written in place
  // and then counted with advance(): it saves a copy for each of the many
  // short lines of a script.
  char* reserve(size_t size) {
    if (!translating_ && used_ + size <= buffer_.size()) return buffer_.data() + used_;
    return reserveSlowly(size);
  }
  void advance(size_t used) {
    if (!translating_ && fd_ >= 0 && errno_ == 0) {
      used_ += used;
    } else {
      advanceSlowly(used);
    }
  }

  // Flushes and closes the temporary file (the step that finds a full disk).
  Status finish();
  // Renames the finished file over the final name.
  Status commit();
  // Both, in one step.
  Status finishAndCommit();

  // Removes the temporary file; an uncommitted file is discarded anyway when
  // it goes out of scope.
  void discard();

 private:
  char* reserveSlowly(size_t size);
  void advanceSlowly(size_t used);
  void makeRoom(size_t size);
  void flushBuffer();
  void writeOut(const char* data, size_t size);
  Status writeFailure() const;

  std::string finalPath_;
  std::string tempPath_;
  bool translating_ = false;  // "\n" becomes CR LF
  int fd_ = -1;
  int tempSlot_ = -1;  // in the list of temporary files that a signal removes
  std::vector<char> buffer_;
  std::vector<char> scratch_;  // what reserve() hands out when line ends are translated
  size_t used_ = 0;
  int errno_ = 0;  // first write error, 0 while all is well
};

// Makes an interrupted run (Ctrl-C, a terminal that closes, a kill) remove
// the temporary files it has open before it ends. Called once by main.
void removeTemporaryFilesOnSignals();

// True when `path` names an existing folder: an output file can never be put
// there, so a job checks this before it writes anything.
bool isFolder(const std::string& path);
Status checkNotFolder(const std::string& path);

}  // namespace mapjass
