#include "session/presentation.h"

#include <utility>

namespace qm17 {
namespace {

const std::string& TextOf(const MonitorDisplay& display, std::size_t label) {
  switch (static_cast<LiveLabel>(label)) {
    case LiveLabel::Rpm:
      return display.rpmText;
    case LiveLabel::Voltage:
      return display.voltageText;
    case LiveLabel::StartLimiter:
      return display.startLimiterText;
    case LiveLabel::Retard:
      return display.retardText;
    case LiveLabel::Polarity:
      return display.polarityText;
    case LiveLabel::Advance:
      return display.advanceText;
    case LiveLabel::ProgramCount:
      return display.programCountText;
    default:
      break;
  }
  return display.testTexts[label - static_cast<std::size_t>(LiveLabel::Test1)];
}

LiveColour ColourOf(const MonitorDisplay& display, LiveLabel label) {
  switch (label) {
    case LiveLabel::Rpm:
      return display.rpmColour;
    case LiveLabel::Voltage:
      return display.voltageColour;
    case LiveLabel::StartLimiter:
      return display.startLimiterColour;
    case LiveLabel::Retard:
      return display.retardColour;
    case LiveLabel::Polarity:
      return display.polarityColour;
    default:
      break;
  }
  return LiveColour::Normal;
}

}  // namespace

const std::string& Presentation::LiveText(LiveLabel label) const {
  return TextOf(m_live, static_cast<std::size_t>(label));
}

LiveColour Presentation::Colour(LiveLabel label) const {
  return ColourOf(m_live, label);
}

void Presentation::ShowFrame(const LiveValues& values, Language language,
                             std::uint8_t limiterByte) {
  FormatMonitor(values, language, limiterByte, m_next);
  const bool first = !m_liveShown;
  m_changes = {};
  for (std::size_t label = 0; label < kLiveLabelCount; ++label)
    m_changes.texts[label] = first || TextOf(m_next, label) != TextOf(m_live, label);
  m_changes.colours = first;
  for (std::size_t label = 0; label < kColouredLiveLabelCount; ++label)
    m_changes.colours = m_changes.colours || ColourOf(m_next, static_cast<LiveLabel>(label)) !=
                                                 ColourOf(m_live, static_cast<LiveLabel>(label));
  m_changes.bar = first || m_next.rpmBar != m_live.rpmBar;
  m_changes.tone = std::exchange(m_liveStale, false);
  // The old captions become the buffers of the next frame.
  std::swap(m_live, m_next);
  m_liveShown = true;
}

bool Presentation::SetNoConnectionVisible(bool visible) {
  if (visible) m_liveStale = true;
  return std::exchange(m_noConnection, visible) != visible;
}

void Presentation::SetStyle(bool inverse, bool printLayout) {
  m_style = {inverse && !printLayout, printLayout};
  // The print layout hides the label itself; the next tick that finds the unit silent after
  // the page is taken shows it again.
  if (printLayout) m_noConnection = false;
}

}  // namespace qm17
