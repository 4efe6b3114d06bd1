// mapjass-build: builds a map whose script creates its destructables. It
// takes the map's path and, if given, the built map's.
#include <cstdio>

#include "base/platform.h"
#include "base/signals.h"
#include "map_build/build_program.h"

int main(int argc, char** argv) {
  mapjass::openClosedStandardStreams();
  mapjass::installSignalHandling();
  return mapjass::runBuildProgram(mapjass::commandLineArguments(argc, argv), stdin, stdout, stderr);
}
