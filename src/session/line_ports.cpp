#include "session/line_ports.h"

#include <utility>

#include "files/config_paths.h"

namespace qm17 {
namespace {

// About once a second: soon enough for a mechanic replugging a cable, and one failed open a
// second costs nothing while the device is away.
constexpr int kReopenTicks = 18;

}  // namespace

void LinePorts::TakeDevices(const IniFile& settings) const {
  m_settingsDevices = ComPortDevicePaths(settings);
}

std::string LinePorts::Device(ComPort port) const {
  const std::string& assigned = m_assigned[port.Index()];
  if (!assigned.empty()) return assigned;
  if (!m_settingsDevices) TakeDevices(m_deviceSource ? m_deviceSource() : IniFile());
  return (*m_settingsDevices)[port.Index()];
}

void LinePorts::Assign(ComPort port, const std::string& device) {
  m_assigned[port.Index()] = device;
}

bool LinePorts::Open(const std::string& device, PortFailure& failure) {
  m_retrying = false;
  if (!device.empty() && m_line.Open(device)) {
    m_wantedDevice = device;
    m_wantedName = m_namer(device);  // while the line is there to be resolved
    failure = PortFailure::None;
    return true;
  }
  failure = device.empty() ? PortFailure::NotPresent : m_line.LastFailure();
  m_wantedDevice.clear();
  if (failure == PortFailure::Busy) {
    // Freed when the other program ends: the user should not have to pick the port again.
    m_wantedDevice = device;
    m_wantedName = m_namer(device);
    m_retrying = true;
    m_retryTicks = 0;
  }
  return false;
}

void LinePorts::Close() {
  m_retrying = false;  // the user chose again, or the program ends
  m_line.Close();
}

void LinePorts::Tick() {
  if (!m_retrying) {
    if (!m_line.Vanished() || m_wantedDevice.empty()) return;
    m_retrying = true;
    m_retryTicks = 0;
  }
  if (m_line.IsOpen()) {
    m_retrying = false;
    return;
  }
  if (++m_retryTicks < kReopenTicks) return;
  m_retryTicks = 0;
  // A pseudo-terminal's name may by now belong to another program's terminal: never opened
  // again unless its link was made anew.
  if (!MayReopenLostLine(m_wantedName, m_namer(m_wantedDevice))) return;
  // Quietly: the user sees the no-connection label until the device answers again.
  if (!m_line.Open(m_wantedDevice)) return;
  m_wantedName = m_namer(m_wantedDevice);
  m_retrying = false;
}

void LinePorts::SetLineNamer(LineNamer namer) {
  if (namer) m_namer = std::move(namer);
}

void LinePorts::SetAdapterLister(AdapterLister lister) {
  if (lister) m_lister = std::move(lister);
}

std::vector<SerialAdapter> LinePorts::Adapters() const {
  return m_lister();
}

}  // namespace qm17
