// Undo and redo of the set: every kind of change is one step, typing a Read or New replaced
// comes back, and stepping never programs the unit.

#include <algorithm>

#include "session/session_rig.h"

namespace qm17 {
namespace {

using test_session::Rig;

int Point1Speed(const Session& session) {
  return ParametersFromImage(session.Image()).pointSpeedRpm[0];
}

TEST(SessionUndo, EveryChangeIsAStepThatComesBackAndGoesAgain) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  run.session.SetProgramAfterChange(true);
  run.UntilIdle();
  const int original = Point1Speed(run.session);

  run.panel.edit = [](IgnitionParameters& p) { p.pointSpeedRpm[0] = 1500; };
  run.session.EditParameters();
  run.UntilIdle();
  run.panel.edit = nullptr;
  run.session.SetPolarity(0);
  run.UntilIdle();
  run.session.EditCurvePoint(2, 35, 20);
  run.UntilIdle();
  ASSERT_TRUE(run.session.OpenText(test::kDefaultParameterFile, "/p/a.ign") == OpenResult::Opened);
  run.session.New();
  EXPECT_EQ(run.session.FileName(), "");

  // New, Open, the curve point, the polarity and the typed value, one step each.
  const std::size_t sent = run.line.sentCommands.size();
  run.session.Undo();
  EXPECT_EQ(run.session.FileName(), "/p/a.ign");
  ASSERT_FALSE(run.seen.notes.empty());
  EXPECT_NE(run.seen.notes.back().first.find("Undo: the default set (New)"), std::string::npos);
  EXPECT_NE(run.seen.notes.back().first.find("Nothing was sent"), std::string::npos);
  run.session.Undo();
  EXPECT_EQ(run.session.FileName(), "");
  EXPECT_EQ(run.session.Image()[image_byte::kPointAdvance + 2], 20);
  run.session.Undo();
  EXPECT_NE(run.session.Image()[image_byte::kPointAdvance + 2], 20);
  EXPECT_EQ(run.session.Image()[image_byte::kPolarity], 0);
  run.session.Undo();
  EXPECT_NE(run.session.Image()[image_byte::kPolarity], 0);
  EXPECT_EQ(Point1Speed(run.session), 1500);
  run.session.Undo();
  EXPECT_EQ(Point1Speed(run.session), original);
  EXPECT_FALSE(run.session.CanUndo());
  run.Ticks(10);
  EXPECT_EQ(run.session.LinkState().operation(), Operation::Idle);  // never programmed
  EXPECT_TRUE(std::all_of(run.line.sentCommands.begin() + static_cast<std::ptrdiff_t>(sent),
                          run.line.sentCommands.end(),
                          [](std::uint8_t c) { return c == command::kPoll; }));

  for (int i = 0; i < 5; ++i) run.session.Redo();
  EXPECT_EQ(run.session.FileName(), "");
  EXPECT_FALSE(run.session.CanRedo());
  // A new change drops the steps that were undone.
  run.session.Undo();
  run.session.SetPolarity(1);
  EXPECT_FALSE(run.session.CanRedo());
}

TEST(SessionUndo, TypingAReadReplacedComesBackAndAHundredStepsAreKept) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  run.UntilIdle();
  // Typed into the box, never left: F7 reads over it.
  run.panel.edit = [](IgnitionParameters& p) { p.pointSpeedRpm[0] = 1700; };
  run.session.Read();
  run.panel.edit = nullptr;
  run.UntilIdle();
  EXPECT_NE(Point1Speed(run.session), 1700);
  run.session.Undo();
  EXPECT_NE(run.seen.notes.back().first.find("Read from the unit"), std::string::npos);
  EXPECT_EQ(Point1Speed(run.session), 1700);

  run.session.SetAllPoints(true);
  for (int i = 0; i < 150; ++i) run.session.ShiftAdvances(i % 2 == 0);
  int steps = 0;
  while (run.session.CanUndo()) {
    run.session.Undo();
    ++steps;
  }
  EXPECT_GE(steps, 100);
}

}  // namespace
}  // namespace qm17
