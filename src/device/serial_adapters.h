#pragma once
// The serial adapters plugged in, why a device cannot be opened, and the lock by which the
// window and qm17ctl keep off each other's line. POSIX only; on other systems the list is
// empty and every failure reads as Other.

#include <string>
#include <vector>

namespace qm17 {

struct SerialAdapter {
  std::string device;      // /dev/ttyUSB0
  std::string stableName;  // /dev/serial/by-id/usb-...; empty when udev made none
  std::string manufacturer;
  std::string product;
  std::string vendorId;   // four hex digits, as the USB descriptor gives them
  std::string productId;  // four hex digits
  std::string serial;
  // The name to store: the by-id link survives a replug into another socket; the plain
  // device name does not, but is all there is without udev.
  const std::string& PreferredName() const { return stableName.empty() ? device : stableName; }
  // "FTDI FT232R USB UART (0403:6001, serial A50285BI)", parts missing left out.
  std::string Description() const;
};

// The USB and ACM serial devices present, sorted by device name. `root` prefixes /sys and
// /dev (tests build a fake tree there).
std::vector<SerialAdapter> ListSerialAdapters(const std::string& root = {});

// The adapter among `adapters` that `path` names (by device, by-id link or a link to either).
const SerialAdapter* FindAdapter(const std::vector<SerialAdapter>& adapters,
                                 const std::string& path);

enum class PortFailure { None, NotPresent, Permission, Busy, NotSerial, Other };

PortFailure PortFailureFromErrno(int error);

// Why `path` cannot be opened as a serial line now: opens it for a moment, checks that it is
// a terminal and that no one holds its lock. None when all of that succeeds.
PortFailure DiagnosePort(const std::string& path);

// Takes the line's lock on an open descriptor without waiting; false when another program
// holds it. The lock goes with the descriptor, however the program ends.
bool LockSerialLine(int fd);

}  // namespace qm17
