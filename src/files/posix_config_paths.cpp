#include <cstdlib>

#include "files/config_paths.h"
#include "files/history.h"

namespace qm17 {

std::string ConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/qm17";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.config/qm17";
  return ".";  // no home at all: the current folder is the only sensible place left
}

std::string HistoryFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/qm17/history";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.local/share/qm17/history";
  return "qm17-history";  // no home at all: beside the current folder
}

std::string EarlierSettingsFolder() {
  return {};
}

std::string DefaultComDevice(int portNumber) {
  return "/dev/ttyUSB" + std::to_string(portNumber - 1);
}

}  // namespace qm17
