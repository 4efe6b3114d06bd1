// The few places where Windows and the other systems differ: file calls,
// the end of an interrupted run, and the wait for a key press.
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

// `name` in `folder`; an empty folder is the current one.
std::string pathIn(const std::string& folder, const std::string& name);

// Replaces `to` with `from` in one step. Returns 0, or an errno value.
int replaceFile(const std::string& from, const std::string& to);

// Gives the file at `from` the second name `to`. Returns 0, or an errno
// value (ENOENT when there is no file at `from`).
int linkFile(const std::string& from, const std::string& to);

// Opens a new file for writing that must not exist yet. Returns a file
// descriptor, or -1 with errno set.
int createNewFile(const std::string& path);

// Gives the open file `fd` the permission bits of the file at `path`, when
// there is one, so that replacing a file does not change who may read it.
void keepPermissionsOf(const std::string& path, int fd);

// The plain descriptor calls, which Windows names differently.
long writeToFile(int fd, const char* data, size_t size);
int closeFile(int fd);
int processId();

// Calls `handler` when the run is interrupted (Ctrl-C, a closed terminal, a
// kill). Windows cannot remove a file that is still open, which is what the
// handler is for, so there it is not installed.
void onInterrupt(void (*handler)(int signal));
// What such a handler may call: remove a file, and put the terminal back
// the way the wait for a key press found it.
void removeFileInHandler(const char* path);
void restoreTerminalInHandler();

// Waits for a key press at the end of a job, so that a console window that
// was opened by a double click stays open. On Windows this is the system's
// "pause". Elsewhere it waits only when `in` is a terminal, so piped runs
// never hang.
void waitForKeyPress(std::FILE* in, std::FILE* out);

}  // namespace mapjass
