// Folders as trees of files: listed, copied file by file, compared and
// removed. A map saved as a folder is built as a copy of the whole folder.
//
// Paths inside a tree are relative to its root and use "/" on every
// system, so that two trees list alike.
#pragma once

#include <string>
#include <vector>

#include "base/platform.h"
#include "base/status.h"

namespace mapjass {

struct TreeEntry {
  std::string path;  // relative to the root
  FileKind kind;     // a link is not followed
};

// Every entry below `root`, sorted, each folder before what it holds.
// Messages name the root `name`.
Status listTree(const std::string& root, const std::string& name, std::vector<TreeEntry>& entries);

// Copies the file `from` into the new file `to`, with its permission bits.
// Messages name them `fromName` and `toName`.
Status copyFileTo(const std::string& from, const std::string& fromName, const std::string& to,
                  const std::string& toName);

// Whether the files `a` and `b` hold the same bytes, read in pieces: a map
// may hold files of hundreds of megabytes. False when either cannot be
// read.
bool haveSameBytes(const std::string& a, const std::string& b);

// Removes `path` and everything below it; a file or a link is removed
// itself. Read-only folders and files in it are made writable first: it is
// for the program's own copies. Returns 0, or the errno value of the first
// failure.
int removeTree(const std::string& path);

}  // namespace mapjass
