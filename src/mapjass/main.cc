// mapjass: turns a map's doodads and terrain into JASS. Everything it needs
// it asks for.
#include <cstdio>

#include "base/platform.h"
#include "base/signals.h"
#include "mapjass/program.h"

int main(int argc, char** argv) {
  mapjass::openClosedStandardStreams();
  mapjass::installSignalHandling();
  return mapjass::runMapjass(mapjass::commandLineArguments(argc, argv), "", stdin, stdout, stderr);
}
