#pragma once
// The serial adapters plugged in and why a device cannot be opened, each system's own way
// (posix_serial_adapters.cpp, win32_serial_adapters.cpp).

#include <string>
#include <vector>

namespace qm17 {

struct SerialAdapter {
  std::string device;      // /dev/ttyUSB0, COM11
  std::string stableName;  // /dev/serial/by-id/usb-...; empty when udev made none, and on Windows
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

// The USB and ACM serial devices present, sorted by device name; on Windows the COM ports the
// system knows, sorted by number. `root` prefixes /sys and /dev (tests build a fake tree
// there); Windows ignores it.
std::vector<SerialAdapter> ListSerialAdapters(const std::string& root = {});

// The adapter among `adapters` that `path` names (by device, by-id link or a link to either).
const SerialAdapter* FindAdapter(const std::vector<SerialAdapter>& adapters,
                                 const std::string& path);

enum class PortFailure { None, NotPresent, Permission, Busy, NotSerial, Other };

// Why `path` cannot be opened as a serial line now: opens it for a moment, checks that it is
// a serial line and that no one holds it. None when all of that succeeds.
PortFailure DiagnosePort(const std::string& path);

// What a vanished line was named by, to decide whether the name may be opened again on its
// own. A pseudo-terminal's number goes to the next terminal that is opened, a user's shell
// or another program's unit, so it is only taken again through a link made anew since (as
// qm17-sim --link makes when it starts again); a real device comes back under its own name,
// as every COM port on Windows does.
struct LineName {
  bool pseudoTerminal = false;  // the name resolves to a pseudo-terminal
  bool link = false;            // the name itself is a symbolic link
  long long linkInode = 0;      // of the link itself, with its change time in nanoseconds
  long long linkChanged = 0;
  bool operator==(const LineName&) const = default;
};
LineName IdentifyLineName(const std::string& path);
bool MayReopenLostLine(const LineName& lost, const LineName& now);

}  // namespace qm17
