#include "sample_map.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace mapjass::testing {
namespace {

// The demo's files are what the writer makes; rebuild them with
// build/mapjass_make_sample sample when the writer changes.
TEST(SampleMap, ShippedFilesMatchTheWriter) {
  for (const SampleMap& sample : sampleMaps()) {
    std::string folder = std::string(MAPJASS_SOURCE_DIR) + "/sample/" + sample.folder;
    EXPECT_EQ(readFile(folder + "/war3map.doo"), asString(sample.doodads)) << sample.folder;
    EXPECT_EQ(readFile(folder + "/war3map.w3e"), asString(sample.terrain)) << sample.folder;
  }
}

}  // namespace
}  // namespace mapjass::testing
