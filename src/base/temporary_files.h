// The temporary files that exist right now, so that an interrupted run can
// remove them before it ends.
#pragma once

#include <string>

namespace mapjass {

// Returns the slot that forgetTemporaryFile() takes, or -1 when the list is
// full or the path too long (the file then stays behind if a signal comes).
int rememberTemporaryFile(const std::string& path);
void forgetTemporaryFile(int slot);

// Makes an interrupted run (Ctrl-C, a terminal that closes, a kill) remove
// the temporary files and put the terminal back as the key wait found it,
// then end as the signal would have ended it. Called once by main.
void cleanUpOnInterrupt();

}  // namespace mapjass
