#include "files/config_paths.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "files/file_names.h"
#include "files/settings_store.h"

namespace qm17 {

namespace {

std::string FileIn(const std::string& folder, const char* name) {
  if (folder.empty()) return {};
  return Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8(name));
}

}  // namespace

bool EnsureConfigDirectory() {
  const std::string folder = ConfigDirectory();
  if (folder.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(PathFromUtf8(folder), error);
  return !error && std::filesystem::is_directory(PathFromUtf8(folder), error);
}

std::string SettingsFilePath() {
  return FileIn(ConfigDirectory(), kSettingsFileName);
}

std::string ImageSideFilePath() {
  return FileIn(ConfigDirectory(), kImageSideFileName);
}

std::string EarlierSettingsFilePath() {
  return FileIn(EarlierSettingsFolder(), kSettingsFileName);
}

std::string EarlierImageSideFilePath() {
  return FileIn(EarlierSettingsFolder(), kImageSideFileName);
}

namespace {

std::string DeviceOrDefault(int portNumber, const std::optional<std::string>& entry) {
  // Longer than any path: as if the entry were not there.
  if (!entry || entry->size() > kLongestPathBytes) return DefaultComDevice(portNumber);
  return *entry;
}

}  // namespace

std::string ComPortDevicePath(int portNumber, const IniFile& settings) {
  if (!ComPort::FromNumber(portNumber)) return {};
  return DeviceOrDefault(portNumber,
                         settings.Get(kPortsSection, "COM" + std::to_string(portNumber)));
}

std::array<std::string, ComPort::kCount> ComPortDevicePaths(const IniFile& settings) {
  std::array<std::string, ComPort::kCount> names;
  std::array<std::string_view, ComPort::kCount> keys;
  for (const ComPort port : ComPort::All()) {
    names[port.Index()] = "COM" + std::to_string(port.Number());
    keys[port.Index()] = names[port.Index()];
  }
  const std::vector<std::optional<std::string>> entries = settings.GetMany(kPortsSection, keys);
  std::array<std::string, ComPort::kCount> devices;
  for (const ComPort port : ComPort::All())
    devices[port.Index()] = DeviceOrDefault(port.Number(), entries[port.Index()]);
  return devices;
}

}  // namespace qm17
