#include "files/side_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm17 {
namespace {

TEST(ImageSideFile, WritesTenLinesOfTenFieldsAndReadsThemBack) {
  DeviceImage image{};
  image[0] = 255;
  image[9] = 7;
  image[99] = 100;
  const std::string zeros = "    0     0     0     0     0     0     0     0     0     0 \r\n";
  const std::string text = WriteImageSideFile(image);
  EXPECT_EQ(text, "  255     0     0     0     0     0     0     0     0     7 \r\n" + zeros +
                      zeros + zeros + zeros + zeros + zeros + zeros + zeros +
                      "    0     0     0     0     0     0     0     0     0   100 \r\n");
  DeviceImage copy;
  copy.fill(1);
  EXPECT_EQ(ReadImageSideFile(text, copy), 100);
  EXPECT_EQ(copy, image);
}

TEST(ReadImageSideFile, ShortAndBadInput) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::uint8_t> start;  // bytes 0.. read; the rest keep 77
  };
  // clang-format off
  const Case cases[] = {
      {"empty", "", {}},
      {"above 255: low 8 bits", "256 257 511 65535 4294967296 1000", {0, 1, 255, 255, 0, 232}},
      {"fewer than 100", "9 8 7", {9, 8, 7}},
      {"any white space", "\t1\n\n2\r\n   3\v4\f5", {1, 2, 3, 4, 5}},
      {"a word stops", "5 6 x 7 8", {5, 6}},
      {"a sign stops", "5 -6 7", {5}},
      {"trailing letters stop", "5 6a 7", {5}},
      {"any length", std::string(1000, '9') + " 4", {255, 4}},
  };
  // clang-format on
  for (const auto& c : cases) {
    DeviceImage image;
    image.fill(77);
    EXPECT_EQ(ReadImageSideFile(c.text, image), static_cast<int>(c.start.size())) << c.name;
    DeviceImage expected;
    expected.fill(77);
    for (std::size_t i = 0; i < c.start.size(); ++i) expected[i] = c.start[i];
    EXPECT_EQ(image, expected) << c.name;
  }
  std::string many;
  for (int i = 0; i < 120; ++i) many += "7 ";
  DeviceImage image{};
  EXPECT_EQ(ReadImageSideFile(many, image), 100);
}

}  // namespace
}  // namespace qm17
