#include "fuzz_folder.h"

#include <dirent.h>

#include <cstring>

namespace mapjass::fuzzing {

void expectOnly(std::initializer_list<const char*> names) {
  DIR* dir = opendir(".");
  if (dir == nullptr) std::abort();
  while (dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    bool known = false;
    for (const char* name : names) known = known || std::strcmp(entry->d_name, name) == 0;
    if (!known) {
      std::fprintf(stderr, "unexpected file left behind: %s\n", entry->d_name);
      std::abort();
    }
  }
  closedir(dir);
}

}  // namespace mapjass::fuzzing
