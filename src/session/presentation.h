#pragma once
// What the views show of the run beside the set: the live labels and the speed bar, the status
// label with its gauge, the no-connection label and the display style. The session keeps it
// as values; a view reads them when told and repaints only what changed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/link.h"
#include "device/monitor.h"
#include "session/live_display.h"

namespace qm17 {

// The status label as the session holds it.
struct StatusLine {
  std::string text;
  bool failure = false;  // red behind the caption
  std::string detail;    // beneath a failure: what the unit may hold now, what to do
};

// The live labels, in the order views keep theirs; the first five have a background colour.
enum class LiveLabel : std::uint8_t {
  Rpm,
  Voltage,
  StartLimiter,
  Retard,
  Polarity,
  Advance,
  ProgramCount,
  Test1,  // ... Test8
};
inline constexpr std::size_t kLiveLabelCount = 15;
inline constexpr std::size_t kColouredLiveLabelCount = 5;

// What the last monitor frame changed.
struct LiveChanges {
  std::array<bool, kLiveLabelCount> texts{};
  bool colours = false;  // a background of the coloured labels
  bool bar = false;
  bool tone = false;  // the captions became live again after being greyed
};

// The colours the views are drawn in.
struct DisplayStyle {
  bool dark = false;         // black ground and white captions: inverse display, not printing
  bool printLayout = false;  // white ground, no controls to click, nothing greyed
  bool operator==(const DisplayStyle&) const = default;
};

// A duration the session counts in ticks, as a view's clock counts it.
constexpr int TicksToMilliseconds(int ticks) {
  return ticks * timing::kTickMs;
}

class Presentation {
 public:
  // The live display.
  const MonitorDisplay& Live() const { return m_live; }
  const std::string& LiveText(LiveLabel label) const;
  LiveColour Colour(LiveLabel label) const;       // Normal for the labels without a colour
  bool LiveShown() const { return m_liveShown; }  // a frame has come in this run
  // The last values stay on screen after the link is lost, greyed so that they do not pass for
  // live ones; a printed page shows them in the normal colours.
  bool LiveGreyed() const { return m_liveStale && m_liveShown && !m_style.printLayout; }
  const LiveChanges& Changes() const { return m_changes; }
  // A frame came: its captions in `language`, the bar against the limiter byte.
  void ShowFrame(const LiveValues& values, Language language, std::uint8_t limiterByte);

  // The status label and the gauge beneath it.
  const StatusLine& Status() const { return m_status; }
  bool StatusVisible() const { return m_statusVisible; }
  bool GaugeVisible() const { return m_gaugeVisible; }
  int GaugeProgress() const { return m_gaugeProgress; }
  void SetStatus(StatusLine status) { m_status = std::move(status); }
  void SetStatusVisible(bool visible) { m_statusVisible = visible; }
  void SetGaugeVisible(bool visible) { m_gaugeVisible = visible; }
  void SetGaugeProgress(int progress) { m_gaugeProgress = progress; }

  // The no-connection label; shown until the first tick, as it stands in the layout.
  bool NoConnectionVisible() const { return m_noConnection; }
  // True when it changed. Showing it makes the live captions old until the next frame.
  bool SetNoConnectionVisible(bool visible);

  const DisplayStyle& Style() const { return m_style; }
  // From the inverse display option and the print layout; a page never shows the label.
  void SetStyle(bool inverse, bool printLayout);

 private:
  MonitorDisplay m_live;
  MonitorDisplay m_next;  // the frame being formatted, whose strings keep their storage
  LiveChanges m_changes;
  bool m_liveShown = false;
  bool m_liveStale = false;
  StatusLine m_status;
  bool m_statusVisible = false;
  bool m_gaugeVisible = false;
  int m_gaugeProgress = 0;
  bool m_noConnection = true;
  DisplayStyle m_style;
};

}  // namespace qm17
