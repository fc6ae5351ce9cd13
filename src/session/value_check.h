#pragma once
// A value typed into a box outside the box's range is not taken: the status bar says what the
// box holds instead.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "params/device_image.h"
#include "params/differences.h"
#include "params/ignition_parameters.h"

namespace qm17 {

// How long the status bar shows the range.
inline constexpr int kRejectedValueMilliseconds = 5000;

// "<box's name>: <min> … <max> [<unit>]" when `typed` lies outside `range`; nothing when the box
// takes it or holds no number. `point` (0..14) names the curve point of a point's box;
// `groupSeparator` is the one the boxes show thousands with.
std::optional<std::string> RejectedValueText(Language language, ParameterField field,
                                             std::size_t point, std::optional<int> typed,
                                             const SpinRange& range,
                                             std::string_view groupSeparator);

}  // namespace qm17
