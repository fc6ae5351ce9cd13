#include "session/session.h"

#include <gtest/gtest.h>

#include "common/known_answers.h"
#include "files/config_paths.h"
#include "files/history.h"
#include "files/parameter_file.h"
#include "files/settings_store.h"
#include "files/side_file.h"
#include "session_rig.h"

namespace qm17 {
namespace {

using namespace test_session;

TEST(Session, StartsWithSavedSettingsTheLanguageWordAndNormalisedValues) {
  struct Case {
    std::vector<std::string> arguments;
    long savedLanguage, savedPort;
    int language, port;
    std::vector<std::string> opens;
  };
  const Case cases[] = {
      {{"qm17", "ENGLISH"}, 0, 3, 1, 3, {"open /dev/com3"}},
      {{"qm17", "DEUTSCH"}, 1, 1, 2, 1, {"open /dev/com1"}},
      {{"qm17", "english"}, 0, 1, 0, 1, {"open /dev/com1"}},  // the word is matched exactly
      {{"qm17"}, 7, 12, 1, 1, {"open /dev/com1"}},
      {{"qm17"}, 2, 268, 2, 1, {"open /dev/com1"}},  // the low 8 bits: 12
      {{"qm17"}, 0, 0, 0, 0, {}},                    // no port: nothing opened, nothing said
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.savedPort);
    Rig run(
        "[FORM_HLAV]\nLeft=7\nTop=8\nWidth=900\nHeight=600\nComPort=" +
        std::to_string(c.savedPort) + "\nLanguage=" + std::to_string(c.savedLanguage) +
        "\nFile=/p/a.ign\nCheckBoxIgnAll->Checked=1\n[PORTS]\nCOM1=/dev/com1\nCOM3=/dev/com3\n");
    DeviceImage saved = run.session.Image();
    SetDefaultImage(saved);
    saved[image_byte::kLimiter] = 50;  // below the start limiter: lifted to it
    WriteFile(run.places.sideFile, WriteImageSideFile(saved));
    run.session.Start(c.arguments);
    EXPECT_EQ(run.session.LanguageIndex(), c.language);
    EXPECT_EQ(run.session.ComPortNumber(), c.port);
    EXPECT_EQ(run.line.events, c.opens);
    EXPECT_TRUE(run.seen.messages.empty());
    EXPECT_EQ(run.seen.placement.left, 7);
    EXPECT_EQ(run.seen.placement.height, 600);
    EXPECT_EQ(run.session.FileName(), "/p/a.ign");
    EXPECT_TRUE(run.session.AllPoints());
    EXPECT_EQ(run.session.Image()[image_byte::kLimiter], 60);
  }

