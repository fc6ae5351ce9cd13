#pragma once
// The 52-byte frames of the serial protocol: command or answer byte, 50 payload bytes, check
// byte. The check byte makes the XOR of all 52 bytes 0xFF.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "params/device_image.h"

namespace qm17 {

inline constexpr std::size_t kFrameLength = 52;
inline constexpr std::size_t kPayloadLength = 50;
using Frame = std::array<std::uint8_t, kFrameLength>;

enum class Operation : std::uint8_t { Idle = 0, Program = 1, Verify = 2, Read = 3 };

namespace command {
inline constexpr std::uint8_t kPoll = 0x30;
inline constexpr std::uint8_t kMonitorAnswer = 0xB0;
inline constexpr std::uint8_t kWriteBlock0 = 0x00;
inline constexpr std::uint8_t kWriteBlock1 = 0x01;
inline constexpr std::uint8_t kReadBlock0 = 0x40;
inline constexpr std::uint8_t kReadBlock1 = 0x41;
inline constexpr std::uint8_t kReadFlag = 0x40;    // bit 6: read the block, clear: write it
inline constexpr std::uint8_t kBlockMask = 0x3F;   // bits 0..5: block number
inline constexpr std::uint8_t kAnswerFlip = 0x80;  // answers invert bit 7
}  // namespace command

// Check byte for bytes 0..50 of a frame.
std::uint8_t ComputeCheckByte(std::span<const std::uint8_t, kFrameLength - 1> head);

// True when the XOR of all 52 bytes is 0xFF.
bool IsCheckByteGood(std::span<const std::uint8_t, kFrameLength> frame);

// The poll frame: 0x30, fifty zeros, 0xCF.
Frame BuildPollFrame();

// A block frame for `command` while `operation` runs: zeros while reading, else the
// addressed block of the image. Empty for a block number above 1, which would address bytes
// beyond the image.
std::optional<Frame> BuildBlockFrame(std::uint8_t command, Operation operation,
                                     const DeviceImage& image);

// Any frame with the given first byte and payload, check byte filled in (for the unit's side).
Frame BuildFrame(std::uint8_t first, std::span<const std::uint8_t, kPayloadLength> payload);

}  // namespace qm17
