// Cost of one tick of the device link: idle, with a monitor frame to handle, and with the
// answer that ends a Verify.
#include <benchmark/benchmark.h>

#include "common/link_fakes.h"
#include "device/link.h"

namespace qm17 {
namespace {

class BenchPort : public SerialPort {
 public:
  std::size_t QueuedBytes() override { return pending ? kFrameLength : 0; }
  std::size_t Read(std::span<std::uint8_t> buffer) override {
    const std::size_t n = std::min(buffer.size(), kFrameLength);
    std::copy_n(frame.begin(), n, buffer.begin());
    pending = false;
    return n;
  }
  void Write(const Frame&) override {}
  void WriteAndWait(const Frame&) override {}
  Frame frame{};
  bool pending = false;
};

class NullView : public test::QuietLinkView {
 public:
  void ShowLiveValues(const LiveValues& values) override { benchmark::DoNotOptimize(values); }
  void ShowCurrentPoint(const CurrentPoint& point) override { benchmark::DoNotOptimize(point); }
};

DeviceImage BenchImage() {
  DeviceImage image{};
  image[50] = 15;
  image[52] = 150;
  for (int i = 0; i < 15; ++i) {
    image[60 + i] = static_cast<std::uint8_t>(10 * (i + 1));
  }
  return image;
}

void BM_IdleTick(benchmark::State& state) {
  DeviceImage image = BenchImage();
  BenchPort port;
  NullView view;
  DeviceLink link(image, port, view);
  for (auto _ : state) {
    link.Tick();
  }
}
BENCHMARK(BM_IdleTick);

void BM_MonitorFrameTick(benchmark::State& state) {
  DeviceImage image = BenchImage();
  BenchPort port;
  const std::array<std::uint8_t, kPayloadLength> payload{0x9C, 0x18, 0, 0, 12};  // 6300 rpm
  port.frame = BuildFrame(command::kMonitorAnswer, payload);
  NullView view;
  DeviceLink link(image, port, view);
  for (auto _ : state) {
    port.pending = true;
    link.Tick();
  }
}
BENCHMARK(BM_MonitorFrameTick);

// Verify sends its request and the next tick takes the matching answer: one whole exchange of
// an operation, from the start to " OK".
void BM_VerifyAnswerTick(benchmark::State& state) {
  DeviceImage image = BenchImage();
  BenchPort port;
  std::array<std::uint8_t, kPayloadLength> block{};
  std::copy_n(image.begin() + image_byte::kParameterBlock, kPayloadLength, block.begin());
  port.frame = BuildFrame(command::kReadBlock1 ^ command::kAnswerFlip, block);
  NullView view;
  DeviceLink link(image, port, view);
  for (auto _ : state) {
    link.StartVerify();
    port.pending = true;
    link.Tick();
  }
  if (link.operation() != Operation::Idle) state.SkipWithError("the answer did not end Verify");
}
BENCHMARK(BM_VerifyAnswerTick);

}  // namespace
}  // namespace qm17
