#include "device/qt_serial_port.h"

namespace qm17 {

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {}

QtSerialPort::~QtSerialPort() {
  Close();
}

bool QtSerialPort::Open(const QString& device) {
  Close();
  m_port.setPortName(device);
  return m_port.open(QIODevice::ReadWrite);
}

void QtSerialPort::Close() {
  if (m_port.isOpen()) m_port.close();
}

bool QtSerialPort::IsOpen() const {
  return m_port.isOpen();
}

std::size_t QtSerialPort::QueuedBytes() {
  if (!m_port.isOpen()) return 0;
  return static_cast<std::size_t>(m_port.bytesAvailable());
}

std::size_t QtSerialPort::Read(std::span<std::uint8_t> buffer) {
  if (!m_port.isOpen() || buffer.empty()) return 0;
  const qint64 n =
      m_port.read(reinterpret_cast<char*>(buffer.data()), static_cast<qint64>(buffer.size()));
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void QtSerialPort::Write(const Frame& frame) {
  if (!m_port.isOpen()) return;
  m_port.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
  m_port.flush();
}

void QtSerialPort::WriteAndWait(const Frame& frame) {
  Write(frame);
}

void QtSerialPort::OnError(QSerialPort::SerialPortError) {}

void QtSerialPort::CloseAfterFailure() {
  Close();
}

}  // namespace qm17
