// Standard output and standard error as every program of the project uses
// them: prompts and reports on standard output, warnings and failures on
// standard error, one line each.
//
// Where both streams are the same terminal, a line on standard error starts
// on a line of its own, also when standard output stopped in the middle of
// one (a prompt, or the terrain report, ends without a line end). On a
// Windows console the text is shown as the UTF-8 it is, so that a path with
// characters outside the code page reads right; files and pipes get the
// bytes unchanged everywhere.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "base/status.h"
#include "base/warning_sink.h"

namespace mapjass {

class Console {
 public:
  // The answers and the key press come from `in`.
  Console(std::FILE* in, std::FILE* out, std::FILE* err);
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  std::FILE* in() const { return in_; }

  // Standard output, flushed at once: a prompt must show before the
  // program waits for its answer.
  void print(std::string_view text);

  // "warning: LINE" on standard error.
  void warn(const std::string& line);

  // A message on standard error: why a job, or the program, failed.
  void fail(const std::string& message);

  // warn() as a sink for the jobs.
  WarningSink warnings();

  // Hands text to print(), for the jobs' reports.
  ReportSink reports();

  // Waits for a key press when standard input is a terminal (on Windows,
  // always, as the system's "pause" does), so that a console window opened
  // by a double click stays open until its text has been read.
  void waitForKey();

 private:
  void toError(const std::string& line);

  std::FILE* in_;
  std::FILE* out_;
  std::FILE* err_;
  bool sameTerminal_;
  bool midLine_ = false;  // the last byte on standard output was not a line end
};

// The end of a job, or of a program's whole run: says why it failed, if it
// did, and then waits for a key when `wait` is set, so that a console window
// opened by a double click stays open until the message has been read.
// Gives the exit status for it: 0 when it succeeded, 1 when it failed.
int endOfRun(Console& console, const Status& status, bool wait = true);

}  // namespace mapjass
