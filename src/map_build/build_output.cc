#include "map_build/build_output.h"

#include "base/file_tree.h"
#include "base/output_file.h"
#include "base/platform.h"
#include "map_build/built_map.h"
#include "map_build/map_archive.h"
#include "map_build/map_folder.h"

namespace mapjass {

namespace {

// Whether the map at `outputPath`, a folder or an archive, is one that
// mapjass-build built.
bool isBuiltOutput(const std::string& outputPath, bool isFolder) {
  if (isFolder) {
    MapFolder output;
    return output.open(outputPath, outputPath).ok() && isBuiltMap(output);
  }
  MapArchive output;
  return output.openForReading(outputPath, outputPath).ok() && isBuiltMap(output);
}

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

std::string outputPathOf(std::string output, const std::string& mapName) {
  bool isFolder = fileStateAt(output, true).kind == FileKind::kFolder;
  if (!isFolder && withoutTrailingSlashes(output) == output) return output;
  output = withoutTrailingSlashes(output);
  // A map saved as a folder is no folder to put things in: a later build of
  // it would remove them.
  if (isFolder && holdsMapFiles(output)) return output;
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
  const FileKind itself = fileStateAt(outputPath, false).kind;
  if (itself == FileKind::kNothing) return Status::success();
  // A built map of the other kind (the map was saved the other way since)
  // is not replaced either: a folder and a file are not swapped for each
  // other.
  const bool isFolder = fileStateAt(outputPath, true).kind == FileKind::kFolder;
  if (isFolder != mapIsFolder &&
      (isFolder ? holdsMapFiles(outputPath) : itself == FileKind::kFile)) {
    if (isBuiltOutput(outputPath, isFolder)) {
      return Status::failure(outputPath + ": is " +
                             (isFolder ? "a map saved as a folder" : "a .w3x or .w3m file") +
                             " that mapjass-build built, which the build of " +
                             (isFolder ? "a .w3x or .w3m file" : "a map saved as a folder") +
                             " does not replace; remove it, or give another name for the built "
                             "map");
    }
    return notOurs(outputPath);
  }
  if (mapIsFolder) {
    if (itself != FileKind::kFolder) return notOurs(outputPath);
    if (Status held = checkNothingHeldOpen(outputPath); !held.ok()) return held;
    return isBuiltOutput(outputPath, true) ? Status::success() : notOurs(outputPath);
  }
  if (Status replaceable = checkReplaceable("", outputPath); !replaceable.ok()) return replaceable;
  return isBuiltOutput(outputPath, false) ? Status::success() : notOurs(outputPath);
}

}  // namespace mapjass
