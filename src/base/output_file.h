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

  // Creates the temporary file for `name` in `folder`, with the permission
  // bits of the file it is to replace. Messages name the file by `name`.
  Status open(const std::string& folder, const std::string& name, FileMode mode);

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

 private:
  friend Status commitTogether(OutputFile& first, OutputFile& second);

  // Removes the temporary file: what happens to a file that was not
  // committed when it goes out of scope, or is opened again.
  void discard();

  char* reserveSlowly(size_t size);
  void advanceSlowly(size_t used);
  void makeRoom(size_t size);
  void flushBuffer();
  void writeOut(const char* data, size_t size);
  Status writeFailure() const;

  std::string name_;
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

// Puts two finished files in place, or neither: the earlier `first` is kept
// aside until `second` has taken its place too, and put back when it could
// not.
Status commitTogether(OutputFile& first, OutputFile& second);

// Whether a new file can take the place of what has `name` in `folder`: not
// when that is a folder or a read-only file (whoever runs the tool). Jobs
// check each of their outputs before they write anything, so that such a
// name leaves every file as it was.
Status checkReplaceable(const std::string& folder, const std::string& name);

}  // namespace mapjass
