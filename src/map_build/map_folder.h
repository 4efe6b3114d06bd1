// A map saved as a folder ("MyMap.w3x/"), as the World Editor can save
// one: the files of its archive, under the same relative paths.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/file_tree.h"
#include "base/status.h"
#include "map_build/map_files.h"

namespace mapjass {

class MapFolder : public MapFiles {
 public:
  // Lists the folder at `path`, named `name` in messages. A link or
  // anything but files and folders inside is refused: a copy would not be
  // the map, and a link may lead out of it. So is a folder without
  // war3map.doo or a script, which is no map, and one with a file that
  // cannot be read, which could not be copied.
  Status open(const std::string& path, const std::string& name);

  bool has(const std::string& file) const override;
  Status read(const std::string& file, std::string& bytes) const override;
  const char* readFailureAdvice() const override { return ""; }

  const std::string& path() const { return path_; }
  const std::string& name() const { return name_; }
  // Every file and folder inside, as listTree() gives them.
  const std::vector<TreeEntry>& entries() const { return entries_; }

  // Where the archive's name `file` ("scripts\war3map.j") is in the folder.
  static std::string pathOf(const std::string& file);

 private:
  std::string path_;
  std::string name_;
  std::vector<TreeEntry> entries_;
  std::set<std::string> files_;
};

// Whether the folder at `path` holds a map's files (war3map.doo or
// war3map.w3i): an existing folder named as the output is then the output
// itself, not a folder to put it in.
bool holdsMapFiles(const std::string& path);

}  // namespace mapjass
