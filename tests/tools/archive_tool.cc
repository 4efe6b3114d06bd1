// Makes map archives and takes files out of them, for the comparison of the
// Windows build with the Linux build, which has no other way to look inside
// the maps that mapjass-build writes.
//   mapjass_archive_tool make MAP NAME=FILE ...   a map of those files, with
//                                                  a 512-byte header
//   mapjass_archive_tool extract MAP FOLDER NAME ...
//   mapjass_archive_tool info FILE LANGUAGE        a war3map.w3i of format 31
//                                                  (LANGUAGE 0 JASS, 1 Lua)
#include <cstdio>
#include <string>
#include <vector>

#include "test_archive.h"
#include "test_support.h"

using namespace mapjass::testing;

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() >= 2 && arguments[0] == "make") {
    TestArchive archive;
    for (size_t i = 2; i < arguments.size(); ++i) {
      size_t equals = arguments[i].find('=');
      archive.files.emplace_back(arguments[i].substr(0, equals),
                                 readFile(arguments[i].substr(equals + 1)));
    }
    writeFile(arguments[1], archiveBytes(archive));
    return 0;
  }
  if (arguments.size() >= 3 && arguments[0] == "extract") {
    std::vector<std::string> names(arguments.begin() + 3, arguments.end());
    for (const auto& [name, bytes] : archiveFiles(arguments[1], names)) {
      std::string file = name;
      for (char& c : file) c = c == '\\' ? '_' : c;
      writeFile(arguments[2] + "/" + file, bytes);
    }
    return 0;
  }
  if (arguments.size() == 3 && arguments[0] == "info") {
    writeFile(arguments[1], mapInfoBytes({.language = std::stoi(arguments[2])}));
    return 0;
  }
  std::fputs(
      "usage: mapjass_archive_tool make MAP NAME=FILE... | extract MAP FOLDER NAME... | info FILE "
      "LANGUAGE\n",
      stderr);
  return 2;
}
