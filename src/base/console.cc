#include "base/console.h"

#include "base/platform.h"

namespace mapjass {

Console::Console(std::FILE* in, std::FILE* out, std::FILE* err)
    : in_(in), out_(out), err_(err), sameTerminal_(areSameTerminal(out, err)) {}

void Console::print(std::string_view text) {
  if (text.empty()) return;
  writeToConsole(out_, text);
  std::fflush(out_);
  midLine_ = text.back() != '\n';
}

void Console::toError(const std::string& line) {
  std::fflush(out_);
  writeToConsole(err_, (sameTerminal_ && midLine_ ? "\n" : "") + line + "\n");
  std::fflush(err_);
  if (sameTerminal_) midLine_ = false;
}

void Console::warn(const std::string& line) {
  toError("warning: " + line);
}

void Console::fail(const std::string& message) {
  toError(message);
}

WarningSink Console::warnings() {
  return [this](const std::string& line) { warn(line); };
}

ReportSink Console::reports() {
  return [this](std::string_view text) { print(text); };
}

void Console::waitForKey() {
  std::fflush(out_);
  if (waitForKeyPress(in_, out_)) midLine_ = false;
}

int endOfRun(Console& console, const Status& status, bool wait) {
  if (!status.ok()) console.fail(status.error);
  if (wait) console.waitForKey();
  return status.ok() ? 0 : 1;
}

}  // namespace mapjass
