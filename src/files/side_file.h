#pragma once
// The image side file: all 100 image bytes as ten lines of ten "%5u " fields.

#include <string>
#include <string_view>

#include "params/device_image.h"

namespace qm17 {

std::string WriteImageSideFile(const DeviceImage& image);
// Reads white-space-separated numbers into bytes 0.. in order (low 8 bits each), stopping at
// the end or at the first word that is not a decimal number; the other bytes keep their values.
// Returns how many bytes were set.
int ReadImageSideFile(std::string_view content, DeviceImage& image);

}  // namespace qm17
