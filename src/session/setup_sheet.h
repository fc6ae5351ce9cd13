#pragma once
// The setup sheet: one PDF page with the set as a table, its curve, its note, the file, the
// unit and the date, as real text in the current language. Built here, without a display, so
// that the window and qm17ctl make the same page.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "params/device_image.h"

namespace qm17 {

class Session;

struct SetupSheet {
  Language language = Language::English;
  DeviceImage image{};
  std::string note;
  std::string file;  // UTF-8; empty: the set has no file
  // The unit's identification as the window shows it; empty when no unit has answered.
  std::string unitVersion;
  std::string unitDate;
  std::string unitTime;
  std::optional<std::uint16_t> programCount;
  std::string madeAt;  // the sheet's date and time as printed on it
};

// What the session holds: its set, note, file, language and the unit's identification.
SetupSheet SheetOfSession(const Session& session, std::optional<std::uint16_t> programCount,
                          std::chrono::system_clock::time_point now);
// "2026-12-09 18:04" in local time.
std::string SheetTimeText(std::chrono::system_clock::time_point when);

// The whole PDF file.
std::string SetupSheetPdf(const SetupSheet& sheet);

// Writes the sheet with the crash-safe write; empty when written, else why not in `language`
// ("Open file error!" comes first, from the message table, where the caller shows it).
std::string WriteSetupSheet(const std::string& path, const SetupSheet& sheet);

}  // namespace qm17
