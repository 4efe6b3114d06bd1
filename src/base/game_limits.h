// What one game thread can run.
//
// The game stops a script thread after 300,000 bytecode operations, and it
// does so silently: the rest of the function never runs. The costs of the
// script lines below are estimates, counted from the JASS bytecode with the
// body of the helper that a line calls, not measured in the game, so the
// tool plans with half the limit.
#pragma once

#include <cstdint>

namespace mapjass {

inline constexpr int64_t kThreadOperationBudget = 150'000;

inline constexpr int64_t kCdLineOperations = 40;
inline constexpr int64_t kSlLineOperations = 32;
// SetTerrainType and TerrainDeformCrater lines alike.
inline constexpr int64_t kTerrainLineOperations = 16;

// A wrapped doodad list longer than this is split into functions of this
// many records, each started in a thread of its own.
inline constexpr int32_t kRecordsPerFunction = 2'000;
static_assert(kRecordsPerFunction * (kCdLineOperations + kSlLineOperations) <=
              kThreadOperationBudget);

}  // namespace mapjass
