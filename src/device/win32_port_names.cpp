#include "device/win32_port_names.h"

#include <cctype>

#include "device/win32_comm_calls.h"

namespace qm17 {
namespace {

constexpr const char* kDeviceNamespace = "\\\\.\\";

bool IsHexDigits(const std::string& text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return false;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// The four hex digits after `key` ("VID_"), found anywhere in `id`, in any case.
std::string HexAfter(const std::string& id, const std::string& key) {
  std::string upper = id;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (std::size_t at = upper.find(key); at != std::string::npos; at = upper.find(key, at + 1)) {
    if (IsHexDigits(upper, at + key.size(), 4)) return upper.substr(at + key.size(), 4);
  }
  return {};
}

}  // namespace

int ComPortNumberOf(const std::string& name) {
  if (name.size() < 4 || name.size() > 6) return 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  }
  int number = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

std::string Win32PortPath(const std::string& name) {
  if (ComPortNumberOf(name) >= 10) return kDeviceNamespace + name;
  return name;
}

PortFailure PortFailureFromWin32Error(std::uint32_t error) {
  switch (error) {
    case 0:
      return PortFailure::None;
    case win32::kErrorFileNotFound:
    case win32::kErrorPathNotFound:
      return PortFailure::NotPresent;
    case win32::kErrorAccessDenied:
    case win32::kErrorSharingViolation:
      return PortFailure::Busy;  // Windows gives a COM port to one program at a time
    default:
      return PortFailure::Other;
  }
}

UsbIds UsbIdsFromHardwareId(const std::string& hardwareId) {
  return {HexAfter(hardwareId, "VID_"), HexAfter(hardwareId, "PID_")};
}

}  // namespace qm17
