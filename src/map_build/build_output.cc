#include "map_build/build_output.h"

#include "base/file_tree.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "map_build/built_map.h"
#include "map_build/map_archive.h"
#include "map_build/map_folder.h"

namespace mapjass {

namespace {

Status notOurs(const std::string& outputPath) {
  return Status::failure(outputPath +
                         ": is there already, and is no map that mapjass-build built, so it is "
                         "not replaced; remove it, or give another name for the built map");
}

}  // namespace

std::string builtMapName(const std::string& map) {
  const std::string path = withoutTrailingSlashes(map);
  size_t nameStart = path.size() - fileNameOf(path).size();
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return path + ".built";
  return path.substr(0, dot) + ".built" + path.substr(dot);
}

std::string outputPathOf(std::string output, const std::string& mapName, bool mapIsFolder) {
  bool isFolder = fileStateAt(output, true).kind == FileKind::kFolder;
  if (!isFolder && withoutTrailingSlashes(output) == output) return output;
  output = withoutTrailingSlashes(output);
  if (isFolder && mapIsFolder && holdsMapFiles(output)) return output;
  return pathIn(output, mapName);
}

Status checkOutput(const std::string& mapPath, const std::string& mapName, bool mapIsFolder,
                   const std::string& outputPath) {
  if (isSameFile(mapPath, outputPath)) {
    return Status::failure(outputPath +
                           ": is the map itself, which is only ever read; give another name for "
                           "the built map, or none for " +
                           builtMapName(mapName));
  }
  // A missing folder is not made: a typo in it would only put the map
  // where nobody looks.
  std::string folder = folderOf(outputPath);
  if (FileKind kind = fileStateAt(folder, true).kind; kind != FileKind::kFolder) {
    return Status::failure(outputPath + ": the folder " + folder +
                           (kind == FileKind::kNothing ? " does not exist" : " is not a folder") +
                           "; make it first, or give another name for the built map");
  }
  if (mapIsFolder && isInsideFolder(outputPath, mapPath)) {
    return Status::failure(outputPath + ": is inside the map " + mapName +
                           ", which is only ever read; give a name outside it");
  }
  if (mapIsFolder && isInsideFolder(mapPath, outputPath)) {
    return Status::failure(outputPath + ": holds the map " + mapName +
                           ", which is only ever read; give another name for the built map");
  }
  return checkOutputReplaceable(outputPath, mapIsFolder);
}

Status checkNothingHeldOpen(const std::string& folder) {
  std::vector<TreeEntry> entries;
  if (!listTree(folder, folder, entries).ok()) return Status::success();
  for (const TreeEntry& entry : entries) {
    const std::string path = pathIn(folder, entry.path);
    if (Status held = checkNotHeldOpen(path, path); !held.ok()) return held;
  }
  return Status::success();
}

Status checkOutputReplaceable(const std::string& outputPath, bool mapIsFolder) {
  FileKind kind = fileStateAt(outputPath, true).kind;
  if (mapIsFolder) {
    FileKind itself = fileStateAt(outputPath, false).kind;
    if (itself == FileKind::kNothing) return Status::success();
    if (itself != FileKind::kFolder) return notOurs(outputPath);
    if (Status held = checkNothingHeldOpen(outputPath); !held.ok()) return held;
    MapFolder output;
    if (output.open(outputPath, outputPath).ok() && isBuiltMap(output)) return Status::success();
    return notOurs(outputPath);
  }
  if (Status replaceable = checkReplaceable("", outputPath); !replaceable.ok()) return replaceable;
  if (kind == FileKind::kNothing) return Status::success();
  MapArchive output;
  if (output.openForReading(outputPath, outputPath).ok() && isBuiltMap(output)) {
    return Status::success();
  }
  return notOurs(outputPath);
}

}  // namespace mapjass
