#include "session/live_display.h"

#include <algorithm>
#include <cstdio>

#include "texts/texts.h"

namespace qm17 {
namespace {

// printf into `text`, reusing its storage.
template <typename Value>
void AssignPrintf(std::string& text, const char* format, Value value) {
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, format, value);
  text.assign(buffer, static_cast<std::size_t>(std::clamp(length, 0, 63)));
}

void AssignJoined(std::string& text, const std::string& head, const std::string& tail) {
  text.assign(head);
  text.append(tail);
}

}  // namespace

MonitorDisplay FormatMonitor(const LiveValues& values, Language language,
                             std::uint8_t limiterByte) {
  MonitorDisplay display;
  FormatMonitor(values, language, limiterByte, display);
  return display;
}

void FormatMonitor(const LiveValues& values, Language language, std::uint8_t limiterByte,
                   MonitorDisplay& display) {
  const auto text = [language](int entry) -> const std::string& {
    return MessageTexts(language, entry);
  };
  AssignPrintf(display.rpmText, "RPM = %d ", static_cast<int>(values.rpm));
  display.rpmColour = values.speedAlarm     ? LiveColour::Red
                      : values.speedWarning ? LiveColour::Yellow
                                            : LiveColour::Normal;
  // The limiter byte is 0 only in an image received from a unit. Rather than divide by zero,
  // a running engine then shows a full bar (it is above any limit) and a stopped one none.
  if (limiterByte == 0) {
    display.rpmBar = values.rpm > 0 ? 100 : 0;
  } else {
    display.rpmBar = std::min(values.rpm / limiterByte, 100);
  }

  const std::uint32_t mv = values.millivolts;
  display.voltageColour = (mv >= 17999 || mv <= 7000)    ? LiveColour::Red
                          : (mv >= 14999 || mv <= 11000) ? LiveColour::Yellow
                                                         : LiveColour::Normal;
  // Formatted from the single-precision value on purpose: 12350 mV shows 12.4.
  AssignPrintf(display.voltageText, "U = %4.1f [V]", static_cast<double>(values.volts));

  AssignJoined(display.startLimiterText, text(MsgStartLimiterPrefix),
               text(values.startLimiterActive ? MsgYes : MsgNo));
  display.startLimiterColour = values.startLimiterActive ? LiveColour::Red : LiveColour::Normal;
  AssignJoined(display.retardText, text(MsgRetardPrefix),
               text(values.retardActive ? MsgYes : MsgNo));
  display.retardColour = values.retardActive ? LiveColour::Aqua : LiveColour::Normal;
  char number[32];
  std::snprintf(number, sizeof number, " %d [\u00B0]", static_cast<int>(values.advance));
  display.advanceText.assign(text(MsgAdvancePrefix)).append(number);
  std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(values.programCount));
  display.programCountText.assign(text(MsgProgramCountPrefix)).append(number);
  AssignJoined(display.polarityText, text(MsgPolarityPrefix),
               text(values.polarityNegative ? MsgNegative : MsgPositive));
  display.polarityColour = values.polarityFlag ? LiveColour::Normal : LiveColour::Red;
  for (std::size_t i = 0; i < display.testTexts.size(); ++i) {
    std::snprintf(number, sizeof number, "Test%zu = %u ", i + 1,
                  static_cast<unsigned>(values.tests[i]));
    display.testTexts[i].assign(number);
  }
}

}  // namespace qm17
