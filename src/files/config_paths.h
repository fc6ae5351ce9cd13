#pragma once
// Where the program keeps its settings, and which device each "COM n" names.

#include <cstdint>
#include <string>

namespace qm17 {

class IniFile;

// $XDG_CONFIG_HOME/qm17, else $HOME/.config/qm17 (no trailing slash); the Windows folder on
// Windows. Not created here.
std::string ConfigDirectory();
// Creates the configuration folder (and its parents) when missing; false if it cannot.
bool EnsureConfigDirectory();
std::string SettingsFilePath();   // ".../Tarvex.ini"
std::string ImageSideFilePath();  // ".../_Tarvex.ini", beside the settings file

// Section of the settings file that maps port items to devices, e.g. "COM1=/dev/ttyUSB0".
inline constexpr const char* kPortsSection = "PORTS";

// The device that "COM n" opens: the [PORTS] entry when present, else /dev/ttyUSB<n-1> on
// Linux (the usual name of a USB-serial adapter), "COMn" on Windows. Empty for n outside 1..10.
std::string ComPortDevicePath(int portNumber, const IniFile& settings);

}  // namespace qm17
