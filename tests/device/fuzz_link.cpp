// libFuzzer target for the device link: the input is a script of received bytes, ticks and
// commands. The link must never build a frame beyond the image and its counters must stay
// within their ranges, whatever the unit sends.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

#include "device/link.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

class ScriptPort : public qm17::SerialPort {
 public:
  std::size_t QueuedBytes() override { return queue.size(); }
  std::size_t Read(std::span<std::uint8_t> buffer) override {
    std::size_t n = 0;
    for (; n < buffer.size() && !queue.empty(); ++n) {
      buffer[n] = queue.front();
      queue.pop_front();
    }
    return n;
  }
  void Write(const qm17::Frame& frame) override { Check(frame); }
  void WriteAndWait(const qm17::Frame& frame) override { Check(frame); }
  std::deque<std::uint8_t> queue;

 private:
  static void Check(const qm17::Frame& frame) {
    Require(qm17::IsCheckByteGood(frame));
    Require(frame[0] == 0x30 || (frame[0] & 0xBE) == 0);  // poll, or a block 0 or 1 command
  }
};

class NullView : public qm17::LinkView {
 public:
  explicit NullView(qm17::DeviceImage& image) : m_image(image) {}
  qm17::Language CurrentLanguage() const override { return qm17::Language::English; }
  bool PrintLayout() const override { return false; }
  void SetStatus(const std::string&, bool) override {}
  void SetStatusVisible(bool) override {}
  void SetGaugeVisible(bool) override {}
  void SetGaugeProgress(int progress) override { Require(progress >= 0 && progress <= 3); }
  void SetNoConnectionVisible(bool) override {}
  void ShowLiveValues(const qm17::LiveValues& values) override {
    qm17::FormatMonitor(values, qm17::Language::German, m_image[52]);
  }
  void ShowCurrentPoint(const qm17::CurrentPoint& point) override { Require(point.index < 15); }
  void NormaliseAndShowImage() override { qm17::NormaliseImage(m_image); }
  void ShowVersionMismatch() override {}

 private:
  qm17::DeviceImage& m_image;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qm17::DeviceImage image{};
  ScriptPort port;
  NullView view(image);
  qm17::DeviceLink link(image, port, view);
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t op = data[i];
    if (op < 8 && i + 1 < size) {
      image[data[++i] % 100] = op;  // a received or edited image byte
    } else if (op == 8) {
      link.StartRead();
    } else if (op == 9) {
      link.StartVerify();
    } else if (op == 10) {
      link.StartProgram(0);
    } else if (op == 11) {
      link.ProgramAfterChange(true);
    } else if (op < 64) {
      link.Tick();
    } else if (op < 128) {
      port.queue.push_back(data[i]);  // a stray byte on the line
    } else {
      // A frame from the unit with a good check byte: its answer byte and 50 payload bytes.
      std::array<std::uint8_t, qm17::kPayloadLength> payload{};
      for (std::size_t k = 0; k < payload.size() && i + 1 < size; ++k) payload[k] = data[++i];
      const qm17::Frame frame = qm17::BuildFrame(op, payload);
      port.queue.insert(port.queue.end(), frame.begin(), frame.end());
    }
    Require(link.tryCounter() <= 6 && link.tickCounter() <= 6);
    Require(link.silenceCounter() <= 18 && link.messageCountdown() <= 200);
  }
  return 0;
}
