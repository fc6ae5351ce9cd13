#include "params/ignition_parameters.h"

#include <gtest/gtest.h>

#include "params/device_image.h"

namespace qm17 {
namespace {

DeviceImage DefaultImage() {
  DeviceImage image{};
  SetDefaultImage(image);
  return image;
}

TEST(ParametersFromImage, DefaultSetInEngineeringUnits) {
  const IgnitionParameters p = ParametersFromImage(DefaultImage());
  EXPECT_EQ(p.pointCount, 15);
  EXPECT_EQ(p.baseAdvance, 10);
  EXPECT_EQ(p.startLimiterRpm, 6000);
  EXPECT_EQ(p.limiterRpm, 15000);
  EXPECT_EQ(p.retard, 6);
  EXPECT_EQ(p.ignitionsPerRev, 1);
  EXPECT_EQ(p.shiftLightRpm, 12000);
  EXPECT_EQ(p.polarity, 2);
  const int speeds[15] = {1000, 2000,  3000,  4000,  5000,  6000,  7000, 8000,
                          9000, 10000, 11000, 12000, 13000, 14000, 15000};
  for (std::size_t i = 0; i < 15; ++i) {
    EXPECT_EQ(p.pointSpeedRpm[i], speeds[i]);
    EXPECT_EQ(p.pointAdvance[i], 10);
  }
}

// A byte outside its control's range shows the nearest bound.
struct ShownCase {
  const char* name;
  std::size_t byte;
  std::uint8_t value;
  int IgnitionParameters::*field;
  int shown;
};

const ShownCase kShownCases[] = {
    {"polarity 7 selects the last item", 55, 7, &IgnitionParameters::polarity, 2},
    {"polarity 255", 55, 255, &IgnitionParameters::polarity, 2},
    {"polarity 1", 55, 1, &IgnitionParameters::polarity, 1},
    {"start limiter 9 shows the minimum 999", 56, 9, &IgnitionParameters::startLimiterRpm, 999},
    {"start limiter 250", 56, 250, &IgnitionParameters::startLimiterRpm, 25000},
    {"start limiter 251 above the top", 56, 251, &IgnitionParameters::startLimiterRpm, 25000},
    {"limiter 0", 52, 0, &IgnitionParameters::limiterRpm, 999},
    {"limiter 10", 52, 10, &IgnitionParameters::limiterRpm, 1000},
    {"shift light 9", 59, 9, &IgnitionParameters::shiftLightRpm, 1000},
    {"shift light 255", 59, 255, &IgnitionParameters::shiftLightRpm, 25000},
    {"points 0", 50, 0, &IgnitionParameters::pointCount, 1},
    {"points 16", 50, 16, &IgnitionParameters::pointCount, 15},
    {"base advance 41", 51, 41, &IgnitionParameters::baseAdvance, 40},
    {"retard 26", 57, 26, &IgnitionParameters::retard, 25},
    {"retard 0", 57, 0, &IgnitionParameters::retard, 0},
    {"ignitions 0", 58, 0, &IgnitionParameters::ignitionsPerRev, 1},
    {"ignitions 4", 58, 4, &IgnitionParameters::ignitionsPerRev, 3},
};

TEST(ParametersFromImage, OutOfRangeBytesShowTheNearestBound) {
  for (const auto& c : kShownCases) {
    SCOPED_TRACE(c.name);
    DeviceImage image = DefaultImage();
    image[c.byte] = c.value;
    EXPECT_EQ(ParametersFromImage(image).*c.field, c.shown);
  }
}

TEST(ParametersFromImage, CurvePointsAreHeldToTheirRanges) {
  DeviceImage image = DefaultImage();
  image[60] = 9;    // 900 rpm
  image[61] = 201;  // 20100 rpm, the top
  image[62] = 202;  // above the top
  image[80] = 61;   // advance above 60
  image[81] = 60;
  image[82] = 255;
  const IgnitionParameters p = ParametersFromImage(image);
  EXPECT_EQ(p.pointSpeedRpm[0], 999);
  EXPECT_EQ(p.pointSpeedRpm[1], 20100);
  EXPECT_EQ(p.pointSpeedRpm[2], 20100);
  EXPECT_EQ(p.pointAdvance[0], 60);
  EXPECT_EQ(p.pointAdvance[1], 60);
  EXPECT_EQ(p.pointAdvance[2], 60);
}

TEST(ParametersToImage, StoresHundredsDroppingTheRemainder) {
  IgnitionParameters p = ParametersFromImage(DefaultImage());
  p.pointSpeedRpm[0] = 1550;
  p.pointSpeedRpm[1] = 999;
  p.pointSpeedRpm[14] = 20100;
  p.startLimiterRpm = 999;
  p.limiterRpm = 25000;
  p.shiftLightRpm = 12399;
  p.pointAdvance[3] = 60;
  p.pointCount = 7;
  p.baseAdvance = 40;
  p.retard = 25;
  p.ignitionsPerRev = 3;
  p.polarity = 0;
  DeviceImage image = DefaultImage();
  ParametersToImage(p, image);
  EXPECT_EQ(image[60], 15);
  EXPECT_EQ(image[61], 9);
  EXPECT_EQ(image[74], 201);
  EXPECT_EQ(image[56], 9);
  EXPECT_EQ(image[52], 250);
  EXPECT_EQ(image[59], 123);
  EXPECT_EQ(image[83], 60);
  EXPECT_EQ(image[50], 7);
  EXPECT_EQ(image[51], 40);
  EXPECT_EQ(image[57], 25);
  EXPECT_EQ(image[58], 3);
  EXPECT_EQ(image[55], 0);
}

TEST(ParametersToImage, OnlyBytesWithAControlChange) {
  DeviceImage image;
  image.fill(0xEE);
  ParametersToImage(ParametersFromImage(DefaultImage()), image);
  for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(image[i], 0xEE) << "byte " << i;
  for (std::size_t i : {53u, 54u, 75u, 76u, 77u, 78u, 79u, 95u, 96u, 97u, 98u, 99u}) {
    EXPECT_EQ(image[i], 0xEE) << "byte " << i;
  }
}

// Showing and reading back the controls: what the window stores after an edit elsewhere.
TEST(ParametersRoundTrip, OutOfRangeValuesAreReadBackAtTheBound) {
  DeviceImage image = DefaultImage();
  image[80] = 61;  // advance 61 from the unit
  image[55] = 7;   // polarity 7 from the unit
  image[56] = 9;   // start limiter 900 rpm stays 9: 999 / 100
  image[53] = 42;  // reserved
  ParametersToImage(ParametersFromImage(image), image);
  EXPECT_EQ(image[80], 60);
  EXPECT_EQ(image[55], 2);
  EXPECT_EQ(image[56], 9);
  EXPECT_EQ(image[53], 42);
}

TEST(ClampToRange, HoldsToTheBounds) {
  EXPECT_EQ(ClampToRange(998, kLimiterRange), 999);
  EXPECT_EQ(ClampToRange(999, kLimiterRange), 999);
  EXPECT_EQ(ClampToRange(25001, kLimiterRange), 25000);
  EXPECT_EQ(ClampToRange(-5, kPointAdvanceRange), 0);
  EXPECT_EQ(ClampToRange(30, kPointAdvanceRange), 30);
}

}  // namespace
}  // namespace qm17
