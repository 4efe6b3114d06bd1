// Map archives for the tests of mapjass-build, made and read with the
// archive library itself, apart from the program's own code.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "map_writer.h"

namespace mapjass::testing {

struct TestArchive {
  size_t headerSize = 512;  // bytes before the archive: the map's "HM3W" header
  bool listfile = true;     // whether the archive lists its names
  std::vector<std::pair<std::string, Bytes>> files;
};

// The map file: the header, then an archive of the files.
Bytes archiveBytes(const TestArchive& archive);

// The named files of the map file at `path`, read by their names; a file
// that cannot be read shows as "<unreadable>".
std::vector<std::pair<std::string, Bytes>> archiveFiles(const std::string& path,
                                                        const std::vector<std::string>& names);

}  // namespace mapjass::testing
