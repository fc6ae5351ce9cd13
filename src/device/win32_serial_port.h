#pragma once
// The serial port of the window and the command line on Windows: 57600 baud, 8N1, no
// handshaking, a 100 ms read time-out, queues of 10000 bytes in and 1024 out. Only whole
// frames are read, from what the driver has queued, so a read never waits. A device that
// vanishes (adapter pulled) is closed once and then reads as an empty, silent line.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "device/serial_adapters.h"
#include "device/serial_port.h"
#include "device/win32_comm_calls.h"

namespace qm17 {

class Win32SerialPort : public SerialLine {
 public:
  explicit Win32SerialPort(std::unique_ptr<CommCalls> calls);
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;
  ~Win32SerialPort() override;

  bool Open(const std::string& device) override;
  void Close() override;
  bool IsOpen() const override { return m_open; }
  PortFailure LastFailure() const override { return m_lastFailure; }
  bool Vanished() const override { return m_vanished; }

  std::size_t QueuedBytes() override;
  std::size_t Read(std::span<std::uint8_t> buffer) override;
  void Write(const Frame& frame) override;
  void WriteAndWait(const Frame& frame) override;

 private:
  // ClearCommError on the open line; a failure means the device went away.
  std::optional<CommQueues> Queues();
  void Vanish();

  std::unique_ptr<CommCalls> m_calls;
  CommCalls::Handle m_handle = 0;
  bool m_open = false;
  bool m_vanished = false;
  // The last wait for the line to drain gave up.
  bool m_drainTimedOut = false;
  PortFailure m_lastFailure = PortFailure::None;
  CommTimeouts m_savedTimeouts;  // the line's own, put back when it is closed
};

}  // namespace qm17
