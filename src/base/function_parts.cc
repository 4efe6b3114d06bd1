#include "base/function_parts.h"

#include <utility>

#include "base/jass_functions.h"

namespace mapjass {

std::string executeFuncCall(std::string_view name) {
  return "call ExecuteFunc(\"" + std::string(name) + "\")";
}

FunctionParts::FunctionParts(std::string_view name, Rule rule, Sink write)
    : name_(name), rule_(rule), write_(std::move(write)) {}

std::string FunctionParts::partName(int32_t part) const {
  return name_ + "_" + std::to_string(part);
}

void FunctionParts::openPart() {
  write_(functionHead(partName(++parts_)));
  open_ = true;
  units_ = 0;
  operations_ = 0;
}

void FunctionParts::startUnit(int64_t operations) {
  bool full = rule_.unitsPerPart > 0 ? units_ == rule_.unitsPerPart
                                     : operations_ + operations > rule_.operationBudget;
  if (open_ && full) {
    write_(kFunctionEnd);
    open_ = false;
  }
  if (!open_) openPart();
  ++units_;
  operations_ += operations;
}

void FunctionParts::finish(std::string_view tail) {
  if (open_) {
    write_(kFunctionEnd);
    open_ = false;
  }
  write_(functionHead(name_));
  for (int32_t part = 1; part <= parts_; ++part) {
    write_(executeFuncCall(partName(part)) + "\n");
  }
  write_(tail);
}

}  // namespace mapjass
