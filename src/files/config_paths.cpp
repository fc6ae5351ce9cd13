#include "files/config_paths.h"

#include <filesystem>
#include <system_error>

#include "files/file_names.h"
#include "files/settings_store.h"
#include "params/com_port.h"

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

std::string ComPortDevicePath(int portNumber, const IniFile& settings) {
  if (!ComPort::FromNumber(portNumber)) return {};
  const std::string device = settings.ReadString(kPortsSection, "COM" + std::to_string(portNumber),
                                                 DefaultComDevice(portNumber));
  // Longer than any path: as if the entry were not there.
  return device.size() > kLongestPathBytes ? DefaultComDevice(portNumber) : device;
}

}  // namespace qm17
