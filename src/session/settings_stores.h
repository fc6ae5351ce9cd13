#pragma once
// Where the settings and the saved image live: the user's files, or memory (tests, tools).

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "files/settings_store.h"

namespace qm17 {

// Where the run keeps its files; tests point them into a folder of their own.
struct SessionPlaces {
  std::string settingsFile;
  std::string sideFile;
  std::string historyFolder;  // empty: nothing is kept
  // Makes the settings file's folder when missing; false when it cannot be made.
  std::function<bool()> ensureFolder;
  // Read instead when the settings file is missing (the first start): the files an earlier
  // installation left, never written. Empty: nothing to carry over.
  std::string earlierSettingsFile = {};
  std::string earlierSideFile = {};
};
SessionPlaces DefaultSessionPlaces();

// The settings as they stand.
struct StoredSettings {
  IniFile settings;                 // a missing file reads as one without keys
  std::optional<std::string> side;  // the saved image's side file
  bool earlier = false;             // an earlier installation's: names in its code page
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual StoredSettings Load() const = 0;
  // Applies `edit` to the settings as they stand now and keeps them, with the side file when
  // given. Settings that are there but cannot be read are left as they are (rewriting them
  // would lose them). False when the settings were not written.
  virtual bool Write(const std::function<void(IniFile&)>& edit,
                     const std::optional<std::string>& side) = 0;
};

// The files of `places`, taken anew at each use (the environment may name other folders).
class FileSettingsStore final : public SettingsStore {
 public:
  explicit FileSettingsStore(std::function<SessionPlaces()> places);
  StoredSettings Load() const override;
  bool Write(const std::function<void(IniFile&)>& edit,
             const std::optional<std::string>& side) override;

 private:
  std::function<SessionPlaces()> m_places;
};

// Settings that live in memory: nothing touches the disk.
class MemorySettingsStore final : public SettingsStore {
 public:
  explicit MemorySettingsStore(std::string content = {}) : text(std::move(content)) {}
  StoredSettings Load() const override;
  bool Write(const std::function<void(IniFile&)>& edit,
             const std::optional<std::string>& side) override;

  std::string text;  // the settings file's content
  std::optional<std::string> side;
  mutable int loads = 0;
};

}  // namespace qm17
