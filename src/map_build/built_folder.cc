#include "map_build/built_folder.h"

#include <cerrno>
#include <cstring>

#include "base/byte_reader.h"
#include "base/file_tree.h"
#include "base/output_file.h"
#include "base/signals.h"
#include "map_build/build_output.h"

namespace mapjass {

namespace {

std::string changedFileAt(const Changes& changes, const std::string& path) {
  for (const auto& [name, bytes] : changes) {
    if (MapFolder::pathOf(name) == path) return name;
  }
  return "";
}

Status writeFile(const std::string& path, const std::string& bytes, const std::string& name) {
  int fd = createNewFile(path);
  if (fd < 0) return Status::failure(name + ": cannot create: " + std::strerror(errno));
  if (int error = writeAll(fd, bytes.data(), bytes.size()); error != 0) {
    closeFile(fd);
    return Status::failure(name + ": cannot write: " + std::strerror(error));
  }
  if (closeFile(fd) != 0) return Status::failure(name + ": cannot write: " + std::strerror(errno));
  return Status::success();
}

Status interrupted(const std::string& outputName) {
  return Status::failure(outputName + ": interrupted");
}

}  // namespace

Status writeBuiltFolder(const MapFolder& map, const Changes& changes, const std::string& temporary,
                        const std::string& outputName) {
  if (int error = makeFolder(temporary); error != 0) {
    return Status::failure(outputName + ": cannot create: " + std::strerror(error));
  }
  for (const TreeEntry& entry : map.entries()) {
    if (interruptWaiting()) return interrupted(outputName);
    const std::string to = pathIn(temporary, entry.path);
    const std::string shown = pathIn(outputName, entry.path);
    if (entry.kind == FileKind::kFolder) {
      if (int error = makeFolder(to); error != 0) {
        return Status::failure(shown + ": cannot create: " + std::strerror(error));
      }
      continue;
    }
    const std::string changed = changedFileAt(changes, entry.path);
    Status written = changed.empty() ? copyFileTo(pathIn(map.path(), entry.path),
                                                  pathIn(map.name(), entry.path), to, shown)
                                     : writeFile(to, changes.at(changed), shown);
    if (!written.ok()) return written;
    if (!changed.empty()) setPermissionBits(to, permissionBitsOf(pathIn(map.path(), entry.path)));
  }
  // The folders' bits last, deepest first: a read-only folder takes no
  // more files.
  for (auto entry = map.entries().rbegin(); entry != map.entries().rend(); ++entry) {
    if (entry->kind == FileKind::kFolder) {
      setPermissionBits(pathIn(temporary, entry->path),
                        permissionBitsOf(pathIn(map.path(), entry->path)));
    }
  }
  setPermissionBits(temporary, permissionBitsOf(map.path()));

  // Read back: what the file system holds now is what takes OUTPUT's place.
  auto wrong = [&](const std::string& what) { return notAsWritten(outputName, what); };
  std::vector<TreeEntry> built;
  if (Status listed = listTree(temporary, outputName, built); !listed.ok()) return listed;
  if (built.size() != map.entries().size()) return wrong("its files are not the map's");
  for (size_t i = 0; i < built.size(); ++i) {
    if (interruptWaiting()) return interrupted(outputName);
    const TreeEntry& entry = map.entries()[i];
    if (built[i].path != entry.path || built[i].kind != entry.kind) {
      return wrong("its files are not the map's");
    }
    if (entry.kind != FileKind::kFile) continue;
    const std::string at = pathIn(temporary, entry.path);
    const std::string changed = changedFileAt(changes, entry.path);
    if (changed.empty()) {
      if (!haveSameBytes(pathIn(map.path(), entry.path), at)) return wrong(entry.path + " differs");
      continue;
    }
    std::string got;
    if (!ByteReader::readWholeFile("", at, got).ok()) return wrong(entry.path + " cannot be read");
    if (got != changes.at(changed)) return wrong(entry.path + " differs");
  }
  return Status::success();
}

Status placeBuiltFolder(const std::string& temporary, const std::string& output,
                        const WarningSink& warn) {
  FileKind earlier = fileStateAt(output, false).kind;
  if (earlier == FileKind::kNothing) {
    if (int error = replaceFile(temporary, output); error != 0) {
      return Status::failure(output + ": cannot create: " + std::strerror(error));
    }
    return Status::success();
  }
  if (Status held = checkNothingHeldOpen(output); !held.ok()) return held;
  std::string old = temporary;  // where the earlier folder is at the end
  int error = exchangePaths(temporary, output);
  if (error != 0 && error != ENOSYS && error != EINVAL) {
    return Status::failure(output + ": cannot replace: " + std::strerror(error));
  }
  if (error != 0) {
    // Two renames: a run killed between them leaves the earlier folder
    // under its kept name, which the next run puts back.
    old = keptPathFor(output);
    if (error = replaceFile(output, old); error != 0) {
      return Status::failure(output + ": cannot replace: " + std::strerror(error));
    }
    if (error = replaceFile(temporary, output); error != 0) {
      Status failure = Status::failure(output + ": cannot replace: " + std::strerror(error));
      if (int back = replaceFile(old, output); back != 0) {
        failure.error += "; the earlier " + output + " is kept as " + old +
                         ", as it could not be put back: " + std::strerror(back);
      }
      return failure;
    }
  }
  if (int removed = removeTree(old); removed != 0) {
    warn(output + ": the earlier map stays beside it as " + old + ", as it could not be removed (" +
         std::strerror(removed) + "); delete it");
  }
  return Status::success();
}

}  // namespace mapjass
