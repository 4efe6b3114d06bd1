// Temporary folders, whole files and runs of the built program.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/run_options.h"
#include "base/status.h"
#include "base/warning_sink.h"

namespace mapjass::testing {

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::string asString(const std::vector<uint8_t>& bytes);

// Every file in `folder` with its content (folders show as "<folder>").
std::map<std::string, std::string> folderContents(const std::string& folder);

// A fresh folder that is removed again; while it lives it is the current
// folder, since the jobs work on fixed names in the current folder.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::string previous_;
};

// Everything `body` prints on the console it is handed.
std::string consoleOutput(const std::function<void(std::FILE*)>& body);

// What a job returned, printed and warned about.
struct JobRun {
  Status status;
  std::string report;
  std::vector<std::string> warnings;
};
using Job = Status (*)(const RunOptions&, std::FILE*, const WarningSink&);
JobRun runJob(Job job, const RunOptions& options);

struct ProcessResult {
  int exitStatus;
  std::string out;
  std::string err;
};

// Runs the built program in `folder` with `input` on its standard input.
// `shellPrefix` goes before the program in the shell command (ulimit, say).
ProcessResult runProgram(const std::string& folder, const std::string& input,
                         const std::string& shellPrefix = "");

}  // namespace mapjass::testing
