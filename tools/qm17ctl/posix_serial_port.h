#pragma once
// The serial port of the command-line tool, on POSIX termios: 57600 baud, 8N1, raw, no flow
// control. A device that vanishes (adapter pulled, simulator gone) is closed once and then
// reads as an empty, silent line, so the link notices it only by the missing answers.

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "device/serial_adapters.h"
#include "device/serial_port.h"

namespace qm17 {

class PosixSerialPort : public SerialLine {
 public:
  PosixSerialPort() = default;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;
  ~PosixSerialPort() override;

  // Opens and configures the device and drops whatever it had queued; false on failure.
  bool Open(const std::string& path) override;
  // Why the last Open failed.
  PortFailure LastFailure() const override { return m_lastFailure; }
  void Close() override;
  bool IsOpen() const override { return m_fd >= 0; }
  // True once the open device has failed and been closed, until an Open succeeds.
  bool Vanished() const override { return m_vanished; }

  std::size_t QueuedBytes() override;
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  void Write(const Frame& frame) override;
  void WriteAndWait(const Frame& frame) override;

 private:
  bool WriteAll(const Frame& frame);
  bool HungUp() const;
  void Vanish();

  int m_fd = -1;
  bool m_vanished = false;
  PortFailure m_lastFailure = PortFailure::None;
  termios m_savedMode{};  // the line's own settings, put back when it is closed
};

}  // namespace qm17
