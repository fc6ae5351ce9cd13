#include "posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace qm17 {
namespace {

// Longest wait for a frame to leave: 52 bytes take about 9 ms at 57600 baud, so this only
// bounds a line that no longer drains (a stopped peer), which must not freeze the tick.
constexpr auto kDrainLimit = std::chrono::milliseconds(250);

}  // namespace

PosixSerialPort::~PosixSerialPort() {
  Close();
}

bool PosixSerialPort::Open(const std::string& path) {
  Close();
  m_lastFailure = PortFailure::NotPresent;
  if (path.empty()) return false;
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    m_lastFailure = PortFailureFromErrno(errno);
    return false;
  }
  termios mode{};
  if (tcgetattr(fd, &mode) != 0) {  // not a terminal at all
    m_lastFailure = PortFailure::NotSerial;
    close(fd);
    return false;
  }
  const termios saved = mode;
  // No sharing: a second program on the same line would steal answers. An advisory lock
  // rather than TIOCEXCL, because the lock goes away with the process, however it ends; the
  // window takes the same one.
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
  m_lastFailure = PortFailure::None;
  return true;
}

void PosixSerialPort::Close() {
  if (m_fd < 0) return;
  tcflush(m_fd, TCIFLUSH);
  tcsetattr(m_fd, TCSANOW, &m_savedMode);  // fails harmlessly on a vanished device
  close(m_fd);
  m_fd = -1;
}

void PosixSerialPort::Vanish() {
  Close();
  m_vanished = true;
}

std::size_t PosixSerialPort::QueuedBytes() {
  if (m_fd < 0) return 0;
  int queued = 0;
  if (ioctl(m_fd, FIONREAD, &queued) != 0) {
    Vanish();
    return 0;
  }
  if (queued > 0) return static_cast<std::size_t>(queued);
  // Nothing queued: make sure the device is still there rather than silently gone.
  if (HungUp()) Vanish();
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

bool PosixSerialPort::WriteAll(const Frame& frame) {
  if (m_fd < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
  std::size_t done = 0;
  while (done < frame.size()) {
    const ssize_t n = write(m_fd, frame.data() + done, frame.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN && std::chrono::steady_clock::now() < deadline) {
      pollfd out{m_fd, POLLOUT, 0};
      poll(&out, 1, 10);
    } else if (n < 0 && errno == EAGAIN) {
      return false;  // the line does not take bytes; the answer will simply be missing
    } else {
      Vanish();
      return false;
    }
  }
  return true;
}

void PosixSerialPort::Write(const Frame& frame) {
  WriteAll(frame);
}

void PosixSerialPort::WriteAndWait(const Frame& frame) {
  if (!WriteAll(frame)) return;
  const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
  for (;;) {
    int pending = 0;
    if (ioctl(m_fd, TIOCOUTQ, &pending) != 0 || pending <= 0) break;
    if (std::chrono::steady_clock::now() >= deadline) return;
    poll(nullptr, 0, 1);
  }
  tcdrain(m_fd);  // the driver's queue is empty; this waits for the last byte on the wire
}

}  // namespace qm17
