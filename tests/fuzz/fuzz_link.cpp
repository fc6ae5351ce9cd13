// Fuzz target for the device link: the input is a script of ticks, user commands, image edits
// and what the line does with the unit's answers (deliver, lose, damage, junk, forge, short
// reads). A model unit answers every frame the link sends, so a few script bytes carry a Read,
// a Verify or a Program to its end; forged frames and junk reach everything else.
//
// Rules: every frame sent is well formed, addresses block 0 or 1 and carries what it should;
// the counters stay in range; and while the line has only lost, damaged or delayed the unit's
// answers (never forged or shifted any, nor held one past the re-send time-out), "Verifying
// OK" is shown only when the unit really holds the window's parameter block.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "common/link_fakes.h"
#include "device/link.h"
#include "fuzz_support.h"
#include "session/live_display.h"

namespace {

using qm17::DeviceImage;
using qm17::Frame;
using qm17::kBlockSize;
using qm17::kPayloadLength;

// The checks keep their own arithmetic so that a fault in the link's frame code cannot hide.
using qm17::test::CheckByteGood;
constexpr auto MakeFrame = qm17::test::HandFrame;

bool BlockEquals(const Frame& frame, const DeviceImage& image, std::size_t block) {
  return std::equal(frame.begin() + 1, frame.end() - 1, image.begin() + block * kBlockSize);
}

// How long the line may hold an answer, in ticks. A later answer cannot be told from the answer
// to the re-send that the time-out (4 ticks) brings, so no program could rule on it: the frames
// carry no sequence number. Older answers are lost.
constexpr unsigned kLineLatencyTicks = qm17::timing::kTicksPerTimeout - 1;

// A unit that answers every request it receives intact; the line decides what reaches the link.
class ModelUnit {
 public:
  explicit ModelUnit(std::uint8_t compatibilityCode) {
    memory[0] = 'F', memory[1] = 'U', memory[2] = 'Z', memory[3] = 1;
    memory[qm17::image_byte::kCompatibilityCode] = compatibilityCode;
    qm17::SetDefaultImage(memory);
  }

  void Receive(const Frame& request) {
    if (loseNextRequest) {
      loseNextRequest = false;
      return;
    }
    if (!CheckByteGood(request)) return;
    const std::uint8_t command = request[0];
    if (command == 0x30) {
      ++m_polls;
      std::array<std::uint8_t, kPayloadLength> live{};
      live[0] = static_cast<std::uint8_t>(m_polls * 37);  // engine speed, low byte
      live[1] = static_cast<std::uint8_t>(m_polls % 40);  // high byte: up to 10 000 rpm
      live[8] = 0x8E, live[9] = 0x07;                     // about 13.8 V
      Answer(MakeFrame(0xB0, live.data()));
    } else if ((command & 0x80) == 0 && (command & 0x3F) <= 1) {
      const std::size_t block = command & 0x3F;
      if ((command & 0x40) == 0 && block == 1) {
        std::copy(request.begin() + 1, request.end() - 1, memory.begin() + kBlockSize);
      }
      Answer(MakeFrame(command ^ 0x80, memory.data() + block * kBlockSize));
    }
  }

  // The oldest answer still on the line, taken off it; empty when there is none.
  std::optional<Frame> TakeAnswer() {
    while (!m_answers.empty() && now - m_answers.front().sentAt > kLineLatencyTicks) {
      m_answers.pop_front();
    }
    if (m_answers.empty()) return std::nullopt;
    const Frame frame = m_answers.front().frame;
    m_answers.pop_front();
    return frame;
  }

  DeviceImage memory{};
  bool loseNextRequest = false;
  unsigned now = 0;  // ticks of the link so far

 private:
  struct Sent {
    Frame frame;
    unsigned sentAt;
  };
  void Answer(const Frame& frame) {
    if (m_answers.size() >= 64) m_answers.pop_front();
    m_answers.push_back({frame, now});
  }
  std::deque<Sent> m_answers;  // sent by the unit, not yet through the line
  unsigned m_polls = 0;
};

class ScriptPort : public qm17::test::QueuePort {
 public:
  ScriptPort(const DeviceImage& image, ModelUnit& unit) : m_image(image), m_unit(unit) {}

