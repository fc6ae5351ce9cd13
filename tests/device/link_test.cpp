#include "device/link.h"

#include <gtest/gtest.h>

#include "common/known_answers.h"
#include "common/link_fakes.h"
#include "session/outcome_display.h"
#include "texts/texts.h"

#include <algorithm>
#include <deque>
#include <functional>

namespace qm17 {
namespace {

struct Sent {
  int tick;
  bool waited;  // WriteAndWait (polls) rather than Write (block frames)
  Frame frame;
};

// A serial port whose input queue the test fills and whose writes it records.
class FakePort : public test::QueuePort {
 public:
  explicit FakePort(const int& tick) : m_tick(tick) {}
  void Write(const Frame& frame) override { Record(frame, false); }
  void WriteAndWait(const Frame& frame) override { Record(frame, true); }

  std::vector<Sent> sent;
  std::function<void(const Frame&)> unit;  // answers requests, when connected

 private:
  void Record(const Frame& frame, bool waited) {
    sent.push_back({m_tick, waited, frame});
    if (unit) {
      unit(frame);
    }
  }
  const int& m_tick;
};

// Records what the link shows, as the window shows it; the status line's changes go into an
// ordered log.
class RecordingView : public LinkView {
 public:
  explicit RecordingView(DeviceImage& image) : m_image(image) {}
  bool PrintLayout() const override { return printLayout; }
  void ShowOutcome(const LinkOutcome& outcome) override {
    outcomes.push_back(outcome);
    const OutcomeDisplay shown = DisplayForOutcome(outcome, language);
    if (shown.status) {
      status = *shown.status;
      red = shown.failure;
      log.push_back((red ? "red:" : "status:") + status);
    }
    if (shown.showStatus) SetStatusVisible(true);
    if (shown.gauge != GaugeChange::Keep) SetGaugeVisible(shown.gauge == GaugeChange::Show);
    if (shown.message) {
      log.push_back("mismatch");
      // The message stands alone on its first line.
      EXPECT_EQ(shown.message->substr(0, shown.message->find('\n')),
                MessageTexts(language, MsgVersionMismatch));
      if (onMismatch) onMismatch();
    }
  }
  void SetStatusVisible(bool visible) override {
    statusVisible = visible;
    log.push_back(visible ? "label shown" : "label hidden");
  }
  void SetGaugeVisible(bool visible) override {
    gaugeVisible = visible;
    log.push_back(visible ? "gauge shown" : "gauge hidden");
  }
  void SetGaugeProgress(int progress) override {
    log.push_back("progress " + std::to_string(progress));
  }
  void SetNoConnectionVisible(bool visible) override { noConnection = visible; }
  void ShowLiveValues(const LiveValues& values) override { live.push_back(values.rpm); }
  void ShowCurrentPoint(const CurrentPoint& p) override {
    point = p;
    ++pointCalls;
  }
  void NormaliseAndShowImage() override {
    NormaliseImage(m_image);
    log.push_back("normalise");
  }

  Language language = Language::English;
  std::vector<LinkOutcome> outcomes;
  bool printLayout = false;
  std::vector<std::string> log;
  std::string status;
  bool red = false;
  bool statusVisible = false;
  bool gaugeVisible = false;
  bool noConnection = false;
  std::vector<std::uint16_t> live;  // rpm of each shown monitor frame
  CurrentPoint point;
  int pointCalls = 0;
  std::function<void()> onMismatch;

