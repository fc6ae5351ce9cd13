#pragma once
// The serial port of the window: a QSerialPort at 57600 8N1 behind the link's SerialPort
// interface. A device that vanishes closes the port, so the link simply goes silent.

#include <QObject>
#include <QSerialPort>
#include <QString>

#include "device/serial_port.h"

namespace qm17 {

class QtSerialPort : public QObject, public SerialPort {
  Q_OBJECT

 public:
  explicit QtSerialPort(QObject* parent = nullptr);
  ~QtSerialPort() override;

  // Opens `device` (a path such as /dev/ttyUSB0), dropping whatever input was already queued.
  // Closes any port open before. False when the device cannot be opened.
  bool Open(const QString& device);
  void Close();
  bool IsOpen() const;

  std::size_t QueuedBytes() override;
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  void Write(const Frame& frame) override;
  void WriteAndWait(const Frame& frame) override;

 signals:
  // Emitted once when an open port is closed because the device failed or went away.
  void DeviceLost();

 private:
  void OnError(QSerialPort::SerialPortError error);
  void CloseAfterFailure();

  QSerialPort m_port;
  bool m_closePending = false;
};

}  // namespace qm17
