// An output file that appears under its final name only when it is complete.
//
// The bytes go to a temporary file in the same folder. finish() flushes and
// closes it, checking every step, and commitOutputs() renames the finished
// files of a job over their final names, all of them or none. A file that is
// never committed is removed, so a failed job leaves every earlier file
// exactly as it was and no temporary file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_reader.h"
#include "base/signals.h"
#include "base/status.h"
#include "base/warning_sink.h"

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

  // Buffered; the first failure is kept and reported by finish().
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

  // Overwrites bytes already written, from `offset` on: for a count that is
  // known only at the end. Data files only.
  void writeAt(uint64_t offset, const void* data, size_t size);

  // Flushes and closes the temporary file (the step that finds a full disk).
  Status finish();

  // Where the bytes go until the file takes its place: a finished file may
  // still be changed there by other means (a map archive's library).
  const std::string& temporaryPath() const { return tempPath_; }

 private:
  friend Status commitOutputs(const std::vector<OutputFile*>& outputs, const WarningSink& warn,
                              const std::function<void()>& afterRename);

  // Removes the temporary file: what happens to a file that was not
  // committed when it goes out of scope, or is opened again.
  void discard();

  char* reserveSlowly(size_t size);
  void advanceSlowly(size_t used);
  void makeRoom(size_t size);
  void flushBuffer();
  // At `offset`, or appended when it is negative.
  void writeOut(const char* data, size_t size, int64_t offset = -1);
  Status writeFailure() const;

  std::string name_;
  std::string finalPath_;
  std::string tempPath_;
  bool translating_ = false;  // "\n" becomes CR LF
  int fd_ = -1;
  RemovalSlot tempSlot_;  // in the list of names that an interrupt removes
  std::vector<char> buffer_;
  std::vector<char> scratch_;  // what reserve() hands out when line ends are translated
  size_t used_ = 0;
  int errno_ = 0;  // first write error, 0 while all is well
};

// Puts the outputs of a job in their places, all of them or none; outputs
// that were not opened (not asked for) are left out. Each is finished first.
// The earlier file at each name is kept aside until every rename has
// succeeded, and put back when one fails; the failure names every earlier
// file that the file system would not put back, and where it is. What stands
// at each name is checked again as checkReplaceable() checks it, and only a
// file or a symbolic link (the link itself) is kept aside: anything else
// fails the job and stays as it is. Interrupts wait until all is done. An
// earlier file that cannot be removed afterwards is named through `warn`.
// `afterRename`, when set, is called after each rename: a test interrupts or
// disturbs a run at that moment.
Status commitOutputs(const std::vector<OutputFile*>& outputs, const WarningSink& warn,
                     const std::function<void()>& afterRename = {});

// The names beside an output at `finalPath` under which a run writes its
// new content, and keeps the earlier one aside while outputs take their
// places: unique to the run, and known to removeLeftovers().
std::string temporaryPathFor(const std::string& finalPath);
std::string keptPathFor(const std::string& finalPath);

// Copies everything from `in`'s position to the end it had when it was
// opened into `file`. False when the input shrank or could not be read
// meanwhile (in.endMessage() says why).
bool copyToEnd(ByteReader& in, OutputFile& file);

// Whether a new file can take the place of what has `name` in `folder`: not
// when that is a folder, something other than a file, or a read-only file
// (whoever runs the tool), a symbolic link's target included, nor a file
// that another program holds open (Windows). Jobs check each of their
// outputs before they write anything, so that such a name leaves every file
// as it was.
Status checkReplaceable(const std::string& folder, const std::string& name);

// Fails, naming `name`, when another program holds the file at `path` open
// so that it cannot be replaced (Windows).
Status checkNotHeldOpen(const std::string& name, const std::string& path);

// What runs that were killed (where no interrupt could clean up) left for
// the output `name` in `folder`: its new files or folders, which are
// removed, and an earlier one kept aside, which is put back when the output
// is missing and removed otherwise. Each is named through `warn`. Only for a job that
// holds the folder's lock: then no other run is writing those names.
void removeLeftovers(const std::string& folder, const std::string& name, const WarningSink& warn);

}  // namespace mapjass
