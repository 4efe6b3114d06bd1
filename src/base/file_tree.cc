#include "base/file_tree.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace mapjass {

namespace {

constexpr size_t kPiece = 1 << 20;

Status listInto(const std::string& root, const std::string& name, const std::string& relative,
                std::vector<TreeEntry>& entries) {
  std::string folder = relative.empty() ? root : pathIn(root, relative);
  std::vector<std::string> names;
  if (!folderEntries(folder, names)) {
    return Status::failure((relative.empty() ? name : pathIn(name, relative)) +
                           ": cannot read the folder: " + std::strerror(errno));
  }
  std::sort(names.begin(), names.end());
  for (const std::string& entry : names) {
    std::string path = relative.empty() ? entry : relative + "/" + entry;
    FileKind kind = fileStateAt(pathIn(root, path), false).kind;
    entries.push_back({path, kind});
    if (kind == FileKind::kFolder) {
      if (Status listed = listInto(root, name, path, entries); !listed.ok()) return listed;
    }
  }
  return Status::success();
}

// An open descriptor, closed when it goes.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) closeFile(fd);
  }
};

// Reads up to `size` bytes, fewer only at the end of the file.
long readFully(int fd, char* data, size_t size) {
  size_t got = 0;
  while (got < size) {
    long n = readFromFile(fd, data + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<long>(got);
}

}  // namespace

Status listTree(const std::string& root, const std::string& name, std::vector<TreeEntry>& entries) {
  entries.clear();
  return listInto(root, name, "", entries);
}

Status copyFileTo(const std::string& from, const std::string& fromName, const std::string& to,
                  const std::string& toName) {
  Descriptor in{openForReading(from)};
  if (in.fd < 0) return Status::failure(fromName + ": cannot open: " + std::strerror(errno));
  Descriptor out{createNewFile(to)};
  if (out.fd < 0) return Status::failure(toName + ": cannot create: " + std::strerror(errno));
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  for (;;) {
    long got = readFully(in.fd, buffer.get(), kPiece);
    if (got < 0) return Status::failure(fromName + ": cannot read: " + std::strerror(errno));
    if (int error = writeAll(out.fd, buffer.get(), static_cast<size_t>(got)); error != 0) {
      return Status::failure(toName + ": cannot write: " + std::strerror(error));
    }
    if (static_cast<size_t>(got) < kPiece) break;
  }
  int closed = closeFile(out.fd);
  out.fd = -1;
  if (closed != 0) return Status::failure(toName + ": cannot write: " + std::strerror(errno));
  setPermissionBits(to, permissionBitsOf(from));
  return Status::success();
}

bool haveSameBytes(const std::string& a, const std::string& b) {
  Descriptor first{openForReading(a)}, second{openForReading(b)};
  if (first.fd < 0 || second.fd < 0) return false;
  std::unique_ptr<char[]> one(new char[kPiece]), other(new char[kPiece]);
  for (;;) {
    long got = readFully(first.fd, one.get(), kPiece);
    if (got < 0 || readFully(second.fd, other.get(), kPiece) != got) return false;
    if (std::memcmp(one.get(), other.get(), static_cast<size_t>(got)) != 0) return false;
    if (static_cast<size_t>(got) < kPiece) return true;
  }
}

int removeTree(const std::string& path) {
  if (fileStateAt(path, false).kind != FileKind::kFolder) {
    int error = removeFile(path);
    // Windows removes no read-only file.
    if (error == EACCES) {
      setPermissionBits(path, permissionBitsOf(path) | 0200);
      error = removeFile(path);
    }
    return error;
  }
  // A read-only folder of a copy (its map's was) lets nothing in it go.
  if (unsigned bits = permissionBitsOf(path); (bits & 0700) != 0700) {
    setPermissionBits(path, bits | 0700);
  }
  std::vector<std::string> entries;
  if (!folderEntries(path, entries)) return errno;
  int first = 0;
  for (const std::string& entry : entries) {
    int error = removeTree(pathIn(path, entry));
    if (first == 0) first = error;
  }
  int error = removeFolder(path);
  return first != 0 ? first : error;
}

}  // namespace mapjass
