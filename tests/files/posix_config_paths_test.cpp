#include "files/config_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "files/settings_store.h"

namespace qm17 {
namespace {

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (m_old) {
      setenv(m_name, m_old->c_str(), 1);
    } else {
      unsetenv(m_name);
    }
  }

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

TEST(ConfigPaths, XdgFolderThenHome) {
  ScopedEnv home("HOME", "/home/rider");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(ConfigDirectory(), "/tmp/cfg/qm17");
    EXPECT_EQ(SettingsFilePath(), "/tmp/cfg/qm17/Tarvex.ini");
    EXPECT_EQ(ImageSideFilePath(), "/tmp/cfg/qm17/_Tarvex.ini");
  }
  {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules ask.
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(ConfigDirectory(), "/home/rider/.config/qm17");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(SettingsFilePath(), "/home/rider/.config/qm17/Tarvex.ini");
}

TEST(ConfigPaths, PortItemsNameDevices) {
  IniFile settings;
  settings.Parse("[FORM_HLAV]\r\nComPort=3\r\n[ports]\r\ncom3=/dev/pts/7\r\n");
  EXPECT_EQ(ComPortDevicePath(3, settings), "/dev/pts/7");  // section and key in any case
  EXPECT_EQ(ComPortDevicePath(1, settings), "/dev/ttyUSB0");
  EXPECT_EQ(ComPortDevicePath(10, settings), "/dev/ttyUSB9");
  EXPECT_EQ(ComPortDevicePath(0, settings), "");
  EXPECT_EQ(ComPortDevicePath(11, settings), "");
  // A value no path can be is no device.
  settings.Parse("[PORTS]\r\nCOM1=/dev/" + std::string(5000, 'x') + "\r\nCOM2=/dev/" +
                 std::string(4000, 'x') + "\r\n");
  EXPECT_EQ(ComPortDevicePath(1, settings), "/dev/ttyUSB0");
  EXPECT_EQ(ComPortDevicePath(2, settings).size(), 4005u);
}

}  // namespace
}  // namespace qm17
