#pragma once
// Fakes for the device link's two sides, shared by its tests, its fuzz target and its benchmark.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

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

// A serial port whose input is a queue the test fills; what the link writes is the subclass's.
class QueuePort : public SerialPort {
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

}  // namespace qm17::test
