// What the window adds about the unit: the list of what it holds otherwise after a failed Verify
// or Program, a Compare that reads its block without touching the window's set, and the Program
// button showing when the window's set is not what the unit is known to hold.

#include <QAction>
#include <QFont>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "app/main_window.h"
#include "app/user_prompts.h"
#include "files/atomic_file.h"
#include "files/history.h"
#include "params/differences.h"
#include "session/outcome_display.h"

namespace qm17 {

// The view of the Compare operation: a Read of the unit into a side image. Nothing it shows
// reaches the window's controls; live values still do, so that the display stays live.
class CompareView : public LinkView {
 public:
  explicit CompareView(MainWindow& window) : m_window(window) {}
  bool PrintLayout() const override { return false; }
  void ShowOutcome(const LinkOutcome& outcome) override { m_outcome = outcome; }
  void SetStatusVisible(bool) override {}
  void SetGaugeVisible(bool) override {}
  void SetGaugeProgress(int) override {}
  void SetNoConnectionVisible(bool) override {}
  void ShowLiveValues(const LiveValues& values) override { m_window.ShowLiveValues(values); }
  void ShowCurrentPoint(const CurrentPoint&) override {}
  void NormaliseAndShowImage() override {}
  const LinkOutcome& outcome() const { return m_outcome; }

