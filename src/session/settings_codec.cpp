#include "session/settings_codec.h"

#include <vector>

#include "files/file_names.h"
#include "files/settings_store.h"

namespace qm17 {
namespace {

constexpr const char* kKeyLeft = "Left";
constexpr const char* kKeyTop = "Top";
constexpr const char* kKeyHeight = "Height";
constexpr const char* kKeyWidth = "Width";
constexpr const char* kKeyComPort = "ComPort";
constexpr const char* kKeyLanguage = "Language";
constexpr const char* kKeyFile = "File";
constexpr const char* kKeyIniDir = "IniDir";
constexpr const char* kKeyInverse = "CheckBoxBlackZobr->Checked";
constexpr const char* kKeyAllPoints = "CheckBoxIgnAll->Checked";
// The curve window's keys live in a section of their own, which the window's keys ignore.
constexpr const char* kCurveSection = "CURVE_VIEW";
constexpr const char* kKeyCurveOpen = "Open";

}  // namespace

void DecodeSettings(const IniFile& ini, bool earlierNames, SessionSettings& settings) {
  // One pass for each section: a file may hold thousands of keys the program never wrote.
  enum { kLeft, kTop, kHeight, kWidth, kComPort, kLanguage, kFile, kIniDir, kInverse, kAllPoints };
  constexpr std::string_view kKeys[] = {kKeyLeft,    kKeyTop,      kKeyHeight, kKeyWidth,
                                        kKeyComPort, kKeyLanguage, kKeyFile,   kKeyIniDir,
                                        kKeyInverse, kKeyAllPoints};
  const std::vector<std::optional<std::string>> values = ini.GetMany(kSettingsSection, kKeys);
  const auto integer = [&values](int key, long given) {
    return IniFile::IntegerOr(values[static_cast<std::size_t>(key)], given);
  };
  WindowPlacement& placement = settings.placement;
  placement.left = integer(kLeft, placement.left);
  placement.top = integer(kTop, placement.top);
  placement.height = integer(kHeight, placement.height);
  placement.width = integer(kWidth, placement.width);
  settings.comPortNumber = static_cast<std::uint8_t>(integer(kComPort, settings.comPortNumber));
  settings.languageIndex = static_cast<std::uint8_t>(integer(kLanguage, settings.languageIndex));
  const auto name = [&values, earlierNames](int key) {
    const std::string stored = values[static_cast<std::size_t>(key)].value_or(std::string());
    return earlierNames ? Utf8FromEarlierName(stored) : stored;
  };
  settings.fileName = name(kFile);
  settings.lastFilePath = name(kIniDir);
  settings.inverseDisplay = integer(kInverse, settings.inverseDisplay ? 1 : 0) != 0;
  settings.allPoints = integer(kAllPoints, settings.allPoints ? 1 : 0) != 0;

  constexpr std::string_view kCurveKeys[] = {kKeyCurveOpen, kKeyLeft, kKeyTop, kKeyWidth,
                                             kKeyHeight};
  const std::vector<std::optional<std::string>> curve = ini.GetMany(kCurveSection, kCurveKeys);
  settings.curveView.open = IniFile::IntegerOr(curve[0], 0) != 0;
  const WindowPlacement where{IniFile::IntegerOr(curve[1], 0), IniFile::IntegerOr(curve[2], 0),
                              IniFile::IntegerOr(curve[3], 0), IniFile::IntegerOr(curve[4], 0)};
  if (where.width > 0 && where.height > 0) settings.curveView.where = where;
}

void EncodeSettings(const SessionSettings& settings, IniFile& ini) {
  const char* section = kSettingsSection;
  ini.WriteInteger(section, kKeyLeft, settings.placement.left);
  ini.WriteInteger(section, kKeyTop, settings.placement.top);
  ini.WriteInteger(section, kKeyHeight, settings.placement.height);
  ini.WriteInteger(section, kKeyWidth, settings.placement.width);
  ini.WriteInteger(section, kKeyComPort, settings.comPortNumber);
  ini.WriteInteger(section, kKeyLanguage, settings.languageIndex);
  ini.WriteString(section, kKeyFile, settings.fileName);
  ini.WriteString(section, kKeyIniDir, settings.lastFilePath);
  ini.WriteInteger(section, kKeyInverse, settings.inverseDisplay ? 1 : 0);
  ini.WriteInteger(section, kKeyAllPoints, settings.allPoints ? 1 : 0);
  if (const auto& where = settings.curveView.where) {
    ini.WriteInteger(kCurveSection, kKeyCurveOpen, settings.curveView.open ? 1 : 0);
    ini.WriteInteger(kCurveSection, kKeyLeft, where->left);
    ini.WriteInteger(kCurveSection, kKeyTop, where->top);
    ini.WriteInteger(kCurveSection, kKeyWidth, where->width);
    ini.WriteInteger(kCurveSection, kKeyHeight, where->height);
  }
}

std::optional<Language> LanguageFromWord(std::string_view word) {
  for (const Language language : {Language::English, Language::Czech, Language::German})
    if (word == LanguageWord(language)) return language;
  return std::nullopt;
}

const char* LanguageWord(Language language) {
  switch (language) {
    case Language::Czech:
      return "CESKY";
    case Language::German:
      return "DEUTSCH";
    case Language::English:
      break;
  }
  return "ENGLISH";
}

std::optional<Language> LanguageFromCode(std::string_view code) {
  if (code == "en") return Language::English;
  if (code == "cz" || code == "cs") return Language::Czech;
  if (code == "de") return Language::German;
  return std::nullopt;
}

}  // namespace qm17
