#include "session/settings_stores.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "files/atomic_file.h"
#include "files/config_paths.h"
#include "files/file_names.h"
#include "files/history.h"

namespace qm17 {

SessionPlaces DefaultSessionPlaces() {
  return {SettingsFilePath(),        ImageSideFilePath(),
          HistoryFolder(),           [] { return EnsureConfigDirectory(); },
          EarlierSettingsFilePath(), EarlierImageSideFilePath()};
}

FileSettingsStore::FileSettingsStore(std::function<SessionPlaces()> places)
    : m_places(std::move(places)) {}

StoredSettings FileSettingsStore::Load() const {
  const SessionPlaces places = m_places();
  // On the first start a workshop's settings come from where an earlier installation kept
  // them; the next save goes to the program's own place.
  std::error_code missing;
  StoredSettings stored;
  stored.earlier = !places.earlierSettingsFile.empty() &&
                   !std::filesystem::exists(PathFromUtf8(places.settingsFile), missing);
  stored.settings.Load(stored.earlier ? places.earlierSettingsFile : places.settingsFile);
  stored.side = ReadRegularFile(stored.earlier ? places.earlierSideFile : places.sideFile);
  return stored;
}

bool FileSettingsStore::Write(const std::function<void(IniFile&)>& edit,
                              const std::optional<std::string>& side) {
  const SessionPlaces places = m_places();
  // A folder that cannot be made or written: nothing is saved and nothing is said.
  if (places.ensureFolder && !places.ensureFolder()) return false;
  // Loading keeps the port mapping and whatever else the user wrote there.
  IniFile settings;
  std::error_code error;
  const bool keepFile = !settings.Load(places.settingsFile) &&
                        std::filesystem::exists(PathFromUtf8(places.settingsFile), error);
  bool written = false;
  if (!keepFile) {
    edit(settings);
    written = settings.Save(places.settingsFile);
  }
  if (side) WriteRegularFileAtomically(places.sideFile, *side);
  return written;
}

StoredSettings MemorySettingsStore::Load() const {
  ++loads;
  StoredSettings stored;
  stored.settings.Parse(text);
  stored.side = side;
  return stored;
}

bool MemorySettingsStore::Write(const std::function<void(IniFile&)>& edit,
                                const std::optional<std::string>& newSide) {
  IniFile settings;
  settings.Parse(text);
  edit(settings);
  text = settings.Serialise();
  if (newSide) side = newSide;
  return true;
}

}  // namespace qm17
