// The files of a map, whether it is an archive or a folder: what a build
// reads of it. Names are as the archive has them, with "\" between a
// folder and a file ("scripts\war3map.j"); a folder map finds them with
// its own separator.
#pragma once

#include <string>

#include "base/status.h"

namespace mapjass {

class MapFiles {
 public:
  virtual ~MapFiles() = default;

  virtual bool has(const std::string& file) const = 0;

  // The whole of `file`.
  virtual Status read(const std::string& file, std::string& bytes) const = 0;
};

}  // namespace mapjass
