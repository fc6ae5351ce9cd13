#include "common/unit_line.h"

namespace qm17::test {

// Windows has no pseudo-terminals; the window meets a unit there only through a COM port
// (the Wine end-to-end test maps one onto the simulator).
UnitLine::~UnitLine() = default;
bool UnitLine::Open() {
  return false;
}
std::string UnitLine::DeviceName() const {
  return {};
}
bool UnitLine::Write(const void*, std::size_t) {
  return false;
}
void UnitLine::Drain() {}
void UnitLine::Close() {}

}  // namespace qm17::test
