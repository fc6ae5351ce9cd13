// What the views show beside the set, driven tick by tick through the session.

#include "session/presentation.h"

#include <gtest/gtest.h>

#include "session/value_check.h"
#include "session_rig.h"

namespace qm17 {
namespace {

using namespace test_session;

// Counts what a view is told of the live display and the no-connection label.
struct LiveRecorder : SessionObserver {
  void NoConnectionChanged(bool visible) override { noConnection.push_back(visible); }
  void LiveValuesChanged(const LiveValues&) override { ++frames; }
  std::vector<bool> noConnection;
  int frames = 0;
};

struct ShownRig : Rig {
  ShownRig() {
    session.AddObserver(live);
    session.Start({"qm17", "ENGLISH"});
  }
  const Presentation& shown() const { return session.Shown(); }
  // Ticks up to the next monitor frame.
  void NextFrame() {
    const int before = live.frames;
    for (int i = 0; i < 20 && live.frames == before; ++i) session.Tick();
    ASSERT_GT(live.frames, before);
  }
  LiveRecorder live;
};

TEST(Presentation, TheLastValuesAreGreyedFromTheNoConnectionLabelUntilTheNextFrame) {
  ShownRig run;
  // As the layout stands until the first tick: the label shows, nothing is greyed yet.
  EXPECT_TRUE(run.shown().NoConnectionVisible());
  EXPECT_FALSE(run.shown().LiveGreyed());
  run.line.unit.rpm = 4660;
  run.NextFrame();
  EXPECT_FALSE(run.shown().NoConnectionVisible());
  EXPECT_TRUE(run.shown().LiveShown());
  EXPECT_EQ(run.shown().LiveText(LiveLabel::Rpm), "RPM = 4660 ");

  run.line.unitConnected = false;
  run.Ticks(17);  // the frame's tick was the first of 18 without the label
  EXPECT_FALSE(run.shown().NoConnectionVisible());
  EXPECT_FALSE(run.shown().LiveGreyed());
  run.Ticks(1);
  EXPECT_TRUE(run.shown().NoConnectionVisible());
  EXPECT_TRUE(run.shown().LiveGreyed());
  EXPECT_EQ(run.shown().LiveText(LiveLabel::Rpm), "RPM = 4660 ");  // kept, not cleared
  // A page prints them in the normal colours, and carries no no-connection label.
  run.session.SetPrintLayout(true);
  EXPECT_FALSE(run.shown().LiveGreyed());
  EXPECT_FALSE(run.shown().NoConnectionVisible());
  run.session.SetPrintLayout(false);
  EXPECT_TRUE(run.shown().LiveGreyed());
  run.Ticks(1);  // the next silent tick shows the label again
  EXPECT_TRUE(run.shown().NoConnectionVisible());

  run.line.unitConnected = true;
  run.NextFrame();
  EXPECT_FALSE(run.shown().LiveGreyed());
  EXPECT_TRUE(run.shown().Changes().tone);
  // A view hears of the label only when it comes or goes, not on each of the ticks; the page
  // hid it without a word, as the style's change tells.
  EXPECT_EQ(run.live.noConnection, (std::vector<bool>{false, true, true, false}));
}

TEST(Presentation, AFrameChangesOnlyWhatDiffersFromTheLastOne) {
  ShownRig run;
  run.line.unit.rpm = 7500;
  run.NextFrame();
  const LiveChanges first = run.shown().Changes();
  EXPECT_TRUE(std::all_of(first.texts.begin(), first.texts.end(), [](bool c) { return c; }));
  EXPECT_TRUE(first.colours && first.bar);

  run.NextFrame();  // the same values again
  const LiveChanges same = run.shown().Changes();
  EXPECT_TRUE(std::none_of(same.texts.begin(), same.texts.end(), [](bool c) { return c; }));
  EXPECT_FALSE(same.colours || same.bar || same.tone);

  run.line.unit.rpm = 9000;
  run.NextFrame();
  const LiveChanges faster = run.shown().Changes();
  for (std::size_t i = 0; i < kLiveLabelCount; ++i)
    EXPECT_EQ(faster.texts[i], i == static_cast<std::size_t>(LiveLabel::Rpm)) << i;
  EXPECT_TRUE(faster.bar);
  EXPECT_EQ(run.shown().Live().rpmBar, 60);
}

TEST(Presentation, TheStatusAndTheGaugeShowForTheCountdownAfterAnOperation) {
  ShownRig run;
  run.session.Verify();
  EXPECT_TRUE(run.shown().StatusVisible());
  EXPECT_TRUE(run.shown().GaugeVisible());
  run.UntilIdle();
  EXPECT_FALSE(run.shown().GaugeVisible());
  const int countdown = run.session.LinkState().messageCountdown();
  ASSERT_GT(countdown, 1);
  run.Ticks(countdown - 1);
  EXPECT_TRUE(run.shown().StatusVisible());
  run.Ticks(1);
  EXPECT_FALSE(run.seen.statusVisible);

  // The inverse colours are the screen's: a page is printed in the normal ones.
  run.session.SetInverseDisplay(true);
  EXPECT_EQ(run.shown().Style(), (DisplayStyle{true, false}));
  run.session.SetPrintLayout(true);
  EXPECT_EQ(run.shown().Style(), (DisplayStyle{false, true}));
}

TEST(Presentation, ARejectedValueNamesItsBoxAndTheRange) {
  struct Case {
    Language language;
    ParameterField field;
    std::size_t point;
    std::optional<int> typed;
    const SpinRange& range;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {Language::English, ParameterField::PointAdvance, 2, 61, kPointAdvanceRange,
       "Point 3 advance: 0 \u2026 60 [\u00B0]"},
      {Language::English, ParameterField::PointSpeed, 14, 998, kPointSpeedRange,
       "Point 15 speed: 999 \u2026 20,100 [rpm]"},
      {Language::German, ParameterField::Limiter, 0, 25001, kLimiterRange,
       "Begrenzer: 999 \u2026 25,000 [rpm]"},
      {Language::English, ParameterField::PointCount, 0, 0, kPointCountRange,
       "Number of items: 1 \u2026 15"},
      {Language::English, ParameterField::Limiter, 0, 25000, kLimiterRange, std::nullopt},
      {Language::English, ParameterField::Limiter, 0, std::nullopt, kLimiterRange, std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RejectedValueText(c.language, c.field, c.point, c.typed, c.range, ","), c.text)
        << static_cast<int>(c.field) << " " << c.typed.value_or(-1);
}

}  // namespace
}  // namespace qm17
