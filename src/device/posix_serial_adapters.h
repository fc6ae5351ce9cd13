#pragma once
// The POSIX side of serial lines that the POSIX port shares with the adapter checks.

#include "device/serial_adapters.h"

namespace qm17 {

PortFailure PortFailureFromErrno(int error);

// Takes the line's lock on an open descriptor without waiting; false when another program
// holds it. The lock goes with the descriptor, however the program ends: by it the window and
// qm17ctl keep off each other's line.
bool LockSerialLine(int fd);

// A terminal that is no serial line: the pseudo-terminal multiplexer (opening it makes a new
// master), or this process's own controlling terminal (/dev/tty or the device behind it),
// which raw mode would take from the user's shell and leave raw after a kill.
bool IsNoSerialLine(int fd);

}  // namespace qm17
