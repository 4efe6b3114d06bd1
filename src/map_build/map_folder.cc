#include "map_build/map_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/byte_reader.h"
#include "base/file_names.h"

namespace mapjass {

std::string MapFolder::pathOf(const std::string& file) {
  std::string path = file;
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

Status MapFolder::open(const std::string& path, const std::string& name) {
  path_ = path;
  name_ = name;
  files_.clear();
  if (Status listed = listTree(path, name, entries_); !listed.ok()) return listed;
  for (const TreeEntry& entry : entries_) {
    if (entry.kind == FileKind::kFile) {
      int fd = openForReading(pathIn(path, entry.path));
      if (fd < 0) return mapOpenFailure(pathIn(name, entry.path), errno);
      closeFile(fd);
      files_.insert(entry.path);
    } else if (entry.kind != FileKind::kFolder) {
      return Status::failure(
          pathIn(name, entry.path) +
          (entry.kind == FileKind::kLink ? ": is a link" : ": is not a plain file") +
          ", which a map saved as a folder does not hold; replace it with the "
          "file itself, or remove it");
    }
  }
  bool hasScript = has(kMapScriptFile) || has(kProtectedMapScriptFile) || has(kLuaMapScriptFile);
  if (!has(kDoodadFile) || !hasScript) {
    return Status::failure(name + ": holds no " + (hasScript ? kDoodadFile : "script") +
                           ", so it is not a map to build; give the .w3x or .w3m file of a map, "
                           "or the folder of a map saved as a folder");
  }
  return Status::success();
}

bool MapFolder::has(const std::string& file) const {
  return files_.count(pathOf(file)) != 0;
}

Status MapFolder::read(const std::string& file, std::string& bytes) const {
  Status read = ByteReader::readWholeFile(path_, pathOf(file), bytes);
  return read.ok() ? read : Status::failure(name_ + ": " + read.error);
}

Status mapOpenFailure(const std::string& name, int error) {
  if (error == EACCES) return Status::failure(name + ": cannot open: permission denied");
  if (error == EBUSY) {
    return Status::failure(name +
                           ": is open in another program (the World Editor?), which keeps "
                           "others from reading it; close the map there and build again");
  }
  return Status::failure(name + ": cannot open: " + std::strerror(error));
}

bool holdsMapFiles(const std::string& path) {
  return fileStateAt(pathIn(path, kDoodadFile), false).kind != FileKind::kNothing ||
         fileStateAt(pathIn(path, kMapInfoFile), false).kind != FileKind::kNothing;
}

}  // namespace mapjass
