// The text of "war3map.doo.j": three helper functions, an optional wrapper
// head, a CD line per record (and an SL line when its life is below 100),
// and the closing call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "doodads/doodad_format.h"

namespace mapjass {

extern const std::string_view kDoodadScriptPreamble;

// Room for the CD and SL lines of any record.
inline constexpr size_t kMaxDoodadLinesSize = 512;

// The fields of the CD line, in order, for warnings about them.
inline constexpr const char* kCdFloatFieldNames[5] = {"x", "y", "z", "angle", "scaleZ"};

std::string doodadWrapperHead(const std::string& functionName);
std::string_view doodadScriptTail(bool wrapInFunction);

// The facing in degrees, as the game's destructable natives take it; the
// file keeps radians. A result beyond the range of float32, or NaN, comes
// back as 0 with `representable` false.
float facingInDegrees(float angle, bool& representable);

// Writes the record's CD line, and its SL line when life is below 100, into
// `out`. JASS has no NaN or infinity: such a float is written as 0, and bit i
// of `nonFinite` is set for field kCdFloatFieldNames[i].
size_t formatDoodadLines(char* out, const DoodadRecord& record, unsigned& nonFinite);

// The header report on the console.
std::string doodadHeaderReport(const DoodadFileHeader& header);

}  // namespace mapjass
