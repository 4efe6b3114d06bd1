// mapjass-build on any bytes as a map. Nothing may crash or hang, and each
// run ends in exit status 0 with the built map (and perhaps warnings), or 1
// with one message and no file written.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "map_build/build_program.h"
#include "test_support.h"

using namespace mapjass;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const testing::TempFolder folder;
  testing::writeFile(folder.file("Map.w3x"),
                     std::string(reinterpret_cast<const char*>(data), size));
  std::remove(folder.file("Map.built.w3x").c_str());
  std::FILE* in = std::fopen("/dev/null", "r");
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  int status = runBuildProgram({folder.file("Map.w3x")}, in, out, err);
  std::string message(static_cast<size_t>(std::ftell(err)), '\0');
  std::rewind(err);
  if (std::fread(message.data(), 1, message.size(), err) != message.size()) std::abort();
  for (std::FILE* stream : {in, out, err}) std::fclose(stream);
  testing::Files files = folder.contents();
  if (status != 0 && status != 1) std::abort();
  if (files.size() != (status == 0 ? 2u : 1u)) std::abort();  // a file left, or none built
  size_t lines = 0;
  for (char c : message) lines += c == '\n' ? 1 : 0;
  if (status == 1 && (lines != 1 || message.back() != '\n'))
    std::abort();  // warnings only on success
  return 0;
}
