#include "device/monitor.h"

#include <gtest/gtest.h>

namespace qm17 {
namespace {

// A monitor frame with worked values; the check byte is not examined by the decoder.
Frame WorkedMonitorFrame() {
  Frame f{};
  f[0] = 0xB0;
  f[1] = 0x34, f[2] = 0x12;    // 0x1234 = 4660 rpm
  f[3] = 0;                    // no alarm
  f[5] = 12;                   // advance
  f[7] = 0;                    // start limiter active
  f[9] = 0x72, f[10] = 0x06;   // raw 1650
  f[11] = 0x01, f[12] = 0x02;  // 513 programmings
  for (int i = 0; i < 8; ++i) {
    f[13 + 2 * i] = static_cast<std::uint8_t>(i + 1);
    f[14 + 2 * i] = static_cast<std::uint8_t>(i == 7 ? 1 : 0);  // test 8 = 0x0108 = 264
  }
  f[30] = 1;  // retard not active
  f[31] = 1;  // negative
  f[32] = 0;  // polarity label red
  f[33] = 1;  // speed warning
  return f;
}

TEST(Monitor, DecodesEveryFieldLowByteFirst) {
  const LiveValues v = DecodeMonitorFrame(WorkedMonitorFrame());
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

TEST(Monitor, VoltageScalingTextAndColour) {
  struct Case {
    std::uint16_t raw;
    std::uint32_t millivolts;
    const char* text;
    LiveColour colour;
  };
  const Case cases[] = {
      {0, 800, "U =  0.8 [V]", LiveColour::Red},
      {1650, 11888, "U = 11.9 [V]", LiveColour::Normal},
      {8184, 55800, "U = 55.8 [V]", LiveColour::Red},
      {1719, 12350, "U = 12.4 [V]", LiveColour::Normal},  // single precision rounds up
      {65535, 441218, "U = 441.2 [V]", LiveColour::Red},
  };
  for (const Case& c : cases) {
    Frame f = WorkedMonitorFrame();
    f[9] = static_cast<std::uint8_t>(c.raw & 0xFF);
    f[10] = static_cast<std::uint8_t>(c.raw >> 8);
    const LiveValues v = DecodeMonitorFrame(f);
    EXPECT_EQ(v.millivolts, c.millivolts) << c.raw;
    const MonitorDisplay d = FormatMonitor(v, Language::English, 150);
    EXPECT_EQ(d.voltageText, c.text) << c.raw;
    EXPECT_EQ(d.voltageColour, c.colour) << c.raw;
  }
}

TEST(Monitor, VoltageThresholds) {
  struct Case {
    std::uint32_t millivolts;
    LiveColour colour;
  };
  const Case cases[] = {
      {7000, LiveColour::Red},     {7001, LiveColour::Yellow},  {11000, LiveColour::Yellow},
      {11001, LiveColour::Normal}, {14998, LiveColour::Normal}, {14999, LiveColour::Yellow},
      {17998, LiveColour::Yellow}, {17999, LiveColour::Red},
  };
  for (const Case& c : cases) {
    LiveValues v;
    v.millivolts = c.millivolts;
    v.volts = static_cast<float>(c.millivolts * 0.001);
    EXPECT_EQ(FormatMonitor(v, Language::English, 150).voltageColour, c.colour) << c.millivolts;
  }
}

TEST(Monitor, SpeedColourAndBar) {
  struct Case {
    std::uint16_t rpm;
    bool alarm;
    bool warning;
    std::uint8_t limiter;
    LiveColour colour;
    int bar;
  };
  const Case cases[] = {
      {7500, false, false, 150, LiveColour::Normal, 50},
      {14999, false, true, 150, LiveColour::Yellow, 99},
      {15000, true, true, 150, LiveColour::Red, 100},   // alarm wins over warning
      {60000, true, false, 150, LiveColour::Red, 100},  // clamped
      {149, false, false, 150, LiveColour::Normal, 0},
      {0, false, false, 0, LiveColour::Normal, 0},    // no limiter: nothing to show
      {1, false, false, 0, LiveColour::Normal, 100},  // no limiter, engine running: full
      {65535, false, false, 1, LiveColour::Normal, 100},
  };
  for (const Case& c : cases) {
    LiveValues v;
    v.rpm = c.rpm;
    v.speedAlarm = c.alarm;
    v.speedWarning = c.warning;
    const MonitorDisplay d = FormatMonitor(v, Language::English, c.limiter);
    EXPECT_EQ(d.rpmColour, c.colour) << c.rpm;
    EXPECT_EQ(d.rpmBar, c.bar) << c.rpm << "/" << int{c.limiter};
  }
}

TEST(Monitor, CaptionsInEachLanguage) {
  const LiveValues v = DecodeMonitorFrame(WorkedMonitorFrame());
  struct Case {
    Language language;
    const char* advance;
    const char* count;
    const char* limiter;
    const char* retard;
    const char* polarity;
  };
  const Case cases[] = {
      {Language::English, "ADVANCE=  12 [\u00B0]", "Number of Programing= 513",
       "Start limiter - YES", "Retard - NO", "Polarity of CKPS - Negative"},
      {Language::Czech, "P\u0158EDSTIH=  12 [\u00B0]", "Po\u010Det programov\u00E1n\u00ED= 513",
       "Startovac\u00ED omezova\u010D - ANO", "Sn\u00ED\u017Een\u00ED p\u0159edstihu - NE",
       "Polarita CKPS - Z\u00E1porn\u00E1"},
      {Language::German, "Vorz\u00FCndung=  12 [\u00B0]", "Programmierungszahl= 513",
       "Start Begrenzer - JA", "Sp\u00E4tz\u00FCndung 1 - NEIN",
       "Polarit\u00E4t des CKPS - Negative"},
  };
  for (const Case& c : cases) {
    const MonitorDisplay d = FormatMonitor(v, c.language, 150);
    EXPECT_EQ(d.rpmText, "RPM = 4660 ");
    EXPECT_EQ(d.advanceText, c.advance);
    EXPECT_EQ(d.programCountText, c.count);
    EXPECT_EQ(d.startLimiterText, c.limiter);
    EXPECT_EQ(d.retardText, c.retard);
    EXPECT_EQ(d.polarityText, c.polarity);
  }
  const MonitorDisplay d = FormatMonitor(v, Language::English, 150);
  EXPECT_EQ(d.startLimiterColour, LiveColour::Red);
  EXPECT_EQ(d.retardColour, LiveColour::Normal);
  EXPECT_EQ(d.polarityColour, LiveColour::Red);
  EXPECT_EQ(d.testTexts[0], "Test1 = 1 ");
  EXPECT_EQ(d.testTexts[7], "Test8 = 264 ");

  LiveValues other;  // the opposite states
  other.retardActive = true;
  other.polarityFlag = true;
  const MonitorDisplay o = FormatMonitor(other, Language::English, 150);
  EXPECT_EQ(o.startLimiterText, "Start limiter - NO");
  EXPECT_EQ(o.startLimiterColour, LiveColour::Normal);
  EXPECT_EQ(o.retardText, "Retard - YES");
  EXPECT_EQ(o.retardColour, LiveColour::Aqua);
  EXPECT_EQ(o.polarityText, "Polarity of CKPS - Positive");
  EXPECT_EQ(o.polarityColour, LiveColour::Normal);
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
