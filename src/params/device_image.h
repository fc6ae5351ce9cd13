#pragma once
// The 100-byte image of the unit's memory: block 0 identifies the firmware, block 1 holds the
// ignition parameters. It is the stored form of a parameter set; controls are only its view.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qm17 {

inline constexpr std::size_t kImageSize = 100;
inline constexpr std::size_t kBlockSize = 50;
inline constexpr std::size_t kPointCount = 15;  // curve points the image always holds

using DeviceImage = std::array<std::uint8_t, kImageSize>;

// Byte offsets into the image.
namespace image_byte {
// Identification block (block 0).
inline constexpr std::size_t kVersionLetters = 0;  // three characters
inline constexpr std::size_t kVersionNumber = 3;
inline constexpr std::size_t kDay = 4;
inline constexpr std::size_t kMonthCode = 5;
inline constexpr std::size_t kYear = 6;
inline constexpr std::size_t kHour = 7;
inline constexpr std::size_t kMinute = 8;
inline constexpr std::size_t kCompatibilityCode = 10;
inline constexpr std::size_t kIdentText = 16;
inline constexpr std::size_t kIdentTextLength = 30;
// Parameter block (block 1).
inline constexpr std::size_t kParameterBlock = 50;
inline constexpr std::size_t kPointCountByte = 50;
inline constexpr std::size_t kBaseAdvance = 51;
inline constexpr std::size_t kLimiter = 52;  // hundreds of rpm; full scale of the speed bar
inline constexpr std::size_t kReserved53 = 53;
inline constexpr std::size_t kPolarity = 55;
inline constexpr std::size_t kStartLimiter = 56;  // hundreds of rpm
inline constexpr std::size_t kRetard = 57;
inline constexpr std::size_t kIgnitionsPerRev = 58;
inline constexpr std::size_t kShiftLight = 59;    // hundreds of rpm
inline constexpr std::size_t kPointSpeed = 60;    // 15 bytes, hundreds of rpm
inline constexpr std::size_t kPointAdvance = 80;  // 15 bytes, degrees
}  // namespace image_byte

// Firmware compatibility code that the link requires in identification byte 10.
inline constexpr std::uint8_t kCompatibilityCode = 26;

// Interface language; the numbers are the stored LanguageIndex values.
enum class Language : std::uint8_t { Czech = 0, English = 1, German = 2 };
inline constexpr int kLanguageCount = 3;

// Writes the default parameter set into the parameter block; nothing else changes.
void SetDefaultImage(DeviceImage& image);

// Enforces the image rules (speed bounds, ascending speeds, limiter not below the start
// limiter) and bounds the two settings kept beside the image.
void NormaliseImage(DeviceImage& image, std::uint8_t& languageIndex, std::uint8_t& comPortNumber);
// The image rules alone, for callers that keep no language or port.
void NormaliseImage(DeviceImage& image);

}  // namespace qm17
