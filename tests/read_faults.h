// Reads of plain files that fail on demand: the test binary puts its own
// read() and open() in front of the C library's, which the program's file
// reads go through. Nothing changes until a fault is armed.
#pragma once

namespace mapjass::testing {

enum class ReadFault {
  kError,   // the read fails with EIO, as a failing disk does
  kShrink,  // the file is cut at the read's offset first, as if another
            // program had shrunk it: the read finds its end
};

// Arms `fault` for the `n`th read of a plain file from now on (1: the next).
void armReadFault(ReadFault fault, int n);

// Disarms it; true when the fault has happened.
bool disarmReadFault();

// Until disarmed with 0, opening a path that ends in `name` fails with
// `error`: as root, permissions never stop a read, and only Windows keeps
// a file from others.
void armOpenFault(const char* name, int error);

// While set, swapping two paths in one step (renameat2) fails with EINVAL,
// as on a file system that cannot.
void armExchangeFault(bool armed);

}  // namespace mapjass::testing
