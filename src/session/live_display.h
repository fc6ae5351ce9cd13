#pragma once
// The captions and colours of the live labels for one monitor frame, in one language.

#include <array>
#include <cstdint>
#include <string>

#include "device/monitor.h"
#include "params/device_image.h"

namespace qm17 {

// Background of a live label.
enum class LiveColour : std::uint8_t { Normal, Red, Yellow, Aqua };

// Captions and colours of the live labels for one language.
struct MonitorDisplay {
  std::string rpmText;  // "RPM = %d "
  LiveColour rpmColour = LiveColour::Normal;
  int rpmBar = 0;  // 0..100, share of the limiter speed; with a limiter of 0 full while running
  std::string voltageText;  // "U = %4.1f [V]"
  LiveColour voltageColour = LiveColour::Normal;
  std::string startLimiterText;
  LiveColour startLimiterColour = LiveColour::Normal;
  std::string retardText;
  LiveColour retardColour = LiveColour::Normal;
  std::string advanceText;
  std::string programCountText;
  std::string polarityText;
  LiveColour polarityColour = LiveColour::Normal;
  std::array<std::string, 8> testTexts;  // "Test1 = %d " ...
};

// `limiterByte` is image byte 52, the full scale of the speed bar.
MonitorDisplay FormatMonitor(const LiveValues& values, Language language, std::uint8_t limiterByte);
// The same into `display`, whose strings keep their storage: a frame allocates nothing once
// the captions have had their longest texts.
void FormatMonitor(const LiveValues& values, Language language, std::uint8_t limiterByte,
                   MonitorDisplay& display);

}  // namespace qm17
