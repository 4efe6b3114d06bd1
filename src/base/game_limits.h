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

namespace mapjass {

inline constexpr int64_t kThreadOperationBudget = 150'000;

inline constexpr int64_t kCdLineOperations = 40;
inline constexpr int64_t kSlLineOperations = 32;
// SetTerrainType and TerrainDeformCrater lines alike.
inline constexpr int64_t kTerrainLineOperations = 16;
// Any other call, as a CD line: a call with a few arguments and a short body.
inline constexpr int64_t kOtherCallOperations = 40;

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
static_assert(kRecordsPerFunction * (kCdLineOperations + kSlLineOperations) <=
              kFunctionOperationBudget);

}  // namespace mapjass