  // The port's failure is said once, in the language the word chose.
  Rig failing("[FORM_HLAV]\nLanguage=0\n[PORTS]\nCOM1=/dev/com1\n");
  failing.line.failure = PortFailure::Busy;
  failing.session.Start({"qm17", "ENGLISH"});
  ASSERT_EQ(failing.seen.messages.size(), 1u);
  EXPECT_EQ(failing.seen.messages[0].rfind("Com opening error!\n/dev/com1: ", 0), 0u);
}

TEST(Session, ShutdownSavesWhatTheNextStartReads) {
  Rig run;
  const std::string folder = run.folder.File("config");
  run.places = {folder + "/Tarvex.ini", folder + "/_Tarvex.ini", {}, [&run, folder] {
                  run.line.events.push_back("save");
                  return fs::create_directories(folder) || fs::is_directory(folder);
                }};
  Session session(run.line, run.places);
  session.SetControlPanel(&run.panel);
  session.Start({"qm17", "ENGLISH"});
  session.SetWindowPlacement({10, 20, 842, 584});
  session.SetAllPoints(true);
  // Typed but not yet applied: closing takes it.
  run.panel.edit = [](IgnitionParameters& p) { p.limiterRpm = 14050; };
  session.Shutdown();
  EXPECT_EQ(run.line.events,
            (std::vector<std::string>{"open " + ComPortDevicePath(1, IniFile()), "close", "save"}));
  EXPECT_EQ(FileText(run.places.settingsFile),
            "[FORM_HLAV]\r\nLeft=10\r\nTop=20\r\nHeight=584\r\nWidth=842\r\nComPort=1\r\n"
            "Language=1\r\nFile=\r\nIniDir=\r\nCheckBoxBlackZobr->Checked=0\r\n"
            "CheckBoxIgnAll->Checked=1\r\n");
  DeviceImage side{};
  EXPECT_EQ(ReadImageSideFile(FileText(run.places.sideFile), side), 100);
  EXPECT_EQ(side, session.Image());
  EXPECT_EQ(side[image_byte::kLimiter], 140);
  // Written in place of the old files, with nothing left beside them.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

  run.panel.edit = nullptr;
  Recorder seen;
  Session again(run.line, run.places);
  again.AddObserver(seen);
  again.Start({"qm17"});
  EXPECT_EQ(again.LanguageIndex(), 1);
  EXPECT_TRUE(again.AllPoints());
  EXPECT_EQ(seen.placement.top, 20);
  EXPECT_EQ(again.Image(), session.Image());

  // A settings file that is there but cannot be taken as text is left as it is; the image is
  // still kept.
  const char raw[] = "[FORM_HLAV]\r\nComPort=\0\0\0 3\r\n";
  const std::string unreadable(raw, sizeof raw - 1);
  WriteFile(run.places.settingsFile, unreadable);
  fs::remove(run.places.sideFile);
  again.Shutdown();
  EXPECT_EQ(FileText(run.places.settingsFile), unreadable);
  EXPECT_TRUE(fs::exists(run.places.sideFile));

  // A folder that cannot be made: nothing is written, nothing is said.
  run.places.ensureFolder = [] { return false; };
  Session nowhere(run.line, run.places);
  fs::remove_all(folder);
  nowhere.Shutdown();
  EXPECT_FALSE(fs::exists(folder));
}

// The first start takes a workshop's settings and set from the files an earlier installation
// left, which are never written; once the program's own settings file is there, it counts.
TEST(Session, FirstStartCarriesAnEarlierInstallationsFilesOver) {
  Rig run;
  run.places.earlierSettingsFile = run.folder.File("old.ini");
  run.places.earlierSideFile = run.folder.File("_old.ini");
  DeviceImage saved{};
  SetDefaultImage(saved);
  saved[image_byte::kLimiter] = 140;
  const std::string side = WriteImageSideFile(saved);
  WriteFile(run.places.earlierSideFile, side);
  for (const std::string earlier : {"[FORM_HLAV]\r\nComPort=0\r\nLanguage=2\r\nFile=C:\\a.ign\r\n",
                                    "[FORM_HLAV]\r\nLanguage=1\r\n"}) {
    WriteFile(run.places.earlierSettingsFile, earlier);
    Session session(run.line, run.places);
    session.Start({"qm17"});
    EXPECT_EQ(session.LanguageIndex(), 2);
    EXPECT_EQ(session.FileName(), "C:\\a.ign");
    EXPECT_EQ(session.Image()[image_byte::kLimiter], 140);
    session.Shutdown();
    EXPECT_EQ(FileText(run.places.earlierSettingsFile), earlier);
    EXPECT_EQ(FileText(run.places.earlierSideFile), side);
  }
}

TEST(Session, OpenReadsIntoACopyAndHoldsWhatTheFileChanged) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  DeviceImage limited = run.session.Image();
  limited[image_byte::kLimiter] = 140;
  run.session.SetImage(limited, {});
  const DeviceImage before = run.session.Image();

  const std::string other = DefaultFileWith("150", "6").replace(0, 17, "KORVALEX_KEY   25");
  EXPECT_EQ(run.session.OpenText(other, "/p/old.ign"), OpenResult::WrongVersion);
  EXPECT_EQ(run.session.Image(), before);
  EXPECT_EQ(run.session.FileName(), "");
  EXPECT_EQ(run.seen.messages, std::vector<std::string>{"Unmatched version of *.ign file!"});
  EXPECT_EQ(run.seen.differencesChanges, 0);

  // A file whose set differs: what the window held stays listed for 200 ticks.
  run.seen.messages.clear();
  EXPECT_EQ(run.session.OpenText(DefaultFileWith("130", "30"), "/p/a.ign"), OpenResult::Opened);
  EXPECT_EQ(run.session.FileName(), "/p/a.ign");
  EXPECT_EQ(run.session.LastFilePath(), "/p/a.ign");
  EXPECT_EQ(run.seen.messages,
            std::vector<std::string>{"Changed on loading (file → loaded):\nRetard: 30 → 25 [°]"});
  ASSERT_TRUE(run.session.Held());
  EXPECT_EQ(run.session.Held()->source, HeldSource::File);
  EXPECT_EQ(run.session.Held()->window, before);
  EXPECT_EQ(run.seen.notes, (std::vector<std::pair<std::string, int>>{
                                {"The file holds otherwise (window → file): Limiter: 14000 → 13000 "
                                 "[rpm]; Retard: 6 → 25 [°] (whole list: Device > Differences…)",
                                 200}}));
  EXPECT_EQ(run.seen.differencesChanges, 1);
  run.Ticks(199);
  EXPECT_TRUE(run.session.Held());
  EXPECT_EQ(run.seen.differencesChanges, 1);
  run.Ticks(1);
  EXPECT_FALSE(run.session.Held());
  EXPECT_EQ(run.seen.differencesChanges, 2);