  std::size_t QueuedBytes() override {
    ++m_unit.now;  // the link asks once at the start of every tick
    return QueuePort::QueuedBytes();
  }
  void Write(const Frame& frame) override {
    FUZZ_REQUIRE(CheckByteGood(frame));
    const std::uint8_t command = frame[0];
    FUZZ_REQUIRE(command == 0x00 || command == 0x01 || command == 0x40 || command == 0x41);
    FUZZ_REQUIRE(link != nullptr && link->operation() != qm17::Operation::Idle);
    const std::size_t block = command & 0x01;
    if ((command & 0x40) != 0 && link->operation() == qm17::Operation::Read) {
      FUZZ_REQUIRE(std::all_of(frame.begin() + 1, frame.end() - 1, [](auto b) { return b == 0; }));
    } else {
      FUZZ_REQUIRE(BlockEquals(frame, m_image, block));
    }
    m_unit.Receive(frame);
  }
  void WriteAndWait(const Frame& frame) override {
    // Only polls wait for the line, and only an idle link polls.
    FUZZ_REQUIRE(frame[0] == 0x30 && frame[51] == 0xCF);
    FUZZ_REQUIRE(std::all_of(frame.begin() + 1, frame.end() - 1, [](auto b) { return b == 0; }));
    FUZZ_REQUIRE(link != nullptr && link->operation() == qm17::Operation::Idle);
    m_unit.Receive(frame);
  }

  const qm17::DeviceLink* link = nullptr;

 private:
  const DeviceImage& m_image;
  ModelUnit& m_unit;
};

class CheckingView : public qm17::test::QuietLinkView {
 public:
  CheckingView(DeviceImage& image, const ModelUnit& unit, qm17::Language language, bool printLayout,
               int nestedTicks)
      : m_image(image),
        m_unit(unit),
        m_language(language),
        m_printLayout(printLayout),
        m_nestedTicks(nestedTicks) {}

  bool PrintLayout() const override { return m_printLayout; }
  void ShowOutcome(const qm17::LinkOutcome& outcome) override {
    using qm17::LinkResult;
    FUZZ_REQUIRE(outcome.operation != qm17::Operation::Idle);
    if (outcome.result == LinkResult::Started || outcome.result == LinkResult::Verifying) return;
    // An operation that ended has left the link idle by the time it says so.
    FUZZ_REQUIRE(link != nullptr && link->operation() == qm17::Operation::Idle);
    if (outcome.result == LinkResult::Failed) {
      FUZZ_REQUIRE(outcome.reason != qm17::FailureReason::None);
      if (outcome.reason == qm17::FailureReason::VersionMismatch) RunTicksUnderABox();
      return;
    }
    FUZZ_REQUIRE(outcome.operation == qm17::Operation::Verify);
    // The one rule that matters most: success means the unit holds what the window shows.
    if (lineHonest) {
      FUZZ_REQUIRE(std::equal(m_image.begin() + kBlockSize, m_image.end(),
                              m_unit.memory.begin() + kBlockSize));
    }
  }
  void SetGaugeProgress(int progress) override { FUZZ_REQUIRE(progress >= 0 && progress <= 3); }
  void ShowLiveValues(const qm17::LiveValues& values) override {
    const auto display = qm17::FormatMonitor(values, m_language, m_image[52]);
    FUZZ_REQUIRE(display.rpmBar >= 0 && display.rpmBar <= 100);
  }
  void ShowCurrentPoint(const qm17::CurrentPoint& point) override {
    FUZZ_REQUIRE(point.index < 15);
    FUZZ_REQUIRE(!point.noCurrentPoint || point.index == 0);
  }
  void NormaliseAndShowImage() override { qm17::NormaliseImage(m_image); }
  // A modal box lets the timer run on beneath it; one level of boxes is enough to matter.
  void RunTicksUnderABox() {
    if (m_depth > 0) return;
    ++m_depth;
    for (int i = 0; i < m_nestedTicks; ++i) link->Tick();
    --m_depth;
  }

  qm17::DeviceLink* link = nullptr;
  bool lineHonest = true;

