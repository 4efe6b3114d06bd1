#include "doodads/doodad_script.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>

#include "base/jass_functions.h"
#include "base/kept_quirks.h"
#include "base/script_text.h"

namespace mapjass {

// Kept byte for byte on purpose, oddities included (kept_quirks.h).
const std::string kDoodadScriptPreamble =
    std::string(
        "function RF takes nothing returns nothing\n"
        "call FogMaskEnable(false)\n"
        "call FogEnable(false)\n"
        "call FogMaskEnable(true)\n"
        "call FogEnable(true)\n"
        "endfunction\n"
        "function CD takes integer objectid, real x, real y, real z, real face, "
        "real scale, integer variation returns nothing\n") +
    quirks::kCdAssignment +
    "CreateDestructableZ(objectid,x,y,z,face,scale,variation)\n"
    "endfunction\n"
    "function SL takes integer L returns nothing\n"
    "call SetDestructableLife(GetLastCreatedDestructable(), "
    "GetDestructableMaxLife(GetLastCreatedDestructable()) * L * 0.01)\n"
    "endfunction\n" +
    quirks::kAfterHelpers;

DoodadFunctions doodadFunctionsOf(const std::string& functionName, bool wrapInFunction,
                                  int32_t doodadCount) {
  return {wrapInFunction, std::string(quirks::upToFirstZero(functionName)),
          wrapInFunction && doodadCount > kRecordsPerFunction};
}

std::string DoodadFunctions::head() const {
  return !wrapped || split ? "" : functionHead(name);
}

std::string DoodadFunctions::tail() const {
  return wrapped ? "call RF()\nendfunction" : "call RF()";
}

float facingInDegrees(float angle, bool& representable) {
  double degrees = static_cast<double>(angle) * 180.0 / std::numbers::pi;
  // Also false for NaN, and before a cast that would overflow.
  representable = std::fabs(degrees) <= std::numeric_limits<float>::max();
  return representable ? static_cast<float>(degrees) : 0.0f;
}

namespace {

// ", " and the number; 0 for what JASS cannot express.
char* putReal(char* p, float value) {
  p = put(p, ", ");
  return p + formatFloatG6(p, value);
}

}  // namespace

size_t formatDoodadLines(char* out, const DoodadRecord& record, unsigned& nonFinite) {
  char* p = put(out, "call CD( '");
  std::memcpy(p, record.typeId, 4);
  p = put(p + fourCharCodeLength(record.typeId), "'");
  bool facingFinite;
  float facing = facingInDegrees(record.angle, facingFinite);
  // Each field is read as it was stored: copying them into an array first
  // makes the loads wait for the stores, which costs more than their text.
  p = putReal(p, record.x);
  p = putReal(p, record.y);
  p = putReal(p, record.z);
  p = putReal(p, facing);
  p = putReal(p, record.scaleZ);
  bool finite[5] = {std::isfinite(record.x), std::isfinite(record.y), std::isfinite(record.z),
                    facingFinite, std::isfinite(record.scaleZ)};
  nonFinite = 0;
  for (int i = 0; i < 5; ++i) nonFinite |= finite[i] ? 0 : 1u << i;
  p = put(p, ", ");
  p += formatInt(p, record.variation);
  p = put(p, " )\n");
  if (record.life < 100) {
    p = put(p, "call SL(");
    p += formatInt(p, record.life);
    p = put(p, ")\n");
  }
  return static_cast<size_t>(p - out);
}

std::string recordLocation(int32_t index, int32_t count) {
  return "record " + std::to_string(int64_t{index} + 1) + " of " + std::to_string(count);
}

// Out of line from the loop over the records: it is rare.
void warnAboutNonFinite(const std::string& file, const DoodadRecord& record, int32_t index,
                        int32_t count, unsigned nonFinite, const WarningSink& warn) {
  for (int field = 0; nonFinite != 0; ++field, nonFinite >>= 1) {
    if ((nonFinite & 1) == 0) continue;
    std::string what = std::string(kCdFloatFieldNames[field]) + " is not a finite number";
    // A finite facing can still be too large once it is turned into degrees.
    if (field == kCdAngleField && std::isfinite(record.angle)) {
      char radians[32];
      std::snprintf(radians, sizeof radians, "%g", static_cast<double>(record.angle));
      what = "angle " + std::string(radians) + " radians is too large in degrees";
    }
    warn(file + ": " + recordLocation(index, count) + ": " + what + "; 0 written instead");
  }
}

std::string doodadHeaderReport(const DoodadFileHeader& header) {
  std::string report = "\nFILE: ";
  report.append(header.signature, fourCharCodeLength(header.signature));
  report += std::string(quirks::kAfterDoodadSignature) +
            "\nVersion: " + std::to_string(header.version) + "." +
            std::to_string(header.subversion) + "\nnumber:" + std::to_string(header.doodadCount) +
            "\n\n\n\n\n";
  return report;
}

}  // namespace mapjass
