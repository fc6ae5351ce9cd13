// The COM ports Windows knows, described by the Plug and Play manager where it can, and why a
// port cannot be opened. Nothing here opens ports one by one to find them: that would take a
// port from the program that holds it, and wait on some drivers.

#include <windows.h>
// After windows.h, which they need.
#include <devguid.h>
#include <initguid.h>
#include <setupapi.h>

#include <algorithm>
#include <cctype>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "device/serial_adapters.h"
#include "device/win32_port_names.h"

namespace qm17 {
namespace {

// GUID_DEVCLASS_PORTS, the class of COM and LPT ports; spelled out, as devguid.h only declares
// it unless one file of the program defines all of its GUIDs.
constexpr GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::string Utf8(const wchar_t* text, std::size_t length) {
  while (length > 0 && text[length - 1] == L'\0') --length;
  if (length == 0) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), result.data(), size, nullptr,
                      nullptr);
  return result;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The port names in HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, where every serial driver enters the
// ports it serves now.
std::vector<std::string> RegisteredPorts() {
  std::vector<std::string> ports;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return ports;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD nameLength = 256;
    wchar_t data[256];
    DWORD dataBytes = sizeof(data);
    DWORD type = 0;
    const LONG result = RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataBytes);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    const std::string port = Utf8(data, dataBytes / sizeof(wchar_t));
    if (!port.empty()) ports.push_back(port);
  }
  RegCloseKey(key);
  return ports;
}

std::string DeviceProperty(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
  wchar_t value[1024];
  DWORD type = 0;
  DWORD bytes = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type,
                                         reinterpret_cast<BYTE*>(value), sizeof(value) - 2, &bytes))
    return {};
  value[std::min<DWORD>(bytes, sizeof(value) - 2) / sizeof(wchar_t)] = L'\0';
  // A list of strings (the hardware ids) gives its first, the most specific one.
  return Utf8(value, wcslen(value));
}

std::string PortNameOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  const HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t name[256];
  DWORD bytes = sizeof(name) - 2;
  DWORD type = 0;
  std::string port;
  if (RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &bytes) ==
          ERROR_SUCCESS &&
      type == REG_SZ)
    port = Utf8(name, bytes / sizeof(wchar_t));
  RegCloseKey(key);
  return port;
}

// "USB Serial Port (COM11)" says its port, which the list shows already.
std::string WithoutPortName(std::string friendlyName, const std::string& port) {
  const std::string suffix = " (" + port + ")";
  if (friendlyName.size() > suffix.size() &&
      Upper(friendlyName.substr(friendlyName.size() - suffix.size())) == Upper(suffix))
    friendlyName.resize(friendlyName.size() - suffix.size());
  return friendlyName;
}

// What the Plug and Play manager says of the ports it knows, by upper-case port name.
std::map<std::string, SerialAdapter> DescribedPorts() {
  std::map<std::string, SerialAdapter> described;
  const HDEVINFO devices = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return described;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    const std::string port = PortNameOf(devices, device);
    if (port.empty()) continue;
    SerialAdapter adapter;
    adapter.device = port;
    adapter.product = WithoutPortName(DeviceProperty(devices, device, SPDRP_FRIENDLYNAME), port);
    adapter.manufacturer = DeviceProperty(devices, device, SPDRP_MFG);
    const UsbIds ids = UsbIdsFromHardwareId(DeviceProperty(devices, device, SPDRP_HARDWAREID));
    adapter.vendorId = ids.vendorId;
    adapter.productId = ids.productId;
    described[Upper(port)] = adapter;
  }
  SetupDiDestroyDeviceInfoList(devices);
  return described;
}

}  // namespace

std::vector<SerialAdapter> ListSerialAdapters(const std::string&) {
  const std::map<std::string, SerialAdapter> described = DescribedPorts();
  std::vector<SerialAdapter> found;
  for (const std::string& port : RegisteredPorts()) {
    const auto it = described.find(Upper(port));
    SerialAdapter adapter = it != described.end() ? it->second : SerialAdapter{};
    adapter.device = port;
    found.push_back(adapter);
  }
  // COM2 before COM10; names that are no COMn after those.
  std::sort(found.begin(), found.end(), [](const SerialAdapter& a, const SerialAdapter& b) {
    const int na = ComPortNumberOf(a.device), nb = ComPortNumberOf(b.device);
    if ((na == 0) != (nb == 0)) return na != 0;
    if (na != nb) return na < nb;
    return a.device < b.device;
  });
  found.erase(std::unique(found.begin(), found.end(),
                          [](const SerialAdapter& a, const SerialAdapter& b) {
                            return a.device == b.device;
                          }),
              found.end());
  return found;
}

PortFailure DiagnosePort(const std::string& path) {
  if (path.empty()) return PortFailure::NotPresent;
  // As the port opens it: the A call only for the port's name, which is plain ASCII.
  const HANDLE handle = CreateFileA(Win32PortPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const PortFailure failure = PortFailureFromWin32Error(GetLastError());
    return failure == PortFailure::None ? PortFailure::Other : failure;
  }
  DCB state{};
  state.DCBlength = sizeof(state);
  const PortFailure failure =
      GetCommState(handle, &state) ? PortFailure::None : PortFailure::NotSerial;
  CloseHandle(handle);
  return failure;
}

LineName IdentifyLineName(const std::string&) {
  return {};  // no pseudo-terminals: a port's name stays its own
}

bool MayReopenLostLine(const LineName&, const LineName&) {
  return true;
}

}  // namespace qm17
