#include "files/side_file.h"

#include <gtest/gtest.h>

#include <string>

namespace qm17 {
namespace {

DeviceImage Counting() {
  DeviceImage image;
  for (std::size_t i = 0; i < kImageSize; ++i) image[i] = static_cast<std::uint8_t>(i);
  return image;
}

TEST(WriteImageSideFile, TenLinesOfTenFields) {
  DeviceImage image{};
  image[0] = 255;
  image[9] = 7;
  image[10] = 10;
  image[99] = 100;
  const std::string text = WriteImageSideFile(image);
  const std::string zeros = "    0     0     0     0     0     0     0     0     0     0 \r\n";
  EXPECT_EQ(text,
            "  255     0     0     0     0     0     0     0     0     7 \r\n"
            "   10     0     0     0     0     0     0     0     0     0 \r\n" +
                zeros + zeros + zeros + zeros + zeros + zeros + zeros +
                "    0     0     0     0     0     0     0     0     0   100 \r\n");
}

TEST(ImageSideFile, RoundTrip) {
  DeviceImage image;
  for (std::size_t i = 0; i < kImageSize; ++i) image[i] = static_cast<std::uint8_t>(255 - 2 * i);
  DeviceImage copy{};
  EXPECT_EQ(ReadImageSideFile(WriteImageSideFile(image), copy), 100);
  EXPECT_EQ(copy, image);
}

struct ReadCase {
  const char* name;
  std::string text;
  int expectedCount;
  std::vector<std::uint8_t> expectedStart;  // bytes 0..; the rest keep 0, 1, 2 ...
};

const ReadCase kReadCases[] = {
    {"empty", "", 0, {}},
    {"values above 255 keep their low 8 bits",
     "256 257 511 65535 4294967296 1000",
     6,
     {0, 1, 255, 255, 0, 232}},
    {"fewer than 100 numbers set only those bytes", "9 8 7", 3, {9, 8, 7}},
    {"any white space separates", "\t1\n\n2\r\n   3\v4\f5", 5, {1, 2, 3, 4, 5}},
    {"a word stops the reading", "5 6 x 7 8", 2, {5, 6}},
    {"a sign stops the reading", "5 -6 7", 1, {5}},
    {"digits followed by letters stop it", "5 6a 7", 1, {5}},
    {"a number of any length", std::string(1000, '9') + " 4", 2, {255, 4}},
};

TEST(ReadImageSideFile, BadAndShortInput) {
  for (const auto& c : kReadCases) {
    SCOPED_TRACE(c.name);
    DeviceImage image = Counting();
    EXPECT_EQ(ReadImageSideFile(c.text, image), c.expectedCount);
    DeviceImage expected = Counting();
    for (std::size_t i = 0; i < c.expectedStart.size(); ++i) expected[i] = c.expectedStart[i];
    EXPECT_EQ(image, expected);
  }
}

TEST(ReadImageSideFile, StopsAfterOneHundredNumbers) {
  std::string text;
  for (int i = 0; i < 120; ++i) text += "7 ";
  DeviceImage image{};
  EXPECT_EQ(ReadImageSideFile(text, image), 100);
  for (auto b : image) EXPECT_EQ(b, 7);
}

}  // namespace
}  // namespace qm17
