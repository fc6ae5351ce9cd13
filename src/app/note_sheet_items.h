#pragma once
// File > Note… (the set's note in a small editor) and File > Setup sheet… (the set as a PDF
// page), with the texts of the current language. A view of the session like the window.

#include <QObject>
#include <cstdint>
#include <optional>

#include "session/session.h"

class QAction;
class QMenu;
class QMainWindow;

namespace qm17 {

class UserPrompts;

class NoteSheetItems : public QObject, private SessionObserver {
  Q_OBJECT

 public:
  // Adds the two items to `menu` before `before`; `prompts` answers the dialogs.
  NoteSheetItems(QMainWindow& window, Session& session, QMenu& menu, QAction* before,
                 std::function<UserPrompts&()> prompts);
  ~NoteSheetItems() override;

  void MenuNoteClick();
  void MenuSheetClick();

 private:
  void ApplyTexts();
  void LanguageChanged() override { ApplyTexts(); }
  void LiveValuesChanged(const LiveValues& values) override {
    m_programCount = values.programCount;
  }

  QMainWindow& m_window;
  Session& m_session;
  std::function<UserPrompts&()> m_prompts;
  QAction* m_note = nullptr;
  QAction* m_sheet = nullptr;
  std::optional<std::uint16_t> m_programCount;  // from the unit's last monitor frame
};

// The first line of a note, at most `limit` characters, with "…" where more follows; for
// lists that give each set one line.
QString NoteSummary(const std::string& note, int limit = 40);

}  // namespace qm17
