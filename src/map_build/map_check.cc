#include "map_build/map_check.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/file_names.h"

namespace mapjass {

namespace {

// The archive's own files, which the library writes anew.
constexpr const char* kLibraryFiles[] = {kListFile, kAttributesFile};

// The first `size` bytes of the file at `path`.
Status readStart(const std::string& path, uint64_t size, std::string& bytes) {
  ByteReader in;
  if (Status opened = ByteReader::openFile("", path, in); !opened.ok()) return opened;
  bytes.assign(static_cast<size_t>(size), '\0');
  if (!in.takeInto(reinterpret_cast<uint8_t*>(bytes.data()), size)) {
    return Status::failure(in.endMessage(0, "the bytes before the archive"));
  }
  return Status::success();
}

}  // namespace

Status checkBuiltMap(const std::string& mapPath, const MapArchive& map,
                     const std::string& builtPath, const std::string& builtName,
                     const Changes& changes, const WarningSink& warn) {
  MapArchive built;
  if (Status opened = built.openForReading(builtPath, builtName); !opened.ok()) return opened;
  auto wrong = [&](const std::string& what) {
    return Status::failure(builtName + ": the built map does not read back as it was written (" +
                           what + ")");
  };
  for (const auto& [name, wanted] : changes) {
    std::string got;
    if (Status read = built.read(name, got); !read.ok()) return read;
    if (got != wanted) return wrong(name + " differs");
  }
  // A map without a list of its names shows a file as "File00000012.xxx"
  // until it was asked for by its name, as the build asked the map.
  std::vector<std::string> names = map.fileNames();
  for (const std::string& name : names) built.learnName(name);
  if (built.fileNames() != names) return wrong("its files are not the map's");
  for (const std::string& name : names) {
    if (built.isDamaged(name)) {
      if (!map.isDamaged(name)) return wrong(name + " is damaged");
      warn(builtName + ": " + name + " is damaged in the map already; it was copied as it is");
      continue;
    }
    bool ownedByLibrary = std::find(std::begin(kLibraryFiles), std::end(kLibraryFiles), name) !=
                          std::end(kLibraryFiles);
    if (ownedByLibrary || changes.count(name) != 0) continue;
    std::string wanted, got;
    if (!map.read(name, wanted).ok()) continue;  // the library's check spoke for it
    if (Status read = built.read(name, got); !read.ok()) return read;
    if (got != wanted) return wrong(name + " differs");
  }
  std::string before, builtBefore;
  if (Status read = readStart(mapPath, map.headerOffset(), before); !read.ok()) return read;
  if (Status read = readStart(builtPath, map.headerOffset(), builtBefore); !read.ok()) return read;
  if (before != builtBefore || built.headerOffset() != map.headerOffset()) {
    return wrong("the bytes before the archive differ");
  }
  return Status::success();
}

}  // namespace mapjass
