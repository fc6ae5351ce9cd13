#include "params/ignition_parameters.h"

#include <algorithm>

namespace qm17 {

int ClampToRange(int value, const SpinRange& range) {
  return std::clamp(value, range.min, range.max);
}

IgnitionParameters ParametersFromImage(const DeviceImage& image) {
  using namespace image_byte;
  IgnitionParameters p;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    p.pointSpeedRpm[i] = ClampToRange(100 * image[kPointSpeed + i], kPointSpeedRange);
    p.pointAdvance[i] = ClampToRange(image[kPointAdvance + i], kPointAdvanceRange);
  }
  p.pointCount = ClampToRange(image[kPointCountByte], kPointCountRange);
  p.baseAdvance = ClampToRange(image[kBaseAdvance], kBaseAdvanceRange);
  p.startLimiterRpm = ClampToRange(100 * image[kStartLimiter], kLimiterRange);
  p.limiterRpm = ClampToRange(100 * image[kLimiter], kLimiterRange);
  p.retard = ClampToRange(image[kRetard], kRetardRange);
  p.ignitionsPerRev = ClampToRange(image[kIgnitionsPerRev], kIgnitionsPerRevRange);
  p.shiftLightRpm = ClampToRange(100 * image[kShiftLight], kShiftLightRange);
  p.polarity = std::min<int>(image[kPolarity], kPolarityItemCount - 1);
  return p;
}

namespace {
// Callers hand over control values, which lie in range; the clamp only keeps a stray value
// from wrapping round in the byte.
std::uint8_t ToByte(int value, const SpinRange& range, int divisor) {
  return static_cast<std::uint8_t>(ClampToRange(value, range) / divisor);
}
}  // namespace

void ParametersToImage(const IgnitionParameters& params, DeviceImage& image) {
  using namespace image_byte;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    image[kPointSpeed + i] = ToByte(params.pointSpeedRpm[i], kPointSpeedRange, 100);
    image[kPointAdvance + i] = ToByte(params.pointAdvance[i], kPointAdvanceRange, 1);
  }
  image[kPointCountByte] = ToByte(params.pointCount, kPointCountRange, 1);
  image[kBaseAdvance] = ToByte(params.baseAdvance, kBaseAdvanceRange, 1);
  image[kStartLimiter] = ToByte(params.startLimiterRpm, kLimiterRange, 100);
  image[kLimiter] = ToByte(params.limiterRpm, kLimiterRange, 100);
  image[kRetard] = ToByte(params.retard, kRetardRange, 1);
  image[kIgnitionsPerRev] = ToByte(params.ignitionsPerRev, kIgnitionsPerRevRange, 1);
  image[kShiftLight] = ToByte(params.shiftLightRpm, kShiftLightRange, 100);
  image[kPolarity] =
      static_cast<std::uint8_t>(std::clamp(params.polarity, 0, kPolarityItemCount - 1));
}

PointEdit BoundedPointEdit(const DeviceImage& image, std::size_t index, int speedByte,
                           int advance) {
  using namespace image_byte;
  PointEdit edit;
  edit.index = std::min(index, kPointCount - 1);
  const std::size_t i = edit.index;
  edit.advance = static_cast<std::uint8_t>(
      std::clamp(advance, kPointAdvanceRange.min, kPointAdvanceRange.max));
  // The point's own bounds, as normalising and the speed box hold them.
  int low = std::max(static_cast<int>(i) + 10, kPointSpeedRange.min / 100 + 1);
  int high = std::min(static_cast<int>(i) + 186, kPointSpeedRange.max / 100);
  // Between its neighbours. Past the last point in use the hidden points make way, as they do
  // for a speed typed into the table.
  if (i > 0) low = std::max(low, image[kPointSpeed + i - 1] + 1);
  if (i + 1 < static_cast<std::size_t>(ClampToRange(image[kPointCountByte], kPointCountRange)))
    high = std::min(high, image[kPointSpeed + i + 1] - 1);
  edit.speedByte = low <= high ? static_cast<std::uint8_t>(std::clamp(speedByte, low, high))
                               : image[kPointSpeed + i];
  return edit;
}

}  // namespace qm17
