// The real window against the simulated unit over a pseudo-terminal: the Device and Com menus,
// the status texts, the live display, and a unit that vanishes. Offscreen, with the real 55 ms
// timer; every wait is bounded, and waits for quiet are counted in the window's own ticks.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/port_dialog.h"
#include "common/cpu_seconds.h"
#include "common/known_answers.h"
#include "common/qt_gtest.h"
#include "common/recording_prompts.h"
#include "common/settings_folder.h"
#include "files/atomic_file.h"
#include "files/history.h"
#include "params/device_image.h"
#include "process_harness.h"

namespace qm17 {
namespace {

constexpr int kOperationMs = 15000;  // a failing operation takes about 1.1 s per frame

// A unit on a link of its own and a window that polls it. The fixture holds one; a test may
// run several side by side, step by step, as most of each one's time is spent waiting.
class UnitWindow {
 public:
  explicit UnitWindow(QString link) : m_link(std::move(link)) {}

  // The unit on the link, with a memory that outlives a restart; a running one is killed.
  bool StartUnit(std::vector<std::string> options = {}) {
    m_unit.reset();
    options.insert(options.end(), {"--link", m_link.toStdString()});
    m_unit.emplace(QM17_SIM_PATH, m_state, std::move(options));
    return m_unit->started();
  }
  // Gone at once, as a pulled adapter: no clean-up of its own.
  void KillUnit() { m_unit->Stop(SIGKILL); }
  QByteArray UnitBlock() const {
    const auto block = m_unit->ParameterBlock();
    return QByteArray(reinterpret_cast<const char*>(block.data()),
                      static_cast<qsizetype>(block.size()));
  }
  // The window as the settings file now stands.
  void OpenWindow() {
    m_prompts = std::make_shared<test::RecordingPrompts>();
    m_window = std::make_unique<MainWindow>();
    m_window->SetPrompts(m_prompts);
    m_window->FormCreate({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    m_window->show();
  }
  const QString& LinkPath() const { return m_link; }
  const test::RecordingPrompts& Prompts() const { return *m_prompts; }
  MainWindow& Window() { return *m_window; }

  template <typename T>
  T* Find(const QString& name) const {
    return m_window->findChild<T*>(name);
  }
  QTimer* Timer() const { return Find<QTimer>(QStringLiteral("Timer1")); }
  QString Status() const { return Find<QLabel>(QStringLiteral("LabelHlaseni"))->text(); }
  bool StatusIsRed() const {
    return Find<QLabel>(QStringLiteral("LabelHlaseni"))->palette().color(QPalette::Window) ==
           QColor(Qt::red);
  }
  bool NoConnection() const { return !Find<QLabel>(QStringLiteral("LabelSpojeni"))->isHidden(); }
  bool Connected() const {
    return !NoConnection() && QRegularExpression(QStringLiteral("^RPM = \\d+ $"))
                                  .match(Find<QLabel>(QStringLiteral("LabelRpm"))->text())
                                  .hasMatch();
  }
  void Trigger(const QString& action) { Find<QAction>(action)->trigger(); }
  QByteArray WindowBlock() const {
    const DeviceImage& image = std::as_const(*m_window).Image();
    return QByteArray(reinterpret_cast<const char*>(image.data()) + 50, 50);
  }
  // Parameters the unit does not hold yet, so that a stored block proves a transfer: typed
  // and applied with Enter, as a user does.
  void ChangeParameters(int retard, int baseAdvance) {
    for (const auto& [box, value] :
         {std::pair{"EditRetard", retard}, {"EditBaseAdv", baseAdvance}}) {
      auto* edit = Find<QLineEdit>(QString::fromLatin1(box));
      edit->setText(QString::number(value));
      QTest::keyClick(edit, Qt::Key_Return);
    }
  }
  // The operation has ended when the status shows its outcome.
  bool Finished() const { return Status().endsWith(QStringLiteral(" OK")) || StatusIsRed(); }
  // Lets `count` of the window's ticks pass.
  bool WaitTicks(int count) {
    int ticks = 0;
    QObject scope;
    QObject::connect(Timer(), &QTimer::timeout, &scope, [&ticks] { ++ticks; });
    return QTest::qWaitFor([&ticks, count] { return ticks >= count; }, 5000 + 200 * count);
  }

 protected:
  QString m_link;
  e2e::TempDir m_state;
  std::optional<e2e::Simulator> m_unit;
  std::shared_ptr<test::RecordingPrompts> m_prompts;
  std::unique_ptr<MainWindow> m_window;
};

// The settings folder comes first, so that the fixture's window can be given a path in it.
struct SettingsHome {
  test::SettingsFolder m_dir;
};

// A window whose COM1 is the simulator's link and COM2 a device that does not exist.
class WindowLink : public ::testing::Test, protected SettingsHome, protected UnitWindow {
 protected:
  WindowLink() : UnitWindow(m_dir.filePath(QStringLiteral("unit"))) {}

  void OpenWindow(int comPort = 1) {
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(
        m_dir.WriteSettings(QStringLiteral("[FORM_HLAV]\r\nComPort=%1\r\nLanguage=1\r\n"
                                           "[PORTS]\r\nCOM1=%2\r\nCOM2=%3\r\n")
                                .arg(comPort)
                                .arg(LinkPath(), m_dir.filePath(QStringLiteral("no-such-port")))
                                .toLocal8Bit()));
    UnitWindow::OpenWindow();
  }
  static bool WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
  }
};

// Windows side by side, one per case, each on a unit of its own at Com 1, 2, ...: each step
// waits for all of them, so that the cases cost the time of the slowest, not of them all.
class SideBySide {
 public:
  SideBySide(const test::SettingsFolder& dir, QStringList names)
      : m_dir(dir), m_names(std::move(names)) {
    for (qsizetype k = 0; k < m_names.size(); ++k)
      m_windows.push_back(
          std::make_unique<UnitWindow>(dir.filePath(QStringLiteral("unit%1").arg(k))));
  }
  int size() const { return static_cast<int>(m_windows.size()); }
  UnitWindow& operator[](int k) { return *m_windows[std::size_t(k)]; }
  std::string Name(int k) const { return m_names.at(k).toStdString(); }
  QString ComAction(int k) const { return QStringLiteral("MenuCom%1").arg(k + 1); }

