#pragma once
// The serial port of the window: a QSerialPort at 57600 8N1 behind the link's SerialPort
// interface. A device that vanishes closes the port, so the link simply goes silent.

#include <QObject>
#include <QSerialPort>
#include <QString>

#include "device/serial_adapters.h"
#include "device/serial_port.h"

namespace qm17 {

class QtSerialPort : public QObject, public SerialLine {
  Q_OBJECT

 public:
  explicit QtSerialPort(QObject* parent = nullptr);
  ~QtSerialPort() override;

  // Opens `device` (a path such as /dev/ttyUSB0), dropping whatever input was already queued.
  // Closes any port open before. False when the device cannot be opened; LastFailure then
  // says why. A line another program holds (qm17ctl, another window) counts as busy.
  bool Open(const QString& device);
  bool Open(const std::string& device) override { return Open(QString::fromStdString(device)); }
  PortFailure LastFailure() const override { return m_lastFailure; }
  void Close() override;
  bool IsOpen() const override;
  bool Vanished() const override { return m_vanished; }

  std::size_t QueuedBytes() override;
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  void Write(const Frame& frame) override;
  void WriteAndWait(const Frame& frame) override;

 signals:
  // Emitted once when an open port is closed because the device failed or went away.
  void DeviceLost();

 private:
  void OnError(QSerialPort::SerialPortError error);
  void CloseAfterFailure(unsigned generation);
  bool Usable() const { return m_port.isOpen() && !m_failed; }
  // Bytes written but not yet on the line, in Qt's buffer or the driver's.
  bool OutputPending();
  // Waits at most `limitMs` for everything written to leave; false when it has not.
  bool WaitUntilSent(int limitMs);
  // The device side has hung up (unplugged adapter, closed pseudo-terminal).
  bool HungUp();

  QSerialPort m_port;
  // Set on the first fatal error until the queued close has run; the port is then dead to
  // the link even though Qt still reports it open.
  bool m_failed = false;
  // Counts opens, so that a close queued for a vanished device spares a port opened since.
  unsigned m_generation = 0;
  // The last wait for the line to drain gave up.
  bool m_drainTimedOut = false;
  PortFailure m_lastFailure = PortFailure::None;
  bool m_vanished = false;
};

}  // namespace qm17