 private:
  DeviceImage& m_image;
};

constexpr const auto& kDefaultBlock = test::kDefaultParameterBlock;

// An identification block: "QMX07", 5 January 2023, 09:05, compatibility code `code`.
std::array<std::uint8_t, 50> Identification(std::uint8_t code) {
  std::array<std::uint8_t, 50> block{'Q', 'M', 'X', 7, 5, 25, 23, 9, 5, 0, code};
  return block;
}

Frame Answer(std::uint8_t first, const std::array<std::uint8_t, 50>& payload) {
  return test::HandFrame(first, payload.data());
}

Frame Monitor(std::uint16_t rpm) {
  std::array<std::uint8_t, 50> payload{};
  payload[0] = static_cast<std::uint8_t>(rpm & 0xFF);
  payload[1] = static_cast<std::uint8_t>(rpm >> 8);
  return Answer(0xB0, payload);
}

std::array<std::uint8_t, 50> Block(const DeviceImage& image, std::size_t block) {
  std::array<std::uint8_t, 50> out{};
  std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(50 * block), 50, out.begin());
  return out;
}

std::array<std::uint8_t, 50> Payload(const Frame& frame) {
  std::array<std::uint8_t, 50> out{};
  std::copy_n(frame.begin() + 1, 50, out.begin());
  return out;
}

// The unit at the other end: answers polls with its engine speed and block frames with its
// own blocks; keeps a written parameter block; ignores a written identification block.
struct TestUnit {
  DeviceImage memory{};
  std::uint16_t rpm = 0;
  std::function<void(Frame&)> tamper;

  void Answer(FakePort& port, const Frame& request) {
    if (request[0] == 0x30) {
      port.Queue(Monitor(rpm));
      return;
    }
    const std::size_t block = request[0] & 0x3F;
    if (request[0] == 0x01) {
      std::copy_n(request.begin() + 1, 50, memory.begin() + 50);
    }
    Frame answer = qm17::Answer(static_cast<std::uint8_t>(request[0] ^ 0x80), Block(memory, block));
    if (tamper) {
      tamper(answer);
    }
    port.Queue(answer);
  }
};

class LinkTest : public ::testing::Test {
 protected:
  LinkTest() {
    const auto id = Identification(26);
    std::copy(id.begin(), id.end(), image.begin());
    std::copy(kDefaultBlock.begin(), kDefaultBlock.end(), image.begin() + 50);
    unit.memory = image;
  }

  void Connect() {
    port.unit = [this](const Frame& f) { unit.Answer(port, f); };
  }
  void Run(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      ++tick;
      link.Tick();
    }
  }
  // Ticks until the operation ends; returns that tick, or -1 after 100 ticks.
  int RunUntilIdle() {
    for (int i = 0; i < 100 && link.operation() != Operation::Idle; ++i) {
      Run(1);
    }
    return link.operation() == Operation::Idle ? tick : -1;
  }
  std::vector<int> SendTicks(std::uint8_t command) const {
    std::vector<int> ticks;
    for (const Sent& s : port.sent) {
      if (s.frame[0] == command) {
        ticks.push_back(s.tick);
      }
    }
    return ticks;
  }
  std::vector<std::uint8_t> BlockCommands() const {
    std::vector<std::uint8_t> commands;
    for (const Sent& s : port.sent) {
      if (!s.waited) {
        commands.push_back(s.frame[0]);
      }
    }
    return commands;
  }

  int tick = 0;
  DeviceImage image{};
  FakePort port{tick};
  RecordingView view{image};
  DeviceLink link{image, port, view};
  TestUnit unit;
};

