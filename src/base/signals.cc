#include "base/signals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#ifndef _WIN32
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace mapjass {

namespace {

// A signal handler may neither allocate nor lock, so the list is fixed
// storage that the handler only reads. That is safe because the program has
// one thread: every name is registered and unregistered on it, and a slot is
// marked in use only once its path is complete. A doodad job registers ten
// names at most: five temporary files and five earlier outputs kept aside.
constexpr int kMaxRemovable = 16;
constexpr size_t kMaxRemovablePath = 4096;
char removablePaths[kMaxRemovable][kMaxRemovablePath];
std::atomic<bool> removableInUse[kMaxRemovable];

}  // namespace

bool RemovalSlot::take(const std::string& path) {
  if (path.size() >= kMaxRemovablePath) return false;
  for (int slot = 0; slot < kMaxRemovable; ++slot) {
    if (removableInUse[slot].load()) continue;
    std::memcpy(removablePaths[slot], path.c_str(), path.size() + 1);
    removableInUse[slot].store(true);
    slot_ = slot;
    return true;
  }
  return false;
}

void RemovalSlot::release() {
  if (slot_ >= 0) removableInUse[slot_].store(false);
  slot_ = -1;
}

#ifdef _WIN32

void installSignalHandling() {}
bool interruptWaiting() {
  return false;
}
InterruptsHeld::InterruptsHeld() {}
InterruptsHeld::~InterruptsHeld() {}
bool enterRawTerminal(int) {
  return false;
}
void leaveRawTerminal() {}
void endAsAfterHangUp() {}

#else

namespace {

constexpr int kInterrupts[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};

sigset_t interruptSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kInterrupts) sigaddset(&set, signal);
  return set;
}

// The terminal while the key wait has it in raw mode, for the handlers to
// put back: otherwise an interrupt would leave the user's shell without
// echo, and Ctrl-Z would stop the program with the terminal still raw.
termios savedTerminal;
termios rawTerminal;
int terminalFd = -1;
volatile std::sig_atomic_t terminalIsRaw = 0;
struct sigaction stopBeforeWait;  // SIGTSTP as it was before the wait

sigset_t maskBeforeHeld;

void removeRegisteredFiles() {
  for (int slot = 0; slot < kMaxRemovable; ++slot) {
    if (removableInUse[slot].load()) ::unlink(removablePaths[slot]);
  }
}

void endOnInterrupt(int signal) {
  removeRegisteredFiles();
  if (terminalIsRaw) tcsetattr(terminalFd, TCSANOW, &savedTerminal);
  // Ctrl-\ would leave a core file in the map's folder.
  rlimit noCore{0, 0};
  if (signal == SIGQUIT) setrlimit(RLIMIT_CORE, &noCore);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigaction(signal, &byDefault, nullptr);
  // Blocked while this handler runs; it ends the process as soon as the
  // handler returns.
  std::raise(signal);
}

void stopWithTerminalRestored(int);

void catchStop() {
  struct sigaction action {};
  action.sa_handler = stopWithTerminalRestored;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTSTP, &action, nullptr);
}

// Ctrl-Z during the key wait: the shell gets the terminal back as it was,
// the program stops, and after `fg` the wait is raw again, so that one key
// still ends it.
void stopWithTerminalRestored(int) {
  int savedErrno = errno;
  if (terminalIsRaw) tcsetattr(terminalFd, TCSANOW, &savedTerminal);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  sigaction(SIGTSTP, &byDefault, nullptr);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  std::raise(SIGTSTP);  // the process stops here until it is continued
  catchStop();
  // TCSANOW, not TCSAFLUSH: keys typed after `fg` count.
  if (terminalIsRaw) tcsetattr(terminalFd, TCSANOW, &rawTerminal);
  errno = savedErrno;
}

}  // namespace

void installSignalHandling() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = endOnInterrupt;
  action.sa_mask = interruptSet();  // one handler at a time
  for (int signal : kInterrupts) {
    struct sigaction before;
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
      sigaction(signal, &action, nullptr);
    }
  }
}

InterruptsHeld::InterruptsHeld() {
  sigset_t set = interruptSet();
  sigprocmask(SIG_BLOCK, &set, &maskBeforeHeld);
}

InterruptsHeld::~InterruptsHeld() {
  sigprocmask(SIG_SETMASK, &maskBeforeHeld, nullptr);
}

bool interruptWaiting() {
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  // An ignored signal stays pending while it is blocked, and is dropped
  // when it is not: that is no interrupt.
  for (int signal : kInterrupts) {
    struct sigaction action;
    if (sigismember(&pending, signal) == 1 && sigaction(signal, nullptr, &action) == 0 &&
        action.sa_handler != SIG_IGN) {
      return true;
    }
  }
  return false;
}

bool enterRawTerminal(int fd) {
  if (tcgetattr(fd, &savedTerminal) != 0) return false;
  rawTerminal = savedTerminal;
  rawTerminal.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  rawTerminal.c_cc[VMIN] = 1;
  rawTerminal.c_cc[VTIME] = 0;
  terminalFd = fd;
  terminalIsRaw = 1;
  sigaction(SIGTSTP, nullptr, &stopBeforeWait);
  if (stopBeforeWait.sa_handler != SIG_IGN) catchStop();
  // TCSAFLUSH drops what was typed ahead: only a fresh key press counts.
  tcsetattr(fd, TCSAFLUSH, &rawTerminal);
  return true;
}

void leaveRawTerminal() {
  tcsetattr(terminalFd, TCSAFLUSH, &savedTerminal);
  terminalIsRaw = 0;
  sigaction(SIGTSTP, &stopBeforeWait, nullptr);
}

void endAsAfterHangUp() {
  struct sigaction current;
  if (sigaction(SIGHUP, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) return;
  std::raise(SIGHUP);
}

#endif

}  // namespace mapjass
