#pragma once
// What the link needs of a serial port. The Qt adapter, the command-line tool and the tests'
// fakes implement it.

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/frames.h"

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

}  // namespace qm17
