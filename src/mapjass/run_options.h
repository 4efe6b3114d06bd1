// The answers of one run of mapjass. The dialogue fills it; the program
// turns it into the options of each job.
#pragma once

#include <string>

namespace mapjass {

struct RunOptions {
  bool convertDoodads = false;
  bool convertDoodadVersion = false;
  bool wrapInFunction = false;
  std::string functionName;
  bool createEmptyDoodadFile = false;
  bool backupDoodadFile = false;
  bool convertTerrain = false;
  bool texturesOnly = false;
  bool filterEnabled = false;
  std::string filterTexture;

  bool operator==(const RunOptions&) const = default;
};

}  // namespace mapjass
