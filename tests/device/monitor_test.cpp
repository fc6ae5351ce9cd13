#include "device/monitor.h"

#include <gtest/gtest.h>

#include "common/monitor_frames.h"

namespace qm17 {
namespace {

TEST(Monitor, DecodesEveryFieldLowByteFirst) {
  const LiveValues v = DecodeMonitorFrame(test::WorkedMonitorFrame());
  EXPECT_EQ(v.rpm, 4660);
  EXPECT_FALSE(v.speedAlarm);
  EXPECT_TRUE(v.speedWarning);
  EXPECT_EQ(v.advance, 12);
  EXPECT_TRUE(v.startLimiterActive);
  EXPECT_EQ(v.voltageRaw, 1650);
  EXPECT_EQ(v.millivolts, 11888u);
  EXPECT_EQ(v.programCount, 513);
  EXPECT_EQ(v.tests, (std::array<std::uint16_t, 8>{1, 2, 3, 4, 5, 6, 7, 264}));
  EXPECT_FALSE(v.retardActive);
  EXPECT_TRUE(v.polarityNegative);
  EXPECT_FALSE(v.polarityFlag);
}

DeviceImage Identification(std::initializer_list<std::uint8_t> head) {
  DeviceImage image{};
  std::copy(head.begin(), head.end(), image.begin());
  return image;
}

TEST(Identification, VersionDateAndTime) {
  struct Case {
    DeviceImage image;
    const char* version;
    const char* date;
    const char* time;
  };
  const Case cases[] = {
      {Identification({'Q', 'M', 'X', 7, 5, 25, 23, 9, 5}), "QMX07", " 5. 1.2023", "09:05"},
      {Identification({'A', 'B', 'C', 42, 31, 12, 9, 23, 59}), "ABC42", "31.12.2009", "23:59"},
      {Identification({'A', 'B', 'C', 1, 10, 0, 0, 0, 0}), "ABC01", "10.00.2000", "00:00"},
      {Identification({'A', 'B', 'C', 1, 10, 26, 0, 0, 0}), "ABC01", "10.00.2000", "00:00"},
      // A zero letter ends the version, as in the unit's own string.
      {Identification({'A', 0, 'C', 1, 1, 13, 1, 1, 1}), "A", " 1. 2.2001", "01:01"},
      {DeviceImage{}, "", " 0.00.2000", "00:00"},
  };
  for (const Case& c : cases) {
    const IdentificationTexts t = DecodeIdentification(c.image);
    EXPECT_EQ(t.version, c.version);
    EXPECT_EQ(t.date, c.date);
    EXPECT_EQ(t.time, c.time);
  }
}

TEST(Identification, MonthTable) {
  const std::pair<std::uint8_t, const char*> months[] = {
      {25, " 1"}, {13, " 2"}, {32, " 3"}, {35, " 4"}, {39, " 5"}, {45, " 6"}, {43, " 7"},
      {29, " 8"}, {40, " 9"}, {38, "10"}, {51, "11"}, {12, "12"}, {0, "00"},  {255, "00"}};
  for (const auto& [code, text] : months) {
    DeviceImage image = Identification({'A', 'B', 'C', 1, 20, code, 24});
    EXPECT_EQ(DecodeIdentification(image).date, std::string("20.") + text + ".2024") << int{code};
  }
}

TEST(Identification, TextOverridesTheVersion) {
  DeviceImage image = Identification({'A', 'B', 'C', 1});
  const std::string text = "QM-17 racing";
  std::copy(text.begin(), text.end(), image.begin() + 16);
  EXPECT_EQ(DecodeIdentification(image).version, "QM-17 racing");

  // Thirty characters with no zero byte stop at the 30th; bytes after it are not text.
  image.fill(0);
  std::fill(image.begin() + 16, image.begin() + 46, 'X');
  std::fill(image.begin() + 46, image.begin() + 100, 'Y');
  EXPECT_EQ(DecodeIdentification(image).version, std::string(30, 'X'));

  // The unit's single-byte letters arrive as UTF-8.
  image.fill(0);
  const std::uint8_t czech[] = {0x8A, 'k', 0xF8, 'e', 0x9E};  // "Škřež"
  std::copy(std::begin(czech), std::end(czech), image.begin() + 16);
  EXPECT_EQ(DecodeIdentification(image).version, "\u0160k\u0159e\u017E");
}

TEST(CurrentPointSearch, MidpointRuleAndBounds) {
  DeviceImage image{};
  image[50] = 15;
  for (int i = 0; i < 15; ++i) {
    image[60 + i] = static_cast<std::uint8_t>(10 * (i + 1));  // 1000, 2000 ... 15000 rpm
  }
  struct Case {
    std::uint8_t points;
    std::uint16_t rpm;
    bool none;
    std::uint8_t index;
  };
  const Case cases[] =
      {
          {15, 0, true, 0},        {15, 999, true, 0},   {15, 1000, false, 0},
          {15, 2550, false, 1},    {15, 2560, false, 1}, {15, 2600, false, 2},  // 2000 / 3000
          {15, 1599, false, 0},    {15, 3500, false, 2},  // exact middle of points 3 and 4: lower
          {15, 3599, false, 2},    {15, 3600, false, 3}, {15, 15000, false, 14},
          {15, 65535, false, 14},  {5, 9000, false, 4},  {1, 1000, false, 0},
          {0, 9000, true, 0},       // no points: nothing to highlight
          {200, 65535, false, 14},  // a count above 15 uses the 15 speeds that exist
      };
  for (const Case& c : cases) {
    image[50] = c.points;
    const CurrentPoint point = FindCurrentPoint(c.rpm, image);
    EXPECT_EQ(point.noCurrentPoint, c.none) << int{c.points} << " " << c.rpm;
    EXPECT_EQ(point.index, c.index) << int{c.points} << " " << c.rpm;
  }
}

}  // namespace
}  // namespace qm17
