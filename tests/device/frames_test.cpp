#include "device/frames.h"

#include <gtest/gtest.h>

#include "common/known_answers.h"

namespace qm17 {
namespace {

constexpr const auto& kDefaultBlock = test::kDefaultParameterBlock;

DeviceImage ImageWithDefaults() {
  DeviceImage image{};
  for (std::size_t i = 0; i < 50; ++i) {
    image[i] = static_cast<std::uint8_t>(0xA0 + i % 16);  // a recognisable identification block
    image[50 + i] = kDefaultBlock[i];
  }
  return image;
}

Frame Expected(std::uint8_t first, const std::array<std::uint8_t, 50>& payload,
               std::uint8_t check) {
  Frame frame{};
  frame[0] = first;
  std::copy(payload.begin(), payload.end(), frame.begin() + 1);
  frame[51] = check;
  return frame;
}

TEST(Frames, PollFrameIsCommandZerosAndComplement) {
  Frame expected{};
  expected[0] = 0x30;
  expected[51] = 0xCF;
  EXPECT_EQ(BuildPollFrame(), expected);
}

TEST(Frames, BlockFramePayloadFollowsTheOperation) {
  const DeviceImage image = ImageWithDefaults();
  std::array<std::uint8_t, 50> identification{};
  std::uint8_t identCheck = 0xFF;  // 0xFF ^ 0x00 (command) ^ the block
  for (std::size_t i = 0; i < 50; ++i) {
    identification[i] = static_cast<std::uint8_t>(0xA0 + i % 16);
  }
  // Fifty bytes A0..AF repeating: three full runs XOR to 0, the last two bytes A0 ^ A1 = 01.
  identCheck ^= 0x01;
  const std::array<std::uint8_t, 50> zeros{};

  struct Case {
    std::uint8_t command;
    Operation operation;
    Frame expected;
  };
  const Case cases[] = {
      {0x01, Operation::Program, Expected(0x01, kDefaultBlock, 0xA7)},
      {0x41, Operation::Verify, Expected(0x41, kDefaultBlock, 0xE7)},
      {0x41, Operation::Program, Expected(0x41, kDefaultBlock, 0xE7)},
      {0x41, Operation::Read, Expected(0x41, zeros, 0xBE)},
      {0x40, Operation::Read, Expected(0x40, zeros, 0xBF)},
      {0x00, Operation::Program, Expected(0x00, identification, identCheck)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.command));
    const auto frame = BuildBlockFrame(c.command, c.operation, image);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(*frame, c.expected);
  }
}

TEST(Frames, BlockNumbersBeyondTheImageAreNotBuilt) {
  const DeviceImage image{};
  for (std::uint8_t command : {0x02, 0x42, 0x3F, 0x7F}) {
    EXPECT_FALSE(BuildBlockFrame(command, Operation::Verify, image).has_value()) << int{command};
  }
}

TEST(Frames, CheckByteAcceptsOnlyFramesWhoseXorIsFF) {
  Frame good = BuildPollFrame();
  EXPECT_TRUE(IsCheckByteGood(good));
  const std::array<std::uint8_t, 50> payload{0x12, 0x34};
  // 0xFF ^ 0xC1 = 0x3E; ^ 0x12 = 0x2C; ^ 0x34 = 0x18
  EXPECT_EQ(BuildFrame(0xC1, payload)[51], 0x18);
  EXPECT_TRUE(IsCheckByteGood(BuildFrame(0xC1, payload)));

  for (std::size_t flipped : {0u, 1u, 25u, 50u, 51u}) {
    Frame bad = good;
    bad[flipped] ^= 0x10;
    EXPECT_FALSE(IsCheckByteGood(bad)) << flipped;
  }
}

}  // namespace
}  // namespace qm17
