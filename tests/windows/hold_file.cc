// Holds a file open without sharing it, as the World Editor holds the map it
// edits and the game the map it plays, until its standard input ends. It
// says "held" once it holds the file. For the Windows cases under wine.
//   mapjass_hold_file FILE
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: mapjass_hold_file FILE\n", stderr);
    return 2;
  }
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot hold the file: error %lu\n", GetLastError());
    return 1;
  }
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseHandle(file);
  return 0;
}
