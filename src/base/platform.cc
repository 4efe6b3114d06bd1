#include "base/platform.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/signals.h"

#ifdef _WIN32
// windows.h first: shellapi.h builds on it.
// clang-format off
#include <windows.h>
#include <direct.h>
#include <io.h>
#include <process.h>
#include <shellapi.h>
// clang-format on
#else
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#endif

namespace mapjass {

int writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    long written = writeToFile(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : ENOSPC;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return 0;
}

std::string pathIn(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && (path.ends_with('/') || path.ends_with('\\'))) path.pop_back();
  return path;
}

std::string fileNameOf(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isSameFile(const std::string& a, const std::string& b) {
  std::string identity = fileIdentity(a);
  return !identity.empty() && identity == fileIdentity(b);
}

namespace {

FileState stateOf(int mode) {
  FileKind kind = S_ISREG(mode)   ? FileKind::kFile
                  : S_ISDIR(mode) ? FileKind::kFolder
                                  : FileKind::kOther;
#ifdef S_ISLNK
  if (S_ISLNK(mode)) kind = FileKind::kLink;
#endif
  // The mode, not access(): root may write anywhere, but a file that its
  // owner made read-only is kept, as Windows keeps it.
  return {kind, kind == FileKind::kFile && (mode & 0222) == 0};
}

}  // namespace

#ifdef _WIN32

std::wstring wide(const std::string& text) {
  int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
  return result;
}

namespace {

std::string utf8(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  return result;
}

int errnoOfLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    // Another program holds the file open: not a matter of permissions.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    default:
      return EIO;
  }
}

}  // namespace

// The arguments in the system's code page would lose every character
// outside it, so they are taken again as wide characters.
std::vector<std::string> commandLineArguments(int, char**) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> result;
  for (int i = 1; i < count; ++i) result.push_back(utf8(arguments[i]));
  LocalFree(arguments);
  return result;
}

// The C runtime gives a program that was started without standard handles
// descriptors 0 to 2 all the same, which write nowhere, so no file the
// program opens can take their place.
void openClosedStandardStreams() {}

FileState fileStateAt(const std::string& path, bool) {
  struct _stat64 info;
  if (_wstat64(wide(path).c_str(), &info) != 0) return {FileKind::kNothing, false};
  return stateOf(info.st_mode);
}

int openForReading(const std::string& path) {
  int fd = _wopen(wide(path).c_str(), _O_RDONLY | _O_BINARY);
  // The C runtime folds a file held open by another program into EACCES.
  if (fd < 0 && (_doserrno == ERROR_SHARING_VIOLATION || _doserrno == ERROR_LOCK_VIOLATION)) {
    errno = EBUSY;
  }
  return fd;
}

int replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return errnoOfLastError();
}

int linkFile(const std::string& from, const std::string& to) {
  return CreateHardLinkW(wide(to).c_str(), wide(from).c_str(), nullptr) ? 0 : errnoOfLastError();
}

int removeFile(const std::string& path) {
  return _wunlink(wide(path).c_str()) == 0 ? 0 : errno;
}

int makeFolder(const std::string& path) {
  return _wmkdir(wide(path).c_str()) == 0 ? 0 : errno;
}

int removeFolder(const std::string& path) {
  return _wrmdir(wide(path).c_str()) == 0 ? 0 : errno;
}

int exchangePaths(const std::string&, const std::string&) {
  return ENOSYS;
}

// Windows keeps one such bit, for files: read-only. 0444 and 0666 stand
// for it.
unsigned permissionBitsOf(const std::string& path) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  bool readOnly =
      (attributes & FILE_ATTRIBUTE_READONLY) != 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  return readOnly ? 0444 : 0666;
}

void setPermissionBits(const std::string& path, unsigned bits) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  DWORD wanted = (bits & 0222) == 0 ? attributes | FILE_ATTRIBUTE_READONLY
                                    : attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (wanted != attributes) SetFileAttributesW(wide(path).c_str(), wanted);
}

int createNewFile(const std::string& path) {
  return _wopen(wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                _S_IREAD | _S_IWRITE);
}

// Windows keeps no permission bits beyond read-only, and a read-only file is
// never replaced.
void keepPermissionsOf(const std::string&, int) {}

long readFromFile(int fd, void* data, size_t size) {
  return _read(fd, data, static_cast<unsigned>(size));
}

int seekToStart(int fd) {
  return _lseeki64(fd, 0, SEEK_SET) == 0 ? 0 : -1;
}

long readFromFileAt(int fd, uint64_t offset, void* data, size_t size) {
  if (_lseeki64(fd, static_cast<__int64>(offset), SEEK_SET) < 0) return -1;
  return readFromFile(fd, data, size);
}

