#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "common/unit_line.h"

namespace qm17::test {

UnitLine::~UnitLine() {
  Close();
}

bool UnitLine::Open() {
  m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (m_master < 0) return false;
  if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
    Close();
    return false;
  }
  return true;
}

std::string UnitLine::DeviceName() const {
  const char* name = m_master >= 0 ? ::ptsname(m_master) : nullptr;
  return name != nullptr ? name : "";
}

bool UnitLine::Write(const void* bytes, std::size_t size) {
  return m_master >= 0 && ::write(m_master, bytes, size) == static_cast<ssize_t>(size);
}

void UnitLine::Drain() {
  char drain[512];
  while (m_master >= 0 && ::read(m_master, drain, sizeof drain) > 0) {
  }
}

void UnitLine::Close() {
  if (m_master >= 0) ::close(m_master);
  m_master = -1;
}

}  // namespace qm17::test
