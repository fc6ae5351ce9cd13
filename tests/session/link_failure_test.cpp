// What the session says beneath a failed Read, Verify or Program: what the unit may hold now.

#include <algorithm>

#include "session_rig.h"

namespace qm17::test_session {
namespace {

// Each operation cut off tick by tick: the caption stays as it is, and the line beneath it says
// whether the new parameters may be in the unit and which frame went unanswered.
TEST(LinkFailure, TheSecondLineSaysWhatTheUnitMayHold) {
  const std::string sent =
      "The unit stopped answering after the new parameters were sent: what it holds is unknown. "
      "Check the cable and the unit's power, then Program again. No answer to frame 0x";
  const std::string unchanged =
      "Nothing was written to the unit. Check the cable and the unit's power, then try again. "
      "No answer to frame 0x";
  const std::string readBlock1 = "41 (reading the parameters).";
  const struct {
    void (Session::*start)();
    int cutAfter;  // the last command answered; -1 for none
    const char* status;
    std::string detail;
  } cases[] = {
      {&Session::Program, 0x00, "Program error!", sent + "01 (writing the parameters)."},
      {&Session::Program, 0x01, "Verify error!", sent + readBlock1},  // its verify step
      {&Session::Read, 0x40, "Read error!", unchanged + readBlock1},
      {&Session::Verify, -1, "Verify error!", unchanged + readBlock1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.detail);
    Rig run;
    run.session.Start({"qm17", "ENGLISH"});
    run.line.unitConnected = c.cutAfter >= 0;
    (run.session.*c.start)();
    for (int i = 0; i < 100 && run.session.LinkState().operation() != Operation::Idle; ++i) {
      // The cut frame's answer is queued already: it still arrives, nothing after it does.
      const std::vector<std::uint8_t>& out = run.line.sentCommands;
      if (std::find(out.begin(), out.end(), c.cutAfter) != out.end())
        run.line.unitConnected = false;
      run.session.Tick();
    }
    EXPECT_EQ(run.session.Status().text, c.status);
    EXPECT_EQ(run.session.Status().detail, c.detail);
    // The window's status bar holds it as long as the caption stands.
    ASSERT_FALSE(run.seen.notes.empty());
    EXPECT_EQ(run.seen.notes.back(), (std::pair<std::string, int>{c.detail, 200}));
  }
}

}  // namespace
}  // namespace qm17::test_session
