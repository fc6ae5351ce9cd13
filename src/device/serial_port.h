#pragma once
// What the link needs of a serial port. The POSIX and Windows ports of the window and the
// command line and the tests' fakes implement it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "device/frames.h"
#include "device/serial_adapters.h"

namespace qm17 {

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Bytes waiting in the input queue; 0 when the port is not usable.
  virtual std::size_t QueuedBytes() = 0;
  // Reads up to buffer.size() queued bytes without waiting; returns how many were read.
  virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
  // Writes one frame and returns as soon as the system has taken it.
  virtual void Write(const Frame& frame) = 0;
  // Writes one frame and waits until its last byte has left the transmit buffer.
  virtual void WriteAndWait(const Frame& frame) = 0;
};

// A serial line opened by its device's path, as the window and the command line use it.
class SerialLine : public SerialPort {
 public:
  // Opens and configures `device` (57600 8N1, raw, no flow control), closing any line open
  // before and dropping what was queued; false on failure, with LastFailure saying why. A line
  // that another program of ours holds counts as busy.
  virtual bool Open(const std::string& device) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual PortFailure LastFailure() const = 0;
  // True once the open device failed or went away and the line was closed for it, until the
  // next successful Open.
  virtual bool Vanished() const = 0;
};

// The serial line of the system the program was built for, not open yet.
std::unique_ptr<SerialLine> MakeSystemSerialLine();

}  // namespace qm17
