#pragma once
// A pseudo-terminal for tests: the test plays the device at the master end, and the code under
// test opens `slavePath()` as its serial port. Both handles are closed on exec, so that a
// program the test starts never holds the line open.

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace qm17::test {

class PseudoTerminal {
 public:
  // With `holdSlave`, a handle of the test's own keeps the line up while the port under test
  // closes and reopens it, and the master never reads as hung up.
  explicit PseudoTerminal(bool holdSlave) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
    if (const char* name = ::ptsname(m_master)) m_slavePath = name;
    if (holdSlave && !m_slavePath.empty()) {
      m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
  }
  ~PseudoTerminal() { Close(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  int master() const { return m_master; }
  int slave() const { return m_slave; }  // -1 unless held
  const std::string& slavePath() const { return m_slavePath; }

  void CloseMaster() {
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
  }
  // The far end goes away, as a pulled adapter or a killed simulator does.
  void Close() {
    if (m_slave >= 0) ::close(m_slave);
    m_slave = -1;
    CloseMaster();
  }

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_slavePath;
};

}  // namespace qm17::test
