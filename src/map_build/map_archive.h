// A map archive: the MPQ archive that a map (.w3x, .w3m) is, read and
// changed through StormLib, the field's standard library for it. Only this
// file knows the library; everything else sees names and bytes.
//
// A map is "HM3W" header bytes (usually 512), then the archive, found at a
// multiple of 512 bytes. Its files have names, though a file that no list
// names is known only by its place ("File00000012.xxx").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "map_build/map_files.h"

namespace mapjass {

class MapArchive : public MapFiles {
 public:
  MapArchive() = default;
  MapArchive(const MapArchive&) = delete;
  MapArchive& operator=(const MapArchive&) = delete;
  ~MapArchive() override;

  // Opens the archive in the file at `path`, which messages call `name`.
  // For writing, a protected map, which the library opens only for reading
  // (its tables are damaged on purpose), is refused.
  Status openForReading(const std::string& path, const std::string& name);
  Status openForWriting(const std::string& path, const std::string& name);

  bool has(const std::string& file) const override;
  Status read(const std::string& file, std::string& bytes) const override;

  // Opens `file` by its name, and closes it again: the library lists a file
  // by its name only once it was asked for it by that name, in a map
  // without a list of its names.
  void learnName(const std::string& file) const;

  // Every file's name, sorted, as the library lists them.
  std::vector<std::string> fileNames() const;

  // Where the archive starts in the file: the bytes before it are the map's.
  uint64_t headerOffset() const;

  // Whether the archive's tables are damaged on purpose, as map protectors
  // do: the game reads such a map, but the library writes none of it.
  bool isProtected() const;

  // Whether the library's own check of `file` finds it damaged.
  bool isDamaged(const std::string& file) const;

  // Puts `bytes` in the place of `file`, compressed; no file is added.
  Status replace(const std::string& file, const std::string& bytes);

  // Writes what changed, and closes the archive.
  Status close();

 private:
  Status failure(const std::string& what) const;

  void* handle_ = nullptr;
  std::string name_;
};

// The advice after a file of a map that cannot be read, or reads as no
// file of its kind: the map is damaged.
inline constexpr char kDamagedMapAdvice[] =
    "; the map is damaged: save it in the World Editor again";

// What is said of a protected map, after its name.
inline constexpr char kProtectedMap[] =
    ": is a protected map: its archive tables are damaged on purpose, so the library opens it "
    "only for reading; build the map's unprotected source instead";

// The library's name and version, for --version.
std::string mapArchiveLibrary();

}  // namespace mapjass
