#include "device/win32_serial_port.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "device/win32_port_names.h"

namespace qm17 {
namespace {

// The read time-out only bounds a read of more than is queued, which the port never asks for.
constexpr CommTimeouts kOpenTimeouts{0, 0, 100, 0, 0};
constexpr std::uint32_t kInputQueue = 10000;
constexpr std::uint32_t kOutputQueue = 1024;

// Longest wait for a frame to leave: 52 bytes take about 9 ms at 57600 baud. A synchronous
// WaitCommEvent would wait for ever on a line that no longer sends and freeze the tick.
constexpr auto kDrainLimit = std::chrono::milliseconds(50);
constexpr auto kDrainCheck = std::chrono::milliseconds(1);

}  // namespace

Win32SerialPort::Win32SerialPort(std::unique_ptr<CommCalls> calls) : m_calls(std::move(calls)) {}

Win32SerialPort::~Win32SerialPort() {
  Close();
}

bool Win32SerialPort::Open(const std::string& device) {
  Close();
  m_lastFailure = PortFailure::NotPresent;
  if (device.empty()) return false;
  const CommCalls::Opened opened = m_calls->Open(Win32PortPath(device));
  if (!opened.handle) {
    m_lastFailure = PortFailureFromWin32Error(opened.error);
    if (m_lastFailure == PortFailure::None) m_lastFailure = PortFailure::Other;
    return false;
  }
  const CommCalls::Handle handle = *opened.handle;
  // A file or another device has no communication settings; nothing of it is changed.
  CommTimeouts saved;
  if (!m_calls->GetTimeouts(handle, saved)) {
    m_lastFailure = PortFailure::NotSerial;
    m_calls->Close(handle);
    return false;
  }
  m_calls->SetTimeouts(handle, kOpenTimeouts);
  if (!m_calls->ConfigureLine(handle, "57600,N,8,1")) {
    m_lastFailure = PortFailure::NotSerial;
    m_calls->SetTimeouts(handle, saved);
    m_calls->Close(handle);
    return false;
  }
  m_calls->SetupQueues(handle, kInputQueue, kOutputQueue);
  m_calls->SetEventMask(handle, win32::kEventTxEmpty);
  m_handle = handle;
  m_savedTimeouts = saved;
  m_open = true;
  m_vanished = false;
  m_drainTimedOut = false;
  m_lastFailure = PortFailure::None;
  return true;
}

void Win32SerialPort::Close() {
  // A line that never opened has no handle to purge or restore: no calls at all.
  if (!m_open) return;
  m_calls->Purge(m_handle, win32::kPurgeRxAbort);
  m_calls->SetTimeouts(m_handle, m_savedTimeouts);  // fails harmlessly on a vanished device
  m_calls->Close(m_handle);
  m_open = false;
  m_handle = 0;
}

void Win32SerialPort::Vanish() {
  Close();
  m_vanished = true;
}

std::optional<CommQueues> Win32SerialPort::Queues() {
  if (!m_open) return std::nullopt;
  const std::optional<CommQueues> queues = m_calls->ClearErrors(m_handle);
  if (!queues) Vanish();
  return queues;
}

std::size_t Win32SerialPort::QueuedBytes() {
  const std::optional<CommQueues> queues = Queues();
  return queues ? queues->input : 0;
}

std::size_t Win32SerialPort::Read(std::span<std::uint8_t> buffer) {
  if (!m_open || buffer.empty()) return 0;
  // Never more than is queued: a longer read would wait out the read time-out.
  const std::optional<CommQueues> queues = Queues();
  if (!queues || queues->input == 0) return 0;
  return m_calls->Read(m_handle, buffer.first(std::min<std::size_t>(buffer.size(), queues->input)));
}

void Win32SerialPort::Write(const Frame& frame) {
  if (!m_open) return;
  m_calls->Write(m_handle, frame);
}

void Win32SerialPort::WriteAndWait(const Frame& frame) {
  if (!m_open) return;
  // A line that did not drain last time and still holds output gets neither this poll nor a
  // second wait: a stuck driver costs one bounded pause, not one on every poll.
  if (m_drainTimedOut) {
    const std::optional<CommQueues> queues = Queues();
    if (!queues || queues->output > 0) return;
  }
  m_calls->Write(m_handle, frame);
  const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
  for (;;) {
    const std::optional<CommQueues> queues = Queues();
    if (!queues) return;
    if (queues->output == 0) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      m_drainTimedOut = true;
      return;
    }
    std::this_thread::sleep_for(kDrainCheck);
  }
  m_drainTimedOut = false;
}

}  // namespace qm17
