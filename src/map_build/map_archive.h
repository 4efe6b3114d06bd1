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

  // Opens the archive in the file at `path`, which messages call `name`,
  // once its header has passed checkArchiveHeader. For writing, a protected map, which the library
  // opens only for reading (its tables are damaged on purpose), is refused.
  Status openForReading(const std::string& path, const std::string& name);
  Status openForWriting(const std::string& path, const std::string& name);

  bool has(const std::string& file) const override;
  Status read(const std::string& file, std::string& bytes) const override;
  const char* readFailureAdvice() const override;

  // Opens `file` by its name, and closes it again: the library lists a file
  // by its name only once it was asked for it by that name, in a map
  // without a list of its names.
  void learnName(const std::string& file) const;

  // A file of the archive, read front to back in pieces through one
  // handle: the library may unpack a whole file each time it is opened.
  class Reader {
   public:
    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader();
    // A stated size above kMaxFileSize is refused.
    Status open(const MapArchive& archive, const std::string& file);
    uint64_t size() const { return size_; }
    // The next `n` bytes, fewer only at the end.
    Status read(size_t n, std::string& bytes);

   private:
    const MapArchive* archive_ = nullptr;
    std::string file_;
    void* handle_ = nullptr;
    uint64_t size_ = 0;
    uint64_t at_ = 0;
  };

  // Refuses the archive when any of its files states more than
  // kMaxFileSize, or all of them more than kMaxTotalSize: before anything
  // is read, as the build reads every file three times (the library's
  // check, and the comparison of map and built map).
  Status checkStatedSizes() const;

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

// The most that one file of a map may state: Warcraft III's own limit for
// a whole map. A few bytes can state, and unpack to, far more.
inline constexpr uint64_t kMaxFileSize = 128 << 20;
// And all of them: what a build reads in a few seconds.
inline constexpr uint64_t kMaxTotalSize = 4 * kMaxFileSize;

// The advice after a file that is no map archive.
inline constexpr char kNotAMapAdvice[] = "; give the .w3x or .w3m file of a map";

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
