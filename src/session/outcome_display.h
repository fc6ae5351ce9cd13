#pragma once
// What the window shows, and what the command line prints, for each outcome of the device
// link: the status label's caption and colour, the gauge, or a message box.

#include <cstdint>
#include <optional>
#include <string>

#include "device/link.h"
#include "params/device_image.h"

namespace qm17 {

enum class GaugeChange : std::uint8_t { Keep, Show, Hide };

struct OutcomeDisplay {
  std::optional<std::string> status;      // new caption of LabelHlaseni; unset leaves it as it is
  bool failure = false;                   // clRed behind the caption rather than the normal colour
  bool showStatus = false;                // make LabelHlaseni visible
  GaugeChange gauge = GaugeChange::Keep;  // CGauge
  std::optional<std::string> message;     // a message box (OK only) with this text
  // Beneath a failure caption: what the unit may hold now and what to do. Empty for none.
  std::string detail;
};

// The texts are those of `language`, the language in force when the outcome is shown.
OutcomeDisplay DisplayForOutcome(const LinkOutcome& outcome, Language language);
// The second line alone: for a unit that stopped answering or has another compatibility code.
std::string FailureDetail(const LinkOutcome& outcome, Language language);

}  // namespace qm17