long writeToFile(int fd, const char* data, size_t size) {
  return _write(fd, data, static_cast<unsigned>(size));
}

long writeToFileAt(int fd, uint64_t offset, const char* data, size_t size) {
  if (_lseeki64(fd, static_cast<__int64>(offset), SEEK_SET) < 0) return -1;
  long written = writeToFile(fd, data, size);
  int error = errno;
  _lseeki64(fd, 0, SEEK_END);
  errno = error;
  return written;
}

int closeFile(int fd) {
  return _close(fd);
}

int processId() {
  return _getpid();
}

bool waitForKeyPress(std::FILE*, std::FILE* out) {
  std::fflush(out);
  std::system("pause");
  return true;
}

bool isTerminal(std::FILE* stream) {
  DWORD mode;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

bool areSameTerminal(std::FILE* a, std::FILE* b) {
  return isTerminal(a) && isTerminal(b);
}

void writeToConsole(std::FILE* stream, std::string_view text) {
  if (isTerminal(stream)) {
    int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0);
    if (size > 0) {
      std::wstring characters(static_cast<size_t>(size), L'\0');
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), characters.data(),
                          size);
      std::fflush(stream);
      DWORD written;
      HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
      if (WriteConsoleW(handle, characters.data(), static_cast<DWORD>(characters.size()), &written,
                        nullptr) != 0) {
        return;
      }
    }
  }
  std::fwrite(text.data(), 1, text.size(), stream);
}

std::string fileIdentity(const std::string& path) {
  // Backup semantics open a folder as well as a file.
  HANDLE file =
      CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  BY_HANDLE_FILE_INFORMATION info;
  bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return "";
  char identity[32];
  std::snprintf(identity, sizeof identity, "%08lx-%08lx%08lx",
                static_cast<unsigned long>(info.dwVolumeSerialNumber),
                static_cast<unsigned long>(info.nFileIndexHigh),
                static_cast<unsigned long>(info.nFileIndexLow));
  return identity;
}

