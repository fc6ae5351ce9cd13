#include "params/ignition_parameters.h"

#include <gtest/gtest.h>

namespace qm17 {
namespace {

DeviceImage DefaultImage() {
  DeviceImage image{};
  SetDefaultImage(image);
  return image;
}

// Bytes outside a control's range show as its nearest bound.
TEST(ParametersFromImage, ShowsEachByteWithinItsControlsRange) {
  struct Case {
    std::size_t byte;
    std::uint8_t value;
    int IgnitionParameters::*field;
    int shown;
  };
  using P = IgnitionParameters;
  const Case cases[] = {
      {55, 2, &P::polarity, 2},
      {55, 7, &P::polarity, 2},
      {56, 60, &P::startLimiterRpm, 6000},
      {56, 9, &P::startLimiterRpm, 999},
      {56, 251, &P::startLimiterRpm, 25000},
      {52, 0, &P::limiterRpm, 999},
      {59, 9, &P::shiftLightRpm, 1000},
      {59, 255, &P::shiftLightRpm, 25000},
      {50, 0, &P::pointCount, 1},
      {50, 16, &P::pointCount, 15},
      {51, 41, &P::baseAdvance, 40},
      {57, 26, &P::retard, 25},
      {58, 0, &P::ignitionsPerRev, 1},
      {58, 4, &P::ignitionsPerRev, 3},
  };
  for (const auto& c : cases) {
    DeviceImage image = DefaultImage();
    image[c.byte] = c.value;
    EXPECT_EQ(ParametersFromImage(image).*c.field, c.shown) << c.byte << "=" << int(c.value);
  }
  DeviceImage image = DefaultImage();
  image[60] = 9;
  image[61] = 202;
  image[62] = 150;
  image[80] = 61;
  const IgnitionParameters p = ParametersFromImage(image);
  EXPECT_EQ(p.pointSpeedRpm[0], 999);
  EXPECT_EQ(p.pointSpeedRpm[1], 20100);
  EXPECT_EQ(p.pointSpeedRpm[2], 15000);
  EXPECT_EQ(p.pointAdvance[0], 60);
}

TEST(ParametersToImage, StoresHundredsDroppingTheRemainder) {
  IgnitionParameters p = ParametersFromImage(DefaultImage());
  p.pointSpeedRpm[0] = 1550;
  p.pointSpeedRpm[14] = 20100;
  p.startLimiterRpm = 999;
  p.shiftLightRpm = 12399;
  DeviceImage image = DefaultImage();
  ParametersToImage(p, image);
  EXPECT_EQ(image[60], 15);
  EXPECT_EQ(image[74], 201);
  EXPECT_EQ(image[56], 9);
  EXPECT_EQ(image[59], 123);
}

// Showing the controls and reading them back, as every edit does.
TEST(ParametersToImage, ReadsBackWhatTheControlsShowAndNothingElse) {
  DeviceImage image;
  image.fill(0xEE);
  SetDefaultImage(image);
  image[80] = 61;  // advance 61 from the unit
  image[55] = 7;   // polarity 7 from the unit
  image[56] = 9;   // 999 rpm shown, stored as 9 again
  image[53] = 42;  // reserved
  ParametersToImage(ParametersFromImage(image), image);
  EXPECT_EQ(image[80], 60);
  EXPECT_EQ(image[55], 2);
  EXPECT_EQ(image[56], 9);
  EXPECT_EQ(image[53], 42);
  for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(image[i], 0xEE) << "byte " << i;
  for (std::size_t i : {54u, 75u, 79u, 95u, 99u}) EXPECT_EQ(image[i], 0xEE) << "byte " << i;
}

}  // namespace
}  // namespace qm17
