#pragma once
// ".ign" parameter files: ten text lines holding the parameter block (never the
// identification block or the reserved bytes).

#include <string>
#include <string_view>

#include "params/device_image.h"

namespace qm17 {

inline constexpr unsigned kParameterFileVersion = 26;

// The whole file content: ten lines ended by CR LF, no line end after the last.
std::string WriteParameterFile(const DeviceImage& image);

// Reads a file's content into the parameter block; returns whether the version key with 26
// was found (FileVersionOk). Before the key nothing is read.
bool ReadParameterFile(std::string_view content, DeviceImage& image);

}  // namespace qm17