 private:
  MainWindow& m_window;
  LinkOutcome m_outcome;
};

struct MainWindow::Comparison {
  explicit Comparison(MainWindow& window, SerialPort& port)
      : view(window), link(image, port, view) {}
  DeviceImage image{};
  CompareView view;
  DeviceLink link;
};

void MainWindow::BuildUnitItems() {
  MenuCompare = MenuDevice->addAction(QString());
  MenuCompare->setParent(this);
  MenuCompare->setObjectName(QStringLiteral("MenuCompare"));
  MenuDifferences = MenuDevice->addAction(QString());
  MenuDifferences->setParent(this);
  MenuDifferences->setObjectName(QStringLiteral("MenuDifferences"));
  MenuDifferences->setEnabled(false);  // until a Verify or Program found the unit otherwise
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
  const std::vector<std::string> paths = ListHistory(HistoryFolder());
  for (std::size_t i = 0; i < paths.size() && i < kShown; ++i) {
    const std::optional<std::string> content = ReadRegularFile(paths[i]);
    const std::optional<HistoryEntry> entry =
        content ? ReadHistoryFile(*content) : std::optional<HistoryEntry>();
    QString caption = QString::fromStdString(std::filesystem::path(paths[i]).filename().string());
    if (entry) {
      // "2026-12-09 03:04:05  program  SIM03 14. 3.2025 10:30  /path/file.ign"
      QString when = QString::fromStdString(entry->savedAt.substr(0, 19));
      caption =
          when.replace(u'T', u' ') + QStringLiteral("  ") +
          QString::fromStdString(entry->operation) + QStringLiteral("  ") +
          QString::fromStdString(entry->unitVersion + " " + entry->unitDate + " " + entry->unitTime)
              .simplified();
      if (!entry->file.empty())
        caption += QStringLiteral("  ") + QString::fromStdString(entry->file);
    }
    // A '&' in a file name is no shortcut.
    QAction* action = MenuHistory->addAction(caption.replace(u'&', QStringLiteral("&&")));
    const QString path = QString::fromStdString(paths[i]);
    connect(action, &QAction::triggered, this, [this, path] { OpenParameterFile(path); });
  }
  if (MenuHistory->isEmpty())
    MenuHistory->addAction(QString::fromUtf8(ExtraText(CurrentLanguage(), TextHistoryEmpty)))
        ->setEnabled(false);
}

void MainWindow::KeepSetInHistory(Operation operation) {
  HistoryEntry entry;
  entry.operation = operation == Operation::Read ? "read" : "program";
  entry.image = m_image;
  entry.unitVersion = m_link.identification().version;
  entry.unitDate = m_link.identification().date;
  entry.unitTime = m_link.identification().time;
  if (operation == Operation::Program) entry.file = m_fileName.toStdString();
  const std::string folder = HistoryFolder();
  if (KeepInHistory(folder, entry, std::chrono::system_clock::now()).empty()) {
    // The operation itself went well: said in passing, not in a box.
    StatusBar1->showMessage(QString::fromUtf8(ExtraText(CurrentLanguage(), TextHistoryNotKept)) +
                            u' ' + QString::fromStdString(folder));
  }
}

QString MainWindow::UnitDifferencesText(const DeviceImage& window, const DeviceImage& unit) const {
  const std::vector<Difference> differences = CompareParameterBlocks(window, unit);
  if (differences.empty()) return QString::fromUtf8(ExtraText(CurrentLanguage(), TextSameSets));
  QString text = QString::fromUtf8(ExtraText(CurrentLanguage(), TextUnitHoldsOtherwise));
  const ChangeWording wording = ChangeWordingFor(CurrentLanguage());
  for (const Difference& difference : differences)
    text += u'\n' + QString::fromStdString(FormatDifference(wording, difference));
  return text;
}

void MainWindow::NoteUnitAnswer(const LinkOutcome& outcome) {
  if (outcome.result == LinkResult::Started) m_startedOperation = outcome.operation;
  if (outcome.result == LinkResult::Succeeded &&
      (m_startedOperation == Operation::Read || m_startedOperation == Operation::Program))
    KeepSetInHistory(std::exchange(m_startedOperation, Operation::Idle));
  if (outcome.result != LinkResult::Failed || outcome.reason != FailureReason::BlockDiffers ||
      !m_link.LastUnitBlock())
    return;
  m_heldOtherwise = {m_image, m_image};
  std::copy(m_link.LastUnitBlock()->begin(), m_link.LastUnitBlock()->end(),
            m_heldOtherwise->second.begin() + image_byte::kParameterBlock);
  MenuDifferences->setEnabled(true);
  // One line in the status bar; the whole list stays a menu item away.
  QString line = UnitDifferencesText(m_heldOtherwise->first, m_heldOtherwise->second);
  line.replace(line.indexOf(u'\n'), 1, u' ');
  StatusBar1->showMessage(line.replace(u'\n', QStringLiteral("; ")));
}

void MainWindow::MenuDifferencesClick() {
  if (!m_heldOtherwise) return;
  Prompts().ShowMessage(this, UnitDifferencesText(m_heldOtherwise->first, m_heldOtherwise->second));
}

void MainWindow::MenuCompareClick() {
  if (m_comparison || m_link.operation() != Operation::Idle) return;  // one at a time
  m_comparison = std::make_shared<Comparison>(*this, m_serial);
  SetDefaultImage(m_comparison->image);
  m_comparison->link.StartRead();
}

bool MainWindow::TickComparison() {
  if (!m_comparison) return false;
  DeviceLink& link = m_comparison->link;
  link.Tick();
  if (link.operation() != Operation::Idle) return true;
  const std::shared_ptr<Comparison> done = std::move(m_comparison);
  if (!link.LastUnitBlock()) {
    const LinkOutcome outcome = done->view.outcome();
    // A version mismatch has its own message; anything else is a Read that got no block.
    ShowOutcome(outcome.reason == FailureReason::VersionMismatch
                    ? outcome
                    : LinkOutcome{Operation::Read, LinkResult::Failed, FailureReason::NoAnswer});
    return true;
  }
  DeviceImage unit = m_image;
  std::copy(link.LastUnitBlock()->begin(), link.LastUnitBlock()->end(),
            unit.begin() + image_byte::kParameterBlock);
  SetUnitBlock(*link.LastUnitBlock());
  Prompts().ShowMessage(this, UnitDifferencesText(m_image, unit));
  return true;
}

void MainWindow::ShowUnitMismatch() {
  if (!BitBtn1) return;
  bool differs = false;
  if (m_unitBlock)
    differs = !std::equal(m_unitBlock->begin(), m_unitBlock->end(),
                          m_image.begin() + image_byte::kParameterBlock);
  if (BitBtn1->font().bold() == differs) return;
  QFont font = BitBtn1->font();
  font.setBold(differs);
  BitBtn1->setFont(font);
}

}  // namespace qm17
