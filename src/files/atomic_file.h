#pragma once
// Whole-file reads and crash-safe writes: a temporary file in the same folder, flushed to
// disk, then renamed over the old one, so an interrupted write leaves the old file intact.

#include <optional>
#include <string>
#include <string_view>

namespace qm17 {

bool WriteFileAtomically(const std::string& path, std::string_view content);
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace qm17
