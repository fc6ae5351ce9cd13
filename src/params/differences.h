#pragma once
// Which values of two parameter blocks differ, in the units the window shows them in, so that
// a mismatch can say what differs instead of only that something does.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "params/device_image.h"

namespace qm17 {

// One control of the window (or a reserved byte), by what it holds.
enum class ParameterField : std::uint8_t {
  PointCount,
  BaseAdvance,
  Limiter,
  Polarity,
  StartLimiter,
  Retard,
  IgnitionsPerRev,
  ShiftLight,
  PointSpeed,    // one per curve point
  PointAdvance,  // one per curve point
  Reserved,      // never interpreted: shown as the raw byte
};
inline constexpr std::size_t kParameterFieldCount = 11;

enum class ValueUnit : std::uint8_t { None, Rpm, Degrees };

// The field an image byte of the parameter block (50..99) belongs to.
ParameterField FieldOfByte(std::size_t imageByte);
ValueUnit UnitOf(ParameterField field);
// A byte's value as the user reads it: hundreds of rpm become rpm, anything else unchanged.
std::uint32_t UserValue(std::size_t imageByte, std::uint8_t value);

struct Difference {
  ParameterField field;
  std::uint8_t imageByte;  // 50..99; curve point k is byte 59 + k (speed) or 79 + k (advance)
  std::uint32_t oldValue;  // in the user's units
  std::uint32_t newValue;
  ValueUnit unit;

  bool operator==(const Difference&) const = default;
};

// Every differing byte of the two parameter blocks (bytes 50..99), in byte order; the
// identification blocks are not compared.
std::vector<Difference> CompareParameterBlocks(const DeviceImage& before, const DeviceImage& after);

// The words a list of changes is written with, in one language (see ChangeWordingFor).
struct ChangeWording {
  // Per field; "%u" stands for the curve point (1..15) or, for Reserved, the image byte.
  std::array<std::string, kParameterFieldCount> names;
  std::array<std::string, 3> polarityItems;  // as the window's radio items name them
};

// "<name>: <from> → <to> [<unit>]"; a polarity shows by its item name when it has one.
std::string FormatChange(const ChangeWording& wording, ParameterField field, std::uint8_t imageByte,
                         std::string_view from, std::string_view to, ValueUnit unit);
std::string FormatDifference(const ChangeWording& wording, const Difference& difference);
// A value of a field as a list of changes shows it.
std::string ValueText(const ChangeWording& wording, ParameterField field, std::uint32_t value);

}  // namespace qm17
