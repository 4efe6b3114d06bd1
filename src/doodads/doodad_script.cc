#include "doodads/doodad_script.h"

#include <cmath>
#include <cstring>

#include "base/four_char_code.h"
#include "base/number_text.h"
#include "base/put_literal.h"

namespace mapjass {

const std::string_view kDoodadScriptPreamble =
    "function RF takes nothing returns nothing\n"
    "call FogMaskEnable(false)\n"
    "call FogEnable(false)\n"
    "call FogMaskEnable(true)\n"
    "call FogEnable(true)\n"
    "endfunction\n"
    "function CD takes integer objectid, real x, real y, real z, real face, real scale, "
    "integer variation returns nothing\n"
    "set bj_lastCreatedDestructable =  CreateDestructableZ(objectid,x,y,z,face,scale,variation)\n"
    "endfunction\n"
    "function SL takes integer L returns nothing\n"
    "call SetDestructableLife(GetLastCreatedDestructable(), "
    "GetDestructableMaxLife(GetLastCreatedDestructable()) * L * 0.01)\n"
    "endfunction\n\n\n\n\n\n\n\n";

std::string doodadWrapperHead(const std::string& functionName) {
  // The name is used as typed, up to a zero byte as "%s" would.
  return "function " + std::string(functionName.c_str()) + " takes nothing returns nothing\n";
}

std::string_view doodadScriptTail(bool wrapInFunction) {
  return wrapInFunction ? "call RF()\nendfunction" : "call RF()";
}

size_t formatDoodadLines(char* out, const DoodadRecord& record, unsigned& nonFinite) {
  char* p = put(out, "call CD( '");
  size_t idSize = fourCharCodeLength(record.typeId);
  std::memcpy(p, record.typeId, idSize);
  p = put(p + idSize, "'");
  const float values[5] = {record.x, record.y, record.z, record.angle, record.scaleZ};
  nonFinite = 0;
  for (int i = 0; i < 5; ++i) {
    p = put(p, ", ");
    float value = values[i];
    if (!std::isfinite(value)) {
      nonFinite |= 1u << i;
      value = 0;
    }
    p += formatFloatG6(p, value);
  }
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

std::string doodadHeaderReport(const DoodadFileHeader& header) {
  std::string report = "\nFILE: ";
  report.append(header.signature, fourCharCodeLength(header.signature));
  report += "o\nVersion: " + std::to_string(header.version) + "." +
            std::to_string(header.subversion) + "\nnumber:" + std::to_string(header.doodadCount) +
            "\n\n\n\n\n";
  return report;
}

}  // namespace mapjass
