// What the session says beneath a failed Read, Verify or Program: what the unit may hold now.

#include <algorithm>
#include <functional>

#include "session_rig.h"

namespace qm17::test_session {
namespace {

// Each operation cut off at a chosen frame, tick by tick: the specified caption stays as it is,
// and the line beneath it says which frame went unanswered and whether the new parameters may
// be in the unit; a wrong compatibility code is named beside the 26 needed.
TEST(LinkFailure, TheSecondLineSaysWhatTheUnitMayHold) {
  struct Case {
    const char* name;
    const char* language;  // the word on the command line
    std::function<void(Session&)> start;
    int cutAfter;  // the unit goes silent once this command has been answered; -1 at once
    const char* status;
    const char* detail;
  };
  const Case cases[] = {
      {"program cut after the block was sent", "ENGLISH", &Session::Program, 0x00, "Program error!",
       "The unit stopped answering after the new parameters were sent: what it holds is unknown. "
       "Check the cable and the unit's power, then Program again. No answer to frame 0x01 "
       "(writing the parameters)."},
      // The unit took the block; only the read that checks it went unanswered.
      {"program cut in its verify step", "DEUTSCH", &Session::Program, 0x01, "Vergleichsfehler",
       "Die Zündbox antwortet nicht mehr, seit die neuen Kenndaten gesendet wurden: Was sie jetzt "
       "enthält, ist unbekannt. Prüfen Sie das Kabel und die Stromversorgung der Zündbox und "
       "programmieren Sie dann erneut. Keine Antwort auf das Telegramm 0x41 (Lesen der "
       "Kenndaten)."},
      {"program never answered", "ENGLISH", &Session::Program, -1, "Program error!",
       "The new parameters were not sent: the unit holds what it held before. Check the cable and "
       "the unit's power, then Program again. No answer to frame 0x00 (writing the identification "
       "block)."},
      {"read cut", "CESKY", &Session::Read, 0x40, "Chyba čtení!",
       "Do jednotky nebylo nic zapsáno. Zkontrolujte kabel a napájení jednotky a zkuste to znovu. "
       "Jednotka neodpověděla na rámec 0x41 (čtení parametrů)."},
      {"verify cut", "ENGLISH", &Session::Verify, -1, "Verify error!",
       "Nothing was written to the unit. Check the cable and the unit's power, then try again. "
       "No answer to frame 0x41 (reading the parameters)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig run;
    run.session.Start({"qm17", c.language});
    run.line.unitConnected = c.cutAfter >= 0;
    c.start(run.session);
    for (int tick = 0; tick < 100 && run.session.LinkState().operation() != Operation::Idle;
         ++tick) {
      // The answer to the cut frame is already queued: it still arrives, nothing after it.
      const auto& sent = run.line.sentCommands;
      if (std::find(sent.begin(), sent.end(), c.cutAfter) != sent.end())
        run.line.unitConnected = false;
      run.session.Tick();
    }
    EXPECT_EQ(run.session.Status().text, c.status);
    EXPECT_TRUE(run.session.Status().failure);
    EXPECT_EQ(run.session.Status().detail, c.detail);
    // The window's status bar carries it as long as the caption stands.
    ASSERT_FALSE(run.seen.notes.empty());
    EXPECT_EQ(run.seen.notes.back(), (std::pair<std::string, int>{c.detail, 200}));
  }

  Rig run;
  run.line.unit.memory[10] = 25;
  run.session.Start({"qm17", "ENGLISH"});
  for (const auto& [start, ended] : {std::pair<void (Session::*)(), const char*>{
                                         &Session::Program, "The new parameters were not sent."},
                                     {&Session::Read, "The parameters were not read."}}) {
    (run.session.*start)();
    run.Ticks(8);
    ASSERT_FALSE(run.seen.messages.empty());
    EXPECT_EQ(run.seen.messages.back(),
              std::string("Unmatched version of PC and Ignition programs!\nThe unit reports "
                          "compatibility code 25; this program works with code 26. ") +
                  ended);
  }
  EXPECT_EQ(run.line.unit.memory[52], test::kDefaultParameterBlock[2]);  // nothing was written
}

}  // namespace
}  // namespace qm17::test_session
