#pragma once
// ".ign" parameter files: ten text lines holding the parameter block (never the
// identification block or the reserved bytes).

#include <string>
#include <string_view>
#include <vector>

#include "params/device_image.h"
#include "params/differences.h"

namespace qm17 {

inline constexpr unsigned kParameterFileVersion = 26;

// The whole file content: ten lines ended by CR LF, no line end after the last.
std::string WriteParameterFile(const DeviceImage& image);

// Reads a file's content into the parameter block; returns whether the version key with 26
// was found (FileVersionOk). Before the key nothing is read.
bool ReadParameterFile(std::string_view content, DeviceImage& image);

// A value the file states that the loaded set holds otherwise: a number wrapped to its low 8
// bits, reduced modulo 65536, a speed without its remainder below 100 rpm, a speed or the
// limiter moved by NormaliseImage, a value held to its control's range.
struct FileAdjustment {
  ParameterField field;
  std::uint8_t imageByte;  // 50..99
  std::string stated;      // the file's number in the user's units (limiters in rpm), any length
  std::uint32_t used;      // what the set holds, in the user's units
  ValueUnit unit;

  bool operator==(const FileAdjustment&) const = default;
};

// Reads exactly as above (the image is left as read, not yet normalised) and lists every
// value the file states that the set holds otherwise once it is normalised and shown, in
// byte order. Values the file does not state are not listed.
bool ReadParameterFile(std::string_view content, DeviceImage& image,
                       std::vector<FileAdjustment>& adjustments);
// "<name>: <file's number> → <value used> [<unit>]"
std::string FormatFileAdjustment(const ChangeWording& wording, const FileAdjustment& adjustment);

}  // namespace qm17
