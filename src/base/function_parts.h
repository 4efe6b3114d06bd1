// Call lines spread over functions NAME_1, NAME_2, ..., each of which one
// game thread runs to its end, and the function NAME, which starts them one
// after another with ExecuteFunc, each in a fresh thread with an operation
// budget of its own.
//
// The caller writes the lines itself and says before each unit (what must
// stay in one function: a record's lines, a call line, a CD line with the SL
// line after it) what it costs. A part ends by the caller's rule: after a
// number of units, or when the next unit would pass an operation budget.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mapjass {

// "call ExecuteFunc("NAME")", without a line end: the line that runs the
// function NAME in a fresh game thread, with an operation budget of its own.
std::string executeFuncCall(std::string_view name);

class FunctionParts {
 public:
  using Sink = std::function<void(std::string_view text)>;

  struct Rule {
    int64_t unitsPerPart = 0;     // a part ends after this many units, or
    int64_t operationBudget = 0;  // before the unit that would pass this
  };
  static Rule byUnits(int64_t units) { return {units, 0}; }
  static Rule byOperations(int64_t budget) { return {0, budget}; }

  FunctionParts(std::string_view name, Rule rule, Sink write);

  // Ends the current part when the next unit, which costs `operations`, does
  // not fit in it, and opens the next one. The unit's lines come next.
  void startUnit(int64_t operations);

  // Ends the last part, then writes NAME: its ExecuteFunc lines, then
  // `tail`, what NAME holds after them and its end.
  void finish(std::string_view tail);

  int32_t parts() const { return parts_; }

 private:
  std::string partName(int32_t part) const;
  void openPart();

  std::string name_;
  Rule rule_;
  Sink write_;
  int32_t parts_ = 0;
  bool open_ = false;
  int64_t units_ = 0;       // in the open part
  int64_t operations_ = 0;  // in the open part
};

}  // namespace mapjass
