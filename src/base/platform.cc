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

#ifdef _WIN32

int replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return 0;
  }
  return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
}

int createNewFile(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

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

void waitForKeyPress(std::FILE* out) {
  std::fflush(out);
  std::system("pause");
}

#else

int replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int createNewFile(const std::string& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

void waitForKeyPress(std::FILE* out) {
  if (!isatty(STDIN_FILENO)) return;
  std::fputs("Press any key to continue . . . ", out);
  std::fflush(out);
  termios saved;
  if (tcgetattr(STDIN_FILENO, &saved) == 0) {
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    // TCSAFLUSH drops what was typed ahead: only a fresh key press counts.
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw);
    char key;
    while (read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
    }
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  }
  std::fputs("\n", out);
  std::fflush(out);
}

#endif

}  // namespace mapjass
