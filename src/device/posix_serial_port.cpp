#include "device/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>

#include "device/posix_serial_adapters.h"

namespace qm17 {
namespace {

// Longest wait for a frame to leave: 52 bytes take about 9 ms at 57600 baud, so this only
// bounds a line that no longer drains (a stopped peer), which must not freeze the tick.
constexpr auto kDrainLimit = std::chrono::milliseconds(250);

// Output held while the driver takes nothing, as the output queue a port is given. A frame
// that does not fit is dropped whole: the link counts its tries and sends it again.
constexpr std::size_t kHeldOutputBytes = 1024;

}  // namespace

std::unique_ptr<SerialLine> MakeSystemSerialLine() {
  return std::make_unique<PosixSerialPort>();
}

PosixSerialPort::~PosixSerialPort() {
  Close();
}

bool PosixSerialPort::Open(const std::string& device) {
  Close();
  m_lastFailure = PortFailure::NotPresent;
  if (device.empty()) return false;
  // Without O_NONBLOCK a FIFO would wait for a writer and a modem line for its carrier.
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    m_lastFailure = PortFailureFromErrno(errno);
    return false;
  }
  termios mode{};
  if (tcgetattr(fd, &mode) != 0 || IsNoSerialLine(fd)) {  // not a terminal at all, or no line
    m_lastFailure = PortFailure::NotSerial;
    close(fd);
    return false;
  }
  const termios saved = mode;
  // No sharing: a second program on the same line would steal answers. An advisory lock
  // rather than TIOCEXCL, because the lock goes away with the process, however it ends.
  if (!LockSerialLine(fd)) {
    m_lastFailure = PortFailure::Busy;
    close(fd);
    return false;
  }
  cfmakeraw(&mode);
  mode.c_cflag |= CLOCAL | CREAD;
  mode.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
  mode.c_iflag &= ~(IXON | IXOFF | IXANY);
  mode.c_cc[VMIN] = 0;
  mode.c_cc[VTIME] = 0;
  cfsetispeed(&mode, B57600);
  cfsetospeed(&mode, B57600);
  if (tcsetattr(fd, TCSANOW, &mode) != 0) {
    m_lastFailure = PortFailureFromErrno(errno);
    close(fd);
    return false;
  }
  tcflush(fd, TCIOFLUSH);  // answers meant for an earlier user of the line
  m_fd = fd;
  m_savedMode = saved;
  m_vanished = false;
  m_drainTimedOut = false;
  m_lastFailure = PortFailure::None;
  return true;
}

void PosixSerialPort::Close() {
  m_held.clear();
  if (m_fd < 0) return;
  // Unsent output belongs to no one now, and a driver that does not send would hold close()
  // for its closing wait (30 s by default).
  tcflush(m_fd, TCIOFLUSH);
  tcsetattr(m_fd, TCSANOW, &m_savedMode);  // fails harmlessly on a vanished device
  close(m_fd);
  m_fd = -1;
}

void PosixSerialPort::Vanish() {
  Close();
  m_vanished = true;
}

std::size_t PosixSerialPort::QueuedBytes() {
  // Every tick comes here: output held for a stalled line leaves as soon as it moves again.
  if (m_fd < 0 || !SendHeld()) return 0;
  // One call on a quiet tick tells both that nothing waits and that the device is still
  // there rather than silently gone; only bytes that wait are counted.
  pollfd state{m_fd, POLLIN, 0};
  if (poll(&state, 1, 0) <= 0) return 0;
  const bool gone = (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
  int queued = 0;
  if ((state.revents & POLLIN) != 0 && ioctl(m_fd, FIONREAD, &queued) != 0) {
    Vanish();
    return 0;
  }
  if (queued > 0) return static_cast<std::size_t>(queued);
  if (gone) Vanish();
  return 0;
}

bool PosixSerialPort::HungUp() const {
  pollfd state{m_fd, POLLIN, 0};
  return poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::size_t PosixSerialPort::Read(std::span<std::uint8_t> buffer) {
  if (m_fd < 0 || buffer.empty()) return 0;
  for (;;) {
    const ssize_t n = read(m_fd, buffer.data(), buffer.size());
    if (n > 0) return static_cast<std::size_t>(n);
    if (n < 0 && errno == EINTR) continue;
    // In the line's raw mode an empty queue reads as 0 bytes, as a hung-up line does too.
    if ((n == 0 && !HungUp()) || (n < 0 && errno == EAGAIN)) return 0;
    Vanish();  // a hang-up or an I/O error: the device is gone
    return 0;
  }
}

bool PosixSerialPort::SendHeld() {
  while (!m_held.empty()) {
    const ssize_t n = write(m_fd, m_held.data(), m_held.size());
    if (n > 0) {
      m_held.erase(m_held.begin(), m_held.begin() + n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n == 0 || errno == EAGAIN) {
      return true;  // no room in the driver now
    } else {
      Vanish();
      return false;
    }
  }
  return true;
}

bool PosixSerialPort::OutputPending() const {
  if (!m_held.empty()) return true;
  int queued = 0;
  return ioctl(m_fd, TIOCOUTQ, &queued) == 0 && queued > 0;
}

void PosixSerialPort::Write(const Frame& frame) {
  if (m_fd < 0) return;
  if (m_held.size() + frame.size() <= kHeldOutputBytes)
    m_held.insert(m_held.end(), frame.begin(), frame.end());
  SendHeld();
}

void PosixSerialPort::WriteAndWait(const Frame& frame) {
  if (m_fd < 0 || !SendHeld()) return;
  // A line that did not drain last time and still holds output gets neither this poll nor a
  // second wait: a stuck driver costs one bounded pause, not one on every poll, and no pile
  // of stale polls floods the unit when the line moves again.
  if (m_drainTimedOut && OutputPending()) return;
  Write(frame);
  const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
  // Until the driver's queue is empty (about 9 ms for a frame). Unlike tcdrain this gives up,
  // so a driver that never sends cannot freeze the tick.
  while (m_fd >= 0 && SendHeld() && OutputPending()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      m_drainTimedOut = true;
      return;
    }
    pollfd out{m_fd, POLLOUT, 0};
    poll(&out, m_held.empty() ? 0 : 1, 1);
  }
  m_drainTimedOut = false;
}

}  // namespace qm17
