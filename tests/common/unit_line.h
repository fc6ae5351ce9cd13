#pragma once
// The far end of a serial line that a window under test opens as its port: the test writes
// the unit's frames into it and drains what the window sends. A pseudo-terminal on POSIX;
// Windows has none, so there Open fails and the tests that need a line are skipped.

#include <cstddef>
#include <string>

namespace qm17::test {

class UnitLine {
 public:
  UnitLine() = default;
  ~UnitLine();
  UnitLine(const UnitLine&) = delete;
  UnitLine& operator=(const UnitLine&) = delete;

  // False when the system offers no such line.
  bool Open();
  // The device the window opens, for the settings' [PORTS] entry.
  std::string DeviceName() const;
  // Writes all of `bytes`; false when they did not all go.
  bool Write(const void* bytes, std::size_t size);
  // Reads and drops whatever the window has sent so far.
  void Drain();
  void Close();

 private:
  int m_master = -1;
};

}  // namespace qm17::test
