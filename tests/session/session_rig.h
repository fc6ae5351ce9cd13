#pragma once
// A session with its files in a folder of its own, a fake line and a unit that answers, and
// what its observer was told: shared by the session's test files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "common/known_answers.h"
#include "common/link_fakes.h"
#include "common/temp_folder.h"
#include "session/session.h"

namespace qm17::test_session {

namespace fs = std::filesystem;
using test::FakeSerialLine;

class Recorder : public SessionObserver {
 public:
  void PlacementLoaded(const WindowPlacement& where) override { placement = where; }
  void UnitBlockChanged() override { ++unitBlockChanges; }
  void DifferencesChanged() override { ++differencesChanges; }
  void StatusVisibleChanged(bool visible) override { statusVisible = visible; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowNote(const std::string& text, int ticks) override { notes.push_back({text, ticks}); }

  WindowPlacement placement;
  int unitBlockChanges = 0;
  int differencesChanges = 0;
  bool statusVisible = false;
  std::vector<std::string> messages;
  std::vector<std::pair<std::string, int>> notes;
};

// The controls: what `edit` types into them.
class Panel : public ControlPanel {
 public:
  void ReadControls(IgnitionParameters& params) const override {
    if (edit) edit(params);
  }
  std::function<void(IgnitionParameters&)> edit;
};

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A session with its files in a folder of its own, a fake line and a unit that answers.
struct Rig {
  explicit Rig(const std::string& settings = {}) {
    if (!settings.empty()) WriteFile(places.settingsFile, settings);
    session.AddObserver(seen);
    session.SetControlPanel(&panel);
  }
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) session.Tick();
  }
  void UntilIdle() {
    for (int i = 0; i < 200 && session.LinkState().operation() != Operation::Idle; ++i) session.Tick();
    ASSERT_EQ(session.LinkState().operation(), Operation::Idle);
  }

  testing::TempFolder folder;
  SessionPlaces places{folder.File("Tarvex.ini"), folder.File("_Tarvex.ini"),
                       folder.File("history"), [] { return true; }};
  FakeSerialLine line;
  Recorder seen;
  Panel panel;
  Session session{line, places};
};

// The default file with the limiter (hundreds of rpm) and the retard given.
inline std::string DefaultFileWith(const std::string& limiter, const std::string& retard) {
  std::string text = test::kDefaultParameterFile;
  const std::string line = "LIMITER        60   150     6 ";
  return text.replace(text.find(line), line.size(), "LIMITER 60 " + limiter + " " + retard + " ");
}

}  // namespace qm17::test_session
