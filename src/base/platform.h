// The few places where Windows and the other systems differ.
#pragma once

#include <cstdio>
#include <string>

namespace mapjass {

// Text files on Windows end their lines with CR LF.
#ifdef _WIN32
inline constexpr bool kTextLineEndIsCrLf = true;
#else
inline constexpr bool kTextLineEndIsCrLf = false;
#endif

// Replaces `to` with `from` in one step. Returns 0, or an errno value.
int replaceFile(const std::string& from, const std::string& to);

// Opens a new file for writing that must not exist yet. Returns a file
// descriptor, or -1 with errno set.
int createNewFile(const std::string& path);

// The plain descriptor calls, which Windows names differently.
long writeToFile(int fd, const char* data, size_t size);
int closeFile(int fd);
int processId();

// Calls `handler` when the run is interrupted (Ctrl-C, a closed terminal, a
// kill). Windows cannot remove a file that is still open, which is all the
// handler does, so there it is not installed.
void onInterrupt(void (*handler)(int signal));
// Removes a file from within such a handler.
void removeFileInHandler(const char* path);

// Waits for a key press at the end of a job, so that a console window that
// was opened by a double click stays open. On Windows this is the system's
// "pause". Elsewhere it waits only when standard input is a terminal, so
// piped runs never hang.
void waitForKeyPress(std::FILE* out);

}  // namespace mapjass
