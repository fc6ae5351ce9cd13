#pragma once
// What the settings file keeps of a run (the window's place, the port, the language, the last
// file, the display options, the curve window) and the language words of the command lines.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "params/device_image.h"

namespace qm17 {

class IniFile;

// A window's place and size as the settings keep them.
struct WindowPlacement {
  long left = 0;
  long top = 0;
  long width = 0;
  long height = 0;
};

// The curve window's settings: whether it was left open and where.
struct CurveViewPlacement {
  bool open = false;
  std::optional<WindowPlacement> where;  // only a size above zero counts
};

struct SessionSettings {
  WindowPlacement placement;
  std::uint8_t comPortNumber = 1;  // 0: no port
  std::uint8_t languageIndex = 0;
  std::string fileName;
  std::string lastFilePath;
  bool inverseDisplay = false;
  bool allPoints = false;
  CurveViewPlacement curveView;
};

// Reads over `settings` what `ini` holds; a key that is missing keeps the value given. Names
// from an earlier installation (`earlierNames`) were written in the system's code page.
void DecodeSettings(const IniFile& ini, bool earlierNames, SessionSettings& settings);
// Writes every key; a curve window never opened in this run leaves what the file says of it.
void EncodeSettings(const SessionSettings& settings, IniFile& ini);

// The word the window takes as its first argument: "ENGLISH", "CESKY" or "DEUTSCH", exactly.
std::optional<Language> LanguageFromWord(std::string_view word);
const char* LanguageWord(Language language);
// The short codes of --lang: "en", "cz" or "cs", "de".
std::optional<Language> LanguageFromCode(std::string_view code);

}  // namespace qm17
