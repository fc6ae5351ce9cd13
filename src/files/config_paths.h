#pragma once
// Where the program keeps its settings, and which device each "COM n" names.

#include <array>
#include <cstdint>
#include <string>

#include "params/com_port.h"

namespace qm17 {

class IniFile;

// Linux: $XDG_CONFIG_HOME/qm17, else $HOME/.config/qm17. Windows: %APPDATA%\qm17, else the
// user's roaming application-data folder; empty when there is none (never the current
// folder). No trailing separator; not created here.
std::string ConfigDirectory();
// Creates the configuration folder (and its parents) when missing; false if it cannot.
bool EnsureConfigDirectory();
std::string SettingsFilePath();   // ".../Tarvex.ini"; empty when there is no folder
std::string ImageSideFilePath();  // ".../_Tarvex.ini", beside the settings file

// Where an earlier installation left both files (on Windows, the Windows folder). They are
// read once, when the settings file is missing, so that a workshop's settings carry over;
// they are never written. Empty where there is no such place (Linux).
std::string EarlierSettingsFolder();
std::string EarlierSettingsFilePath();
std::string EarlierImageSideFilePath();

// Section of the settings file that maps port items to devices, e.g. "COM1=/dev/ttyUSB0".
inline constexpr const char* kPortsSection = "PORTS";

// The device that "COM n" opens: the [PORTS] entry when present, else DefaultComDevice(n).
// Empty for n outside 1..10.
std::string ComPortDevicePath(int portNumber, const IniFile& settings);
// The same for Com 1..10, in one pass over the settings.
std::array<std::string, ComPort::kCount> ComPortDevicePaths(const IniFile& settings);
// /dev/ttyUSB<n-1> on Linux (the usual name of a USB-serial adapter), "COMn" on Windows.
std::string DefaultComDevice(int portNumber);

}  // namespace qm17