  // Each window opens on its own Com number; the settings name every unit's link.
  ::testing::AssertionResult OpenWindows() {
    QString ports;
    for (int k = 0; k < size(); ++k)
      ports += QStringLiteral("COM%1=%2\r\n").arg(k + 1).arg((*this)[k].LinkPath());
    for (int k = 0; k < size(); ++k) {
      if (!m_dir.WriteSettings(
              QStringLiteral("[FORM_HLAV]\r\nComPort=%1\r\nLanguage=1\r\n[PORTS]\r\n%2")
                  .arg(k + 1)
                  .arg(ports)
                  .toLocal8Bit()))
        return ::testing::AssertionFailure() << "settings not written";
      (*this)[k].OpenWindow();
    }
    return ::testing::AssertionSuccess();
  }
  // Until `condition(k, window)` holds for every case; a failure names those still waiting.
  template <typename Condition>
  ::testing::AssertionResult WaitForEach(Condition condition, int ms) {
    const auto pending = [&] {
      std::string names;
      for (int k = 0; k < size(); ++k) {
        if (!condition(k, (*this)[k])) names += " " + Name(k);
      }
      return names;
    };
    if (QTest::qWaitFor([&] { return pending().empty(); }, ms))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "still waiting in" << pending();
  }
  // Lets `count` ticks pass in every window.
  ::testing::AssertionResult WaitTicks(int count) {
    std::vector<int> ticks(m_windows.size(), 0);
    QObject scope;
    for (int k = 0; k < size(); ++k) {
      QObject::connect((*this)[k].Timer(), &QTimer::timeout, &scope,
                       [&ticks, k] { ++ticks[std::size_t(k)]; });
    }
    return WaitForEach([&](int k, UnitWindow&) { return ticks[std::size_t(k)] >= count; },
                       5000 + 200 * count);
  }

