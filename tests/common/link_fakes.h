#pragma once
// Fakes for the device link's two sides, shared by its tests, its fuzz target, its benchmark
// and the session's tests.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "common/known_answers.h"
#include "device/link.h"

namespace qm17::test {

// A frame built with the tests' own arithmetic, so that a fault in the link's frame code
// cannot hide: `first`, the 50 payload bytes, then the check byte.
inline Frame HandFrame(std::uint8_t first, const std::uint8_t* payload) {
  Frame frame{};
  frame[0] = first;
  std::copy_n(payload, kPayloadLength, frame.begin() + 1);
  std::uint8_t check = 0xFF;
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) check ^= frame[i];
  frame[kFrameLength - 1] = check;
  return frame;
}

// True when the check byte fits the rest of the frame.
inline bool CheckByteGood(const Frame& frame) {
  std::uint8_t sum = 0xFF;
  for (const std::uint8_t byte : frame) sum ^= byte;
  return sum == 0;
}

// A serial port (or line) whose input is a queue the test fills; what the link writes is the
// subclass's.
template <typename Port = SerialPort>
class BasicQueuePort : public Port {
 public:
  std::size_t QueuedBytes() override { return queue.size(); }
  std::size_t Read(std::span<std::uint8_t> buffer) override {
    readSizes.push_back(buffer.size());
    std::size_t n = std::min(buffer.size(), queue.size());
    if (readCap > 0) n = std::min<std::size_t>(n, readCap);
    std::copy_n(queue.begin(), n, buffer.begin());
    queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
  }
  void Queue(const Frame& frame) { queue.insert(queue.end(), frame.begin(), frame.end()); }

  std::deque<std::uint8_t> queue;
  std::vector<std::size_t> readSizes;  // the buffer size of every Read
  std::uint8_t readCap = 0;            // 0: a read takes everything queued
};
class QueuePort : public BasicQueuePort<SerialPort> {};

// A view that shows nothing; subclasses keep what they look at.
class QuietLinkView : public LinkView {
 public:
  bool PrintLayout() const override { return false; }
  void ShowOutcome(const LinkOutcome&) override {}
  void SetStatusVisible(bool) override {}
  void SetGaugeVisible(bool) override {}
  void SetGaugeProgress(int) override {}
  void SetNoConnectionVisible(bool) override {}
  void ShowLiveValues(const LiveValues&) override {}
  void ShowCurrentPoint(const CurrentPoint&) override {}
  void NormaliseAndShowImage() override {}
};

// A unit as the link expects it: a poll is answered with a monitor frame at `rpm`, a block
// command with that block of `memory`, bit 7 of the command flipped. A written parameter block
// is kept unless the unit `holdsItsOwn` set (as one that refuses or clamps values does).
struct FakeUnit {
  FakeUnit() {
    // "QMX07", 5 January 2023, 09:05, compatibility code 26.
    const std::uint8_t identification[] = {'Q', 'M', 'X', 7, 5, 25, 23, 9, 5, 0, 26};
    std::copy(std::begin(identification), std::end(identification), memory.begin());
    std::copy(kDefaultParameterBlock.begin(), kDefaultParameterBlock.end(), memory.begin() + 50);
  }
  Frame Answer(const Frame& request) {
    std::uint8_t payload[kPayloadLength] = {};
    if (request[0] == 0x30) {
      payload[0] = static_cast<std::uint8_t>(rpm & 0xFF);
      payload[1] = static_cast<std::uint8_t>(rpm >> 8);
      return HandFrame(0xB0, payload);
    }
    const std::size_t block = request[0] & 0x3F;
    if (request[0] == 0x01 && !holdsItsOwn)
      std::copy_n(request.begin() + 1, 50, memory.begin() + 50);
    std::copy_n(memory.begin() + static_cast<std::ptrdiff_t>(50 * (block & 1)), 50, payload);
    return HandFrame(static_cast<std::uint8_t>(request[0] ^ 0x80), payload);
  }

  DeviceImage memory{};
  std::uint16_t rpm = 0;
  bool holdsItsOwn = false;
};

// A serial line opened by name, with a unit at its far end while `unitConnected`. It records
// every open and close in order, fails to open with `failure` when that is set, and can vanish
// as a pulled adapter does. Closed, it reads nothing and its writes go nowhere.
class FakeSerialLine : public BasicQueuePort<SerialLine> {
 public:
  bool Open(const std::string& device) override {
    events.push_back("open " + device);
    queue.clear();
    m_open = failure == PortFailure::None;
    m_lastFailure = failure;
    if (m_open) m_vanished = false;
    return m_open;
  }
  void Close() override {
    events.push_back("close");
    m_open = false;
    queue.clear();
  }
  bool IsOpen() const override { return m_open; }
  PortFailure LastFailure() const override { return m_lastFailure; }
  bool Vanished() const override { return m_vanished; }
  std::size_t QueuedBytes() override { return m_open ? BasicQueuePort::QueuedBytes() : 0; }
  void Write(const Frame& frame) override { Send(frame); }
  void WriteAndWait(const Frame& frame) override { Send(frame); }

  void Vanish() {
    m_open = false;
    m_vanished = true;
    queue.clear();
  }
  int Opens() const {
    return static_cast<int>(std::count_if(events.begin(), events.end(), [](const std::string& e) {
      return e.rfind("open ", 0) == 0;
    }));
  }

  FakeUnit unit;
  bool unitConnected = true;
  PortFailure failure = PortFailure::None;  // what the next opens fail with
  std::vector<std::string> events;          // "open DEVICE", "close"
  std::vector<std::uint8_t> sentCommands;   // the first byte of each frame sent while open

 private:
  void Send(const Frame& frame) {
    if (!m_open) return;
    sentCommands.push_back(frame[0]);
    if (unitConnected) Queue(unit.Answer(frame));
  }
  bool m_open = false;
  bool m_vanished = false;
  PortFailure m_lastFailure = PortFailure::None;
};

}  // namespace qm17::test
