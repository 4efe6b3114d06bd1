#include "split/script_split.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include "base/byte_reader.h"
#include "base/folder_lock.h"
#include "base/function_parts.h"
#include "base/game_limits.h"
#include "base/jass_functions.h"
#include "base/jass_lines.h"
#include "base/output_file.h"
#include "base/platform.h"

namespace mapjass {

namespace {

// No script line of mapjass comes near this; a longer line is not held in
// memory, so that memory stays the same whatever the file holds.
constexpr size_t kMaxLineSize = 1 << 20;

// Whether `line` begins with the word `word`, after optional blanks.
bool startsWithWord(std::string_view line, std::string_view word) {
  line = withoutLeadingBlanks(line);
  return line.starts_with(word) && (line.size() == word.size() || isBlank(line[word.size()]));
}

bool isCallLine(std::string_view line) {
  return withoutLeadingBlanks(line).starts_with("call ");
}

// The name after the first word of `line` ("call NAME(...)", "function
// NAME takes ..."), or "" when no name follows it.
std::string_view nameAfterFirstWord(std::string_view line) {
  line = withoutLeadingBlanks(line);
  size_t word = 0;
  while (word < line.size() && !isBlank(line[word])) ++word;
  line = withoutLeadingBlanks(line.substr(word));
  size_t end = 0;
  while (end < line.size() && isNameCharacter(line[end])) ++end;
  return line.substr(0, end);
}

// Whether `defined` is `name` or one of the functions NAME_1, NAME_2, ...
// that the split writes.
bool clashesWith(std::string_view defined, std::string_view name) {
  if (defined == name) return true;
  if (!defined.starts_with(name) || defined.size() < name.size() + 2) return false;
  std::string_view part = defined.substr(name.size());
  return part[0] == '_' && part[1] >= '1' && part[1] <= '9' &&
         std::all_of(part.begin() + 2, part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Hands out the lines of a file, without their line ends: LF, CR LF or CR
// alone, as editors on any system write them. A UTF-8 byte-order mark at the
// start is not part of the first line. The last line may have no line end.
class LineReader {
 public:
  explicit LineReader(ByteReader& in) : in_(in) {
    const uint8_t* start = in_.peek(kByteOrderMark.size());
    if (start != nullptr && std::memcmp(start, kByteOrderMark.data(), kByteOrderMark.size()) == 0) {
      in_.take(kByteOrderMark.size());
    }
  }

  // False at the end of the file, and when it could not be read or a line
  // is too long (then failure() says why).
  bool next(std::string& line) {
    line.clear();
    // The LF of a CR LF that ended the line before.
    if (afterCr_ && available() && piece_[at_] == '\n') ++at_;
    afterCr_ = false;
    lineStart_ = in_.offset() - (size_ - at_);
    if (!available()) return false;
    for (;;) {
      const char* start = reinterpret_cast<const char*>(piece_) + at_;
      const char* stop = reinterpret_cast<const char*>(piece_) + size_;
      // Two memchr() calls are several times faster than a loop over the bytes.
      const char* lf = static_cast<const char*>(std::memchr(start, '\n', stop - start));
      const char* crBound = lf != nullptr ? lf : stop;
      const char* cr = static_cast<const char*>(std::memchr(start, '\r', crBound - start));
      const char* end = cr != nullptr ? cr : crBound;
      line.append(start, end);
      if (line.size() > kMaxLineSize) {
        return fail(in_.name() + ": " + lineName() + " is longer than 1 MiB: not a script line");
      }
      if (end != stop) {
        afterCr_ = *end == '\r';
        at_ = static_cast<size_t>(end + 1 - reinterpret_cast<const char*>(piece_));
        break;
      }
      at_ = size_;
      if (!available()) {
        if (!failure_.empty()) return false;
        break;  // the last line, without a line end
      }
    }
    ++number_;
    return true;
  }

  int64_t number() const { return number_; }
  std::string lineName() const { return "line " + std::to_string(number_ + 1); }
  const std::string& failure() const { return failure_; }

 private:
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

  // Whether a byte is at hand: false at the end of the file, and when the
  // next piece could not be read (then failure() says why).
  bool available() {
    if (at_ < size_) return true;
    if (in_.remaining() == 0 || !failure_.empty()) return false;
    size_ = static_cast<size_t>(std::min<uint64_t>(in_.remaining(), ByteReader::kMaxPiece));
    at_ = 0;
    piece_ = in_.take(size_);
    if (piece_ != nullptr) return true;
    size_ = 0;
    return fail(in_.endMessage(lineStart_, lineName()));
  }

  bool fail(std::string message) {
    failure_ = std::move(message);
    return false;
  }

  ByteReader& in_;
  const uint8_t* piece_ = nullptr;
  size_t size_ = 0, at_ = 0;
  bool afterCr_ = false;  // the line before ended with CR
  uint64_t lineStart_ = 0;
  int64_t number_ = 0;  // of the lines handed out
  std::string failure_;
};

// What the split does with the lines that pass its checks.
struct LineHandlers {
  std::function<void(const std::string&)> blockLine;  // a line of a function of the input
  std::function<void(std::string&, LineKind)> call;   // a call line outside them
};

// Reads every line of `in`, hands it on, and refuses what cannot be split;
// with a `functionName`, also a function of the input, or a call, named as
// one that the split writes: the split script would define it twice.
Status readLines(ByteReader& in, const std::string& functionName, const LineHandlers& handle,
                 int64_t& callLines) {
  const std::string& input = in.name();
  LineReader lines(in);
  std::string line;
  int64_t blockStart = 0;  // the line that opens the current block, or 0
  auto refuse = [&](const std::string& why) {
    return Status::failure(input + ": line " + std::to_string(lines.number()) + " " + why);
  };
  auto clashes = [&](std::string_view name) {
    return !functionName.empty() && clashesWith(name, functionName);
  };
  const std::string otherName = "; choose a function name that the script does not use";
  while (lines.next(line)) {
    // A script is text: a zero byte would end the line where pjass or the
    // editor reads it.
    if (line.find('\0') != std::string::npos) return refuse("holds a zero byte (NUL)");
    if (blockStart != 0) {
      handle.blockLine(line);
      if (startsWithWord(line, "endfunction")) blockStart = 0;
      continue;
    }
    if (withoutLeadingBlanks(line).empty()) continue;
    if (startsWithWord(line, "function")) {
      // The helpers must come before the calls that use them; mapjass never
      // writes a function after its first call line.
      if (callLines > 0) {
        return refuse(
            "starts a function after the first call line; the functions must come "
            "first, as mapjass writes them");
      }
      std::string_view defined = nameAfterFirstWord(line);
      if (clashes(defined)) {
        return refuse("defines the function " + std::string(defined) + " already" + otherName);
      }
      blockStart = lines.number();
      handle.blockLine(line);
      continue;
    }
    if (!isCallLine(line)) return refuse("is not a call line: " + line.substr(0, 80));
    std::string_view called = nameAfterFirstWord(line);
    if (called.empty()) return refuse("has no function name after call: " + line.substr(0, 80));
    if (clashes(called)) {
      return refuse("calls " + std::string(called) + ", a function that the split writes" +
                    otherName);
    }
    ++callLines;
    handle.call(line, lineKindOfCall(called));
  }
  if (!lines.failure().empty()) return Status::failure(lines.failure());
  if (blockStart != 0) {
    return Status::failure(input + ": the function that starts on line " +
                           std::to_string(blockStart) + " has no endfunction");
  }
  if (callLines == 0) {
    return Status::failure(input +
                           ": no call lines outside its functions, so nothing to split (a doodad "
                           "script with its function is split already; an empty terrain script "
                           "has nothing to split)");
  }
  return Status::success();
}

}  // namespace

std::string splitScriptName(const std::string& input) {
  std::string_view base = input;
  if (base.ends_with(".j")) base.remove_suffix(2);
  return std::string(base) + ".split.j";
}

Status checkScript(ByteReader& in) {
  int64_t callLines = 0;
  LineHandlers none{[](const std::string&) {}, [](std::string&, LineKind) {}};
  if (Status read = readLines(in, "", none, callLines); !read.ok()) return read;
  return in.rewind();
}

Status splitScript(ByteReader& in, const std::string& folder, const std::string& output,
                   const std::string& functionName, SplitSummary& summary,
                   const WarningSink& warn) {
  summary = {};
  FolderLock lock;
  if (lock.lock(pathIn(folder, output), output, warn)) removeLeftovers(folder, output, warn);
  OutputFile out;
  if (Status created = out.open(folder, output, FileMode::kText); !created.ok()) return created;
  FunctionParts parts(functionName, FunctionParts::byOperations(kFunctionOperationBudget),
                      [&out](std::string_view text) { out.write(text); });
  // Writes one call line, or a CD line with its SL line, into a part.
  auto add = [&](std::string_view lines, int64_t operations) {
    parts.startUnit(operations);
    out.write(lines);
  };
  std::optional<std::string> pendingCd;  // waits for an SL line after it
  LineHandlers write{
      [&](const std::string& line) {
        out.write(line);
        out.write("\n");
      },
      [&](std::string& line, LineKind kind) {
        line += '\n';
        if (pendingCd) {
          // SL sets the life of the destructable that the CD line before it made.
          bool withSl = kind == LineKind::kSl;
          add(withSl ? *pendingCd + line : *pendingCd,
              operationsOf(LineKind::kCd) + (withSl ? operationsOf(LineKind::kSl) : 0));
          pendingCd.reset();
          if (withSl) return;
        }
        if (kind == LineKind::kCd) {
          pendingCd = line;
        } else {
          add(line, operationsOf(kind));
        }
      }};
  if (Status read = readLines(in, functionName, write, summary.callLines); !read.ok()) {
    return read;
  }
  if (pendingCd) add(*pendingCd, operationsOf(LineKind::kCd));
  parts.finish(kFunctionEnd);
  summary.functions = parts.parts();
  return commitOutputs({&out}, warn);
}

}  // namespace mapjass
