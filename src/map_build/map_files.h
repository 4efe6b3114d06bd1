// The files of a map, whether it is an archive or a folder: what a build
// reads of it. Names are as the archive has them, with "\" between a
// folder and a file ("scripts\war3map.j"); a folder map finds them with
// its own separator.
#pragma once

#include <string>

#include "base/status.h"

namespace mapjass {

// Why a file of a map, or the map, cannot be opened, as a map maker reads
// it: no permission, or held by another program (Windows: the World Editor
// holds the map it edits), or what the system said.
Status mapOpenFailure(const std::string& name, int error);

class MapFiles {
 public:
  virtual ~MapFiles() = default;

  virtual bool has(const std::string& file) const = 0;

  // The whole of `file`.
  virtual Status read(const std::string& file, std::string& bytes) const = 0;

  // What is said after the message of a file that cannot be read: an
  // archive is then damaged; a folder's file has the system's reason.
  virtual const char* readFailureAdvice() const = 0;
};

}  // namespace mapjass