  // The same set again: nothing to hold, nothing to say.
  run.seen.notes.clear();
  EXPECT_EQ(run.session.OpenText(DefaultFileWith("130", "30"), "/p/b.ign"), OpenResult::Opened);
  EXPECT_FALSE(run.session.Held());
  EXPECT_TRUE(run.seen.notes.empty());
  EXPECT_EQ(run.seen.differencesChanges, 2);
}

TEST(Session, AnEditOrAPolarityProgramsOnlyWithTheOptionTicked) {
  Rig run;
  run.session.Start({"qm17"});
  run.panel.edit = [](IgnitionParameters& p) { p.limiterRpm = 14000; };
  run.session.EditParameters();
  EXPECT_EQ(run.session.Image()[image_byte::kLimiter], 140);
  EXPECT_EQ(run.session.LinkState().operation(), Operation::Idle);
  run.session.SetPolarity(0);
  EXPECT_EQ(run.session.LinkState().operation(), Operation::Idle);

  run.session.SetProgramAfterChange(true);
  run.session.EditParameters();
  EXPECT_EQ(run.session.LinkState().operation(), Operation::Program);
  EXPECT_EQ(run.session.LinkState().tryCounter(), 1);  // one send fewer than the menu's Program
  run.UntilIdle();
  EXPECT_EQ(run.line.unit.memory[image_byte::kLimiter], 140);
  // A Program that ended well is kept in the history, with the next monitor frame's count.
  EXPECT_TRUE(run.session.HistoryPending());
  run.Ticks(18);
  EXPECT_FALSE(run.session.HistoryPending());
  EXPECT_EQ(ListHistory(run.places.historyFolder).size(), 1u);

  // The polarity alone: no other control is read.
  run.panel.edit = [](IgnitionParameters& p) { p.limiterRpm = 13000; };
  run.session.SetPolarity(1);
  EXPECT_EQ(run.session.Image()[image_byte::kPolarity], 1);
  EXPECT_EQ(run.session.Image()[image_byte::kLimiter], 140);
  EXPECT_EQ(run.session.LinkState().operation(), Operation::Program);
  EXPECT_EQ(run.session.LinkState().tryCounter(), 1);
  run.UntilIdle();
  EXPECT_EQ(run.line.unit.memory[image_byte::kPolarity], 1);
  run.session.SetPolarity(3);  // no such item
  EXPECT_EQ(run.session.Image()[image_byte::kPolarity], 1);
  EXPECT_EQ(run.session.LinkState().operation(), Operation::Idle);
}

TEST(Session, AVerifyThatFailsHoldsWhatTheUnitHoldsOtherwise) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  run.line.unit.memory[image_byte::kLimiter] = 149;
  run.session.Verify();
  run.UntilIdle();
  EXPECT_TRUE(run.session.Status().failure);
  ASSERT_TRUE(run.session.Held());
  EXPECT_EQ(run.session.Held()->source, HeldSource::Unit);
  EXPECT_EQ(run.session.DifferencesText(*run.session.Held()),
            "The unit holds otherwise (window → unit):\nLimiter: 15000 → 14900 [rpm]");
  EXPECT_EQ(run.seen.notes, (std::vector<std::pair<std::string, int>>{
                                {"The unit holds otherwise (window → unit): Limiter: 15000 → "
                                 "14900 [rpm]",
                                 0}}));
  // What the unit was read to hold: the window differs from it, and Program is needed.
  EXPECT_TRUE(run.session.DiffersFromUnit());
  run.Ticks(300);  // a unit's list does not run out
  EXPECT_TRUE(run.session.Held());

  // Once a Verify ended well the unit's block is known, and an edit makes the window differ.
  run.line.unit.memory[image_byte::kLimiter] = 150;
  run.session.Verify();
  run.UntilIdle();
  EXPECT_FALSE(run.session.Status().failure);
  ASSERT_TRUE(run.session.UnitBlock());
  EXPECT_TRUE(std::equal(run.session.UnitBlock()->begin(), run.session.UnitBlock()->end(),
                         test::kDefaultParameterBlock.begin()));
  EXPECT_FALSE(run.session.DiffersFromUnit());
  EXPECT_FALSE(run.session.Held());  // the old list no longer says what the unit holds
  const int changes = run.seen.unitBlockChanges;
  run.panel.edit = [](IgnitionParameters& p) { p.limiterRpm = 14000; };
  run.session.EditParameters();
  EXPECT_TRUE(run.session.DiffersFromUnit());
  EXPECT_GT(run.seen.unitBlockChanges, changes);

  // Another port may lead to another unit.
  run.session.SelectComPort(2);
  EXPECT_FALSE(run.session.UnitBlock());
}

