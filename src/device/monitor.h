#pragma once
// Decoding what the unit reports: the live values of a monitor frame, the firmware
// identification block, and the curve point nearest to the engine speed.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "device/frames.h"
#include "params/device_image.h"

namespace qm17 {

// The live values of one monitor frame, as plain numbers and flags.
struct LiveValues {
  std::uint16_t rpm = 0;
  bool speedAlarm = false;    // byte 3 non-zero
  bool speedWarning = false;  // byte 33 non-zero
  std::uint8_t advance = 0;
  bool startLimiterActive = false;  // byte 7 == 0
  std::uint16_t voltageRaw = 0;
  std::uint32_t millivolts = 0;
  float volts = 0.0f;  // single precision on purpose: it decides the rounding of the text
  std::uint16_t programCount = 0;
  std::array<std::uint16_t, 8> tests{};
  bool retardActive = false;      // byte 30 == 0
  bool polarityNegative = false;  // byte 31 non-zero
  bool polarityFlag = false;      // byte 32 non-zero: normal colour, else red
};

LiveValues DecodeMonitorFrame(std::span<const std::uint8_t, kFrameLength> frame);

// Firmware version, date and time built from the identification block. The unit's
// single-byte (Windows-1250) letters arrive here as UTF-8; a zero byte ends the version.
struct IdentificationTexts {
  std::string version;  // up to 30 characters
  std::string date;     // "DD.MM.20YY"
  std::string time;     // "HH:MM"
};

IdentificationTexts DecodeIdentification(const DeviceImage& image);

struct CurrentPoint {
  std::uint8_t index = 0;      // 0..14
  bool noCurrentPoint = true;  // engine speed below the first point
  bool operator==(const CurrentPoint&) const = default;
};

// A point count above 15 counts as 15; a count of 0 gives no current point.
CurrentPoint FindCurrentPoint(std::uint16_t liveRpm, const DeviceImage& image);

}  // namespace qm17
