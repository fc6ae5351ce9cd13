#pragma once
// The parameter history as a run keeps it: a set that a Read or Program ended well with waits
// for the unit's next monitor frame (its programming count after the operation), then goes
// into the history folder. Also the listing that the window's menu and qm17ctl show.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files/history.h"

namespace qm17 {

using Clock = std::function<std::chrono::system_clock::time_point()>;

class HistoryRecorder {
 public:
  void SetClock(Clock clock);
  bool Pending() const { return m_pending.has_value(); }
  // Holds `entry` for at most `ticks`; an earlier entry still waiting is written first. The
  // folder when that one could not be kept.
  std::optional<std::string> Hold(const std::string& folder, HistoryEntry entry, int ticks);
  // The programming count of the frame the entry waited for.
  void SetProgramCount(std::uint16_t count) {
    if (m_pending) m_pending->programCount = count;
  }
  // True when the wait ran out on this tick.
  bool TickExpired() { return m_pending && --m_ticks <= 0; }
  // Writes the waiting entry; the folder when it could not be kept.
  std::optional<std::string> Write();

 private:
  Clock m_clock = [] { return std::chrono::system_clock::now(); };
  std::optional<HistoryEntry> m_pending;
  std::string m_folder;
  int m_ticks = 0;
};

// One kept set: its file and what it records; no entry when the file cannot be read as one.
struct HistoryListing {
  std::string path;
  std::optional<HistoryEntry> entry;
};
// The newest `limit` sets of `folder` (0: all), newest first.
std::vector<HistoryListing> ListHistoryEntries(const std::string& folder, std::size_t limit = 0);

}  // namespace qm17
