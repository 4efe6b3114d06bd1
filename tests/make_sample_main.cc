// Writes the sample maps into the folder given as the only argument.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "sample_map.h"
#include "test_support.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  for (const auto& sample : mapjass::testing::sampleMaps()) {
    std::string folder = std::string(argv[1]) + "/" + sample.folder;
    mkdir(folder.c_str(), 0755);
    mapjass::testing::writeFile(folder + "/war3map.doo", sample.doodads);
    mapjass::testing::writeFile(folder + "/war3map.w3e", sample.terrain);
  }
  return 0;
}
