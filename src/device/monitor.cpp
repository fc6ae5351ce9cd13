#include "device/monitor.h"

#include <algorithm>

namespace qm17 {
namespace {

std::uint16_t Word(std::span<const std::uint8_t, kFrameLength> frame, std::size_t offset) {
  return static_cast<std::uint16_t>(frame[offset] | (frame[offset + 1] << 8));
}

// The unit writes its texts in the Windows-1250 code page; the window works in UTF-8.
// Codes that page leaves unassigned become '?'.
constexpr std::uint16_t kCp1250High[128] = {
    0x20AC, 0x003F, 0x201A, 0x003F, 0x201E, 0x2026, 0x2020, 0x2021, 0x003F, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x003F, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x003F, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// Single-byte text up to its first zero byte, as UTF-8.
std::string Cp1250ToUtf8(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count && bytes[i] != 0; ++i) {
    const std::uint16_t code = bytes[i] < 0x80 ? bytes[i] : kCp1250High[bytes[i] - 0x80];
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x800) {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      text += static_cast<char>(0xE0 | (code >> 12));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

std::uint8_t Tens(std::uint8_t value) {
  return static_cast<std::uint8_t>('0' + value / 10);
}
std::uint8_t Units(std::uint8_t value) {
  return static_cast<std::uint8_t>('0' + value % 10);
}

const char* MonthCharacters(std::uint8_t code) {
  // The code is the 8-bit sum of the letters of "Jan" ... "Dec".
  switch (code) {
    case 25:
      return " 1";
    case 13:
      return " 2";
    case 32:
      return " 3";
    case 35:
      return " 4";
    case 39:
      return " 5";
    case 45:
      return " 6";
    case 43:
      return " 7";
    case 29:
      return " 8";
    case 40:
      return " 9";
    case 38:
      return "10";
    case 51:
      return "11";
    case 12:
      return "12";
    default:
      return "00";
  }
}

}  // namespace

LiveValues DecodeMonitorFrame(std::span<const std::uint8_t, kFrameLength> frame) {
  LiveValues values;
  values.rpm = Word(frame, 1);
  values.speedAlarm = frame[3] != 0;
  values.advance = frame[5];
  values.startLimiterActive = frame[7] == 0;
  values.voltageRaw = Word(frame, 9);
  values.millivolts = (std::uint32_t{values.voltageRaw} * 5000 / 8184) * 11 + 800;
  values.volts = static_cast<float>(values.millivolts * 0.001);
  values.programCount = Word(frame, 11);
  for (std::size_t i = 0; i < values.tests.size(); ++i) {
    values.tests[i] = Word(frame, 13 + 2 * i);
  }
  values.retardActive = frame[30] == 0;
  values.polarityNegative = frame[31] != 0;
  values.polarityFlag = frame[32] != 0;
  values.speedWarning = frame[33] != 0;
  return values;
}

IdentificationTexts DecodeIdentification(const DeviceImage& image) {
  using namespace image_byte;
  IdentificationTexts texts;
  const std::uint8_t version[5] = {image[kVersionLetters], image[kVersionLetters + 1],
                                   image[kVersionLetters + 2], Tens(image[kVersionNumber]),
                                   Units(image[kVersionNumber])};
  // A zero letter ends the text, as it would end the unit's own string.
  texts.version = Cp1250ToUtf8(version, sizeof version);
  if (image[kIdentText] != 0) {
    texts.version = Cp1250ToUtf8(&image[kIdentText], kIdentTextLength);
  }

  const std::uint8_t day = image[kDay];
  texts.date += day < 10 ? ' ' : static_cast<char>(Tens(day));
  texts.date += static_cast<char>(Units(day));
  texts.date += '.';
  texts.date += MonthCharacters(image[kMonthCode]);
  texts.date += ".20";
  texts.date += static_cast<char>(Tens(image[kYear]));
  texts.date += static_cast<char>(Units(image[kYear]));

  texts.time += static_cast<char>(Tens(image[kHour]));
  texts.time += static_cast<char>(Units(image[kHour]));
  texts.time += ':';
  texts.time += static_cast<char>(Tens(image[kMinute]));
  texts.time += static_cast<char>(Units(image[kMinute]));
  return texts;
}

CurrentPoint FindCurrentPoint(std::uint16_t liveRpm, const DeviceImage& image) {
  const unsigned r = liveRpm / 100U;
  // A unit may report more than 15 points; only 15 speeds exist. A count of 0 finds no
  // point above the speed and so ends as "no current point", which is the safe answer.
  const std::size_t n = std::min<std::size_t>(image[image_byte::kPointCountByte], kPointCount);
  const std::uint8_t* speed = &image[image_byte::kPointSpeed];
  std::size_t i = 0;
  while (i < n && speed[i] <= r) {
    ++i;
  }
  CurrentPoint point;
  if (i == 0) {
    return point;  // index 0, no current point
  }
  point.noCurrentPoint = false;
  if (i == n) {
    point.index = static_cast<std::uint8_t>(n - 1);
  } else if (unsigned{speed[i - 1]} + speed[i] >= 2 * r) {
    point.index = static_cast<std::uint8_t>(i - 1);  // the exact middle counts for the lower
  } else {
    point.index = static_cast<std::uint8_t>(i);
  }
  return point;
}

}  // namespace qm17
