#pragma once
// The parameter history: every set programmed into or read from a unit, kept as a parameter
// file of its own. Each file opens like any other (File > Open, qm17ctl); what else it records
// stands before the key line, where the reader ignores everything.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "params/device_image.h"

namespace qm17 {

inline constexpr std::size_t kHistoryLimit = 1000;  // newest files kept

struct HistoryEntry {
  std::string operation;  // "program" or "read": lower-case letters only
  DeviceImage image{};    // both blocks as they stood after the operation
  std::string savedAt;    // UTC, "2026-12-09T03:04:05.123456Z"; set when the entry is kept
  // The unit's identification as the window shows it, and its programming count when known.
  std::string unitVersion;
  std::string unitDate;
  std::string unitTime;
  std::optional<std::uint16_t> programCount;
  std::string file;  // the parameter file programmed or written; empty when none
  std::string note;  // the set's note, as a parameter file keeps it

  bool operator==(const HistoryEntry&) const = default;
};

// Linux: $XDG_DATA_HOME/qm17/history when that is an absolute path, else
// $HOME/.local/share/qm17/history. Windows: %LOCALAPPDATA%\qm17\history, else the user's
// local application-data folder; empty when there is none. Not created here. (Defined with
// the other places in posix_config_paths.cpp / win32_config_paths.cpp.)
std::string HistoryFolder();

// A parameter file exactly as WriteParameterFile writes it, preceded by one word per line of
// "name=value" with no white space, no '_' and nothing outside printable ASCII in the value
// (percent-encoded), so that no reader can take any of it for the key or a keyword.
std::string WriteHistoryFile(const HistoryEntry& entry);
// The entry back; the parameter block comes from the parameter file part, so a file edited
// by hand reads as it now stands. Empty when it is no parameter file of the right version.
std::optional<HistoryEntry> ReadHistoryFile(std::string_view content);

// Writes the entry as a new file in `folder` (made when missing) with the crash-safe write,
// named by `now` so that names sort by time and never collide, then removes the oldest
// history files beyond `limit`; the new file is never one of them. The path written, or empty when
// it could not be written.
std::string KeepInHistory(const std::string& folder, HistoryEntry entry,
                          std::chrono::system_clock::time_point now,
                          std::size_t limit = kHistoryLimit);

// The history files of `folder`, newest first (only names the history gives its files).
std::vector<std::string> ListHistory(const std::string& folder);

}  // namespace qm17