TEST(Session, ALostLineIsTriedAgainQuietlyWhereItsNameAllows) {
  Rig run("[PORTS]\nCOM1=/nowhere/ttyUSB7\n");
  run.session.Start({"qm17"});
  run.line.Vanish();
  run.line.failure = PortFailure::NotPresent;
  run.Ticks(17);
  EXPECT_EQ(run.line.Opens(), 1);
  run.Ticks(1);
  EXPECT_EQ(run.line.Opens(), 2);  // about a second after it went
  run.line.failure = PortFailure::None;
  run.Ticks(18);
  EXPECT_EQ(run.line.Opens(), 3);
  EXPECT_TRUE(run.line.IsOpen());
  run.Ticks(100);
  EXPECT_EQ(run.line.Opens(), 3);
  EXPECT_TRUE(run.seen.messages.empty());

  // Picking the port again reopens it, and says each failure.
  run.line.failure = PortFailure::Busy;
  run.session.SelectComPort(1);
  run.session.SelectComPort(1);
  EXPECT_EQ(std::vector<std::string>(run.line.events.end() - 4, run.line.events.end()),
            (std::vector<std::string>{"close", "open /nowhere/ttyUSB7", "close",
                                      "open /nowhere/ttyUSB7"}));
  EXPECT_EQ(run.seen.messages.size(), 2u);
  // A busy line is tried again quietly, as a lost one, and opens once it is freed.
  run.Ticks(36);
  EXPECT_EQ(run.line.Opens(), 7);
  run.line.failure = PortFailure::None;
  run.Ticks(18);
  EXPECT_TRUE(run.line.IsOpen());
  EXPECT_EQ(run.seen.messages.size(), 2u);
  // A device that is not there at all was never open: nothing to try again.
  run.line.failure = PortFailure::NotPresent;
  run.session.SelectComPort(1);
  run.Ticks(100);
  EXPECT_EQ(run.line.Opens(), 9);
}

TEST(Session, AFailedVerifyOrReadForgetsNothingItDidNotChange) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  run.session.Verify();
  run.UntilIdle();
  run.panel.edit = [](IgnitionParameters& p) { p.limiterRpm = 14000; };
  run.session.EditParameters();
  ASSERT_TRUE(run.session.DiffersFromUnit());
  // A Verify that gets no answer reads nothing: the window still needs Program.
  run.line.unitConnected = false;
  run.session.Verify();
  run.UntilIdle();
  EXPECT_TRUE(run.session.Status().failure);
  EXPECT_TRUE(run.session.DiffersFromUnit());

  // A Read that gets no answer leaves the table, and so its file name.
  run.panel.edit = nullptr;
  ASSERT_EQ(run.session.OpenText(test::kDefaultParameterFile, "/p/a.ign"), OpenResult::Opened);
  run.session.Read();
  run.UntilIdle();
  EXPECT_TRUE(run.session.Status().failure);
  EXPECT_EQ(run.session.FileName(), "/p/a.ign");
  run.line.unitConnected = true;
  run.session.Read();
  run.UntilIdle();
  EXPECT_FALSE(run.session.Status().failure);
  EXPECT_EQ(run.session.FileName(), "");
}

// Read once at start-up however often the Com devices are looked up; what is assigned is
// written through.
TEST(Session, TheSettingsAreReadOnceAndWrittenThrough) {
  Rig run;
  MemorySettingsStore store("[FORM_HLAV]\r\nLanguage=2\r\n[PORTS]\r\nCOM4=/dev/four\r\n");
  run.session.SetSettingsStore(store);
  run.session.Start({"qm17"});
  for (int n = 0; n <= 11; ++n) run.session.ComDevice(n);
  run.session.SelectComPort(4);
  EXPECT_EQ(store.loads, 1);
  EXPECT_EQ(run.line.events.back(), "open /dev/four");
  EXPECT_EQ(run.session.LanguageIndex(), 2);
  run.session.AssignComDevice(5, "/dev/five");
  EXPECT_EQ(run.line.events.back(), "open /dev/five");
  run.session.Shutdown();
  EXPECT_EQ(store.loads, 1);
  EXPECT_NE(store.text.find("COM5=/dev/five"), std::string::npos);
  EXPECT_NE(store.text.find("Language=2"), std::string::npos);
  EXPECT_TRUE(store.side);
  EXPECT_FALSE(fs::exists(run.places.settingsFile));
}

