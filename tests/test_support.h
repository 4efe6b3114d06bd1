// Temporary folders, whole files and runs of the jobs and of the program.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/job_setting.h"
#include "base/status.h"
#include "map_writer.h"

namespace mapjass::testing {

using Files = std::map<std::string, std::string>;

// The questions as the console shows them, spelled out once for all tests.
inline constexpr char kQ1[] = "\nConvert war3map.doo to JASS?  1-yes 0-no:";
inline constexpr char kQ2[] = "\nConvert war3map.doo to old version?  1-yes 0-no:";
inline constexpr char kQ3[] = "\nCreate \"function ... list ... endfunction\"?  1-yes 0-no:";
inline constexpr char kQ4[] = "\nFuncName: ";
inline constexpr char kQ5[] = "\nCreate empty war3map.doo?   1-yes 0-no:\n1 3";  // with its line
inline constexpr char kQ6[] = "\nCreate backup war3map.doo?   1-yes 0-no:";
inline constexpr char kQ7[] = "\nConvert war3map.w3e to JASS?  1-yes 0-no:";
inline constexpr char kQ8[] = "\nOnly textures?  1-yes 0-no:";
inline constexpr char kQ9[] = "\nEnable filter?  1-yes 0-no:";
inline constexpr char kQ10[] = "\nEnter filter(example:Ldrt):";

std::string readFile(const std::string& path);

// "" when `actual` is `expected`, else how they differ: the sizes and the
// first offset where they part, not the contents, which may be megabytes.
std::string differences(const std::string& actual, const std::string& expected);
// The same for folders, listed as their names, each with its content.
std::string differences(const Files& actual, const Files& expected);

// Whether `text` is `pattern`, in which each "{}" stands for any text (as
// little as lets the rest match); those texts go to `parts`.
bool matchesPattern(const std::string& text, const std::string& pattern,
                    std::vector<std::string>& parts);

// Whether `actual` is `expected`; an `expected` that ends with "..." needs
// only to begin `actual`, and an empty one is not compared.
inline bool matchesText(const std::string& actual, const std::string& expected) {
  if (expected.ends_with("...")) return actual.starts_with(expected.substr(0, expected.size() - 3));
  return expected.empty() || actual == expected;
}
void writeFile(const std::string& path, const std::string& bytes);

// A fresh folder, removed again with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::string read(const std::string& name) const { return readFile(file(name)); }
  // `bytes` "<folder>", "<link to TARGET>" and "<other>" make a folder, a
  // link and a pipe in place of what is there. "<read-only>" takes the write
  // permission from the file, made with "earlier" if there is none.
  void write(const std::string& name, const std::string& bytes) const;
  // Every entry with its content, those of subfolders as "sub/name". A
  // folder shows as "<folder>", a link as "<link to TARGET>", anything else
  // that is not a file as "<other>".
  Files contents() const;

 private:
  std::string path_;
};

// Everything `body` prints on the console it is handed.
template <typename Body>
std::string consoleOutput(Body body) {
  char* buffer = nullptr;
  size_t size = 0;
  std::FILE* console = open_memstream(&buffer, &size);
  body(console);
  std::fclose(console);
  std::string output(buffer, size);
  std::free(buffer);
  return output;
}

// A built program with its arguments.
struct Command {
  const char* binary = MAPJASS_BINARY;
  std::vector<std::string> arguments;
};

// Replaces this process with `command`, run in `folder`.
[[noreturn]] void execIn(const TempFolder& folder, const Command& command);

// Puts the signals that the tests send back to their defaults. The tests
// may run as a background job, which starts with SIGINT and SIGQUIT
// ignored, and a program keeps what it finds ignored.
void defaultSignals();

// Starts `command` in `folder`; `setUp` runs in the new process first, to
// give it its standard streams.
template <typename SetUp>
pid_t startProgram(const TempFolder& folder, SetUp setUp, const Command& command = {}) {
  pid_t child = fork();
  if (child != 0) return child;
  defaultSignals();
  setUp();
  execIn(folder, command);
}

// Runs `command` with `input` on its standard input; gives its exit status
// (-1 when a signal ended it), standard output and standard error.
// `fileSizeLimit`, when not 0, caps the size of each file it writes: a write
// beyond it then fails with EFBIG, as on a full disk, unless SIGXFSZ (at its
// default here) ends the program first.
std::tuple<int, std::string, std::string> runProgram(const TempFolder& folder,
                                                     const std::string& input,
                                                     long fileSizeLimit = 0,
                                                     const Command& command = {});

// A doodad unlike its neighbours in every field.
TestDoodad doodadNumber(int i);

// Its CD line, and SL line, as printf writes them, the facing in degrees and
// the helpers' names after `prefix`. A record with flags 0, which the map's
// own script creates, has none.
std::string scriptLinesOf(const TestDoodad& d, const std::string& prefix = "");

// What a job returned, printed and warned about.
struct JobRun {
  Status status;
  std::string report;
  std::vector<std::string> warnings;
};
// Runs `job` in `folder`; `setting` may add the seam after each rename.
template <typename Options>
JobRun runJob(Status (*job)(const Options&, const JobSetting&), const Options& options,
              const TempFolder& folder, JobSetting setting = {}) {
  JobRun run;
  setting.folder = folder.path();
  setting.report = [&run](std::string_view text) { run.report += text; };
  setting.warn = [&run](const std::string& line) { run.warnings.push_back(line); };
  run.status = job(options, setting);
  return run;
}

}  // namespace mapjass::testing
