#include "device/frames.h"

#include <algorithm>

namespace qm17 {

std::uint8_t ComputeCheckByte(std::span<const std::uint8_t, kFrameLength - 1> head) {
  std::uint8_t check = 0xFF;
  for (std::uint8_t byte : head) {
    check ^= byte;
  }
  return check;
}

bool IsCheckByteGood(std::span<const std::uint8_t, kFrameLength> frame) {
  std::uint8_t check = 0xFF;
  for (std::uint8_t byte : frame) {
    check ^= byte;
  }
  return check == 0;
}

Frame BuildFrame(std::uint8_t first, std::span<const std::uint8_t, kPayloadLength> payload) {
  Frame frame{};
  frame[0] = first;
  std::copy(payload.begin(), payload.end(), frame.begin() + 1);
  frame[kFrameLength - 1] = ComputeCheckByte(
      std::span<const std::uint8_t, kFrameLength - 1>(frame.data(), kFrameLength - 1));
  return frame;
}

Frame BuildPollFrame() {
  const std::array<std::uint8_t, kPayloadLength> zeros{};
  return BuildFrame(command::kPoll, zeros);
}

std::optional<Frame> BuildBlockFrame(std::uint8_t command, Operation operation,
                                     const DeviceImage& image) {
  const std::size_t block = command & command::kBlockMask;
  if (block > 1) {
    return std::nullopt;  // would address bytes beyond the 100-byte image
  }
  std::array<std::uint8_t, kPayloadLength> payload{};
  // A read during Read carries zeros; any other operation carries the program's own copy.
  if (operation != Operation::Read) {
    const auto first = image.begin() + static_cast<std::ptrdiff_t>(block * kBlockSize);
    std::copy(first, first + kBlockSize, payload.begin());
  }
  return BuildFrame(command, payload);
}

}  // namespace qm17
