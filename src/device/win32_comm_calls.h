#pragma once
// The Windows communications calls the Windows serial port is made of, in plain types, so that
// the port's logic builds and is tested anywhere with a recording fake. Only
// win32_comm_calls.cpp, built for Windows, calls the system.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace qm17 {

// COMMTIMEOUTS, field by field, in milliseconds.
struct CommTimeouts {
  std::uint32_t readInterval = 0;
  std::uint32_t readMultiplier = 0;
  std::uint32_t readConstant = 0;
  std::uint32_t writeMultiplier = 0;
  std::uint32_t writeConstant = 0;
  bool operator==(const CommTimeouts&) const = default;
};

// ClearCommError's counts of bytes waiting in the driver's queues.
struct CommQueues {
  std::uint32_t input = 0;
  std::uint32_t output = 0;
};

// The system's values of the few constants the port passes or examines.
namespace win32 {
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kEventTxEmpty = 0x0004;  // EV_TXEMPTY
inline constexpr std::uint32_t kPurgeRxAbort = 0x0002;  // PURGE_RXABORT
}  // namespace win32

class CommCalls {
 public:
  using Handle = std::uintptr_t;
  struct Opened {
    std::optional<Handle> handle;  // none when the open failed
    std::uint32_t error = 0;       // GetLastError of a failed open
  };

  virtual ~CommCalls() = default;
  // CreateFileA: read and write, no sharing, an existing device, a synchronous handle.
  virtual Opened Open(const std::string& name) = 0;
  virtual bool GetTimeouts(Handle handle, CommTimeouts& timeouts) = 0;
  virtual void SetTimeouts(Handle handle, const CommTimeouts& timeouts) = 0;
  // GetCommState, BuildCommDCBA(definition) on it, SetCommState. False when the state cannot
  // be read: the handle is no serial line.
  virtual bool ConfigureLine(Handle handle, const std::string& definition) = 0;
  virtual void SetupQueues(Handle handle, std::uint32_t input, std::uint32_t output) = 0;
  virtual void SetEventMask(Handle handle, std::uint32_t mask) = 0;
  // ClearCommError; none when it fails.
  virtual std::optional<CommQueues> ClearErrors(Handle handle) = 0;
  // ReadFile and WriteFile; the count of bytes moved, 0 on failure.
  virtual std::size_t Read(Handle handle, std::span<std::uint8_t> buffer) = 0;
  virtual std::size_t Write(Handle handle, std::span<const std::uint8_t> bytes) = 0;
  virtual void Purge(Handle handle, std::uint32_t flags) = 0;
  virtual void Close(Handle handle) = 0;
};

// The system's calls; Windows only.
std::unique_ptr<CommCalls> MakeSystemCommCalls();

}  // namespace qm17
