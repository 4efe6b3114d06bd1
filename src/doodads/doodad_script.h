// The text of "war3map.doo.j": three helper functions, then a CD line per
// record (and an SL line when its life is below 100) and the closing call,
// standing alone or wrapped in functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/game_limits.h"
#include "base/warning_sink.h"
#include "doodads/doodad_format.h"

namespace mapjass {

extern const std::string kDoodadScriptPreamble;

// Room for the CD and SL lines of any record.
inline constexpr size_t kMaxDoodadLinesSize = 512;

// The fields of the CD line, in order, for warnings about them.
inline constexpr const char* kCdFloatFieldNames[5] = {"x", "y", "z", "angle", "scaleZ"};
inline constexpr int kCdAngleField = 3;

// Where the records' lines stand. Without a wrapper they stand alone; with
// one, in the function the user named. When that function would run more
// records than one game thread can (kRecordsPerFunction), the lines go into
// functions NAME_1, NAME_2, ... of kRecordsPerFunction records each
// (function_parts.h), and NAME starts them and then calls RF.
struct DoodadFunctions {
  bool wrapped = false;
  std::string name;    // as typed, up to a zero byte (kept_quirks.h)
  bool split = false;  // in functions of kRecordsPerFunction records

  // What comes after the preamble, before the first record.
  std::string head() const;
  // What comes after the last record, or after the calls that start the
  // parts when the lines are split: the call of RF and, when wrapped, the
  // named function's end. No line end follows.
  std::string tail() const;
};

DoodadFunctions doodadFunctionsOf(const std::string& functionName, bool wrapInFunction,
                                  int32_t doodadCount);

// The facing in degrees, as the game's destructable natives take it; the
// file keeps radians. A result beyond the range of float32, or NaN, comes
// back as 0 with `representable` false.
float facingInDegrees(float angle, bool& representable);

// Writes the record's CD line, and its SL line when life is below 100, into
// `out`. JASS has no NaN or infinity: such a float is written as 0, and bit i
// of `nonFinite` is set for field kCdFloatFieldNames[i].
size_t formatDoodadLines(char* out, const DoodadRecord& record, unsigned& nonFinite);

// "record 3 of 5", for messages.
std::string recordLocation(int32_t index, int32_t count);

// Warns, for each bit of `nonFinite` that formatDoodadLines() set, that
// record `index` of `count` in `file` has a field that JASS cannot take,
// and that 0 was written instead.
void warnAboutNonFinite(const std::string& file, const DoodadRecord& record, int32_t index,
                        int32_t count, unsigned nonFinite, const WarningSink& warn);

// The header report on the console.
std::string doodadHeaderReport(const DoodadFileHeader& header);

}  // namespace mapjass
