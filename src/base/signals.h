// Everything the process does about signals, in one place: what an
// interrupt does, the section in which interrupts must wait, the names an
// interrupt removes, and the terminal mode that the key wait changes.
//
// An interrupt (Ctrl-C, Ctrl-\, a closed terminal, a kill: SIGINT, SIGQUIT,
// SIGHUP, SIGTERM) removes the files that the run is writing, puts the
// terminal back as the key wait found it, and then ends the process as the
// signal would have ended it. Windows cannot remove a file that is still
// open, so there no handler is installed and only the list is kept.
#pragma once

#include <string>

namespace mapjass {

// Called once by each program's main, before it opens a file. A signal that
// is ignored at start (nohup, a background job of a script) stays ignored.
// SIGPIPE and SIGXFSZ are ignored: a write to a console that went away, or
// past the file-size limit, then fails, and the job says so.
void installSignalHandling();

// A name that an interrupt removes: a temporary file being written, or an
// earlier output kept aside while outputs take their places. The list has
// room for a few; the slot is given back when the handle goes, or earlier
// with release().
class RemovalSlot {
 public:
  RemovalSlot() = default;
  RemovalSlot(const RemovalSlot&) = delete;
  RemovalSlot& operator=(const RemovalSlot&) = delete;
  ~RemovalSlot() { release(); }

  // Lists `path`, in a handle that holds no slot yet. False when the list
  // is full or the path too long: a file that could not be listed must not
  // be made.
  bool take(const std::string& path);

  // The name is no longer removed by an interrupt: the file took its place,
  // was removed, or is kept for good.
  void release();

 private:
  int slot_ = -1;
};

// While one exists, interrupts wait; they arrive when it ends. The outputs
// of a job take their places inside one, so that an interrupt finds them all
// earlier or all new. One at a time: they do not nest.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

// Whether an interrupt waits for the end of the held section: long work
// inside one (a folder copied file by file) stops early at it and cleans up,
// so that the interrupt is not kept waiting long.
bool interruptWaiting();

// Puts the terminal `fd` into the key wait's raw mode: no echo, and every
// key counts at once. What was typed before is dropped, so that only a fresh
// key press ends the wait. While the program is stopped (Ctrl-Z) the
// terminal is back in its earlier mode, and raw again after `fg`. False when
// `fd` is not a terminal.
bool enterRawTerminal(int fd);
// Back to the mode that enterRawTerminal() found.
void leaveRawTerminal();

// Ends the process as a hang-up (SIGHUP) would: at once, when the terminal
// is gone. Returns only when hang-ups are ignored (nohup), and then the run
// goes on.
void endAsAfterHangUp();

}  // namespace mapjass
