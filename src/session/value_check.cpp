#include "session/value_check.h"

#include <cstddef>

#include "texts/texts.h"

namespace qm17 {
namespace {

// As the boxes show it: thousands grouped from 1000 up where the box groups them.
std::string BoxText(int value, const SpinRange& range, std::string_view separator) {
  std::string text = std::to_string(value);
  if (!range.digitGrouping || value < 1000) return text;
  for (auto at = static_cast<std::ptrdiff_t>(text.size()) - 3; at > 0; at -= 3)
    text.insert(static_cast<std::size_t>(at), separator);
  return text;
}

}  // namespace

std::optional<std::string> RejectedValueText(Language language, ParameterField field,
                                             std::size_t point, std::optional<int> typed,
                                             const SpinRange& range,
                                             std::string_view groupSeparator) {
  if (!typed || (*typed >= range.min && *typed <= range.max)) return std::nullopt;
  std::string text = ChangeWordingFor(language).names[static_cast<std::size_t>(field)];
  // The names of a point's boxes hold the point's number (1..15).
  if (const std::size_t at = text.find("%u"); at != std::string::npos)
    text.replace(at, 2, std::to_string(point + 1));
  text += ": " + BoxText(range.min, range, groupSeparator) + " \u2026 " +
          BoxText(range.max, range, groupSeparator);
  const ValueUnit unit = UnitOf(field);
  if (unit == ValueUnit::Rpm) text += " [rpm]";
  if (unit == ValueUnit::Degrees) text += " [\u00B0]";
  return text;
}

}  // namespace qm17
