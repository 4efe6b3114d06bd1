// What one game thread can run.
//
// The game stops a script thread after 300,000 bytecode operations, and it
// does so silently: the rest of the function never runs. The costs of the
// script lines below are estimates, counted from the JASS bytecode with the
// body of the helper that a line calls, not measured in the game, so the
// tool plans with half the limit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mapjass {

inline constexpr int64_t kThreadOperationBudget = 150'000;

// The kinds of line that the tools write and split, by the function called.
enum class LineKind {
  kCd,       // CD: creates a destructable
  kSl,       // SL: sets the life of the one just created
  kTerrain,  // SetTerrainType or TerrainDeformCrater
  kOther,    // any other call, taken to cost as a CD line: a few arguments, a short body
};

// The estimated operations of one line of `kind`: the one place where the
// costs are written.
constexpr int64_t operationsOf(LineKind kind) {
  switch (kind) {
    case LineKind::kCd:
    case LineKind::kOther:
      return 40;
    case LineKind::kSl:
      return 32;
    case LineKind::kTerrain:
      return 16;
  }
  return 40;
}

// The kind of a call of `function`.
inline LineKind lineKindOfCall(std::string_view function) {
  if (function == "CD") return LineKind::kCd;
  if (function == "SL") return LineKind::kSl;
  if (function == "SetTerrainType" || function == "TerrainDeformCrater") return LineKind::kTerrain;
  return LineKind::kOther;
}

// What one function that the tools split a list into may run, a little under
// the budget: 9,000 terrain lines, or 2,000 CD lines each with its SL line.
inline constexpr int64_t kFunctionOperationBudget = 144'000;
static_assert(kFunctionOperationBudget <= kThreadOperationBudget);

// The common part of the warning about a script over the budget: "about N
// operations in one game thread, ... before the last <what>".
inline std::string overThreadBudget(int64_t operations, const char* what) {
  return "about " + std::to_string(operations) + " operations in one game thread, more than the " +
         std::to_string(kThreadOperationBudget) +
         " the tool plans with, so the game may stop before the last " + what;
}

// A wrapped doodad list longer than this is split into functions of this
// many records, each started in a thread of its own.
inline constexpr int32_t kRecordsPerFunction = 2'000;
static_assert(kRecordsPerFunction * (operationsOf(LineKind::kCd) + operationsOf(LineKind::kSl)) <=
              kFunctionOperationBudget);

}  // namespace mapjass
