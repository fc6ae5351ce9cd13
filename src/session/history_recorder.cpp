#include "session/history_recorder.h"

#include <utility>

#include "files/atomic_file.h"

namespace qm17 {

void HistoryRecorder::SetClock(Clock clock) {
  if (clock) m_clock = std::move(clock);
}

std::optional<std::string> HistoryRecorder::Hold(const std::string& folder, HistoryEntry entry,
                                                 int ticks) {
  std::optional<std::string> notKept = Write();
  m_pending = std::move(entry);
  m_folder = folder;
  m_ticks = ticks;
  return notKept;
}

std::optional<std::string> HistoryRecorder::Write() {
  if (!m_pending) return std::nullopt;
  const HistoryEntry entry = std::move(*m_pending);
  m_pending.reset();
  if (!KeepInHistory(m_folder, entry, m_clock()).empty()) return std::nullopt;
  return m_folder;
}

std::vector<HistoryListing> ListHistoryEntries(const std::string& folder, std::size_t limit) {
  const std::vector<std::string> paths = ListHistory(folder);
  std::vector<HistoryListing> listing;
  for (std::size_t i = 0; i < paths.size() && (limit == 0 || i < limit); ++i) {
    const std::optional<std::string> content = ReadRegularFile(paths[i]);
    listing.push_back({paths[i], content ? ReadHistoryFile(*content) : std::nullopt});
  }
  return listing;
}

}  // namespace qm17
