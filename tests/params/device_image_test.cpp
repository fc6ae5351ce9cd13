#include "params/device_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qm17 {
namespace {

DeviceImage DefaultImage() {
  DeviceImage image{};
  SetDefaultImage(image);
  return image;
}

TEST(SetDefaultImage, WritesTheDefaultParameterBlock) {
  DeviceImage image{};
  SetDefaultImage(image);
  const std::uint8_t expectedBlock[50] = {
      15, 10, 150, 1,  0,  2,  60, 6,  1,  120,                           // bytes 50..59
      10, 20, 30,  40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150,  // speeds
      0,  0,  0,   0,  0,                                                 // 75..79 reserved
      10, 10, 10,  10, 10, 10, 10, 10, 10, 10,  10,  10,  10,  10,  10,   // advances
      0,  0,  0,   0,  0};                                                // 95..99 reserved
  for (std::size_t i = 0; i < 50; ++i) {
    EXPECT_EQ(image[50 + i], expectedBlock[i]) << "byte " << 50 + i;
  }
}

TEST(SetDefaultImage, LeavesIdentificationAndOtherReservedBytes) {
  DeviceImage image;
  image.fill(0xA5);
  SetDefaultImage(image);
  for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(image[i], 0xA5) << "byte " << i;
  for (std::size_t i : {54u, 75u, 76u, 77u, 78u, 79u, 95u, 96u, 97u, 98u, 99u}) {
    EXPECT_EQ(image[i], 0xA5) << "byte " << i;
  }
}

// Curve speeds before and after normalisation, in hundreds of rpm.
struct SpeedCase {
  const char* name;
  std::vector<std::uint8_t> before;  // points 1.. (the rest keep the default)
  std::vector<std::uint8_t> after;   // all 15 points
};

const SpeedCase kSpeedCases[] = {
    {"default is already valid",
     {},
     {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150}},
    {"5000 then 4000 becomes 5000 then 5100",
     {50, 40},
     {50, 51, 52, 53, 54, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150}},
    {"all at 20000 become 18600..20000",
     std::vector<std::uint8_t>(15, 200),
     {186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200}},
    {"point 1 at 999 rpm (9) is lifted to 1000",
     {9},
     {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150}},
    {"all zero become the lower bounds",
     std::vector<std::uint8_t>(15, 0),
     {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
    {"all 255 are held at the upper bounds",
     std::vector<std::uint8_t>(15, 255),
     {186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 196, 197, 198, 199, 200}},
    {"a point is raised, never lowered",
     {10, 11, 100, 12},
     {10, 11, 100, 101, 102, 103, 104, 105, 106, 107, 110, 120, 130, 140, 150}},
    {"descending curve",
     {150, 140, 130, 120, 110, 100, 90, 80, 70, 60, 50, 40, 30, 20, 10},
     {150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 164}},
};

TEST(NormaliseImage, CurveSpeeds) {
  for (const auto& c : kSpeedCases) {
    SCOPED_TRACE(c.name);
    DeviceImage image = DefaultImage();
    for (std::size_t i = 0; i < c.before.size(); ++i) image[60 + i] = c.before[i];
    NormaliseImage(image);
    for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(image[60 + i], c.after[i]) << "point " << i + 1;
  }
}

struct LimiterCase {
  std::uint8_t startLimiter, limiter;
  std::uint8_t expectedLimiter;
};

TEST(NormaliseImage, LimiterIsLiftedToTheStartLimiter) {
  const LimiterCase cases[] = {
      {160, 150, 160},  // start limiter 16000 lifts the limiter from 15000
      {60, 150, 150},  {150, 150, 150}, {9, 9, 9}, {9, 5, 9}, {255, 0, 255}, {0, 0, 0},
  };
  for (const auto& c : cases) {
    DeviceImage image = DefaultImage();
    image[56] = c.startLimiter;
    image[52] = c.limiter;
    NormaliseImage(image);
    EXPECT_EQ(image[52], c.expectedLimiter) << int(c.startLimiter) << "/" << int(c.limiter);
    EXPECT_EQ(image[56], c.startLimiter);
  }
}

TEST(NormaliseImage, BoundsLanguageAndPort) {
  struct Case {
    std::uint8_t language, port, expectedLanguage, expectedPort;
  };
  const Case cases[] = {
      {0, 1, 0, 1},     {2, 10, 2, 10}, {3, 11, 1, 1}, {7, 12, 1, 1},
      {255, 255, 1, 1}, {1, 0, 1, 0},  // port 0 is not bounded here; it selects no port item
  };
  for (const auto& c : cases) {
    DeviceImage image = DefaultImage();
    std::uint8_t language = c.language;
    std::uint8_t port = c.port;
    NormaliseImage(image, language, port);
    EXPECT_EQ(language, c.expectedLanguage) << int(c.language);
    EXPECT_EQ(port, c.expectedPort) << int(c.port);
  }
}

TEST(NormaliseImage, TouchesNothingButTheSpeeds) {
  DeviceImage image;
  image.fill(195);
  NormaliseImage(image);
  const std::uint8_t speeds[15] = {186, 187, 188, 189, 190, 191, 192, 193,
                                   194, 195, 196, 197, 198, 199, 200};
  for (std::size_t i = 0; i < kImageSize; ++i) {
    const std::uint8_t expected = (i >= 60 && i < 75) ? speeds[i - 60] : 195;
    EXPECT_EQ(image[i], expected) << "byte " << i;
  }
}

}  // namespace
}  // namespace qm17
