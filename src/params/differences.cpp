#include "params/differences.h"

namespace qm17 {

ParameterField FieldOfByte(std::size_t imageByte) {
  using namespace image_byte;
  if (imageByte >= kPointSpeed && imageByte < kPointSpeed + kPointCount) {
    return ParameterField::PointSpeed;
  }
  if (imageByte >= kPointAdvance && imageByte < kPointAdvance + kPointCount) {
    return ParameterField::PointAdvance;
  }
  switch (imageByte) {
    case kPointCountByte:
      return ParameterField::PointCount;
    case kBaseAdvance:
      return ParameterField::BaseAdvance;
    case kLimiter:
      return ParameterField::Limiter;
    case kPolarity:
      return ParameterField::Polarity;
    case kStartLimiter:
      return ParameterField::StartLimiter;
    case kRetard:
      return ParameterField::Retard;
    case kIgnitionsPerRev:
      return ParameterField::IgnitionsPerRev;
    case kShiftLight:
      return ParameterField::ShiftLight;
    default:
      return ParameterField::Reserved;
  }
}

ValueUnit UnitOf(ParameterField field) {
  switch (field) {
    case ParameterField::Limiter:
    case ParameterField::StartLimiter:
    case ParameterField::ShiftLight:
    case ParameterField::PointSpeed:
      return ValueUnit::Rpm;
    case ParameterField::BaseAdvance:
    case ParameterField::Retard:
    case ParameterField::PointAdvance:
      return ValueUnit::Degrees;
    default:
      return ValueUnit::None;
  }
}

std::uint32_t UserValue(std::size_t imageByte, std::uint8_t value) {
  return UnitOf(FieldOfByte(imageByte)) == ValueUnit::Rpm ? value * 100u : value;
}

std::vector<Difference> CompareParameterBlocks(const DeviceImage& before,
                                               const DeviceImage& after) {
  std::vector<Difference> differences;
  for (std::size_t byte = image_byte::kParameterBlock; byte < kImageSize; ++byte) {
    if (before[byte] == after[byte]) continue;
    const ParameterField field = FieldOfByte(byte);
    differences.push_back({field, static_cast<std::uint8_t>(byte), UserValue(byte, before[byte]),
                           UserValue(byte, after[byte]), UnitOf(field)});
  }
  return differences;
}

std::string ValueText(const ChangeWording& wording, ParameterField field, std::uint32_t value) {
  // A polarity above 2 has no item of its own: the number itself says more than "Selfsearch".
  if (field == ParameterField::Polarity && value < wording.polarityItems.size()) {
    return wording.polarityItems[value];
  }
  return std::to_string(value);
}

std::string FormatChange(const ChangeWording& wording, ParameterField field, std::uint8_t imageByte,
                         std::string_view from, std::string_view to, ValueUnit unit) {
  std::string name = wording.names[static_cast<std::size_t>(field)];
  if (const std::size_t at = name.find("%u"); at != std::string::npos) {
    unsigned number = imageByte;
    if (field == ParameterField::PointSpeed) number = imageByte - image_byte::kPointSpeed + 1u;
    if (field == ParameterField::PointAdvance) number = imageByte - image_byte::kPointAdvance + 1u;
    name.replace(at, 2, std::to_string(number));
  }
  std::string text = name + ": " + std::string(from) + " \u2192 " + std::string(to);
  if (unit == ValueUnit::Rpm) text += " [rpm]";
  if (unit == ValueUnit::Degrees) text += " [\u00b0]";
  return text;
}

std::string FormatDifference(const ChangeWording& wording, const Difference& difference) {
  return FormatChange(wording, difference.field, difference.imageByte,
                      ValueText(wording, difference.field, difference.oldValue),
                      ValueText(wording, difference.field, difference.newValue), difference.unit);
}

}  // namespace qm17
