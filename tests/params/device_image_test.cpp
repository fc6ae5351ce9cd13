#include "params/device_image.h"

#include <gtest/gtest.h>

#include <vector>

namespace qm17 {
namespace {

DeviceImage DefaultImage() {
  DeviceImage image{};
  SetDefaultImage(image);
  return image;
}

TEST(SetDefaultImage, WritesOnlyTheParameterBytes) {
  DeviceImage image;
  image.fill(0xA5);
  SetDefaultImage(image);
  // clang-format off
  const std::uint8_t expected[50] = {
      15, 10, 150, 1, 0xA5, 2, 60, 6, 1, 120,
      10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150,
      0xA5, 0xA5, 0xA5, 0xA5, 0xA5,
      10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10,
      0xA5, 0xA5, 0xA5, 0xA5, 0xA5};
  // clang-format on
  for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(image[i], 0xA5) << "byte " << i;
  for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(image[50 + i], expected[i]) << "byte " << 50 + i;
}

// Curve speeds in hundreds of rpm; points not given keep the default 10, 20, ... 150.
TEST(NormaliseImage, CurveSpeeds) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;
  };
  const std::vector<std::uint8_t> top = {186, 187, 188, 189, 190, 191, 192, 193,
                                         194, 195, 196, 197, 198, 199, 200};
  // clang-format off
  const Case cases[] = {
      {"5000 then 4000", {50, 40}, {50, 51, 52, 53, 54, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150}},
      {"equal speeds", {50, 50}, {50, 51, 52, 53, 54, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150}},
      {"all 20000", std::vector<std::uint8_t>(15, 200), top},
      {"all 255", std::vector<std::uint8_t>(15, 255), top},
      {"point 1 at 9", {9}, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150}},
      {"all zero", std::vector<std::uint8_t>(15, 0), {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
      {"never lowered", {10, 11, 100, 12}, {10, 11, 100, 101, 102, 103, 104, 105, 106, 107, 110, 120, 130, 140, 150}},
  };
  // clang-format on
  for (const auto& c : cases) {
    DeviceImage image = DefaultImage();
    for (std::size_t i = 0; i < c.before.size(); ++i) image[60 + i] = c.before[i];
    NormaliseImage(image);
    for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(image[60 + i], c.after[i]) << c.name << i;
  }
}

TEST(NormaliseImage, LimiterIsLiftedToTheStartLimiter) {
  // start limiter, limiter, limiter afterwards
  const std::uint8_t cases[][3] = {{160, 150, 160}, {60, 150, 150}, {9, 9, 9}, {255, 0, 255}};
  for (const auto& c : cases) {
    DeviceImage image = DefaultImage();
    image[56] = c[0];
    image[52] = c[1];
    NormaliseImage(image);
    EXPECT_EQ(image[52], c[2]) << int(c[0]) << "/" << int(c[1]);
    EXPECT_EQ(image[56], c[0]);
  }
}

TEST(NormaliseImage, LanguageAndPort) {
  // language, port, then both afterwards; port 0 stays (it selects no port)
  const std::uint8_t cases[][4] = {{0, 1, 0, 1},  {2, 10, 2, 10},   {3, 11, 1, 1},
                                   {7, 12, 1, 1}, {255, 255, 1, 1}, {1, 0, 1, 0}};
  for (const auto& c : cases) {
    DeviceImage image = DefaultImage();
    std::uint8_t language = c[0], port = c[1];
    NormaliseImage(image, language, port);
    EXPECT_EQ(language, c[2]) << int(c[0]);
    EXPECT_EQ(port, c[3]) << int(c[1]);
  }
}

TEST(NormaliseImage, TouchesNothingButTheSpeeds) {
  DeviceImage image;
  image.fill(195);
  NormaliseImage(image);
  for (std::size_t i = 0; i < kImageSize; ++i) {
    const std::size_t expected = (i >= 60 && i < 75) ? 186 + (i - 60) : 195;
    EXPECT_EQ(image[i], expected) << "byte " << i;
  }
}

}  // namespace
}  // namespace qm17
