#include "session/settings_codec.h"

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
  const char* section = kSettingsSection;
  WindowPlacement& placement = settings.placement;
  placement.left = ini.ReadInteger(section, kKeyLeft, placement.left);
  placement.top = ini.ReadInteger(section, kKeyTop, placement.top);
  placement.height = ini.ReadInteger(section, kKeyHeight, placement.height);
  placement.width = ini.ReadInteger(section, kKeyWidth, placement.width);
  settings.comPortNumber =
      static_cast<std::uint8_t>(ini.ReadInteger(section, kKeyComPort, settings.comPortNumber));
  settings.languageIndex =
      static_cast<std::uint8_t>(ini.ReadInteger(section, kKeyLanguage, settings.languageIndex));
  const auto name = [&](const char* key) {
    const std::string stored = ini.ReadString(section, key, {});
    return earlierNames ? Utf8FromEarlierName(stored) : stored;
  };
  settings.fileName = name(kKeyFile);
  settings.lastFilePath = name(kKeyIniDir);
  settings.inverseDisplay =
      ini.ReadInteger(section, kKeyInverse, settings.inverseDisplay ? 1 : 0) != 0;
  settings.allPoints = ini.ReadInteger(section, kKeyAllPoints, settings.allPoints ? 1 : 0) != 0;

  settings.curveView.open = ini.ReadInteger(kCurveSection, kKeyCurveOpen, 0) != 0;
  const WindowPlacement where{
      ini.ReadInteger(kCurveSection, kKeyLeft, 0), ini.ReadInteger(kCurveSection, kKeyTop, 0),
      ini.ReadInteger(kCurveSection, kKeyWidth, 0), ini.ReadInteger(kCurveSection, kKeyHeight, 0)};
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