TEST(Session, CompareReadsTheUnitIntoASideImage) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  DeviceImage limited = run.session.Image();
  limited[image_byte::kLimiter] = 140;
  run.session.SetImage(limited, {});
  const DeviceImage window = run.session.Image();
  run.session.Compare();
  run.Ticks(60);
  EXPECT_EQ(run.session.Image(), window);  // not even the unit's identification
  EXPECT_EQ(run.seen.messages, std::vector<std::string>{"The unit holds otherwise (window → "
                                                        "unit):\nLimiter: 14000 → 15000 [rpm]"});
  // Only reads: the unit is never written.
  for (const std::uint8_t command : run.line.sentCommands) EXPECT_GT(command, 0x01);
  ASSERT_TRUE(run.session.Held());
  EXPECT_EQ(run.session.Held()->source, HeldSource::Unit);
  EXPECT_TRUE(run.session.DiffersFromUnit());

  run.seen.messages.clear();
  std::copy_n(window.begin() + 50, 50, run.line.unit.memory.begin() + 50);
  run.session.Compare();
  run.Ticks(60);
  EXPECT_EQ(run.seen.messages, std::vector<std::string>{"The parameter sets are the same."});
  EXPECT_FALSE(run.session.DiffersFromUnit());

  // A unit that does not answer: said as a failed Read, in the status line for its while.
  run.line.unitConnected = false;
  run.session.Compare();
  run.Ticks(60);
  EXPECT_EQ(run.session.Image(), window);
  EXPECT_EQ(run.session.Status().text, "Read error!");
  EXPECT_TRUE(run.session.Status().failure);
  EXPECT_TRUE(run.seen.statusVisible);
  run.Ticks(200);
  EXPECT_FALSE(run.seen.statusVisible);
}

}  // namespace
}  // namespace qm17

namespace qm17 {
namespace {

using namespace test_session;

// The note goes with its set: Save writes it, Open loads it, New clears it, Program keeps it
// in the history, a Read that fails leaves it and a Read that brings the unit's set clears it.
TEST(Session, ANoteTravelsWithItsSet) {
  Rig run;
  run.session.Start({"qm17", "ENGLISH"});
  const std::string kept = "Jiří, ČZ 125\nbase +2 KORVALEX_KEY 26";
  run.session.SetNote("Jiří, ČZ 125\r\nbase +2 KORVALEX_KEY 26\x1b \n");
  EXPECT_EQ(run.session.Note(), kept);
  const std::string file = run.folder.File("bike.ign");
  ASSERT_TRUE(run.session.Save(file));
  EXPECT_EQ(ReadParameterNote(FileText(file)), kept);
  run.session.New();
  EXPECT_EQ(run.session.Note(), "");
  ASSERT_EQ(run.session.Open(file), OpenResult::Opened);
  EXPECT_EQ(run.session.Note(), kept);
  WriteFile(run.folder.File("old.ign"), "KORVALEX_KEY 25");
  EXPECT_EQ(run.session.Open(run.folder.File("old.ign")), OpenResult::WrongVersion);
  EXPECT_EQ(run.session.Note(), kept);

  run.session.Program();
  run.UntilIdle();
  run.Ticks(20);
  EXPECT_EQ(run.session.Note(), kept);
  const std::vector<std::string> history = ListHistory(run.places.historyFolder);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(ReadHistoryFile(FileText(history[0]))->note, kept);

  run.line.unitConnected = false;
  run.session.Read();
  run.UntilIdle();
  EXPECT_EQ(run.session.Note(), kept);
  run.line.unitConnected = true;
  run.session.Read();
  run.UntilIdle();
  EXPECT_EQ(run.session.Note(), "");

  // The note is kept with the saved image, so that a Save after the next start keeps it.
  run.session.SetNote(kept);
  run.session.Shutdown();
  Session next{run.line, run.places};
  next.Start({"qm17"});
  EXPECT_EQ(next.Note(), kept);
}

}  // namespace
}  // namespace qm17
