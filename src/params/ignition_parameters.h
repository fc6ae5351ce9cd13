#pragma once
// The parameter set as the window's controls hold it, in rpm and degrees, with the range,
// step and display rules of each control.

#include <array>
#include <cstdint>

#include "params/device_image.h"

namespace qm17 {

struct SpinRange {
  int min;
  int max;
  int step;
  bool digitGrouping;  // thousands separator from 1000 up
};

inline constexpr SpinRange kPointCountRange{1, 15, 1, true};
inline constexpr SpinRange kBaseAdvanceRange{0, 40, 1, true};
inline constexpr SpinRange kLimiterRange{999, 25000, 100, true};  // limiter and start limiter
inline constexpr SpinRange kRetardRange{0, 25, 1, true};
inline constexpr SpinRange kIgnitionsPerRevRange{1, 3, 1, true};
inline constexpr SpinRange kShiftLightRange{1000, 25000, 100, true};
inline constexpr SpinRange kPointSpeedRange{999, 20100, 100, true};
inline constexpr SpinRange kPointAdvanceRange{0, 60, 1, false};
inline constexpr int kPolarityItemCount = 3;  // positive, negative, self-search

// Values in engineering units, one per control.
struct IgnitionParameters {
  std::array<int, kPointCount> pointSpeedRpm{};
  std::array<int, kPointCount> pointAdvance{};
  int pointCount = 0;
  int baseAdvance = 0;
  int startLimiterRpm = 0;
  int limiterRpm = 0;
  int retard = 0;
  int ignitionsPerRev = 0;
  int shiftLightRpm = 0;
  int polarity = 0;  // selected item 0..2
};

// What the controls show for an image: each value held to its control's range, as setting a
// spin position out of range shows the nearest bound (a polarity above 2 selects the last item).
IgnitionParameters ParametersFromImage(const DeviceImage& image);

// Reads the controls into the parameter block (speeds divided by 100, remainder dropped).
// Only the bytes that have a control change.
void ParametersToImage(const IgnitionParameters& params, DeviceImage& image);

int ClampToRange(int value, const SpinRange& range);

// A point moved to `speedByte` (hundreds of rpm) and `advance` (degrees), held to the editing
// rules: advance 0..60, speed strictly between the neighbouring points and within the point's
// own bounds. `index` is 0-based.
struct PointEdit {
  std::size_t index = 0;
  std::uint8_t speedByte = 0;
  std::uint8_t advance = 0;
};
PointEdit BoundedPointEdit(const DeviceImage& image, std::size_t index, int speedByte, int advance);

}  // namespace qm17
