#pragma once
// The serial line's side of a run: the device each Com item names, the devices the user
// assigned, the line opened by name, and a line that went away or was busy tried again.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/serial_adapters.h"
#include "device/serial_port.h"
#include "files/settings_store.h"
#include "params/com_port.h"

namespace qm17 {

using LineNamer = std::function<LineName(const std::string& device)>;
using AdapterLister = std::function<std::vector<SerialAdapter>()>;

class LinePorts {
 public:
  explicit LinePorts(SerialLine& line) : m_line(line) {}

  // The devices the settings name, kept for the run: the file is not read for each lookup.
  // Without them, the first lookup takes them from `source`.
  void TakeDevices(const IniFile& settings) const;
  void SetDeviceSource(std::function<IniFile()> source) { m_deviceSource = std::move(source); }
  // An assignment of this run, else the settings' device, else the system's default.
  std::string Device(ComPort port) const;
  void Assign(ComPort port, const std::string& device);

  // Opens `device` as the line; false with the failure. A device held by another program is
  // tried again quietly until it opens or another is chosen.
  bool Open(const std::string& device, PortFailure& failure);
  void Close();
  // Once a tick: a lost or busy line is tried again about once a second.
  void Tick();

  void SetLineNamer(LineNamer namer);
  void SetAdapterLister(AdapterLister lister);
  std::vector<SerialAdapter> Adapters() const;

 private:
  SerialLine& m_line;
  LineNamer m_namer = [](const std::string& device) { return IdentifyLineName(device); };
  AdapterLister m_lister = [] { return ListSerialAdapters(); };
  std::function<IniFile()> m_deviceSource;
  mutable std::optional<std::array<std::string, ComPort::kCount>> m_settingsDevices;
  std::array<std::string, ComPort::kCount>
      m_assigned{};            // kept when the settings cannot be written
  std::string m_wantedDevice;  // opened last, or busy when last tried
  LineName m_wantedName;       // what it was named by, for the rule of reopening
  bool m_retrying = false;
  int m_retryTicks = 0;
};

}  // namespace qm17
