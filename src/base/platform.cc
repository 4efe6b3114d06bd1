#include "base/platform.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace mapjass {

std::string pathIn(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

#ifdef _WIN32

namespace {

int errnoOfLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}

}  // namespace

int replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return errnoOfLastError();
}

int linkFile(const std::string& from, const std::string& to) {
  return CreateHardLinkA(to.c_str(), from.c_str(), nullptr) ? 0 : errnoOfLastError();
}

int createNewFile(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

// Windows keeps no permission bits beyond read-only, and a read-only file is
// never replaced.
void keepPermissionsOf(const std::string&, int) {}

long writeToFile(int fd, const char* data, size_t size) {
  return _write(fd, data, static_cast<unsigned>(size));
}

int closeFile(int fd) {
  return _close(fd);
}

int processId() {
  return _getpid();
}

void onInterrupt(void (*)(int)) {}

void removeFileInHandler(const char* path) {
  _unlink(path);
}

void restoreTerminalInHandler() {}

void waitForKeyPress(std::FILE*, std::FILE* out) {
  std::fflush(out);
  std::system("pause");
}

#else

int replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int linkFile(const std::string& from, const std::string& to) {
  return ::link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int createNewFile(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

void keepPermissionsOf(const std::string& path, int fd) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) fchmod(fd, info.st_mode & 0777);
}

long writeToFile(int fd, const char* data, size_t size) {
  return static_cast<long>(::write(fd, data, size));
}

int closeFile(int fd) {
  return ::close(fd);
}

int processId() {
  return static_cast<int>(::getpid());
}

void onInterrupt(void (*handler)(int)) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, handler);
}

void removeFileInHandler(const char* path) {
  ::unlink(path);
}

namespace {

// The terminal's settings while the key wait has it in raw mode, for a
// signal handler to put back: without them Ctrl-C during the wait would
// leave the user's shell without echo.
termios savedTerminal;
int rawTerminal = -1;  // the descriptor in raw mode, or -1
volatile std::sig_atomic_t terminalIsRaw = 0;

}  // namespace

void restoreTerminalInHandler() {
  if (terminalIsRaw) tcsetattr(rawTerminal, TCSANOW, &savedTerminal);
}

void waitForKeyPress(std::FILE* in, std::FILE* out) {
  int fd = fileno(in);
  if (fd < 0 || !isatty(fd)) return;
  std::fputs("Press any key to continue . . . ", out);
  std::fflush(out);
  if (tcgetattr(fd, &savedTerminal) == 0) {
    termios raw = savedTerminal;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    rawTerminal = fd;
    terminalIsRaw = 1;
    // TCSAFLUSH drops what was typed ahead: only a fresh key press counts.
    tcsetattr(fd, TCSAFLUSH, &raw);
    char key;
    while (read(fd, &key, 1) < 0 && errno == EINTR) {
    }
    tcsetattr(fd, TCSAFLUSH, &savedTerminal);
    terminalIsRaw = 0;
  }
  std::fputs("\n", out);
  std::fflush(out);
}

#endif

}  // namespace mapjass
