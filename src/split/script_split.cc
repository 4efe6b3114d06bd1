#include "split/script_split.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

#include "base/byte_reader.h"
#include "base/game_limits.h"
#include "base/jass_functions.h"
#include "base/output_file.h"

namespace mapjass {

namespace {

// No script line of mapjass comes near this; a longer line is not held in
// memory, so that memory stays the same whatever the file holds.
constexpr size_t kMaxLineSize = 1 << 20;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view withoutLeadingBlanks(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && isBlank(line[start])) ++start;
  return line.substr(start);
}

// Whether `line` begins with the word `word`, after optional blanks.
bool startsWithWord(std::string_view line, std::string_view word) {
  line = withoutLeadingBlanks(line);
  return line.starts_with(word) && (line.size() == word.size() || isBlank(line[word.size()]));
}

bool isCallLine(std::string_view line) {
  return withoutLeadingBlanks(line).starts_with("call ");
}

std::string_view calledFunction(std::string_view line) {
  line = withoutLeadingBlanks(withoutLeadingBlanks(line).substr(5));
  size_t end = 0;
  while (end < line.size() &&
         (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '_')) {
    ++end;
  }
  return line.substr(0, end);
}

// Hands out the lines of a file, without their line ends: LF, or CR LF. The
// last line may have none.
class LineReader {
 public:
  explicit LineReader(ByteReader& in) : in_(in) {}

  // False at the end of the file, and when it could not be read or a line
  // is too long (then failure() says why).
  bool next(std::string& line) {
    line.clear();
    lineStart_ = in_.offset() - (size_ - at_);
    bool any = false;  // a byte of the line was read
    for (;;) {
      if (at_ == size_) {
        if (in_.remaining() == 0) {
          if (!any) return false;
          break;
        }
        size_ = static_cast<size_t>(std::min<uint64_t>(in_.remaining(), ByteReader::kMaxPiece));
        at_ = 0;
        piece_ = in_.take(size_);
        if (piece_ == nullptr) return fail(in_.endMessage(lineStart_, lineName()));
      }
      any = true;
      const char* start = reinterpret_cast<const char*>(piece_) + at_;
      const char* end = static_cast<const char*>(std::memchr(start, '\n', size_ - at_));
      line.append(start, end != nullptr ? end : start + (size_ - at_));
      at_ = end != nullptr ? static_cast<size_t>(end + 1 - reinterpret_cast<const char*>(piece_))
                           : size_;
      if (line.size() > kMaxLineSize) {
        return fail(in_.name() + ": " + lineName() + " is longer than 1 MiB: not a script line");
      }
      if (end != nullptr) {
        if (line.ends_with('\r')) line.pop_back();
        break;
      }
    }
    ++number_;
    return true;
  }

  int64_t number() const { return number_; }
  std::string lineName() const { return "line " + std::to_string(number_ + 1); }
  const std::string& failure() const { return failure_; }

 private:
  bool fail(std::string message) {
    failure_ = std::move(message);
    return false;
  }

  ByteReader& in_;
  const uint8_t* piece_ = nullptr;
  size_t size_ = 0, at_ = 0;
  uint64_t lineStart_ = 0;
  int64_t number_ = 0;  // of the lines handed out
  std::string failure_;
};

// Writes call lines into functions NAME_1, NAME_2, ..., each holding what
// one thread can run.
class GroupWriter {
 public:
  GroupWriter(OutputFile& out, const std::string& name) : out_(out), name_(name) {}

  // Writes one call line, or a CD line with its SL line, into the current
  // function, or into a new one when it does not fit.
  void add(std::string_view lines, int64_t operations) {
    if (open_ && operations_ + operations > kFunctionOperationBudget) close();
    if (!open_) {
      out_.write(functionHead(partName(++functions_)));
      operations_ = 0;
      open_ = true;
    }
    out_.write(lines);
    operations_ += operations;
  }

  // Ends the last function and writes NAME.
  void finish() {
    if (open_) close();
    out_.write(functionHead(name_));
    for (int32_t i = 1; i <= functions_; ++i) out_.write(executeFuncLine(partName(i)));
    out_.write(kFunctionEnd);
  }

  int32_t functions() const { return functions_; }

 private:
  std::string partName(int32_t i) const { return name_ + "_" + std::to_string(i); }
  void close() {
    out_.write(kFunctionEnd);
    open_ = false;
  }

  OutputFile& out_;
  const std::string& name_;
  int32_t functions_ = 0;
  int64_t operations_ = 0;
  bool open_ = false;
};

// The estimated operations of a call of `function`, with its body.
int64_t callOperations(std::string_view function) {
  if (function == "SetTerrainType" || function == "TerrainDeformCrater") {
    return kTerrainLineOperations;
  }
  if (function == "CD") return kCdLineOperations;
  if (function == "SL") return kSlLineOperations;
  return kOtherCallOperations;
}

}  // namespace

std::string splitScriptName(const std::string& input) {
  std::string_view base = input;
  if (base.ends_with(".j")) base.remove_suffix(2);
  return std::string(base) + ".split.j";
}

Status splitScript(ByteReader& in, const std::string& folder, const std::string& output,
                   const std::string& functionName, SplitSummary& summary) {
  summary = {};
  const std::string& input = in.name();
  OutputFile out;
  if (Status created = out.open(folder, output, FileMode::kText); !created.ok()) return created;
  GroupWriter groups(out, functionName);
  LineReader lines(in);
  std::string line;
  std::optional<std::string> pendingCd;  // waits for an SL line after it
  int64_t blockStart = 0;                // the line that opens the current block, or 0
  auto refuse = [&](const std::string& why) {
    return Status::failure(input + ": line " + std::to_string(lines.number()) + " " + why);
  };
  while (lines.next(line)) {
    if (blockStart != 0) {
      out.write(line);
      out.write("\n");
      if (startsWithWord(line, "endfunction")) blockStart = 0;
      continue;
    }
    if (withoutLeadingBlanks(line).empty()) continue;
    if (startsWithWord(line, "function")) {
      // The helpers must come before the calls that use them; mapjass never
      // writes a function after its first call line.
      if (summary.callLines > 0) {
        return refuse(
            "starts a function after the first call line; the functions must come "
            "first, as mapjass writes them");
      }
      blockStart = lines.number();
      out.write(line);
      out.write("\n");
      continue;
    }
    if (!isCallLine(line)) return refuse("is not a call line: " + line.substr(0, 80));
    ++summary.callLines;
    line += '\n';
    std::string_view called = calledFunction(line);
    if (pendingCd) {
      // SL sets the life of the destructable that the CD line before it made.
      bool withSl = called == "SL";
      groups.add(withSl ? *pendingCd + line : *pendingCd,
                 kCdLineOperations + (withSl ? kSlLineOperations : 0));
      pendingCd.reset();
      if (withSl) continue;
    }
    if (called == "CD") {
      pendingCd = line;
    } else {
      groups.add(line, callOperations(called));
    }
  }
  if (!lines.failure().empty()) return Status::failure(lines.failure());
  if (blockStart != 0) {
    return Status::failure(input + ": the function that starts on line " +
                           std::to_string(blockStart) + " has no endfunction");
  }
  if (pendingCd) groups.add(*pendingCd, kCdLineOperations);
  if (summary.callLines == 0) {
    return Status::failure(input +
                           ": no call lines outside its functions, so nothing to split (a doodad "
                           "script with its function is split already; an empty terrain script "
                           "has nothing to split)");
  }
  groups.finish();
  summary.functions = groups.functions();
  return commitOutputs({&out});
}

}  // namespace mapjass
