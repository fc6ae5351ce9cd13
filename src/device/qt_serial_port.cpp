#include "device/qt_serial_port.h"

#include <QElapsedTimer>
#include <QMetaObject>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace qm17 {

namespace {

// Far more than the ~9 ms a frame takes on the line; a driver that has not sent it by then is
// stuck, and the window must not wait on it.
constexpr int kDrainLimitMs = 250;

// The input queue of the port. Qt's own buffer otherwise grows without end when a device sends
// faster than the link reads (15000 bytes a tick); a USB device does so at any baud rate.
constexpr qint64 kInputQueueBytes = 10000;

// Errors after which the device is gone or unusable until it is opened again. Qt keeps the
// port open after them and, on Linux, keeps reporting them as fast as it can.
bool IsFatal(QSerialPort::SerialPortError error) {
  switch (error) {
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
    case QSerialPort::UnknownError:
      return true;
    default:
      return false;
  }
}

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
  connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::OnError);
}

QtSerialPort::~QtSerialPort() {
  Close();
}

bool QtSerialPort::Open(const QString& device) {
  Close();
  ++m_generation;
  m_failed = false;
  m_drainTimedOut = false;
  m_port.setPortName(device);
  m_port.setBaudRate(QSerialPort::Baud57600);
  m_port.setDataBits(QSerialPort::Data8);
  m_port.setParity(QSerialPort::NoParity);
  m_port.setStopBits(QSerialPort::OneStop);
  m_port.setFlowControl(QSerialPort::NoFlowControl);
  m_lastFailure = PortFailure::None;
  if (!m_port.open(QIODevice::ReadWrite)) {
    // Qt's own error codes lump a missing device, a forbidden one and a held lock together;
    // a look at the device itself tells them apart. Qt refuses with a permission error also
    // when another Qt program holds its lock file, though the device itself opens.
    const PortFailure seen = DiagnosePort(device.toStdString());
    const bool qtLock = m_port.error() == QSerialPort::PermissionError;
    m_lastFailure = seen != PortFailure::None ? seen
                    : qtLock                  ? PortFailure::Busy
                                              : PortFailure::Other;
    return false;
  }
#ifdef Q_OS_UNIX
  // The same lock qm17ctl takes, so that neither program steals the other's answers.
  if (!LockSerialLine(static_cast<int>(m_port.handle()))) {
    m_port.close();
    m_lastFailure = PortFailure::Busy;
    return false;
  }
#endif
  // Qt stops fetching from the driver while its buffer is full and starts again once read.
  m_port.setReadBufferSize(kInputQueueBytes);
  // Whatever the device sent before we listened belongs to no request of ours.
  m_port.clear(QSerialPort::Input);
  m_vanished = false;
  return true;
}

void QtSerialPort::Close() {
  m_failed = false;
  if (m_port.isOpen()) m_port.close();
}

bool QtSerialPort::IsOpen() const {
  return m_port.isOpen();
}

std::size_t QtSerialPort::QueuedBytes() {
  if (!Usable()) return 0;
#ifdef Q_OS_UNIX
  // Qt moves bytes from the driver into its buffer only when the event loop or a wait lets
  // it; pull them now so the count is what has arrived, not what Qt happened to fetch.
  int driverQueued = 0;
  if (::ioctl(static_cast<int>(m_port.handle()), FIONREAD, &driverQueued) == 0 &&
      driverQueued > 0) {
    m_port.waitForReadyRead(0);
    // A full queue takes no more, as a driver's full queue drops what arrives: what the driver
    // still holds beyond it is stale by the time the link could read it.
    if (Usable() && m_port.bytesAvailable() >= kInputQueueBytes)
      ::tcflush(static_cast<int>(m_port.handle()), TCIFLUSH);
  }
#else
  m_port.waitForReadyRead(0);
#endif
  if (!Usable()) return 0;
  return static_cast<std::size_t>(m_port.bytesAvailable());
}

std::size_t QtSerialPort::Read(std::span<std::uint8_t> buffer) {
  if (!Usable() || buffer.empty()) return 0;
  const qint64 n =
      m_port.read(reinterpret_cast<char*>(buffer.data()), static_cast<qint64>(buffer.size()));
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void QtSerialPort::Write(const Frame& frame) {
  if (!Usable()) return;
  m_port.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
  m_port.flush();
}

void QtSerialPort::WriteAndWait(const Frame& frame) {
  if (!Usable()) return;
  // A line that did not drain last time and still holds bytes gets neither this poll nor a
  // second wait: a stuck driver costs the window one bounded pause, not one on every poll,
  // and no pile of stale polls floods the unit when the line moves again.
  if (m_drainTimedOut && OutputPending()) return;
  Write(frame);
  if (!Usable()) return;
  m_drainTimedOut = !WaitUntilSent(kDrainLimitMs);
}

bool QtSerialPort::OutputPending() {
  if (m_port.bytesToWrite() > 0) return true;
#ifdef Q_OS_UNIX
  int queued = 0;
  return ::ioctl(static_cast<int>(m_port.handle()), TIOCOUTQ, &queued) == 0 && queued > 0;
#else
  return false;
#endif
}

bool QtSerialPort::WaitUntilSent(int limitMs) {
  QElapsedTimer timer;
  timer.start();
  // Bytes the driver had no room for are still in Qt's buffer; hand them over first.
  while (m_port.bytesToWrite() > 0) {
    const qint64 left = limitMs - timer.elapsed();
    if (left <= 0 || !m_port.waitForBytesWritten(static_cast<int>(left)))
      return !Usable() || m_port.bytesToWrite() == 0;
    if (!Usable()) return true;
  }
#ifdef Q_OS_UNIX
  // Then until the driver's queue is empty (about 9 ms for a frame at 57600 baud). Unlike
  // tcdrain this gives up, so a driver that never sends cannot freeze the window.
  const int fd = static_cast<int>(m_port.handle());
  for (;;) {
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
    if (timer.elapsed() >= limitMs) return false;
    ::usleep(1000);
  }
#else
  return true;
#endif
}

bool QtSerialPort::HungUp() {
#ifdef Q_OS_UNIX
  pollfd p{static_cast<int>(m_port.handle()), POLLIN | POLLOUT, 0};
  return ::poll(&p, 1, 0) < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
  return true;
#endif
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
  if (!IsFatal(error) || !m_port.isOpen() || m_failed) return;
  // A full output queue (a stalled line) is reported like a lost device; the frames wait in
  // Qt's buffer and leave when the line moves again. Only a line that hung up is gone.
  if (error == QSerialPort::ResourceError && !HungUp()) return;
  m_failed = true;
  // Closing inside Qt's own error signal would pull the device out from under the code that
  // is still reporting; close once control is back in the event loop.
  const unsigned generation = m_generation;
  QMetaObject::invokeMethod(
      this, [this, generation] { CloseAfterFailure(generation); }, Qt::QueuedConnection);
}

void QtSerialPort::CloseAfterFailure(unsigned generation) {
  if (generation != m_generation || !m_port.isOpen()) return;
  m_port.close();
  m_failed = false;
  m_vanished = true;
  emit DeviceLost();
}

}  // namespace qm17
