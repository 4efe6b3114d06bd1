// The fuzz targets run the jobs for real, in a folder of their own on a
// memory file system when there is one.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace mapjass::fuzzing {

inline void enterFuzzFolder() {
  char shm[] = "/dev/shm/mapjass-fuzz-XXXXXX";
  char tmp[] = "/tmp/mapjass-fuzz-XXXXXX";
  const char* folder = mkdtemp(shm);
  if (folder == nullptr) folder = mkdtemp(tmp);
  if (folder == nullptr || chdir(folder) != 0) std::abort();
}

inline void writeWhole(const char* name, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}

inline std::string readWhole(const char* name) {
  std::string content;
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return "<missing>";
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
  std::fclose(file);
  return content;
}

// Only the expected names may be in the folder: a leftover temporary file
// is a fault.
void expectOnly(std::initializer_list<const char*> names);

}  // namespace mapjass::fuzzing
