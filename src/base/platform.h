// The few places where Windows and the other systems differ: file calls,
// the standard streams at start, and the wait for a key press.
//
// Paths are UTF-8. Windows gets them as wide characters, so that a path
// from the command line may hold characters outside the system's code page.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace mapjass {

// Text files on Windows end their lines with CR LF.
#ifdef _WIN32
inline constexpr bool kTextLineEndIsCrLf = true;
#else
inline constexpr bool kTextLineEndIsCrLf = false;
#endif

#ifdef _WIN32
// A UTF-8 path as the wide characters that the system's file calls take.
std::wstring wide(const std::string& text);
#endif

// `name` in `folder`; an empty folder is the current one.
std::string pathIn(const std::string& folder, const std::string& name);

// The folder of a file's path ("." when it names none), and its last part.
// Both slashes separate, as Windows takes both.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);

// `path` without the slashes at its end ("maps/" gives "maps"), but for a
// root ("/").
std::string withoutTrailingSlashes(std::string path);

// The program's arguments, after its name, as UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Standard input, output and error that are closed at start are opened on
// the null device, so that no file the program opens takes their place:
// warnings would go into a script.
void openClosedStandardStreams();

// What stands at a path. A symbolic link is followed only when asked to.
enum class FileKind { kNothing, kFile, kLink, kFolder, kOther };
struct FileState {
  FileKind kind;
  bool readOnly;  // a file without any write permission bit
};
FileState fileStateAt(const std::string& path, bool followLinks);

// Opens a file for binary reading. Returns a file descriptor, or -1 with
// errno set: EACCES when the user may not read it, EBUSY when another
// program holds it open without sharing it (Windows).
int openForReading(const std::string& path);

// Replaces `to` with `from` in one step. Returns 0, or an errno value.
int replaceFile(const std::string& from, const std::string& to);

// Gives what stands at `from`, a symbolic link itself included, the second
// name `to`. Returns 0, or an errno value.
int linkFile(const std::string& from, const std::string& to);

// Returns 0, or an errno value.
int removeFile(const std::string& path);

// Makes the folder `path`, or removes it when it is empty. Return 0, or an
// errno value.
int makeFolder(const std::string& path);
int removeFolder(const std::string& path);

// Swaps what stands at `a` and at `b` in one step, both of which exist.
// Returns 0, or an errno value: ENOSYS or EINVAL where the system or the
// file system cannot do it (Windows always).
int exchangePaths(const std::string& a, const std::string& b);

// The permission bits of what stands at `path` (0 where the system keeps
// none), and giving them to another path.
unsigned permissionBitsOf(const std::string& path);
void setPermissionBits(const std::string& path, unsigned bits);

// Opens a new file for writing that must not exist yet. Returns a file
// descriptor, or -1 with errno set.
int createNewFile(const std::string& path);

// Gives the open file `fd` the permission bits of the file at `path`, when
// there is one, so that replacing a file does not change who may read it.
void keepPermissionsOf(const std::string& path, int fd);

// The plain descriptor calls, which Windows names differently. They return
// what the system call returns, with errno set on failure.
long readFromFile(int fd, void* data, size_t size);
int seekToStart(int fd);
long readFromFileAt(int fd, uint64_t offset, void* data, size_t size);
long writeToFile(int fd, const char* data, size_t size);
long writeToFileAt(int fd, uint64_t offset, const char* data, size_t size);
// Writes all of `data`, again after an interrupted write. Returns 0, or an
// errno value (ENOSPC when the system writes nothing).
int writeAll(int fd, const char* data, size_t size);
int closeFile(int fd);
int processId();

// Waits for a key press at the end of a job, so that a console window that
// was opened by a double click stays open. On Windows this is the system's
// "pause". Elsewhere it waits only when `in` is a terminal, so piped runs
// never hang. True when it waited; the console is then at a line start.
bool waitForKeyPress(std::FILE* in, std::FILE* out);

// Whether `stream` is a terminal (a console window on Windows).
bool isTerminal(std::FILE* stream);

// Whether `a` and `b` show on one and the same terminal.
bool areSameTerminal(std::FILE* a, std::FILE* b);

// Writes `text` to `stream`. A Windows console is given UTF-8 text as the
// characters it stands for, which the console's code page would garble;
// everywhere else, and for text that is not UTF-8, the bytes go as they are.
void writeToConsole(std::FILE* stream, std::string_view text);

// The current folder's full path, for messages that name it.
std::string currentFolder();

// What tells the file or folder at `path` from every other, whichever names
// or links lead to it: its volume and file number. Empty when it cannot be
// found.
std::string fileIdentity(const std::string& path);

// Whether `a` and `b` are the same file. False when either is missing.
bool isSameFile(const std::string& a, const std::string& b);

// Whether `path` (which need not exist, but its folder must) lies inside
// the folder `folder`, whichever names or links lead to either.
bool isInsideFolder(const std::string& path, const std::string& folder);

// The names of the entries in `folder` (empty: the current one), without
// "." and "..". False, with errno set, when it cannot be read: an empty
// folder and one that cannot be read are not the same.
bool folderEntries(const std::string& folder, std::vector<std::string>& names);

// The path with every link resolved and no "." or ".." left; a path that
// does not exist yet has its folder's resolved. Empty when even that cannot
// be had.
std::string resolvedPathOf(const std::string& path);

// Whether another program holds the file at `path` open so that it cannot
// be replaced or removed: Windows lets a program open a file without sharing
// it (the game holds the map it plays). Never elsewhere.
bool isHeldOpen(const std::string& path);

// Runs `work` in a process of its own where the system has them, so that a
// library that crashes or aborts in it ends that process, not the program:
// the result is then a failure that says so, after `what`. `work` must
// leave its results in files, as nothing else comes back but its Status.
Status runApart(const std::function<Status()>& work, const std::string& what);

// Whether the program has a console window of its own, which closes when it
// ends: a double click, or a file dropped onto it, on Windows. Never
// elsewhere, where a program runs in a terminal that stays.
bool hasOwnConsoleWindow();

}  // namespace mapjass