 private:
  const test::SettingsFolder& m_dir;
  QStringList m_names;
  std::vector<std::unique_ptr<UnitWindow>> m_windows;
};

struct Operation {
  const char* name;  // the test's name for it
  const char* action;
  QStringList texts;  // status texts, in the order seen
};

// The names of a test's cases, for SideBySide.
template <typename Case, std::size_t N>
QStringList NamesOf(const Case (&cases)[N]) {
  QStringList names;
  for (const Case& c : cases) names << QString::fromLatin1(c.name);
  return names;
}

// Each case's unit started with `options` and its window opened, parameters the unit does not
// hold typed, and the case's operation begun; `before` gets what each unit held.
template <std::size_t N>
::testing::AssertionResult BeginEach(SideBySide& windows, const Operation (&cases)[N],
                                     const std::vector<std::string>& options,
                                     std::vector<QByteArray>& before) {
  for (int k = 0; k < windows.size(); ++k) {
    if (!windows[k].StartUnit(options)) return ::testing::AssertionFailure() << "no unit";
  }
  if (::testing::AssertionResult opened = windows.OpenWindows(); !opened) return opened;
  for (int k = 0; k < windows.size(); ++k) {
    windows[k].ChangeParameters(9, 13);
    before.push_back(windows[k].UnitBlock());
    windows[k].Trigger(QString::fromLatin1(cases[k].action));
  }
  return ::testing::AssertionSuccess();
}

// Program, and Verify and Read after a Program, side by side, each on a unit of its own.
TEST_F(WindowLink, AnOperationOnAGoodUnitSucceedsAndTheUnitHoldsTheWindowsBlock) {
  const Operation cases[] = {
      {"Program", "MenuProgram", {"Program device:", "Verify:", "Verify: OK"}},
      {"VerifyAfterProgram", "MenuVerify", {"Verify: OK"}},
      {"ReadAfterProgram", "MenuRead", {"Verify: OK"}}};
  SideBySide windows(m_dir, NamesOf(cases));
  const auto is = [&](int k, const char* action) { return qstrcmp(cases[k].action, action) == 0; };
  for (int k = 0; k < windows.size(); ++k) ASSERT_TRUE(windows[k].StartUnit());
  ASSERT_TRUE(windows.OpenWindows());
  ASSERT_TRUE(windows.WaitForEach([](int, UnitWindow& w) { return w.Connected(); }, 5000));
  // A set from a file, so that there is a file name for Read to drop.
  const QString file = m_dir.filePath(QStringLiteral("some.ign"));
  ASSERT_TRUE(WriteFile(file, test::kDefaultParameterFile));
  for (int k = 0; k < windows.size(); ++k) {
    ASSERT_EQ(windows[k].Window().RunSession().Open(file.toStdString()), OpenResult::Opened);
    windows[k].ChangeParameters(9, 13);
    if (!is(k, "MenuProgram")) windows[k].Trigger(QStringLiteral("MenuProgram"));
  }
  ASSERT_TRUE(windows.WaitForEach(
      [&](int k, UnitWindow& w) {
        return is(k, "MenuProgram") || w.Status() == QStringLiteral("Verify: OK");
      },
      kOperationMs));
  // Read must bring back what the unit holds.
  for (int k = 0; k < windows.size(); ++k) {
    if (is(k, "MenuRead")) windows[k].ChangeParameters(3, 20);
  }
  std::vector<QStringList> seen(std::size(cases));
  const auto record = [&] {
    for (int k = 0; k < windows.size(); ++k) {
      const auto* status = windows[k].Find<QLabel>(QStringLiteral("LabelHlaseni"));
      QStringList& texts = seen[std::size_t(k)];
      if (!status->isHidden() && (texts.isEmpty() || texts.last() != status->text()))
        texts << status->text();
    }
  };
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, record);
  watcher.start(5);
  for (int k = 0; k < windows.size(); ++k) windows[k].Trigger(QString::fromLatin1(cases[k].action));
  record();
  ASSERT_TRUE(windows.WaitForEach([](int, UnitWindow& w) { return w.Finished(); }, kOperationMs));
  record();
  for (int k = 0; k < windows.size(); ++k) {
    SCOPED_TRACE(windows.Name(k));
    UnitWindow& w = windows[k];
    EXPECT_EQ(w.Status(), QStringLiteral("Verify: OK"));
    EXPECT_FALSE(w.StatusIsRed());
    EXPECT_TRUE(w.Find<QProgressBar>(QStringLiteral("CGauge"))->isHidden());
    for (const QString& text : cases[k].texts)
      EXPECT_TRUE(seen[std::size_t(k)].contains(text)) << seen[std::size_t(k)].join('|');
    EXPECT_EQ(w.UnitBlock(), w.WindowBlock());
    EXPECT_EQ(w.WindowBlock().at(image_byte::kRetard - 50), char(9));
    EXPECT_EQ(w.WindowBlock().at(image_byte::kBaseAdvance - 50), char(13));
    // Read takes the parameters from the unit, so the file name no longer applies.
    EXPECT_EQ(w.Find<QLabel>(QStringLiteral("LabelFile2"))->text().isEmpty(), is(k, "MenuRead"));
    EXPECT_EQ(w.Window().RunSession().FileName().empty(), is(k, "MenuRead"));
    // The unit's firmware identification is shown once block 0 has been seen.
    if (!is(k, "MenuVerify")) {
      EXPECT_FALSE(w.Find<QLabel>(QStringLiteral("LabelVerze1"))->text().isEmpty());
    }
    EXPECT_TRUE(w.Prompts().messages.isEmpty());
  }
}

// Program, Verify and Read side by side, each against a unit that never answers.
TEST_F(WindowLink, AnOperationOnASilentUnitFailsWithARedText) {
  const Operation cases[] = {{"Program", "MenuProgram", {"Program error!"}},
                             {"Verify", "MenuVerify", {"Verify error!"}},
                             {"Read", "MenuRead", {"Read error!"}}};
  SideBySide windows(m_dir, NamesOf(cases));
  std::vector<QByteArray> before;
  ASSERT_TRUE(BeginEach(windows, cases, {"--silent"}, before));
  ASSERT_TRUE(windows.WaitForEach([](int, UnitWindow& w) { return w.Finished(); }, kOperationMs));
  for (int k = 0; k < windows.size(); ++k) {
    SCOPED_TRACE(windows.Name(k));
    EXPECT_EQ(windows[k].Status(), cases[k].texts.first());
    EXPECT_TRUE(windows[k].StatusIsRed());
    EXPECT_TRUE(windows[k].Prompts().messages.isEmpty());
    EXPECT_EQ(windows[k].UnitBlock(), before[std::size_t(k)]);
  }
}

// A unit that stores a changed block: its echo differs, and so does every later verify. What
// it holds otherwise is listed after the failed Program and by Compare, which leaves the
// window's set alone; the Program button is bold while the unit is known to differ.
TEST_F(WindowLink, AClampingUnitFailsProgramThenVerifyAndTheWindowListsWhatItHolds) {
  ASSERT_TRUE(StartUnit({"--clamp"}));
  OpenWindow();
  QM17_WAIT_FOR(Connected(), 5000);
  const auto* program = Find<QPushButton>(QStringLiteral("BitBtn1"));
  EXPECT_FALSE(Find<QAction>(QStringLiteral("MenuDifferences"))->isEnabled());
  Trigger(QStringLiteral("MenuProgram"));
  QM17_WAIT_FOR(Finished(), kOperationMs);
  EXPECT_EQ(Status(), QStringLiteral("Program error!"));
  EXPECT_NE(UnitBlock(), WindowBlock());
  const QString heading = QStringLiteral("The unit holds otherwise (window → unit):\n");
  const QString list = heading + QStringLiteral("Limiter: 15000 → 14900 [rpm]");
  Trigger(QStringLiteral("MenuDifferences"));
  EXPECT_EQ(m_prompts->messages, QStringList{list});
  EXPECT_TRUE(program->font().bold());  // the block the unit answered with is known
  const QByteArray before = WindowBlock();
  Trigger(QStringLiteral("MenuCompare"));
  QM17_WAIT_FOR(m_prompts->messages.size() == 2, kOperationMs);
  EXPECT_EQ(m_prompts->messages.last(), list);
  EXPECT_EQ(WindowBlock(), before);
  EXPECT_TRUE(program->font().bold());
  Trigger(QStringLiteral("MenuVerify"));
  QM17_WAIT_FOR(Status() == QStringLiteral("Verify:"), 2000);
  QM17_WAIT_FOR(Finished(), kOperationMs);
  EXPECT_EQ(Status(), QStringLiteral("Verify error!"));
  Trigger(QStringLiteral("MenuRead"));
  QM17_WAIT_FOR(Finished(), kOperationMs);
  EXPECT_EQ(Status(), QStringLiteral("Verify: OK"));
  EXPECT_FALSE(program->font().bold());
  ChangeParameters(3, 20);
  EXPECT_TRUE(program->font().bold());
}

// A Program and a Read that ended well are kept, a Verify is not; File > History opens one.
TEST_F(WindowLink, ReadAndProgramAreKeptAndOpenFromTheHistory) {
  ASSERT_TRUE(StartUnit());
  OpenWindow();
  QM17_WAIT_FOR(Connected(), 5000);
  ChangeParameters(9, 13);
  const QByteArray programmed = WindowBlock();
  for (const char* operation : {"MenuProgram", "MenuVerify", "MenuRead"}) {
    Trigger(QString::fromLatin1(operation));
    QM17_WAIT_FOR(Status() == QStringLiteral("Verify:"), kOperationMs);
    QM17_WAIT_FOR(Finished(), kOperationMs);
    EXPECT_EQ(Status(), QStringLiteral("Verify: OK"));
  }
  // The last set waits for the unit's programming count, a poll away.
  QM17_WAIT_FOR(!m_window->RunSession().HistoryPending(), kOperationMs);
  const std::vector<std::string> files = ListHistory(m_window->RunSession().Places().historyFolder);
  ASSERT_FALSE(files.empty());
  const auto newest = ReadHistoryFile(ReadRegularFile(files.front()).value_or(""));
  ASSERT_TRUE(newest && newest->programCount.has_value());
  auto* history = Find<QMenu>(QStringLiteral("MenuHistory"));
  QMetaObject::invokeMethod(history, "aboutToShow");
  const QList<QAction*> kept = history->actions();
  ASSERT_EQ(kept.size(), 2);
  EXPECT_TRUE(kept[0]->text().contains("  read  SIM03")) << kept[0]->text();
  EXPECT_TRUE(kept[1]->text().contains("  program  SIM03")) << kept[1]->text();
  ChangeParameters(3, 20);
  kept[1]->trigger();
  EXPECT_EQ(WindowBlock(), programmed);
  EXPECT_TRUE(Find<QLabel>(QStringLiteral("LabelFile2"))->text().endsWith("-program.ign"));
  EXPECT_TRUE(m_prompts->messages.isEmpty());
}

// Program and Read side by side, each on a unit of another firmware.
TEST_F(WindowLink, AnOperationOnAWrongFirmwareStopsWithAMessage) {
  const Operation cases[] = {{"Program", "MenuProgram", {"Program device:"}},
                             {"Read", "MenuRead", {"Read:"}}};
  SideBySide windows(m_dir, NamesOf(cases));
  std::vector<QByteArray> before;
  ASSERT_TRUE(BeginEach(windows, cases, {"--compat", "25"}, before));
  ASSERT_TRUE(windows.WaitForEach(
      [](int, UnitWindow& w) { return w.Prompts().messages.size() == 1; }, kOperationMs));
  for (int k = 0; k < windows.size(); ++k) {
    SCOPED_TRACE(windows.Name(k));
    UnitWindow& w = windows[k];
    // The message as it stands, and beneath it the unit's code beside the one needed.
    EXPECT_EQ(w.Prompts().messages.first().section(u'\n', 0, 0),
              QStringLiteral("Unmatched version of PC and Ignition programs!"));
    EXPECT_TRUE(w.Prompts().messages.first().contains(
        QStringLiteral("compatibility code 25; this program works with code 26")));
    // The operation ends there: nothing written, the status keeps the operation's name.
    EXPECT_EQ(w.Status(), cases[k].texts.first());
    EXPECT_FALSE(w.StatusIsRed());
    EXPECT_FALSE(w.Find<QLabel>(QStringLiteral("LabelVerze1"))->text().isEmpty());
  }
  // Long enough for a re-send and a poll to have gone out.
  ASSERT_TRUE(windows.WaitTicks(2 * timing::kTicksPerPoll));
  for (int k = 0; k < windows.size(); ++k) {
    SCOPED_TRACE(windows.Name(k));
    UnitWindow& w = windows[k];
    EXPECT_EQ(w.Status(), cases[k].texts.first());
    EXPECT_EQ(w.Prompts().messages.size(), 1);
    EXPECT_EQ(w.UnitBlock(), before[std::size_t(k)]);
    EXPECT_EQ(w.WindowBlock().at(image_byte::kRetard - 50), char(9));
  }
}

// Three kinds of damage side by side, each line with a seed of its own.
TEST_F(WindowLink, ABadLineNeverReportsOkForABlockTheUnitLacks) {
  const std::vector<std::string> faults[] = {{"--corrupt", "0.3", "--seed", "3"},
                                             {"--junk", "0.3", "--seed", "5"},
                                             {"--corrupt", "0.2", "--junk", "0.2", "--seed", "7"}};
  SideBySide windows(m_dir, {"Corrupt", "Junk", "Both"});
  for (int k = 0; k < windows.size(); ++k) ASSERT_TRUE(windows[k].StartUnit(faults[k]));
  ASSERT_TRUE(windows.OpenWindows());
  std::vector<int> successes(std::size(faults), 0);
  for (int round = 0; round < 3; ++round) {
    for (int k = 0; k < windows.size(); ++k) {
      windows[k].ChangeParameters(5 + round, 10 + round);
      windows[k].Trigger(round == 1 ? QStringLiteral("MenuVerify") : QStringLiteral("MenuProgram"));
    }
    ASSERT_TRUE(windows.WaitForEach([](int, UnitWindow& w) { return !w.Finished(); }, 2000));
    ASSERT_TRUE(
        windows.WaitForEach([](int, UnitWindow& w) { return w.Finished(); }, 2 * kOperationMs));
    for (int k = 0; k < windows.size(); ++k) {
      SCOPED_TRACE(windows.Name(k) + " round " + std::to_string(round));
      if (windows[k].Status().endsWith(QStringLiteral(" OK"))) {
        ++successes[std::size_t(k)];
        EXPECT_EQ(windows[k].UnitBlock(), windows[k].WindowBlock());
      } else {
        EXPECT_TRUE(windows[k].StatusIsRed());
      }
    }
  }
  // Retries carry most operations through such a line.
  for (int k = 0; k < windows.size(); ++k)
    EXPECT_GE(successes[std::size_t(k)], 1) << windows.Name(k);
}

TEST_F(WindowLink, TheLiveDisplayFollowsTheUnit) {
  ASSERT_TRUE(StartUnit());
  OpenWindow();
  QM17_WAIT_FOR(Connected(), 5000);
  const auto text = [this](const char* label) {
    return Find<QLabel>(QString::fromLatin1(label))->text();
  };
  EXPECT_TRUE(text("LabelNapeti").startsWith(QStringLiteral("U = ")));
  EXPECT_TRUE(text("LabelNapeti").endsWith(QStringLiteral(" [V]")));
  EXPECT_TRUE(text("LabelAdvance").startsWith(QStringLiteral("ADVANCE=  ")))
      << text("LabelAdvance");
  EXPECT_TRUE(text("LabelMonOmez1").startsWith(QStringLiteral("Start limiter - ")));
  EXPECT_TRUE(text("LabelPocetProgramovani").startsWith(QStringLiteral("Number of Programing= ")));
  // The engine sweeps through the curve: sooner or later one row is the current one, and
  // never more than one.
  const auto limeRows = [this] {
    int rows = 0;
    for (int k = 1; k <= 15; ++k) {
      const QColor rpm =
          Find<QLineEdit>(QStringLiteral("EditRpmAdv%1").arg(k))->palette().color(QPalette::Base);
      const QColor adv =
          Find<QLineEdit>(QStringLiteral("EditAdvance%1").arg(k))->palette().color(QPalette::Base);
      if (rpm != adv) return -1;
      if (rpm == QColor(0, 255, 0)) ++rows;
    }
    return rows;
  };
  QM17_WAIT_FOR(limeRows() == 1, 20000);
  EXPECT_GT(Find<QProgressBar>(QStringLiteral("CGaugeRpm"))->value(), 0);
}

TEST_F(WindowLink, TheTickIsAPreciseTimer) {
  // A coarse timer fires up to 5 % early and shortens every time-out; the mean poll period
  // this gives is measured by scripts/measure, not here.
  ASSERT_TRUE(StartUnit());
  OpenWindow();
  EXPECT_TRUE(Timer()->isActive());
  EXPECT_EQ(Timer()->interval(), timing::kTickMs);
  EXPECT_EQ(Timer()->timerType(), Qt::PreciseTimer);
}

TEST_F(WindowLink, ComMenuOpensChecksAndReportsFailures) {
  ASSERT_TRUE(StartUnit());
  OpenWindow();
  QM17_WAIT_FOR(Connected(), 5000);
  const auto checked = [this] {
    QStringList names;
    for (int k = 1; k <= 10; ++k) {
      if (Find<QAction>(QStringLiteral("MenuCom%1").arg(k))->isChecked())
        names << QStringLiteral("MenuCom%1").arg(k);
    }
    return names;
  };
  EXPECT_EQ(checked(), QStringList{"MenuCom1"});
  EXPECT_TRUE(m_prompts->messages.isEmpty());

  struct Step {
    const char* item;
    int messages;  // message boxes seen so far
    bool connected;
  };
  const Step steps[] = {{"MenuCom2", 1, false},
                        {"MenuCom2", 2, false},  // the checked item again: a new attempt
                        {"MenuCom1", 2, true},
                        {"MenuCom1", 2, true}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.item);
    Trigger(QString::fromLatin1(step.item));
    EXPECT_EQ(checked(), QStringList{QString::fromLatin1(step.item)});
    EXPECT_EQ(m_prompts->messages.size(), step.messages);
    if (step.connected) {
      QM17_WAIT_FOR(Connected(), 5000);
    } else {
      QM17_WAIT_FOR(NoConnection(), 5000);
    }
  }
  EXPECT_TRUE(m_prompts->messages.first().startsWith(QStringLiteral("Com opening error!\n")));
  EXPECT_EQ(m_window->ComPortNumber(), 1);
}

TEST_F(WindowLink, APortNumberOutsideTheMenuOpensNothingAndSaysNothing) {
  ASSERT_TRUE(StartUnit());
  OpenWindow(0);
  EXPECT_EQ(m_window->ComPortNumber(), 0);
  EXPECT_TRUE(m_prompts->messages.isEmpty());
  QM17_WAIT_FOR(NoConnection(), 5000);
  for (int k = 1; k <= 10; ++k)
    EXPECT_FALSE(Find<QAction>(QStringLiteral("MenuCom%1").arg(k))->isChecked()) << k;
}

// When the unit goes: between polls, or at a moment of an operation.
enum class Vanish {
  WhilePolling,
  BeforeFirstFrame,
  AwaitingFirstAnswer,  // the first request is on the line, its answer not yet
  AfterBlock0,
  InVerifyStep,  // the closing read of the parameter block is on the line
};

struct Vanishing {
  const char* name;
  const char* action;  // none while polling
  Vanish when;
};

// Every moment at once, side by side.
class VanishingUnit : public WindowLink {};

TEST_F(VanishingUnit, LeavesTheWindowCalmAndComesBack) {
  const Vanishing cases[] = {
      {"WhilePolling", "", Vanish::WhilePolling},
      {"ReadBeforeItsFirstFrame", "MenuRead", Vanish::BeforeFirstFrame},
      {"ReadAfterBlock0", "MenuRead", Vanish::AfterBlock0},
      {"ReadInItsVerifyStep", "MenuRead", Vanish::InVerifyStep},
      {"VerifyBeforeItsFrame", "MenuVerify", Vanish::BeforeFirstFrame},
      {"VerifyAwaitingItsAnswer", "MenuVerify", Vanish::AwaitingFirstAnswer},
      {"ProgramBeforeItsFirstFrame", "MenuProgram", Vanish::BeforeFirstFrame},
      {"ProgramAfterBlock0", "MenuProgram", Vanish::AfterBlock0},
      {"ProgramInItsVerifyStep", "MenuProgram", Vanish::InVerifyStep},
  };
  SideBySide windows(m_dir, NamesOf(cases));
  for (int k = 0; k < windows.size(); ++k) {
    const Vanish when = cases[k].when;
    // A slow unit leaves room to vanish between a request and its answer; still well within
    // the four ticks before a re-send, whose late answers could pass for the awaited one.
    const bool slow = when == Vanish::AwaitingFirstAnswer || when == Vanish::InVerifyStep;
    ASSERT_TRUE(windows[k].StartUnit(slow ? std::vector<std::string>{"--delay", "100"}
                                          : std::vector<std::string>{}));
  }
  ASSERT_TRUE(windows.OpenWindows());
  ASSERT_TRUE(windows.WaitForEach([](int, UnitWindow& w) { return w.Connected(); }, 5000));

  // Looked at right after each tick (connected after the window's own handler), so that no
  // state is missed however busy the machine: the gauge shows 1 for a single tick, the first
  // request has just gone out, and a slow unit answers the verify step's request a few ticks
  // after the status names it. The scope object ends the connections.
  std::vector<bool> armed(std::size(cases), false);
  {
    QObject scope;
    for (int k = 0; k < windows.size(); ++k) {
      UnitWindow& w = windows[k];
      const Vanish when = cases[k].when;
      if (when == Vanish::WhilePolling) {
        w.KillUnit();
      } else if (when == Vanish::BeforeFirstFrame) {
        w.Trigger(QString::fromLatin1(cases[k].action));
        w.KillUnit();  // the first frame goes out on the next tick
      } else {
        armed[std::size_t(k)] = true;
        QObject::connect(w.Timer(), &QTimer::timeout, &scope, [&armed, &w, k, when] {
          if (armed[std::size_t(k)] &&
              (when == Vanish::AwaitingFirstAnswer ||
               (when == Vanish::AfterBlock0 &&
                w.Find<QProgressBar>(QStringLiteral("CGauge"))->value() == 1) ||
               (when == Vanish::InVerifyStep && w.Status() == QStringLiteral("Verify:")))) {
            armed[std::size_t(k)] = false;
            w.KillUnit();
          }
        });
        w.Trigger(QString::fromLatin1(cases[k].action));
      }
    }
    ASSERT_TRUE(windows.WaitForEach([&](int k, UnitWindow&) { return !armed[std::size_t(k)]; },
                                    kOperationMs));
  }

  ASSERT_TRUE(windows.WaitForEach([](int, UnitWindow& w) { return w.NoConnection(); }, 5000));
  ASSERT_TRUE(windows.WaitForEach(
      [&](int k, UnitWindow& w) { return cases[k].when == Vanish::WhilePolling || w.Finished(); },
      kOperationMs));
  for (int k = 0; k < windows.size(); ++k) {
    SCOPED_TRACE(windows.Name(k));
    EXPECT_TRUE(cases[k].when == Vanish::WhilePolling || windows[k].StatusIsRed());
  }
  // Calm: the timer keeps ticking and nothing is said (what it costs is a timing test's).
  ASSERT_TRUE(windows.WaitTicks(10));
  for (int k = 0; k < windows.size(); ++k) {
    SCOPED_TRACE(windows.Name(k));
    EXPECT_TRUE(windows[k].NoConnection());
    EXPECT_TRUE(windows[k].Prompts().messages.isEmpty());
    // The unit is back on the same path: picking the port again reconnects.
    ASSERT_TRUE(windows[k].StartUnit());
    windows[k].Trigger(windows.ComAction(k));
    EXPECT_TRUE(windows[k].Prompts().messages.isEmpty());
  }
  ASSERT_TRUE(windows.WaitForEach([](int, UnitWindow& w) { return w.Connected(); }, 5000));
  for (int k = 0; k < windows.size(); ++k) {
    windows[k].ChangeParameters(11, 17);
    windows[k].Trigger(QStringLiteral("MenuProgram"));
  }
  ASSERT_TRUE(windows.WaitForEach([](int, UnitWindow& w) { return w.Finished(); }, kOperationMs));
  for (int k = 0; k < windows.size(); ++k) {
    SCOPED_TRACE(windows.Name(k));
    EXPECT_EQ(windows[k].Status(), QStringLiteral("Verify: OK"));
    EXPECT_EQ(windows[k].UnitBlock(), windows[k].WindowBlock());
  }
}

TEST_F(WindowLink, AnAdapterAssignedInTheDialogIsStoredByItsStableNameAndOpened) {
  ASSERT_TRUE(StartUnit());
  OpenWindow(2);  // Com 2 names a device that is not there
  ASSERT_EQ(m_prompts->messages.size(), 1);
  EXPECT_TRUE(m_prompts->messages.first().endsWith(
      QStringLiteral("no-such-port: no such device: is the adapter plugged in?")))
      << m_prompts->messages.first();
  // The simulator's terminal plays the adapter, its link path the udev by-id name.
  SerialAdapter adapter;
  adapter.device = QFileInfo(LinkPath()).symLinkTarget().toStdString();
  adapter.stableName = LinkPath().toStdString();
  adapter.manufacturer = "FTDI";
  adapter.product = "FT232R USB UART";
  m_window->SetAdapterLister([adapter] { return std::vector<SerialAdapter>{adapter}; });
  int shown = 0;
  m_prompts->dialogAnswer = [&](QDialog& dialog) {
    auto& ports = static_cast<PortDialog&>(dialog);
    ++shown;
    if (!ports.SelectAdapter(adapter.device)) return false;
    ports.SelectComNumber(4);
    return true;
  };
  Trigger(QStringLiteral("MenuComAdapters"));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(m_window->ComPortNumber(), 4);
  EXPECT_TRUE(Find<QAction>(QStringLiteral("MenuCom4"))->isChecked());
  EXPECT_FALSE(Find<QAction>(QStringLiteral("MenuCom2"))->isChecked());
  QM17_WAIT_FOR(Connected(), 5000);
  EXPECT_EQ(m_prompts->messages.size(), 1);
  QFile ini(m_dir.SettingsPath());
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_TRUE(ini.readAll().contains(("COM4=" + LinkPath() + "\r\n").toLocal8Bit()));
  EXPECT_EQ(Find<QAction>(QStringLiteral("MenuCom4"))->statusTip(),
            QStringLiteral("Set com 4: %1 (FTDI FT232R USB UART)").arg(LinkPath()));
}

TEST_F(WindowLink, TheWindowAndTheCommandLineKeepOffEachOthersLine) {
  ASSERT_TRUE(StartUnit());
  OpenWindow();
  QM17_WAIT_FOR(Connected(), 5000);
  const std::string link = LinkPath().toStdString();
  const e2e::RunResult read = e2e::Run(QM17CTL_PATH, {"read", "--port", link}, {}, 10000);
  EXPECT_EQ(read.status, 3);
  EXPECT_NE(read.err.find(link + ": busy: in use by another program"), std::string::npos)
      << read.err;

  Trigger(QStringLiteral("MenuCom2"));  // the window lets go of the unit
  {
    e2e::Background monitor(QM17CTL_PATH, {"monitor", "--port", link});
    ASSERT_TRUE(monitor.WaitForOutput("\n", 5000));  // it holds the line now
    Trigger(QStringLiteral("MenuCom1"));
    EXPECT_TRUE(m_prompts->messages.last().endsWith(
        LinkPath() + QStringLiteral(": busy: in use by another program")))
        << m_prompts->messages.last();
    monitor.Signal(SIGTERM);
    EXPECT_NE(monitor.Finish(5000).status, -1);
  }
  Trigger(QStringLiteral("MenuCom1"));
  QM17_WAIT_FOR(Connected(), 5000);
}

TEST_F(WindowLink, ARestartedUnitIsPickedUpAgainWithoutTheUser) {
  ASSERT_TRUE(StartUnit());
  OpenWindow();
  QM17_WAIT_FOR(Connected(), 5000);
  KillUnit();
  QM17_WAIT_FOR(NoConnection(), 5000);
  // While the device is gone the window retries quietly, once per silent period.
  ASSERT_TRUE(WaitTicks(timing::kSilentTicks + 2));
  EXPECT_TRUE(NoConnection());
  ASSERT_TRUE(StartUnit());
  QM17_WAIT_FOR(Connected(), 10000);
  EXPECT_TRUE(m_prompts->messages.isEmpty());
  EXPECT_EQ(m_window->ComPortNumber(), 1);
}

// Costs in CPU time: run apart from the rest (label timing), on a quiet machine.
class WindowLinkTiming : public WindowLink {};

TEST_F(WindowLinkTiming, AWindowWhoseUnitIsGoneCostsNextToNothing) {
  ASSERT_TRUE(StartUnit());
  OpenWindow();
  QM17_WAIT_FOR(Connected(), 5000);
  KillUnit();
  QM17_WAIT_FOR(NoConnection(), 5000);
  int ticks = 0;
  QObject scope;
  QObject::connect(Timer(), &QTimer::timeout, &scope, [&ticks] { ++ticks; });
  const double before = test::CpuSeconds();
  QTest::qWait(2000);
  const double used = test::CpuSeconds() - before;
  EXPECT_LT(used, 0.3);
  EXPECT_GE(ticks, 10);
  EXPECT_TRUE(m_prompts->messages.isEmpty());
}

}  // namespace
}  // namespace qm17
