// Editing the set, tick by tick against a fake unit: what programs the unit after a change,
// the advance shifts, New, and the bytes that no control shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "session_rig.h"

namespace qm17 {
namespace {

using namespace test_session;

// Enough ticks for a Program on a good line to end, and for the status to stay shown.
constexpr int kOperationTicks = 60;

// Lets a Program that may have started run to its end; true when the unit was written.
bool Programmed(Rig& run) {
  run.line.sentCommands.clear();
  run.Ticks(kOperationTicks);
  const auto& sent = run.line.sentCommands;
  return std::find(sent.begin(), sent.end(), command::kWriteBlock1) != sent.end();
}

bool UnitHoldsTheWindowsBlock(const Rig& run) {
  return std::equal(run.line.unit.memory.begin() + 50, run.line.unit.memory.end(),
                    run.session.Image().begin() + 50);
}

TEST(Editing, WithProgrammingAfterChangeOnlyAChangedSetIsSent) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  // Ticking the option programs at once, even with nothing changed.
  run.session.ProgramAfterChangeClicked(true);
  EXPECT_TRUE(Programmed(run));

  Session& session = run.session;
  const auto boxes = [&run](std::function<void(IgnitionParameters&)> edit) {
    run.panel.edit = std::move(edit);
    run.session.EditParameters();
  };
  struct Case {
    const char* what;
    std::function<void()> action;
    bool programs;
  };
  const Case cases[] = {
      {"nothing typed", [&] { session.EditParameters(); }, false},
      {"polarity item", [&] { session.SetPolarity(0); }, true},
      {"same polarity again", [&] { session.SetPolarity(0); }, false},
      {"advance up", [&] { boxes([](IgnitionParameters& p) { p.pointAdvance[0] = 11; }); }, true},
      {"advance back", [&] { boxes([](IgnitionParameters& p) { p.pointAdvance[0] = 10; }); }, true},
      {"ignitions already at their minimum",
       [&] { boxes([](IgnitionParameters& p) { p.ignitionsPerRev = 1; }); }, false},
      {"speed within the same hundred",
       [&] { boxes([](IgnitionParameters& p) { p.pointSpeedRpm[0] = 1040; }); }, false},
      {"language", [&] { session.SetLanguage(2); }, false},
      {"inverse display", [&] { session.SetInverseDisplay(true); }, false},
      {"shift of all advances",
       [&] {
         session.SetAllPoints(true);
         session.ShiftAdvances(true);
       },
       true},
      {"shift that changes nothing",
       [&] {
         boxes([](IgnitionParameters& p) { p.pointAdvance.fill(kPointAdvanceRange.max); });
         run.panel.edit = nullptr;
         Programmed(run);
         session.ShiftAdvances(true);
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.action();
    EXPECT_EQ(Programmed(run), c.programs);
    EXPECT_TRUE(UnitHoldsTheWindowsBlock(run));
  }
  // Unticked, a change programs nothing.
  session.ProgramAfterChangeClicked(false);
  EXPECT_FALSE(Programmed(run));
  boxes([](IgnitionParameters& p) { p.retard = 3; });
  EXPECT_FALSE(Programmed(run));
}

TEST(Editing, AdvanceShiftsStayWithinZeroToSixty) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  run.session.SetAllPoints(true);
  const auto advances = [&run] {
    const auto* first = run.session.Image().data() + image_byte::kPointAdvance;
    return std::vector<int>(first, first + kPointCount);
  };
  // Two points shown: the hidden ones shift too.
  run.panel.edit = [](IgnitionParameters& p) {
    p.pointCount = 2;
    p.pointAdvance[0] = 59;
    p.pointAdvance[1] = 60;
    p.pointAdvance[14] = 5;
  };
  run.session.ShiftAdvances(true);
  run.panel.edit = nullptr;
  EXPECT_EQ(advances(),
            (std::vector<int>{60, 60, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 6}));
  run.panel.edit = [](IgnitionParameters& p) {
    p.pointAdvance[0] = 0;
    p.pointAdvance[1] = 1;
  };
  run.session.ShiftAdvances(false);
  run.panel.edit = nullptr;
  EXPECT_EQ(advances(),
            (std::vector<int>{0, 0, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 5}));
  run.session.ShiftAdvances(true);
  EXPECT_EQ(advances(),
            (std::vector<int>{1, 1, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 6}));
}

// A unit whose reserved bytes and identification differ from anything the program writes.
constexpr std::size_t kReserved[] = {9, 11, 53, 54, 75, 76, 77, 78, 79, 95, 96, 97, 98, 99};

void ReadAUnitWithReservedBytes(Rig& run) {
  for (const std::size_t i : kReserved)
    run.line.unit.memory[i] = static_cast<std::uint8_t>(200 + i % 50);
  run.line.unit.memory[image_byte::kPointAdvance] = 44;
  run.session.Start({"qm17", "ENGLISH"});
  run.session.Read();
  run.Ticks(kOperationTicks);
  ASSERT_EQ(run.session.Image(), run.line.unit.memory);
}

TEST(Editing, NewRestoresTheDefaultSetAndKeepsWhatNoControlShows) {
  Rig run;
  ReadAUnitWithReservedBytes(run);
  ASSERT_EQ(run.session.OpenText(test::kDefaultParameterFile, "/p/a.ign"), OpenResult::Opened);
  run.panel.edit = [](IgnitionParameters& p) { p.pointAdvance[0] = 44; };
  run.session.EditParameters();
  run.panel.edit = nullptr;
  run.session.Verify();
  run.Ticks(kOperationTicks);
  ASSERT_TRUE(run.seen.statusVisible);
  run.session.New();
  DeviceImage expected = run.line.unit.memory;
  std::copy(test::kDefaultParameterBlock.begin(), test::kDefaultParameterBlock.end(),
            expected.begin() + 50);
  expected[54] = run.line.unit.memory[54];  // reserved: the default set has 0 there
  for (std::size_t i = 75; i < 80; ++i) expected[i] = run.line.unit.memory[i];
  for (std::size_t i = 95; i < 100; ++i) expected[i] = run.line.unit.memory[i];
  EXPECT_EQ(run.session.Image(), expected);
  EXPECT_EQ(run.session.Image()[53], 1);  // the default set's own reserved value
  EXPECT_EQ(run.session.FileName(), "");
  EXPECT_FALSE(run.seen.statusVisible);
}

TEST(Editing, BytesNoControlShowsSurviveEditsAndReachTheUnitUnchanged) {
  Rig run;
  ReadAUnitWithReservedBytes(run);
  const DeviceImage unit = run.line.unit.memory;
  run.panel.edit = [](IgnitionParameters& p) {
    p.pointAdvance[0] = 30;
    p.baseAdvance = 11;
  };
  run.session.EditParameters();
  run.panel.edit = nullptr;  // the boxes show the set from here on
  run.session.SetAllPoints(true);
  run.session.ShiftAdvances(true);
  run.session.SetPolarity(1);
  run.session.Program();
  EXPECT_TRUE(Programmed(run));
  EXPECT_EQ(run.line.unit.memory[image_byte::kPointAdvance], 31);
  for (const std::size_t i : kReserved) {
    EXPECT_EQ(run.session.Image()[i], unit[i]) << i;
    EXPECT_EQ(run.line.unit.memory[i], unit[i]) << i;
  }
}

}  // namespace
}  // namespace qm17