bool folderEntries(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(wide(pathIn(folder.empty() ? "." : folder, "*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    errno = errnoOfLastError();
    return false;
  }
  do {
    std::string name = utf8(found.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

std::string resolvedPathOf(const std::string& path) {
  wchar_t full[32768];
  DWORD size = GetFullPathNameW(wide(path).c_str(), 32768, full, nullptr);
  if (size == 0 || size >= 32768) return "";
  return utf8(full);
}

bool isInsideFolder(const std::string& path, const std::string& folder) {
  // Windows compares names without case.
  auto folded = [](std::string text) {
    for (char& c : text) {
      c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
  };
  std::string inner = folded(resolvedPathOf(path)), outer = folded(resolvedPathOf(folder));
  while (outer.size() > 3 && outer.back() == '\\') outer.pop_back();
  return !inner.empty() && !outer.empty() && inner.size() > outer.size() &&
         inner.starts_with(outer) && (inner[outer.size()] == '\\' || outer.back() == '\\');
}

// Asks for the file as a rename would: a program that has it open without
// letting others remove it makes that fail at once.
bool isHeldOpen(const std::string& path) {
  HANDLE file = CreateFileW(
      wide(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The Windows build carries its own libraries, which do not crash on what
// the tests and the real maps give them.
Status runApart(const std::function<Status()>& work, const std::string&) {
  return work();
}

bool hasOwnConsoleWindow() {
  DWORD processes[2];
  return GetConsoleProcessList(processes, 2) == 1;
}

std::string currentFolder() {
  wchar_t* folder = _wgetcwd(nullptr, 0);
  if (folder == nullptr) return ".";
  std::string result = utf8(folder);
  std::free(folder);
  return result;
}

#else

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void openClosedStandardStreams() {
  // Each open takes the lowest free descriptor: the closed one just found.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) ::open("/dev/null", O_RDWR);
  }
}

FileState fileStateAt(const std::string& path, bool followLinks) {
  struct stat info;
  if ((followLinks ? stat(path.c_str(), &info) : lstat(path.c_str(), &info)) != 0) {
    return {FileKind::kNothing, false};
  }
  return stateOf(info.st_mode);
}

int openForReading(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

int replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int linkFile(const std::string& from, const std::string& to) {
  return ::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0 ? 0 : errno;
}

int removeFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int makeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

int removeFolder(const std::string& path) {
  return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

int exchangePaths(const std::string& a, const std::string& b) {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
  return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0 ? 0 : errno;
#else
  return ENOSYS;
#endif
}

unsigned permissionBitsOf(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

void setPermissionBits(const std::string& path, unsigned bits) {
  ::chmod(path.c_str(), static_cast<mode_t>(bits));
}

int createNewFile(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

void keepPermissionsOf(const std::string& path, int fd) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) fchmod(fd, info.st_mode & 0777);
}

long readFromFile(int fd, void* data, size_t size) {
  return static_cast<long>(::read(fd, data, size));
}

int seekToStart(int fd) {
  return ::lseek(fd, 0, SEEK_SET) == 0 ? 0 : -1;
}

long readFromFileAt(int fd, uint64_t offset, void* data, size_t size) {
  return static_cast<long>(::pread(fd, data, size, static_cast<off_t>(offset)));
}

long writeToFile(int fd, const char* data, size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

long writeToFileAt(int fd, uint64_t offset, const char* data, size_t size) {
  return static_cast<long>(::pwrite(fd, data, size, static_cast<off_t>(offset)));
}

int closeFile(int fd) {
  return ::close(fd);
}

int processId() {
  return static_cast<int>(::getpid());
}

bool waitForKeyPress(std::FILE* in, std::FILE* out) {
  int fd = fileno(in);
  if (fd < 0 || !isatty(fd)) return false;
  std::fputs("Press any key to continue . . . ", out);
  std::fflush(out);
  if (enterRawTerminal(fd)) {
    char key;
    long got;
    while ((got = read(fd, &key, 1)) < 0 && errno == EINTR) {
    }
    leaveRawTerminal();
    // The terminal went away: that is no key press, and the run ends as the
    // hang-up that follows would end it, before the next job can start.
    if (got != 1) endAsAfterHangUp();
  }
  std::fputs("\n", out);
  std::fflush(out);
  return true;
}

bool isTerminal(std::FILE* stream) {
  int fd = fileno(stream);
  return fd >= 0 && isatty(fd);
}

bool areSameTerminal(std::FILE* a, std::FILE* b) {
  struct stat first, second;
  return isTerminal(a) && isTerminal(b) && fstat(fileno(a), &first) == 0 &&
         fstat(fileno(b), &second) == 0 && first.st_rdev == second.st_rdev;
}

void writeToConsole(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

std::string fileIdentity(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return "";
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

bool folderEntries(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
  // Opened as any file is, so that a test can make it fail as a folder
  // without permissions would for anyone but root.
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* entries = fd < 0 ? nullptr : fdopendir(fd);
  if (entries == nullptr) {
    int error = errno;
    if (fd >= 0) ::close(fd);
    errno = error;
    return false;
  }
  while (const dirent* entry = readdir(entries)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(entries);
  return true;
}

bool isHeldOpen(const std::string&) {
  return false;
}

std::string resolvedPathOf(const std::string& path) {
  if (char* resolved = realpath(path.c_str(), nullptr)) {
    std::string result = resolved;
    std::free(resolved);
    return result;
  }
  char* folder = realpath(folderOf(path).c_str(), nullptr);
  if (folder == nullptr) return "";
  std::string result = pathIn(folder, fileNameOf(path));
  std::free(folder);
  return result;
}

bool isInsideFolder(const std::string& path, const std::string& folder) {
  std::string inner = resolvedPathOf(path), outer = resolvedPathOf(folder);
  if (inner.empty() || outer.empty()) return false;
  if (outer != "/") outer += "/";
  return inner.size() > outer.size() && inner.starts_with(outer);
}

Status runApart(const std::function<Status()>& work, const std::string& what) {
  int message[2];
  if (pipe(message) != 0) return work();
  std::fflush(nullptr);
  pid_t child = fork();
  if (child < 0) {
    close(message[0]);
    close(message[1]);
    return work();
  }
  if (child == 0) {
    close(message[0]);
    Status status = work();
    for (size_t at = 0; at < status.error.size();) {
      long written = ::write(message[1], status.error.data() + at, status.error.size() - at);
      if (written <= 0) break;
      at += static_cast<size_t>(written);
    }
    // No destructor of the parent's objects may run here: they would remove
    // its files.
    _exit(status.ok() ? 0 : 1);
  }
  close(message[1]);
  std::string error;
  char buffer[4096];
  for (long got; (got = ::read(message[0], buffer, sizeof buffer)) != 0;) {
    if (got > 0) error.append(buffer, static_cast<size_t>(got));
    if (got < 0 && errno != EINTR) break;
  }
  close(message[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status)) {
    return Status::failure(what + " (" + strsignal(WTERMSIG(status)) + ")");
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return Status::failure(error.empty() ? what : error);
  }
  return Status::success();
}

bool hasOwnConsoleWindow() {
  return false;
}

std::string currentFolder() {
  char* folder = getcwd(nullptr, 0);
  if (folder == nullptr) return ".";
  std::string result = folder;
  std::free(folder);
  return result;
}

#endif

}  // namespace mapjass
