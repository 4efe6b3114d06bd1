// mapjass: turns a map's doodads and terrain into JASS. It takes no
// arguments; everything it needs it asks for.
#include <cstdio>

#include "base/platform.h"
#include "base/signals.h"
#include "dialogue/program.h"

int main() {
  mapjass::openClosedStandardStreams();
  mapjass::installSignalHandling();
  return mapjass::runMapjass("", stdin, stdout, stderr);
}
