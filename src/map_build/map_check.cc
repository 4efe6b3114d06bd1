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

// Large files are compared a piece at a time, never held whole twice.
constexpr size_t kComparedPiece = 1 << 20;

// Whether `name` reads the same in `built` as in `map`, a piece at a time:
// `differs` is set when it does not. A file that the map itself does not
// let read is not compared: the library's check spoke for it.
Status compareFile(const MapArchive& map, const MapArchive& built, const std::string& name,
                   bool& differs) {
  MapArchive::Reader wanted, got;
  if (!wanted.open(map, name).ok()) return Status::success();
  if (Status opened = got.open(built, name); !opened.ok()) return opened;
  differs = wanted.size() != got.size();
  std::string wantedPiece, gotPiece;
  for (uint64_t at = 0; at < wanted.size() && !differs; at += kComparedPiece) {
    if (!wanted.read(kComparedPiece, wantedPiece).ok()) return Status::success();
    if (Status read = got.read(kComparedPiece, gotPiece); !read.ok()) return read;
    differs = gotPiece != wantedPiece;
  }
  return Status::success();
}

}  // namespace

Status notAsWritten(const std::string& builtName, const std::string& what) {
  return Status::failure(builtName + ": the built map does not read back as it was written (" +
                         what + ")");
}

Status checkBuiltMap(const std::string& mapPath, const MapArchive& map,
                     const std::string& builtPath, const std::string& builtName,
                     const Changes& changes, const WarningSink& warn) {
  MapArchive built;
  if (Status opened = built.openForReading(builtPath, builtName); !opened.ok()) return opened;
  auto wrong = [&](const std::string& what) { return notAsWritten(builtName, what); };
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
  // Said only once the built map passes: a refusal is one message.
  std::vector<std::string> warnings;
  for (const std::string& name : names) {
    if (built.isDamaged(name)) {
      if (!map.isDamaged(name)) return wrong(name + " is damaged");
      warnings.push_back(builtName + ": " + name +
                         " is damaged in the map already; it was copied as it is");
      continue;
    }
    bool ownedByLibrary = std::find(std::begin(kLibraryFiles), std::end(kLibraryFiles), name) !=
                          std::end(kLibraryFiles);
    if (ownedByLibrary || changes.count(name) != 0) continue;
    bool differs = false;
    if (Status compared = compareFile(map, built, name, differs); !compared.ok()) return compared;
    if (differs) return wrong(name + " differs");
  }
  std::string before, builtBefore;
  if (Status read = readStart(mapPath, map.headerOffset(), before); !read.ok()) return read;
  if (Status read = readStart(builtPath, map.headerOffset(), builtBefore); !read.ok()) return read;
  if (before != builtBefore || built.headerOffset() != map.headerOffset()) {
    return wrong("the bytes before the archive differ");
  }
  for (const std::string& warning : warnings) warn(warning);
  return Status::success();
}

}  // namespace mapjass