 private:
  DeviceImage& m_image;
  const ModelUnit& m_unit;
  qm17::Language m_language;
  bool m_printLayout;
  int m_nestedTicks;
  int m_depth = 0;
};

void CheckCounters(const qm17::DeviceLink& link) {
  FUZZ_REQUIRE(link.tickCounter() <= qm17::timing::kTicksPerPoll);
  FUZZ_REQUIRE(link.tryCounter() <= qm17::timing::kFailingTryCount);
  FUZZ_REQUIRE(link.silenceCounter() <= qm17::timing::kSilentTicks);
  FUZZ_REQUIRE(link.messageCountdown() <= qm17::timing::kMessageTicks);
  FUZZ_REQUIRE(link.gaugeProgress() >= 0 && link.gaugeProgress() <= 3);
  FUZZ_REQUIRE(static_cast<int>(link.operation()) <= 3);
  FUZZ_REQUIRE(link.currentPoint().index < 15);
  if (link.operation() != qm17::Operation::Idle) {
    const std::uint8_t command = link.currentCommand();
    FUZZ_REQUIRE(command == 0x00 || command == 0x01 || command == 0x40 || command == 0x41);
  }
}

}  // namespace

// Script: a header byte (bits 0-1 language, bit 2 print layout, bits 3-4 ticks run under a
// version box, bit 5: the next byte is the unit's compatibility code), then operations.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qm17::fuzz::ByteScript script(data, size);
  const std::uint8_t header = script.Next();
  const auto language = static_cast<qm17::Language>((header & 3) % qm17::kLanguageCount);
  const std::uint8_t compatibility =
      (header & 0x20) != 0 ? script.Next() : qm17::kCompatibilityCode;

  DeviceImage image{};
  qm17::SetDefaultImage(image);
  ModelUnit unit(compatibility);
  ScriptPort port(image, unit);
  CheckingView view(image, unit, language, (header & 4) != 0, (header >> 3) & 3);
  qm17::DeviceLink link(image, port, view);
  port.link = &link;
  view.link = &link;

  while (!script.AtEnd()) {
    switch (script.Next() % 16) {
      case 0:
      case 1:
      case 2:
      case 3:
        link.Tick();
        break;
      case 4:  // the unit's oldest answer arrives
        if (const auto frame = unit.TakeAnswer()) {
          port.queue.insert(port.queue.end(), frame->begin(), frame->end());
        }
        break;
      case 5:  // ... is lost
        unit.TakeAnswer();
        break;
      case 6: {  // ... arrives with one bit flipped, which the check byte always shows
        const std::uint8_t bit = script.Next();
        if (auto frame = unit.TakeAnswer()) {
          (*frame)[(bit >> 3) % frame->size()] ^= static_cast<std::uint8_t>(1u << (bit & 7));
          port.queue.insert(port.queue.end(), frame->begin(), frame->end());
        }
        break;
      }
      case 7: {  // stray bytes on the line
        const std::uint8_t count = script.Next();
        for (int i = 0; i < count; ++i) port.queue.push_back(script.Next());
        view.lineHonest = false;
        break;
      }
      case 8: {  // a frame with a good check byte that the unit never sent
        const std::uint8_t first = script.Next();
        std::array<std::uint8_t, kPayloadLength> payload{};
        for (auto& byte : payload) byte = script.Next();
        const Frame frame = MakeFrame(first, payload.data());
        port.queue.insert(port.queue.end(), frame.begin(), frame.end());
        view.lineHonest = false;
        break;
      }
      case 9:
        link.StartRead();
        break;
      case 10:
        link.StartVerify();
        break;
      case 11:
        link.StartProgram(script.Next() & 1);
        break;
      case 12: {
        const bool started = link.ProgramAfterChange((script.Next() & 1) != 0);
        FUZZ_REQUIRE(!started || link.operation() == qm17::Operation::Program);
        break;
      }
      case 13: {  // the user edits a byte of the image
        const std::uint8_t at = script.Next();
        image[at % image.size()] = script.Next();
        break;
      }
      case 14:
        if ((script.Next() & 1) != 0) {
          link.RestartMessageCountdown();
        } else {
          unit.loseNextRequest = true;  // the unit never hears the next frame
        }
        break;
      case 15:  // reads that return fewer bytes than were queued can cut a frame apart
        port.readCap = script.Next();
        if (port.readCap > 0) view.lineHonest = false;
        break;
    }
    CheckCounters(link);
  }
  return 0;
}
