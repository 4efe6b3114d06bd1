// Turns "war3map.w3e" into the JASS script "war3map.w3e.j": a crater line
// that reshapes the height of every point, and a line that sets its ground
// texture.
#pragma once

#include <optional>
#include <string>

#include "base/job_setting.h"
#include "base/status.h"

namespace mapjass {

struct TerrainJobOptions {
  bool heights = true;  // false: textures only
  // A ground tileset id: texture lines only for the points that show it.
  std::optional<std::string> filter;
};

// Works on the fixed names in the setting's folder, and hands the terrain
// report to its report sink, also the part of it that was read when the job
// fails. On failure the script keeps its earlier content.
Status runTerrainJob(const TerrainJobOptions& options, const JobSetting& setting);

}  // namespace mapjass
