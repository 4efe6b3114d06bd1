// The small sample maps that ship in sample/ for the demo. They are made by
// the test writer, and a test keeps the shipped files equal to what it makes.
#pragma once

#include <string>
#include <vector>

#include "map_writer.h"

namespace mapjass::testing {

struct SampleMap {
  std::string folder;  // below sample/
  Bytes doodads;       // war3map.doo
  Bytes terrain;       // war3map.w3e
};

std::vector<SampleMap> sampleMaps();

}  // namespace mapjass::testing
