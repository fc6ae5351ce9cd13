// What the window adds about the unit: the list of what it (or a file just opened) holds
// otherwise, Compare, the parameter history, and the Program button showing when the window's
// set is not what the unit is known to hold.

#include <QAction>
#include <QFont>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "app/curve_view.h"
#include "app/local_path.h"
#include "app/main_window.h"
#include "app/note_sheet_items.h"
#include "app/user_prompts.h"
#include "files/history.h"

namespace qm17 {

void MainWindow::BuildUnitItems() {
  MenuCompare = MenuDevice->addAction(QString());
  MenuCompare->setParent(this);
  MenuCompare->setObjectName(QStringLiteral("MenuCompare"));
  MenuDifferences = MenuDevice->addAction(QString());
  MenuDifferences->setParent(this);
  MenuDifferences->setObjectName(QStringLiteral("MenuDifferences"));
  MenuDifferences->setEnabled(false);  // until a unit or a file is found to hold otherwise
  connect(MenuCompare, &QAction::triggered, this, &MainWindow::MenuCompareClick);
  connect(MenuDifferences, &QAction::triggered, this, &MainWindow::MenuDifferencesClick);

  // File > History goes after Print, before the separator above Exit.
  MenuHistory = new QMenu(this);
  MenuHistory->setObjectName(QStringLiteral("MenuHistory"));
  MenuHistory->menuAction()->setObjectName(QStringLiteral("MenuHistoryItem"));
  const QList<QAction*> items = MenuFile->actions();
  const qsizetype exit = items.indexOf(MenuExit);
  QAction* before = exit > 0 && items[exit - 1]->isSeparator() ? items[exit - 1] : MenuExit;
  MenuFile->insertMenu(before, MenuHistory);
  m_noteSheet = new NoteSheetItems(*this, m_session, *MenuFile, MenuHistory->menuAction(),
                                   [this]() -> UserPrompts& { return Prompts(); });
  connect(MenuHistory, &QMenu::aboutToShow, this, &MainWindow::FillHistoryMenu);
}

void MainWindow::ApplyUnitTexts() {
  if (!MenuCompare) return;
  MenuCompare->setText(QString::fromUtf8(ExtraText(CurrentLanguage(), TextCompareItem)));
  MenuDifferences->setText(QString::fromUtf8(ExtraText(CurrentLanguage(), TextDifferencesItem)));
  MenuHistory->setTitle(QString::fromUtf8(ExtraText(CurrentLanguage(), TextHistoryItem)));
}

void MainWindow::FillHistoryMenu() {
  // Read afresh each time: qm17ctl keeps sets in the same folder.
  constexpr std::size_t kShown = 20;
  MenuHistory->clear();
  for (const auto& [file, entry] : ListHistoryEntries(m_session.Places().historyFolder, kShown)) {
    // Names are the file system's bytes, which need not be UTF-8.
    QString caption = FromLocalPath(std::filesystem::path(file).filename().string());
    if (entry) {
      // "2026-12-09 03:04:05  program  SIM03 14. 3.2025 10:30  /path/file.ign"
      QString when = QString::fromStdString(entry->savedAt.substr(0, 19));
      caption =
          when.replace(u'T', u' ') + QStringLiteral("  ") +
          QString::fromStdString(entry->operation) + QStringLiteral("  ") +
          QString::fromStdString(entry->unitVersion + " " + entry->unitDate + " " + entry->unitTime)
              .simplified();
      if (!entry->file.empty()) caption += QStringLiteral("  ") + FromLocalPath(entry->file);
      if (!entry->note.empty()) caption += QStringLiteral("  — ") + NoteSummary(entry->note);
    }
    // A '&' in a file name is no shortcut.
    QAction* action = MenuHistory->addAction(caption.replace(u'&', QStringLiteral("&&")));
    const QString path = FromLocalPath(file);
    connect(action, &QAction::triggered, this,
            [this, path] { m_session.OpenHistoryEntry(LocalPath(path)); });
  }
  if (MenuHistory->isEmpty())
    MenuHistory->addAction(QString::fromUtf8(ExtraText(CurrentLanguage(), TextHistoryEmpty)))
        ->setEnabled(false);
}

void MainWindow::DifferencesChanged() {
  MenuDifferences->setEnabled(m_session.Held().has_value());
}

void MainWindow::MenuDifferencesClick() {
  if (const auto& held = m_session.Held())
    Prompts().ShowMessage(this, QString::fromStdString(m_session.DifferencesText(*held)));
}

void MainWindow::MenuCompareClick() {
  m_session.Compare();
}

void MainWindow::UnitBlockChanged() {
  ShowUnitMismatch();
}

void MainWindow::ShowUnitMismatch() {
  if (!BitBtn1) return;
  const bool differs = m_session.DiffersFromUnit();
  if (BitBtn1->font().bold() == differs) return;
  QFont font = BitBtn1->font();
  font.setBold(differs);
  BitBtn1->setFont(font);
}

}  // namespace qm17
