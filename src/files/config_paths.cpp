#include "files/config_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "files/settings_store.h"

namespace qm17 {

std::string ConfigDirectory() {
#ifdef _WIN32
  // Windows keeps both files where its profile-file functions put a file named without a folder.
  const char* windows = std::getenv("WINDIR");
  return (windows != nullptr && *windows != '\0') ? windows : "C:\\Windows";
#else
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/qm17";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.config/qm17";
  return ".";  // no home at all: the current folder is the only sensible place left
#endif
}

bool EnsureConfigDirectory() {
  std::error_code error;
  std::filesystem::create_directories(ConfigDirectory(), error);
  return !error && std::filesystem::is_directory(ConfigDirectory(), error);
}

#ifdef _WIN32
std::string SettingsFilePath() {
  return ConfigDirectory() + "\\" + kSettingsFileName;
}
// The side file's place is fixed on Windows, whatever the Windows folder is called.
std::string ImageSideFilePath() {
  return std::string("c:\\windows\\") + kImageSideFileName;
}
#else
std::string SettingsFilePath() {
  return ConfigDirectory() + "/" + kSettingsFileName;
}
std::string ImageSideFilePath() {
  return ConfigDirectory() + "/" + kImageSideFileName;
}
#endif

std::string ComPortDevicePath(int portNumber, const IniFile& settings) {
  if (portNumber < 1 || portNumber > 10) return {};
  const std::string name = "COM" + std::to_string(portNumber);
#ifdef _WIN32
  return settings.ReadString(kPortsSection, name, name);
#else
  return settings.ReadString(kPortsSection, name, "/dev/ttyUSB" + std::to_string(portNumber - 1));
#endif
}

}  // namespace qm17
