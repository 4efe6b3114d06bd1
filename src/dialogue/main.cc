// mapjass: turns a map's doodads and terrain into JASS. It takes no
// arguments; everything it needs it asks for.
#include <csignal>
#include <cstdio>

#include "base/temporary_files.h"
#include "dialogue/program.h"

int main() {
#ifdef SIGPIPE
  // A console that went away must not end a job halfway through its files:
  // writes to it just fail.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  mapjass::cleanUpOnInterrupt();
  return mapjass::runMapjass("", stdin, stdout, stderr);
}
