#pragma once
// What the command line needs from the system it runs on: its arguments, its console, a stop
// from the keyboard, and the names its serial ports go by.

#include <optional>
#include <string>
#include <vector>

#include "device/serial_adapters.h"

namespace qm17::ctl {

// The arguments after the program's name, as UTF-8. Windows passes argv in the ANSI code
// page, which loses every letter outside it, so there they come from the wide command line.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Output as written: on Windows the console shows UTF-8 as the letters it means (its code
// page comes back at exit), and no line end grows a carriage return, so a parameter file
// written to standard output keeps its exact bytes. Nothing to do elsewhere.
void PrepareConsole();

// While one lives, Ctrl+C (also SIGTERM, or the console window closing on Windows) only asks
// the running command to stop, which it checks between ticks; the port is closed as usual.
class StopRequests {
 public:
  StopRequests();
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;
};
bool StopRequested();

// The device that a --port value other than a Com number names; empty when this system has no
// such name ("COM3" or "\\.\COM3" on Windows; a device path or a by-id name on Linux).
std::optional<std::string> PortDeviceName(const std::string& port);

// What --port takes, for the message that refuses a value.
extern const char kPortWords[];

// Whether the device is there now, found without opening it (on Windows opening a COM port
// takes it from whoever holds it and may reset the unit behind it).
bool DevicePresent(const std::string& device, const std::vector<SerialAdapter>& adapters);

}  // namespace qm17::ctl
