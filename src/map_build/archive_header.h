// The check of a map's archive header before StormLib opens the map: the
// header is found where the library finds it, and the values that would
// make it divide by zero, loop, or read or allocate more than the file
// holds are refused.
//
// The search (StormLib 9.40, SFileOpenArchive): the file is read from
// offset 0 in blocks of 4096 bytes, up to its end or 128 MB, and at each
// multiple of 512 the library looks at 208 bytes (taken from its block
// buffer, so past the file's end they are what the buffer held before).
// Which of these it honours depends on what it takes the file for: a
// Warcraft III map (a .w3x or .w3m name, "HM3W" then 4 zero bytes at the
// start, or a DLL), a StarCraft map (.scm, .scx) or anything else.
//
// Archive header, little-endian, where the search finds "MPQ\x1A" and a
// header size of at least 32 (elsewhere it moves on):
//   offset  0  4  "MPQ\x1A"
//           4  4  header size; garbage in some maps, and then ignored
//           8  4  archive size; ignored
//          12  2  format version: 0 for version 1, the only one that
//                 Warcraft III reads (the library takes every Warcraft III
//                 and StarCraft map as version 1, whatever it says)
//          14  2  sector size shift: sectors of 512 << shift bytes (only
//                 its low byte counts in version 1)
//          16  4  hash table offset, from the header; at most 32 bits
//          20  4  block table offset, the same
//          24  4  hash table entries, 16 bytes each (the top 4 bits drop)
//          28  4  block table entries, 16 bytes each (the same)
// A header whose table offsets lie past the file's end is no header: the
// search moves on. A block table that runs past the file's end is cut to
// it by the library itself; a hash table is not.
//
// User data, honoured where the file is not taken for a Warcraft III map:
//   offset  0  4  "MPQ\x1B"
//           4  4  user data size
//           8  4  offset of the archive header, from the user data
//          12  4  user data header size
// It counts when header size <= user data size <= header offset, and the
// header then lies at least 32 bytes before the file's end; the library
// reads 208 bytes there.
//
// The tables are encrypted with fixed keys. Hash entry: 8 bytes of name
// hashes, 4 of locale and platform, 4 of block index. Block entry: offset
// from the archive's start, packed size, size, flags (4 bytes each). The
// library reads (listfile) and (attributes) whole as it opens the archive,
// and writes new files after the end of the last file's data.
#pragma once

#include <string>

#include "base/status.h"

namespace mapjass {

// Opens the file at `path`, named `name` in messages, and checks its
// archive header as the library will find it under that path, then the
// files that its tables list: none may state more than 128 MB, or have
// data past the file's end. A file that
// cannot be opened is refused, saying why; a file in which the library
// finds no archive is left to the library to refuse. `readAs`, when given,
// is another name under which the library will read the same bytes (a
// copy's): the header is then found as it finds it there.
Status checkArchiveHeader(const std::string& path, const std::string& name,
                          const std::string& readAs = "");

}  // namespace mapjass
