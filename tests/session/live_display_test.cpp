#include "session/live_display.h"

#include <gtest/gtest.h>

#include "common/monitor_frames.h"

namespace qm17 {
namespace {

TEST(LiveDisplay, VoltageScalingTextAndColour) {
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
    Frame f = test::WorkedMonitorFrame();
    f[9] = static_cast<std::uint8_t>(c.raw & 0xFF);
    f[10] = static_cast<std::uint8_t>(c.raw >> 8);
    const LiveValues v = DecodeMonitorFrame(f);
    EXPECT_EQ(v.millivolts, c.millivolts) << c.raw;
    const MonitorDisplay d = FormatMonitor(v, Language::English, 150);
    EXPECT_EQ(d.voltageText, c.text) << c.raw;
    EXPECT_EQ(d.voltageColour, c.colour) << c.raw;
  }
}

TEST(LiveDisplay, VoltageThresholds) {
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

TEST(LiveDisplay, SpeedColourAndBar) {
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

TEST(LiveDisplay, CaptionsInEachLanguage) {
  const LiveValues v = DecodeMonitorFrame(test::WorkedMonitorFrame());
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

}  // namespace
}  // namespace qm17
