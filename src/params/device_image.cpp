#include "params/device_image.h"

#include "params/com_port.h"

namespace qm17 {

void SetDefaultImage(DeviceImage& image) {
  using namespace image_byte;
  image[kPointCountByte] = 15;
  image[kBaseAdvance] = 10;
  image[kStartLimiter] = 60;
  image[kLimiter] = 150;
  image[kRetard] = 6;
  image[kReserved53] = 1;
  image[kIgnitionsPerRev] = 1;
  image[kShiftLight] = 120;
  image[kPolarity] = 2;
  for (std::size_t i = 0; i < kPointCount; ++i) {
    image[kPointSpeed + i] = static_cast<std::uint8_t>(10 * (i + 1));
    image[kPointAdvance + i] = 10;
  }
}

void NormaliseImage(DeviceImage& image) {
  using namespace image_byte;
  // Point k (1-based) lies between (k + 9) and (k + 185) hundreds of rpm, so the ascending
  // pass below can always lift a point by one without passing its upper bound.
  for (std::size_t i = 0; i < kPointCount; ++i) {
    std::uint8_t& speed = image[kPointSpeed + i];
    const auto low = static_cast<std::uint8_t>(i + 10);
    const auto high = static_cast<std::uint8_t>(i + 186);
    if (speed < low) speed = low;
    if (speed > high) speed = high;
  }
  for (std::size_t i = 1; i < kPointCount; ++i) {
    const std::uint8_t previous = image[kPointSpeed + i - 1];
    std::uint8_t& speed = image[kPointSpeed + i];
    if (speed <= previous) speed = static_cast<std::uint8_t>(previous + 1);
  }
  // The start limiter wins: the limiter is lifted, never the start limiter lowered.
  if (image[kLimiter] < image[kStartLimiter]) image[kLimiter] = image[kStartLimiter];
}

void NormaliseImage(DeviceImage& image, std::uint8_t& languageIndex, std::uint8_t& comPortNumber) {
  NormaliseImage(image);
  if (languageIndex >= kLanguageCount) languageIndex = static_cast<std::uint8_t>(Language::English);
  if (comPortNumber > ComPort::kLast) comPortNumber = ComPort::kFirst;
}

}  // namespace qm17
