// mapjass: turns a map's doodads and terrain into JASS. It takes no
// arguments; everything it needs it asks for.
#include <cstdio>

#include "dialogue/program.h"

int main() {
  return mapjass::runMapjass(stdin, stdout, stderr);
}
