#pragma once
// A port as the window's Com menu and the command line number it: Com 1 to Com 10. The stored
// byte may hold other values (0: no port); a ComPort is always one of the ten.

#include <array>
#include <cstddef>
#include <optional>

namespace qm17 {

class ComPort {
 public:
  static constexpr int kFirst = 1;
  static constexpr int kLast = 10;
  static constexpr std::size_t kCount = kLast - kFirst + 1;

  // Empty for a number outside 1..10.
  static constexpr std::optional<ComPort> FromNumber(long number) {
    if (number < kFirst || number > kLast) return std::nullopt;
    return ComPort(static_cast<int>(number));
  }
  // The ten in menu order.
  static constexpr std::array<ComPort, kCount> All() {
    std::array<ComPort, kCount> all{};
    for (std::size_t i = 0; i < kCount; ++i) all[i] = ComPort(kFirst + static_cast<int>(i));
    return all;
  }

  constexpr ComPort() = default;  // Com 1
  constexpr int Number() const { return m_number; }
  constexpr std::size_t Index() const { return static_cast<std::size_t>(m_number - kFirst); }
  constexpr bool operator==(const ComPort&) const = default;

 private:
  constexpr explicit ComPort(int number) : m_number(number) {}
  int m_number = kFirst;
};

}  // namespace qm17
