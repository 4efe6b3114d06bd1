// The outcome of an operation that can fail: nothing, or one line of text
// that names the file, the field or record, and what is wrong. Only the top
// level prints it.
#pragma once

#include <string>
#include <utility>

namespace mapjass {

struct [[nodiscard]] Status {
  std::string error;

  bool ok() const { return error.empty(); }
  static Status success() { return {}; }
  static Status failure(std::string message) { return Status{std::move(message)}; }
};

// "1 record", "2 records": a count in a message.
inline std::string counted(long long n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace mapjass
