// The Windows communications calls behind the Windows serial port, and the port the window
// and the command line use.

#include "device/win32_comm_calls.h"

#include <windows.h>

#include "device/win32_serial_port.h"

namespace qm17 {
namespace {

static_assert(win32::kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(win32::kErrorPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(win32::kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(win32::kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(win32::kEventTxEmpty == EV_TXEMPTY);
static_assert(win32::kPurgeRxAbort == PURGE_RXABORT);

HANDLE AsHandle(CommCalls::Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

class SystemCommCalls : public CommCalls {
 public:
  Opened Open(const std::string& name) override {
    // The A call only for the port's name, which is plain ASCII.
    const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {std::nullopt, GetLastError()};
    return {reinterpret_cast<Handle>(handle), 0};
  }

  bool GetTimeouts(Handle handle, CommTimeouts& timeouts) override {
    COMMTIMEOUTS t{};
    if (!GetCommTimeouts(AsHandle(handle), &t)) return false;
    timeouts = {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
    return true;
  }

  void SetTimeouts(Handle handle, const CommTimeouts& timeouts) override {
    COMMTIMEOUTS t{timeouts.readInterval, timeouts.readMultiplier, timeouts.readConstant,
                   timeouts.writeMultiplier, timeouts.writeConstant};
    SetCommTimeouts(AsHandle(handle), &t);
  }

  bool ConfigureLine(Handle handle, const std::string& definition) override {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(AsHandle(handle), &dcb)) return false;
    BuildCommDCBA(definition.c_str(), &dcb);
    SetCommState(AsHandle(handle), &dcb);
    return true;
  }

  void SetupQueues(Handle handle, std::uint32_t input, std::uint32_t output) override {
    SetupComm(AsHandle(handle), input, output);
  }

  void SetEventMask(Handle handle, std::uint32_t mask) override {
    SetCommMask(AsHandle(handle), mask);
  }

  std::optional<CommQueues> ClearErrors(Handle handle) override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(AsHandle(handle), &errors, &status)) return std::nullopt;
    return CommQueues{status.cbInQue, status.cbOutQue};
  }

  std::size_t Read(Handle handle, std::span<std::uint8_t> buffer) override {
    DWORD read = 0;
    if (!ReadFile(AsHandle(handle), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                  nullptr))
      return 0;
    return read;
  }

  std::size_t Write(Handle handle, std::span<const std::uint8_t> bytes) override {
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr))
      return 0;
    return written;
  }

  void Purge(Handle handle, std::uint32_t flags) override { PurgeComm(AsHandle(handle), flags); }

  void Close(Handle handle) override { CloseHandle(AsHandle(handle)); }
};

}  // namespace

std::unique_ptr<CommCalls> MakeSystemCommCalls() {
  return std::make_unique<SystemCommCalls>();
}

std::unique_ptr<SerialLine> MakeSystemSerialLine() {
  return std::make_unique<Win32SerialPort>(MakeSystemCommCalls());
}

}  // namespace qm17
