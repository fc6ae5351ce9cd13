#pragma once
// The message for a port that cannot be opened: "Com opening error!" as always, and below it
// the device and why, so that the user knows what to fix.

#include <string>

#include "device/serial_adapters.h"
#include "params/device_image.h"

namespace qm17 {

// The cause alone, in the language given ("busy: in use by another program").
std::string PortFailureCause(Language language, PortFailure failure);
// Both lines, without a line end at the end.
std::string PortOpenErrorText(Language language, const std::string& device, PortFailure failure);

}  // namespace qm17
