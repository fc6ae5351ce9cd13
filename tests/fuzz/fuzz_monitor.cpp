// Fuzz target for what the unit reports: the monitor frame decoded and formatted in every
// language (and a language number out of range), the identification block, and the current
// curve point for any image. Input: a 52-byte frame, a 100-byte image, a language byte and
// two bytes of engine speed; what is missing reads as zeros.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/monitor.h"
#include "fuzz_support.h"
#include "session/live_display.h"

namespace {

bool IsPrintableAscii(const std::string& text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

std::size_t CodePoints(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

void CheckDisplay(const qm17::MonitorDisplay& display) {
  FUZZ_REQUIRE(display.rpmBar >= 0 && display.rpmBar <= 100);
  for (const std::string* text :
       {&display.rpmText, &display.voltageText, &display.startLimiterText, &display.retardText,
        &display.advanceText, &display.programCountText, &display.polarityText}) {
    FUZZ_REQUIRE(qm17::fuzz::IsUtf8(*text) && text->size() < 64);
  }
  for (const std::string& text : display.testTexts) FUZZ_REQUIRE(IsPrintableAscii(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qm17;
  fuzz::ByteScript script(data, size);
  Frame frame{};
  for (auto& byte : frame) byte = script.Next();
  DeviceImage image{};
  for (auto& byte : image) byte = script.Next();
  const std::uint8_t languageByte = script.Next();
  const auto rpm = static_cast<std::uint16_t>(script.Next() | (script.Next() << 8));

  const LiveValues values = DecodeMonitorFrame(frame);
  FUZZ_REQUIRE(values.rpm == (frame[1] | (frame[2] << 8)));
  for (int language = 0; language < kLanguageCount; ++language) {
    CheckDisplay(FormatMonitor(values, static_cast<Language>(language), image[52]));
  }
  CheckDisplay(FormatMonitor(values, static_cast<Language>(languageByte), languageByte));

  const IdentificationTexts texts = DecodeIdentification(image);
  FUZZ_REQUIRE(fuzz::IsUtf8(texts.version) && CodePoints(texts.version) <= 30);
  FUZZ_REQUIRE(texts.date.size() == 10 && IsPrintableAscii(texts.date));
  FUZZ_REQUIRE(texts.time.size() == 5 && IsPrintableAscii(texts.time));

  const CurrentPoint point = FindCurrentPoint(rpm, image);
  FUZZ_REQUIRE(point.index < kPointCount);
  const std::size_t count = image[image_byte::kPointCountByte];
  if (point.noCurrentPoint) {
    FUZZ_REQUIRE(point.index == 0);
  } else {
    FUZZ_REQUIRE(count > 0 && point.index < count);
    // The point found is one the engine has reached or is nearest to.
    FUZZ_REQUIRE(image[image_byte::kPointSpeed] <= rpm / 100);
  }
  return 0;
}
