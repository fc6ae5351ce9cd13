#pragma once
// The serial port of the window and the command line, on POSIX termios: 57600 baud, 8N1, raw,
// no flow control. Input stays in the kernel's queue, which bounds it; output the driver has no
// room for waits here, a few frames at most. A device that vanishes (adapter pulled, simulator
// gone) is closed once and then reads as an empty, silent line.

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/serial_adapters.h"
#include "device/serial_port.h"

namespace qm17 {

class PosixSerialPort : public SerialLine {
 public:
  PosixSerialPort() = default;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;
  ~PosixSerialPort() override;

  bool Open(const std::string& device) override;
  void Close() override;
  bool IsOpen() const override { return m_fd >= 0; }
  PortFailure LastFailure() const override { return m_lastFailure; }
  bool Vanished() const override { return m_vanished; }

  std::size_t QueuedBytes() override;
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  void Write(const Frame& frame) override;
  void WriteAndWait(const Frame& frame) override;

 private:
  // Hands the driver as much of the held output as it takes; false when the device is gone.
  bool SendHeld();
  // Bytes written but not yet on the line, held here or in the driver.
  bool OutputPending() const;
  bool HungUp() const;
  void Vanish();

  int m_fd = -1;
  bool m_vanished = false;
  // The last wait for the line to drain gave up.
  bool m_drainTimedOut = false;
  PortFailure m_lastFailure = PortFailure::None;
  termios m_savedMode{};  // the line's own settings, put back when it is closed
  // Frames, or the rest of one, that the driver had no room for; they leave whole and in order.
  std::vector<std::uint8_t> m_held;
};

}  // namespace qm17
