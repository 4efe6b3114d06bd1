// mapjass-split: spreads the call lines of a script that mapjass wrote over
// functions that each fit one game thread. It takes the script's path, or
// looks for mapjass's scripts in the folder it runs in.
#include <cstdio>

#include "base/platform.h"
#include "base/signals.h"
#include "split/split_program.h"

int main(int argc, char** argv) {
  mapjass::openClosedStandardStreams();
  mapjass::installSignalHandling();
  return mapjass::runSplitProgram(mapjass::commandLineArguments(argc, argv), "", stdin, stdout,
                                  stderr);
}
