#pragma once
// How Windows names serial ports and says why one cannot be opened, apart from the system
// calls, so that it is built and tested anywhere.

#include <cstdint>
#include <string>

#include "device/serial_adapters.h"

namespace qm17 {

// n for a plain "COMn" (any case), else 0.
int ComPortNumberOf(const std::string& name);

// The name to open: "COM10" and above exist only in the device namespace ("\\.\COM10"), so
// those get its prefix; anything else, a prefixed name too, is used as given.
std::string Win32PortPath(const std::string& name);

// Why CreateFile failed, from its GetLastError.
PortFailure PortFailureFromWin32Error(std::uint32_t error);

struct UsbIds {
  std::string vendorId;   // four hex digits, upper case as Windows writes them
  std::string productId;  // four hex digits
};
// The ids in a hardware id such as "USB\VID_0403&PID_6001&REV_0600" or
// "FTDIBUS\COMPORT&VID_0403&PID_6001"; empty where there are none.
UsbIds UsbIdsFromHardwareId(const std::string& hardwareId);

}  // namespace qm17