TEST_F(LinkTest, SendsAndGivesUpWithoutAnswers) {
  struct Case {
    const char* name;
    std::function<void(DeviceLink&)> start;
    std::uint8_t command;
    std::vector<int> sends;
    int failedAt;
    const char* text;
  };
  const Case cases[] = {
      {"read", [](DeviceLink& l) { l.StartRead(); }, 0x40, {0, 4, 8, 12, 16}, 20, "Read error!"},
      {"verify",
       [](DeviceLink& l) { l.StartVerify(); },
       0x41,
       {0, 4, 8, 12, 16},
       20,
       "Verify error!"},
      {"program",
       [](DeviceLink& l) { l.StartProgram(0); },
       0x00,
       {4, 8, 12, 16, 20},
       24,
       "Program error!"},
      {"after change",
       [](DeviceLink& l) { l.ProgramAfterChange(true); },
       0x00,
       {4, 8, 12, 16},
       20,
       "Program error!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tick = 0;
    port.sent.clear();
    view.log.clear();
    DeviceLink fresh(image, port, view);
    c.start(fresh);
    int failedAt = -1;
    for (int i = 0; i < 40 && failedAt < 0; ++i) {
      ++tick;
      fresh.Tick();
      if (fresh.operation() == Operation::Idle) {
        failedAt = tick;
      }
    }
    EXPECT_EQ(SendTicks(c.command), c.sends);
    EXPECT_EQ(failedAt, c.failedAt);
    EXPECT_EQ(view.status, c.text);
    EXPECT_TRUE(view.red);
    EXPECT_EQ(view.outcomes.back().result, LinkResult::Failed);
    EXPECT_EQ(view.outcomes.back().reason, FailureReason::NoAnswer);
    EXPECT_EQ(view.outcomes.back().unansweredCommand, c.command);
    EXPECT_EQ(fresh.messageCountdown(), 199);  // the failure stays 200 ticks from its own tick
    EXPECT_TRUE(view.gaugeVisible);            // left for the countdown to hide
    EXPECT_TRUE(std::none_of(port.sent.begin(), port.sent.end(),
                             [](const Sent& s) { return s.waited && s.tick < 20; }));
  }
}

TEST_F(LinkTest, ProgramCommandSendsAtTheNextTimeOut) {
  // Where the tick counter stands decides: 4 ticks after a fresh start, 1 tick when it is at 3.
  const std::pair<int, int> cases[] = {{0, 4}, {1, 3}, {3, 1}, {5, 1}};
  for (const auto& [idleTicks, delay] : cases) {
    tick = 0;
    port.sent.clear();
    DeviceLink fresh(image, port, view);
    for (int i = 0; i < idleTicks; ++i) {
      ++tick;
      fresh.Tick();
    }
    fresh.StartProgram(0);
    EXPECT_TRUE(port.sent.empty());
    for (int i = 0; i < 4 && SendTicks(0x00).empty(); ++i) {
      ++tick;
      fresh.Tick();
    }
    EXPECT_EQ(SendTicks(0x00), std::vector<int>{idleTicks + delay}) << idleTicks;
  }
}

TEST_F(LinkTest, FailureTextFollowsTheLanguageAtTheMomentOfFailure) {
  struct Case {
    Language language;
    std::function<void(DeviceLink&)> start;
    const char* text;
  };
  const Case cases[] = {
      {Language::Czech, [](DeviceLink& l) { l.StartRead(); }, "Chyba \u010Dten\u00ED!"},
      {Language::German, [](DeviceLink& l) { l.StartRead(); }, "Lesefehler"},
      {Language::Czech, [](DeviceLink& l) { l.StartVerify(); }, "Chyba verifikace!"},
      {Language::German, [](DeviceLink& l) { l.StartVerify(); }, "Vergleichsfehler"},
      {Language::Czech, [](DeviceLink& l) { l.StartProgram(0); }, "Chyba programov\u00E1n\u00ED"},
      {Language::German, [](DeviceLink& l) { l.StartProgram(0); }, "Programmier. Fehler"},
  };
  for (const Case& c : cases) {
    view.language = Language::English;
    c.start(link);
    Run(3);
    view.language = c.language;  // switched while the operation runs
    EXPECT_NE(RunUntilIdle(), -1);
    EXPECT_EQ(view.status, c.text);
  }
}

TEST_F(LinkTest, SuccessfulProgramInEachLanguage) {
  const std::pair<Language, std::vector<std::string>> cases[] = {
      {Language::English, {"status:Program device:", "status:Verify:", "status:Verify: OK"}},
      {Language::Czech,
       {"status:Programov\u00E1n\u00ED:", "status:Verifikace:", "status:Verifikace: OK"}},
      {Language::German,
       {"status:Programmieren:", "status:Verifikation:", "status:Verifikation: OK"}},
  };
  for (const auto& [language, texts] : cases) {
    tick = 0;
    port.sent.clear();
    view.log.clear();
    view.language = language;
    unit.memory = DeviceImage{};
    const auto unitId = Identification(26);
    std::copy(unitId.begin(), unitId.end(), unit.memory.begin());
    unit.memory[0] = 'U';  // the unit's identification differs from the one held
    image[0] = 'H';
    const auto heldId = Block(image, 0);
    Connect();
    DeviceLink fresh(image, port, view);
    fresh.StartProgram(0);
    for (int i = 0; i < 10 && (fresh.operation() != Operation::Idle || tick < 4); ++i) {
      ++tick;
      fresh.Tick();
    }
    EXPECT_EQ(tick, 7);
    EXPECT_EQ(BlockCommands(), (std::vector<std::uint8_t>{0x00, 0x01, 0x41}));
    EXPECT_EQ((std::vector<int>{port.sent[0].tick, port.sent[1].tick, port.sent[2].tick}),
              (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(Payload(port.sent[0].frame), heldId);
    EXPECT_EQ(Payload(port.sent[1].frame), kDefaultBlock);
    EXPECT_EQ(Payload(port.sent[2].frame), kDefaultBlock);
    EXPECT_EQ(Block(unit.memory, 1), kDefaultBlock);
    EXPECT_EQ(image[0], 'U');  // the unit's identification is now held
    EXPECT_EQ(fresh.identification().version, "UMX07");
    const std::vector<std::string> expected = {
        texts[0], "label shown", "gauge shown", "progress 0", "normalise",   "progress 1",
        texts[1], "label shown", "progress 0",  texts[2],     "gauge hidden"};
    EXPECT_EQ(view.log, expected);
    EXPECT_EQ(view.outcomes.back(),
              (LinkOutcome{Operation::Verify, LinkResult::Succeeded, FailureReason::None}));
    EXPECT_FALSE(view.red);
    EXPECT_EQ(fresh.messageCountdown(), 199);
    // Polling resumes: the tick counter went on from the last send at tick 6.
    for (int i = 0; i < 5; ++i) {
      ++tick;
      fresh.Tick();
    }
    EXPECT_EQ(SendTicks(0x30), std::vector<int>{11});
    port.unit = nullptr;
    image[0] = 'Q';
  }
}

TEST_F(LinkTest, SuccessfulReadAndVerify) {
  std::array<std::uint8_t, 50> unitBlock = kDefaultBlock;
  unitBlock[1] = 22;   // base advance
  unitBlock[30] = 33;  // first advance
  std::copy(unitBlock.begin(), unitBlock.end(), unit.memory.begin() + 50);
  unit.memory[16] = 'T';  // a text version
  Connect();

  link.StartRead();
  EXPECT_EQ(RunUntilIdle(), 3);
  EXPECT_EQ(BlockCommands(), (std::vector<std::uint8_t>{0x40, 0x41, 0x41}));
  EXPECT_EQ(SendTicks(0x40), std::vector<int>{0});
  EXPECT_EQ(SendTicks(0x41), (std::vector<int>{1, 2}));
  const std::array<std::uint8_t, 50> zeros{};
  EXPECT_EQ(Payload(port.sent[0].frame), zeros);
  EXPECT_EQ(Payload(port.sent[1].frame), zeros);
  EXPECT_EQ(Payload(port.sent[2].frame), unitBlock);
  EXPECT_EQ(Block(image, 1), unitBlock);
  EXPECT_EQ(link.identification().version, "T");
  EXPECT_EQ(link.identification().date, " 5. 1.2023");
  const std::vector<std::string> expected = {"status:Read:",      "label shown", "gauge shown",
                                             "progress 0",        "progress 1",  "normalise",
                                             "status:Verify:",    "label shown", "progress 0",
                                             "status:Verify: OK", "gauge hidden"};
  EXPECT_EQ(view.log, expected);
  const std::vector<LinkOutcome> outcomes = {
      {Operation::Read, LinkResult::Started, FailureReason::None},
      {Operation::Verify, LinkResult::Verifying, FailureReason::None},
      {Operation::Verify, LinkResult::Succeeded, FailureReason::None}};
  EXPECT_EQ(view.outcomes, outcomes);

  view.log.clear();
  port.sent.clear();
  link.StartVerify();
  EXPECT_EQ(RunUntilIdle(), 4);
  EXPECT_EQ(BlockCommands(), std::vector<std::uint8_t>{0x41});
  EXPECT_EQ(Payload(port.sent[0].frame), unitBlock);
  const std::vector<std::string> verified = {"status:Verify:", "label shown",       "gauge shown",
                                             "progress 0",     "status:Verify: OK", "gauge hidden"};
  EXPECT_EQ(view.log, verified);

  // A second Read counts its gauge from 0 again.
  view.log.clear();
  link.StartRead();
  EXPECT_NE(RunUntilIdle(), -1);
  EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "progress 1"), 1);
  EXPECT_EQ(std::count(view.log.begin(), view.log.end(), "progress 2"), 0);
}

TEST_F(LinkTest, DifferencesAreRetriedThenReported) {
  struct Case {
    const char* name;
    std::function<void(DeviceLink&)> start;
    std::function<void(TestUnit&)> spoil;
    std::uint8_t retried;
    std::vector<int> sends;
    const char* text;
  };
  const Case cases[] = {
      // The unit stores the block but echoes a different one.
      {"echo",
       [](DeviceLink& l) { l.StartProgram(0); },
       [](TestUnit& u) {
         u.tamper = [](Frame& f) {
           if (f[0] == 0x81) {
             f[10] ^= 1, f[51] ^= 1;
           }
         };
       },
       0x01,
       {5, 8, 12, 16, 20},
       "Program error!"},
      // One byte of the unit's parameters differs from the window's.
      {"verify",
       [](DeviceLink& l) { l.StartVerify(); },
       [](TestUnit& u) { u.memory[99] = 7; },
       0x41,
       {0, 4, 8, 12, 16},
       "Verify error!"},
      // The unit's speeds are not ascending: the window shows them mended, so they differ.
      {"read",
       [](DeviceLink& l) { l.StartRead(); },
       [](TestUnit& u) { u.memory[61] = 5; },
       0x41,
       {1, 2, 5, 9, 13, 17},
       "Verify error!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tick = 0;
    port.sent.clear();
    unit = TestUnit{};
    unit.memory = image;
    c.spoil(unit);
    Connect();
    DeviceLink fresh(image, port, view);
    c.start(fresh);
    int failedAt = -1;
    for (int i = 0; i < 40 && failedAt < 0; ++i) {
      ++tick;
      fresh.Tick();
      failedAt = fresh.operation() == Operation::Idle ? tick : -1;
    }
    EXPECT_EQ(SendTicks(c.retried), c.sends);
    // 20 ticks after a send from a start, 19 after a send from a frame handler.
    EXPECT_EQ(failedAt, c.sends.back() + 4);
    EXPECT_EQ(view.status, c.text);
    EXPECT_TRUE(view.red);
    EXPECT_EQ(view.outcomes.back().reason, FailureReason::BlockDiffers);
  }
  EXPECT_EQ(image[61], 11);  // the mended speed stays in the window
}

TEST_F(LinkTest, KeepsTheUnitsLastBlockAnswer) {
  // A Verify against a unit that holds another advance: the failure keeps what it holds.
  unit.memory[99] = 7;
  unit.memory[60] = 3;
  Connect();
  link.StartVerify();
  EXPECT_FALSE(link.LastUnitBlock().has_value());
  RunUntilIdle();
  EXPECT_EQ(view.outcomes.back().reason, FailureReason::BlockDiffers);
  ASSERT_TRUE(link.LastUnitBlock().has_value());
  EXPECT_TRUE(std::equal(link.LastUnitBlock()->begin(), link.LastUnitBlock()->end(),
                         unit.memory.begin() + 50));
  link.StartProgram(0);  // a new operation forgets it until the unit answers
  EXPECT_FALSE(link.LastUnitBlock().has_value());
}

TEST_F(LinkTest, VersionMismatchEndsReadAndProgram) {
  unit.memory[10] = 25;
  unit.memory[52] = 200;
  Connect();
  // The box is modal: ticks run while it is open and must only poll.
  view.onMismatch = [this] {
    for (int i = 0; i < 6; ++i) {
      link.Tick();
    }
  };
  link.StartRead();
  Run(12);
  EXPECT_EQ(BlockCommands(), std::vector<std::uint8_t>{0x40});
  EXPECT_EQ(link.operation(), Operation::Idle);
  EXPECT_EQ(Block(image, 1), kDefaultBlock);  // parameters untouched
  EXPECT_EQ(image[10], 25);
  EXPECT_EQ(link.identification().version, "QMX07");
  EXPECT_EQ((std::vector<std::string>(view.log.end() - 2, view.log.end())),
            (std::vector<std::string>{"normalise", "mismatch"}));
  EXPECT_FALSE(SendTicks(0x30).empty());
  EXPECT_EQ(view.status, "Read:");  // the status keeps the operation name
  EXPECT_EQ(view.outcomes.back(),
            (LinkOutcome{Operation::Read, LinkResult::Failed, FailureReason::VersionMismatch,
                         Operation::Read, 0, false, 25}));

  port.sent.clear();
  view.log.clear();
  link.StartProgram(0);
  Run(12);
  EXPECT_EQ(BlockCommands(), std::vector<std::uint8_t>{0x00});
  EXPECT_EQ(view.log.back(), "mismatch");
  EXPECT_EQ(unit.memory[52], 200);  // nothing was written
  EXPECT_EQ(view.status, "Program device:");
  EXPECT_EQ(view.outcomes.back(),
            (LinkOutcome{Operation::Program, LinkResult::Failed, FailureReason::VersionMismatch,
                         Operation::Program, 0, false, 25}));
}

TEST_F(LinkTest, AnswersThatAreNotUsed) {
  Run(5);  // silence 5
  struct Case {
    const char* name;
    Frame answer;
    int silenceAfter;
  };
  Frame badCheck = Answer(0xC1, kDefaultBlock);
  badCheck[51] ^= 0x01;
  const Case cases[] = {
      {"bad check byte", badCheck, 7},
      {"wrong answer byte", Answer(0xC0, kDefaultBlock), 1},
      {"answer to a write", Answer(0x81, kDefaultBlock), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port.sent.clear();
    link.StartVerify();
    const int started = tick;
    Run(1);
    port.Queue(c.answer);
    Run(1);
    EXPECT_EQ(link.silenceCounter(), c.silenceAfter);
    EXPECT_EQ(link.operation(), Operation::Verify);
    EXPECT_TRUE(port.queue.empty());
    Run(2);
    EXPECT_EQ(SendTicks(0x41), (std::vector<int>{started, started + 4}));  // on schedule
    EXPECT_NE(RunUntilIdle(), -1);
    Run(5);
  }
}

TEST_F(LinkTest, OnlyTheFirstFrameOfARead) {
  link.StartVerify();
  port.Queue(Monitor(3000));
  port.Queue(Answer(0xC1, kDefaultBlock));  // would end the Verify, but is dropped
  Run(1);
  EXPECT_EQ(view.live, std::vector<std::uint16_t>{3000});
  EXPECT_EQ(link.operation(), Operation::Verify);
  EXPECT_TRUE(port.queue.empty());
  Run(3);
  EXPECT_EQ(SendTicks(0x41), (std::vector<int>{0, 4}));
}

TEST_F(LinkTest, ReadsOnlyWholeFramesAndAtMost15000Bytes) {
  const Frame first = Monitor(1000);
  port.queue.assign(first.begin(), first.end() - 1);  // 51 bytes
  Run(1);
  EXPECT_TRUE(view.live.empty());
  EXPECT_EQ(port.queue.size(), 51u);
  port.queue.push_back(first[51]);
  Run(1);
  EXPECT_EQ(view.live, std::vector<std::uint16_t>{1000});

  port.Queue(Monitor(2000));
  port.queue.resize(15000, 0x55);
  port.Queue(Monitor(3000));
  port.readSizes.clear();
  Run(1);
  EXPECT_EQ(port.readSizes, std::vector<std::size_t>{15000});
  EXPECT_EQ(port.queue.size(), 52u);
  Run(1);
  EXPECT_EQ(view.live, (std::vector<std::uint16_t>{1000, 2000, 3000}));
}

// A port that says a whole frame is queued and then delivers fewer bytes.
class ShortReadPort : public FakePort {
 public:
  using FakePort::FakePort;
  std::size_t QueuedBytes() override { return 52; }
  std::size_t Read(std::span<std::uint8_t> buffer) override {
    return FakePort::Read(buffer.first(std::min(buffer.size(), limit)));
  }
  std::size_t limit = 52;
};

TEST_F(LinkTest, ShortReadDoesNotReuseAnEarlierFrame) {
  ShortReadPort shortPort(tick);
  DeviceLink shortLink(image, shortPort, view);
  shortPort.Queue(Monitor(1500));
  shortLink.Tick();
  shortPort.limit = 1;
  shortPort.queue.push_back(0xB0);  // the rest of the buffer still holds the last frame
  shortLink.Tick();
  EXPECT_EQ(view.live, std::vector<std::uint16_t>{1500});
}

TEST_F(LinkTest, LateAnswersAndReplacedOperations) {
  link.StartRead();
  EXPECT_EQ(RunUntilIdle(), 20);
  port.Queue(Answer(0xC0, Identification(26)));  // the answer to the last try, too late
  Run(1);
  EXPECT_EQ(link.operation(), Operation::Idle);
  EXPECT_EQ(link.silenceCounter(), 1);
  EXPECT_EQ(SendTicks(0x41), std::vector<int>{});
  EXPECT_EQ(view.status, "Read error!");

  port.sent.clear();
  link.StartProgram(0);
  Run(4);
  ASSERT_EQ(BlockCommands(), std::vector<std::uint8_t>{0x00});
  link.StartRead();
  port.Queue(Answer(0x80, Identification(26)));  // answers the abandoned write
  Run(1);
  EXPECT_EQ(link.operation(), Operation::Read);
  EXPECT_EQ(link.currentCommand(), 0x40);
  EXPECT_EQ(BlockCommands(), (std::vector<std::uint8_t>{0x00, 0x40}));
}

TEST_F(LinkTest, PollsOnlyWhileIdle) {
  Run(18);
  EXPECT_EQ(SendTicks(0x30), (std::vector<int>{6, 12, 18}));
  EXPECT_TRUE(std::all_of(port.sent.begin(), port.sent.end(), [](const Sent& s) {
    return s.waited && s.frame[0] == 0x30 && s.frame[51] == 0xCF;
  }));
  link.StartVerify();
  Run(19);
  EXPECT_EQ(SendTicks(0x30), (std::vector<int>{6, 12, 18}));
  for (const Sent& s : port.sent) {
    EXPECT_EQ(s.waited, s.frame[0] == 0x30);
  }
}

TEST_F(LinkTest, NoConnectionLabel) {
  for (int i = 1; i <= 18; ++i) {
    Run(1);
    EXPECT_FALSE(view.noConnection) << i;
  }
  Run(1);
  EXPECT_TRUE(view.noConnection);
  port.Queue(Monitor(0));
  Run(1);
  EXPECT_FALSE(view.noConnection);  // hidden on the tick that read the frame

  Run(18);
  view.printLayout = true;
  Run(1);
  EXPECT_FALSE(view.noConnection);
  view.printLayout = false;
  Run(1);
  EXPECT_TRUE(view.noConnection);
  EXPECT_EQ(link.silenceCounter(), 18);
}

TEST_F(LinkTest, StatusDisappearsAfter200Ticks) {
  Connect();
  link.StartVerify();
  Run(1);
  ASSERT_EQ(view.status, "Verify: OK");
  Run(198);
  EXPECT_TRUE(view.statusVisible);
  EXPECT_EQ(link.messageCountdown(), 1);
  Run(1);
  EXPECT_FALSE(view.statusVisible);
  EXPECT_FALSE(view.gaugeVisible);

  link.StartVerify();
  Run(100);
  link.RestartMessageCountdown();
  Run(199);
  EXPECT_TRUE(view.statusVisible);
  Run(1);
  EXPECT_FALSE(view.statusVisible);
}

TEST_F(LinkTest, LiveValuesAndCurrentPoint) {
  Run(1);
  EXPECT_TRUE(view.point.noCurrentPoint);
  port.Queue(Monitor(3500));  // half-way between points 3 and 4
  Run(1);
  EXPECT_EQ(link.liveRpm(), 3500);
  EXPECT_EQ(view.point, (CurrentPoint{2, false}));
  Run(30);  // link lost: the point stays
  EXPECT_EQ(view.point, (CurrentPoint{2, false}));
  EXPECT_EQ(view.pointCalls, 32);
  image[50] = 2;  // fewer points: re-evaluated on the next tick
  Run(1);
  EXPECT_EQ(view.point, (CurrentPoint{1, false}));
}

TEST_F(LinkTest, ProgrammingAfterChange) {
  struct Step {
    bool ticked;
    int changeByte;  // image byte to bump first, or 0
    bool programs;
  };
  const Step steps[] = {
      {false, 0, false},   // option off
      {true, 0, true},     // first call after ticking always programs
      {true, 0, false},    // nothing changed
      {true, 57, true},    // the retard changed
      {true, 0, false},    // the copy was brought up to date
      {false, 0, false},   // unticked: disarmed
      {false, 60, false},  // changes while unticked program nothing ...
      {true, 0, true},     // ... until the option is ticked again
      {true, 99, true},    // a reserved byte counts too
      {true, 0, false},
      {false, 0, false},  // unticked and ticked again: programs even with nothing changed
      {true, 0, true},
  };
  int i = 0;
  for (const Step& s : steps) {
    if (s.changeByte != 0) {
      ++image[static_cast<std::size_t>(s.changeByte)];
    }
    const auto before = link.operation();
    EXPECT_EQ(link.ProgramAfterChange(s.ticked), s.programs) << i;
    EXPECT_EQ(link.autoProgramArmed(), s.ticked) << i;
    if (s.programs) {
      EXPECT_EQ(link.operation(), Operation::Program);
      EXPECT_EQ(link.tryCounter(), 1);
      EXPECT_EQ(view.status, "Program device:");
      EXPECT_TRUE(view.gaugeVisible);
      EXPECT_EQ((std::vector<std::string>(view.log.end() - 3, view.log.end())),
                (std::vector<std::string>{"label shown", "gauge shown", "progress 0"}));
      RunUntilIdle();
    } else {
      EXPECT_EQ(link.operation(), before) << i;
    }
    ++i;
  }
}

}  // namespace
}  // namespace qm17
