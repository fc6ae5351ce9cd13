#pragma once
// The POSIX side of serial lines that the POSIX port shares with the adapter checks.

#include "device/serial_adapters.h"

namespace qm17 {

PortFailure PortFailureFromErrno(int error);

// Takes the line's lock on an open descriptor without waiting; false when another program
// holds it. The lock goes with the descriptor, however the program ends: by it the window and
// qm17ctl keep off each other's line.
bool LockSerialLine(int fd);

}  // namespace qm17
