// The real window against the simulated unit over a pseudo-terminal: the Device and Com menus,
// the status texts, the live display, and a unit that vanishes. Offscreen, with the real 55 ms
// timer; every wait is bounded.

#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "app/port_dialog.h"
#include "common/cpu_seconds.h"
#include "common/recording_prompts.h"
#include "common/settings_folder.h"
#include "files/atomic_file.h"
#include "files/history.h"
#include "params/device_image.h"

namespace qm17 {
namespace {

constexpr int kOperationMs = 15000;  // a failing operation takes about 1.1 s per frame

using RecordingPrompts = test::RecordingPrompts;

// qm17-sim on a fresh pseudo-terminal reached through a fixed link path.
class Sim {
 public:
  Sim(QString link, QString state) : m_link(std::move(link)), m_state(std::move(state)) {}
  ~Sim() { Stop(); }

  bool Start(const QStringList& faults = {}) {
    Stop();
    m_process.setProgram(QStringLiteral(QM17_SIM_PATH));
    m_process.setArguments(QStringList{"--link", m_link, "--state", m_state} + faults);
    m_process.start();
    if (!m_process.waitForStarted(5000)) return false;
    // The path is printed once the link is in place.
    QElapsedTimer timer;
    timer.start();
    while (!m_process.canReadLine() && timer.elapsed() < 5000) m_process.waitForReadyRead(100);
    return m_process.canReadLine();
  }
  // Gone at once, as a pulled adapter: no clean-up of its own.
  void Kill() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.kill();
    m_process.waitForFinished(5000);
  }
  void Stop() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) Kill();
  }
  // The unit's parameter block as it last stored it.
  QByteArray ParameterBlock() const {
    QFile file(m_state);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().mid(50, 50);
  }

 private:
  QString m_link;
  QString m_state;
  QProcess m_process;
};

// When the unit goes: between polls, or at a moment of an operation.
enum class Vanish {
  WhilePolling,
  BeforeFirstFrame,
  AwaitingFirstAnswer,  // the first request is on the line, its answer not yet
  AfterBlock0,
  InVerifyStep,  // the closing read of the parameter block is on the line
};

using test::CpuSeconds;

}  // namespace

class WindowLinkTest : public QObject {
  Q_OBJECT

 private:
  // A window whose COM1 is the simulator's link and COM2 a device that does not exist.
  void OpenWindow(int comPort = 1) {
    QVERIFY(m_dir->isValid());
    QVERIFY(
        m_dir->WriteSettings(QStringLiteral("[FORM_HLAV]\r\nComPort=%1\r\nLanguage=1\r\n"
                                            "[PORTS]\r\nCOM1=%2\r\nCOM2=%3\r\n")
                                 .arg(comPort)
                                 .arg(LinkPath(), m_dir->filePath(QStringLiteral("no-such-port")))
                                 .toLocal8Bit()));
    m_prompts = std::make_shared<RecordingPrompts>();
    m_window = std::make_unique<MainWindow>();
    m_window->SetPrompts(m_prompts);
    m_window->FormCreate({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    m_window->show();
  }
  QString LinkPath() const { return m_dir->filePath(QStringLiteral("unit")); }
  Sim& Unit() { return *m_sim; }

  template <typename T>
  T* Find(const char* name) const {
    return m_window->findChild<T*>(QString::fromLatin1(name));
  }
  QString Status() const { return Find<QLabel>("LabelHlaseni")->text(); }
  bool StatusIsRed() const {
    return Find<QLabel>("LabelHlaseni")->palette().color(QPalette::Window) == QColor(Qt::red);
  }
  bool Connected() const {
    return Find<QLabel>("LabelSpojeni")->isHidden() &&
           QRegularExpression(QStringLiteral("^RPM = \\d+ $"))
               .match(Find<QLabel>("LabelRpm")->text())
               .hasMatch();
  }
  void Trigger(const char* action) { Find<QAction>(action)->trigger(); }
  QByteArray WindowBlock() const {
    const DeviceImage& image = m_window->Image();
    return QByteArray(reinterpret_cast<const char*>(image.data()) + 50, 50);
  }
  // Parameters the unit does not hold yet, so that a stored block proves a transfer.
  void ChangeParameters(std::uint8_t retard, std::uint8_t baseAdvance) {
    m_window->Image()[image_byte::kRetard] = retard;
    m_window->Image()[image_byte::kBaseAdvance] = baseAdvance;
    m_window->ShowImageInControls();
  }
  // The operation has ended when the status shows its outcome.
  bool Finished() const {
    const QString status = Status();
    return status.endsWith(QStringLiteral(" OK")) || StatusIsRed();
  }

 private slots:
  void init() {
    m_dir = std::make_unique<test::SettingsFolder>();
    m_sim = std::make_unique<Sim>(LinkPath(), m_dir->filePath(QStringLiteral("state")));
  }
  void cleanup() {
    m_window.reset();
    m_sim.reset();
    m_dir.reset();
  }

  void OperationsSucceedAndTheUnitHoldsTheWindowsBlock_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("texts");  // status texts in order
    QTest::newRow("program") << "MenuProgram"
                             << QStringList{"Program device:", "Verify:", "Verify: OK"};
    QTest::newRow("verify after program") << "MenuVerify" << QStringList{"Verify: OK"};
    QTest::newRow("read after program") << "MenuRead" << QStringList{"Verify: OK"};
  }
  void OperationsSucceedAndTheUnitHoldsTheWindowsBlock() {
    QFETCH(QString, operation);
    QFETCH(QStringList, texts);
    QVERIFY(Unit().Start());
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    ChangeParameters(9, 13);
    QStringList seen;
    QLabel* status = Find<QLabel>("LabelHlaseni");
    const auto record = [&] {
      if (!status->isHidden() && (seen.isEmpty() || seen.last() != status->text()))
        seen << status->text();
    };
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, record);
    if (operation != QLatin1String("MenuProgram")) {
      Trigger("MenuProgram");
      QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("Verify: OK"), kOperationMs);
      // Read must bring back what the unit holds.
      if (operation == QLatin1String("MenuRead")) ChangeParameters(3, 20);
    }
    Find<QLabel>("LabelFile2")->setText(QStringLiteral("some.ign"));
    watcher.start(5);
    Trigger(operation.toLatin1().constData());
    record();
    QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
    record();
    QCOMPARE(Status(), QStringLiteral("Verify: OK"));
    QVERIFY(!StatusIsRed());
    QVERIFY(Find<QProgressBar>("CGauge")->isHidden());
    for (const QString& text : texts) QVERIFY2(seen.contains(text), qPrintable(seen.join('|')));
    QCOMPARE(Unit().ParameterBlock(), WindowBlock());
    QCOMPARE(WindowBlock().at(image_byte::kRetard - 50), char(9));
    QCOMPARE(WindowBlock().at(image_byte::kBaseAdvance - 50), char(13));
    // Read takes the parameters from the unit, so the file name no longer applies.
    QCOMPARE(Find<QLabel>("LabelFile2")->text().isEmpty(), operation == "MenuRead");
    // The unit's firmware identification is shown once block 0 has been seen.
    if (operation != QLatin1String("MenuVerify"))
      QVERIFY(!Find<QLabel>("LabelVerze1")->text().isEmpty());
    QVERIFY(m_prompts->messages.isEmpty());
  }

  void ASilentUnitFailsWithRedTexts_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("text");
    QTest::newRow("program") << "MenuProgram"
                             << "Program error!";
    QTest::newRow("verify") << "MenuVerify"
                            << "Verify error!";
    QTest::newRow("read") << "MenuRead"
                          << "Read error!";
  }
  void ASilentUnitFailsWithRedTexts() {
    QFETCH(QString, operation);
    QFETCH(QString, text);
    QVERIFY(Unit().Start({"--silent"}));
    OpenWindow();
    ChangeParameters(9, 13);
    const QByteArray before = Unit().ParameterBlock();
    Trigger(operation.toLatin1().constData());
    QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
    QCOMPARE(Status(), text);
    QVERIFY(StatusIsRed());
    QVERIFY(m_prompts->messages.isEmpty());
    QCOMPARE(Unit().ParameterBlock(), before);
  }

  // The unit stores a changed block: its echo differs, and so does every later verify.
  void AClampingUnitFailsProgramThenVerify() {
    QVERIFY(Unit().Start({"--clamp"}));
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    Trigger("MenuProgram");
    QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
    QCOMPARE(Status(), QStringLiteral("Program error!"));
    QVERIFY(Unit().ParameterBlock() != WindowBlock());
    Trigger("MenuVerify");
    QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("Verify:"), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
    QCOMPARE(Status(), QStringLiteral("Verify error!"));
  }

  // What the unit holds otherwise: listed after a failed Program and by Compare, which leaves
  // the window's set alone; the Program button is bold while the unit is known to differ.
  void TheWindowListsWhatTheUnitHoldsOtherwise() {
    QVERIFY(Unit().Start({"--clamp"}));
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    const auto* program = Find<QPushButton>("BitBtn1");
    QVERIFY(!Find<QAction>("MenuDifferences")->isEnabled());
    Trigger("MenuProgram");
    QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
    QCOMPARE(Status(), QStringLiteral("Program error!"));
    const QString heading = QStringLiteral("The unit holds otherwise (window → unit):\n");
    const QString list = heading + QStringLiteral("Limiter: 15000 → 14900 [rpm]");
    Trigger("MenuDifferences");
    QCOMPARE(m_prompts->messages, QStringList{list});
    QVERIFY(!program->font().bold());  // a failure leaves the unit's block unknown
    const QByteArray before = WindowBlock();
    Trigger("MenuCompare");
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), qsizetype(2), kOperationMs);
    QCOMPARE(m_prompts->messages.last(), list);
    QCOMPARE(WindowBlock(), before);
    QVERIFY(program->font().bold());
    Trigger("MenuRead");
    QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
    QCOMPARE(Status(), QStringLiteral("Verify: OK"));
    QVERIFY(!program->font().bold());
    ChangeParameters(3, 20);
    QVERIFY(program->font().bold());
  }

  // A Program and a Read that ended well are kept, a Verify is not; File > History opens one.
  void ReadAndProgramAreKeptAndOpenFromTheHistory() {
    QVERIFY(Unit().Start());
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    ChangeParameters(9, 13);
    const QByteArray programmed = WindowBlock();
    for (const char* operation : {"MenuProgram", "MenuVerify", "MenuRead"}) {
      Trigger(operation);
      QTRY_COMPARE_WITH_TIMEOUT(Status(), QStringLiteral("Verify:"), kOperationMs);
      QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
      QCOMPARE(Status(), QStringLiteral("Verify: OK"));
    }
    // The last set waits for the unit's programming count, a poll away.
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->RunSession().HistoryPending(), kOperationMs);
    const std::vector<std::string> files =
        ListHistory(m_window->RunSession().Places().historyFolder);
    QVERIFY(!files.empty());
    const auto newest = ReadHistoryFile(ReadRegularFile(files.front()).value_or(""));
    QVERIFY(newest && newest->programCount.has_value());
    auto* history = Find<QMenu>("MenuHistory");
    QMetaObject::invokeMethod(history, "aboutToShow");
    const QList<QAction*> kept = history->actions();
    QCOMPARE(kept.size(), qsizetype(2));
    QVERIFY2(kept[0]->text().contains("  read  SIM03"), qPrintable(kept[0]->text()));
    QVERIFY2(kept[1]->text().contains("  program  SIM03"), qPrintable(kept[1]->text()));
    ChangeParameters(3, 20);
    kept[1]->trigger();
    QCOMPARE(WindowBlock(), programmed);
    QVERIFY(Find<QLabel>("LabelFile2")->text().endsWith("-program.ign"));
    QVERIFY(m_prompts->messages.isEmpty());
  }

  void AWrongFirmwareStopsProgramWithAMessage_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("status");
    QTest::newRow("program") << "MenuProgram"
                             << "Program device:";
    QTest::newRow("read") << "MenuRead"
                          << "Read:";
  }
  void AWrongFirmwareStopsProgramWithAMessage() {
    QFETCH(QString, operation);
    QFETCH(QString, status);
    QVERIFY(Unit().Start({"--compat", "25"}));
    OpenWindow();
    ChangeParameters(9, 13);
    const QByteArray before = Unit().ParameterBlock();
    Trigger(operation.toLatin1().constData());
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts->messages.size(), qsizetype(1), kOperationMs);
    QCOMPARE(m_prompts->messages.first(),
             QStringLiteral("Unmatched version of PC and Ignition programs!"));
    // The operation ends there: nothing written, the status keeps the operation's name.
    QCOMPARE(Status(), status);
    QVERIFY(!StatusIsRed());
    QVERIFY(!Find<QLabel>("LabelVerze1")->text().isEmpty());
    QTest::qWait(1500);
    QCOMPARE(Status(), status);
    QCOMPARE(m_prompts->messages.size(), qsizetype(1));
    QCOMPARE(Unit().ParameterBlock(), before);
    QCOMPARE(WindowBlock().at(image_byte::kRetard - 50), char(9));
  }

  void ABadLineNeverReportsOkForABlockTheUnitLacks_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::newRow("corrupt") << QStringList{"--corrupt", "0.3", "--seed", "3"};
    QTest::newRow("junk") << QStringList{"--junk", "0.3", "--seed", "5"};
    QTest::newRow("both") << QStringList{"--corrupt", "0.2", "--junk", "0.2", "--seed", "7"};
  }
  void ABadLineNeverReportsOkForABlockTheUnitLacks() {
    QFETCH(QStringList, faults);
    QVERIFY(Unit().Start(faults));
    OpenWindow();
    int successes = 0;
    for (int round = 0; round < 3; ++round) {
      ChangeParameters(static_cast<std::uint8_t>(5 + round), static_cast<std::uint8_t>(10 + round));
      Trigger(round == 1 ? "MenuVerify" : "MenuProgram");
      QTRY_VERIFY_WITH_TIMEOUT(!Finished(), 2000);
      QTRY_VERIFY_WITH_TIMEOUT(Finished(), 2 * kOperationMs);
      if (Status().endsWith(QStringLiteral(" OK"))) {
        ++successes;
        QCOMPARE(Unit().ParameterBlock(), WindowBlock());
      } else {
        QVERIFY(StatusIsRed());
      }
    }
    // Retries carry most operations through such a line.
    QVERIFY(successes >= 1);
  }

  void TheLiveDisplayFollowsTheUnit() {
    QVERIFY(Unit().Start());
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    QVERIFY(Find<QLabel>("LabelNapeti")->text().startsWith(QStringLiteral("U = ")));
    QVERIFY(Find<QLabel>("LabelNapeti")->text().endsWith(QStringLiteral(" [V]")));
    QVERIFY2(Find<QLabel>("LabelAdvance")->text().startsWith(QStringLiteral("ADVANCE=  ")),
             qPrintable(Find<QLabel>("LabelAdvance")->text()));
    QVERIFY(Find<QLabel>("LabelMonOmez1")->text().startsWith(QStringLiteral("Start limiter - ")));
    QVERIFY(Find<QLabel>("LabelPocetProgramovani")
                ->text()
                .startsWith(QStringLiteral("Number of Programing= ")));
    // The engine sweeps through the curve: sooner or later one row is the current one, and
    // never more than one.
    const auto limeRows = [this] {
      int rows = 0;
      for (int k = 1; k <= 15; ++k) {
        const QColor rpm = Find<QLineEdit>(qPrintable(QStringLiteral("EditRpmAdv%1").arg(k)))
                               ->palette()
                               .color(QPalette::Base);
        const QColor adv = Find<QLineEdit>(qPrintable(QStringLiteral("EditAdvance%1").arg(k)))
                               ->palette()
                               .color(QPalette::Base);
        if (rpm != adv) return -1;
        if (rpm == QColor(0, 255, 0)) ++rows;
      }
      return rows;
    };
    QTRY_COMPARE_WITH_TIMEOUT(limeRows(), 1, 20000);
    QVERIFY(Find<QProgressBar>("CGaugeRpm")->value() > 0);
  }

  void TheTickIsAPreciseTimer() {
    // A coarse timer fires up to 5 % early and shortens every time-out; the mean poll period
    // this gives is measured by scripts/measure, not here.
    QVERIFY(Unit().Start());
    OpenWindow();
    const auto* timer = m_window->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 55);
    QCOMPARE(timer->timerType(), Qt::PreciseTimer);
  }

  void ComMenuOpensChecksAndReportsFailures() {
    QVERIFY(Unit().Start());
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    const auto checked = [this] {
      QStringList names;
      for (int k = 1; k <= 10; ++k) {
        if (Find<QAction>(qPrintable(QStringLiteral("MenuCom%1").arg(k)))->isChecked())
          names << QStringLiteral("MenuCom%1").arg(k);
      }
      return names;
    };
    QCOMPARE(checked(), QStringList{"MenuCom1"});
    QVERIFY(m_prompts->messages.isEmpty());

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
      Trigger(step.item);
      QCOMPARE(checked(), QStringList{QString::fromLatin1(step.item)});
      QCOMPARE(m_prompts->messages.size(), qsizetype(step.messages));
      if (step.connected) {
        QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
      } else {
        QTRY_VERIFY_WITH_TIMEOUT(!Find<QLabel>("LabelSpojeni")->isHidden(), 5000);
      }
    }
    QVERIFY(m_prompts->messages.first().startsWith(QStringLiteral("Com opening error!\n")));
    QCOMPARE(m_window->ComPortNumber(), std::uint8_t(1));
  }

  void APortNumberOutsideTheMenuOpensNothingAndSaysNothing() {
    QVERIFY(Unit().Start());
    OpenWindow(0);
    QCOMPARE(m_window->ComPortNumber(), std::uint8_t(0));
    QVERIFY(m_prompts->messages.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!Find<QLabel>("LabelSpojeni")->isHidden(), 5000);
    for (int k = 1; k <= 10; ++k)
      QVERIFY(!Find<QAction>(qPrintable(QStringLiteral("MenuCom%1").arg(k)))->isChecked());
  }

  void AVanishedUnitLeavesTheWindowCalmAndComesBack_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("during");
    QTest::newRow("polling") << QString() << int(Vanish::WhilePolling);
    QTest::newRow("read, before its first frame") << "MenuRead" << int(Vanish::BeforeFirstFrame);
    QTest::newRow("read, after block 0") << "MenuRead" << int(Vanish::AfterBlock0);
    QTest::newRow("read, in its verify step") << "MenuRead" << int(Vanish::InVerifyStep);
    QTest::newRow("verify, before its frame") << "MenuVerify" << int(Vanish::BeforeFirstFrame);
    QTest::newRow("verify, awaiting its answer")
        << "MenuVerify" << int(Vanish::AwaitingFirstAnswer);
    QTest::newRow("program, before its first frame")
        << "MenuProgram" << int(Vanish::BeforeFirstFrame);
    QTest::newRow("program, after block 0") << "MenuProgram" << int(Vanish::AfterBlock0);
    QTest::newRow("program, in its verify step") << "MenuProgram" << int(Vanish::InVerifyStep);
  }
  void AVanishedUnitLeavesTheWindowCalmAndComesBack() {
    QFETCH(QString, operation);
    QFETCH(int, during);
    const auto when = static_cast<Vanish>(during);
    // A slow unit leaves room to vanish between a request and its answer; still well within
    // the four ticks before a re-send, whose late answers could pass for the awaited one.
    const bool slow = when == Vanish::AwaitingFirstAnswer || when == Vanish::InVerifyStep;
    QVERIFY(Unit().Start(slow ? QStringList{"--delay", "100"} : QStringList{}));
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    if (when == Vanish::WhilePolling) {
      Unit().Kill();
    } else if (when == Vanish::BeforeFirstFrame) {
      Trigger(operation.toLatin1().constData());
      Unit().Kill();  // the first frame goes out on the next tick
    } else {
      // Looked at right after each tick (connected after the window's own handler), so that
      // no state is missed however busy the machine: the gauge shows 1 for a single tick, the
      // first request has just gone out, and a slow unit answers the verify step's request a
      // few ticks after the status names it. The scope object ends the connection here.
      bool armed = true;
      QObject scope;
      connect(m_window->findChild<QTimer*>(QStringLiteral("Timer1")), &QTimer::timeout, &scope,
              [&] {
                if (armed &&
                    (when == Vanish::AwaitingFirstAnswer ||
                     (when == Vanish::AfterBlock0 && Find<QProgressBar>("CGauge")->value() == 1) ||
                     (when == Vanish::InVerifyStep && Status() == QStringLiteral("Verify:")))) {
                  armed = false;
                  Unit().Kill();
                }
              });
      Trigger(operation.toLatin1().constData());
      QTRY_VERIFY_WITH_TIMEOUT(!armed, kOperationMs);
    }

    QTRY_VERIFY_WITH_TIMEOUT(!Find<QLabel>("LabelSpojeni")->isHidden(), 5000);
    if (when != Vanish::WhilePolling) {
      QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
      QVERIFY(StatusIsRed());
    }
    // Calm: the timer keeps ticking and the process does next to nothing.
    int ticks = 0;
    connect(m_window->findChild<QTimer*>(QStringLiteral("Timer1")), &QTimer::timeout, this,
            [&ticks] { ++ticks; });
    const double before = CpuSeconds();
    QTest::qWait(2000);
    const double used = CpuSeconds() - before;
    QVERIFY2(used < 0.3, qPrintable(QStringLiteral("CPU seconds: %1").arg(used)));
    QVERIFY2(ticks >= 10, qPrintable(QStringLiteral("ticks: %1").arg(ticks)));
    QVERIFY(m_prompts->messages.isEmpty());

    // The unit is back on the same path: picking the port again reconnects.
    QVERIFY(Unit().Start());
    Trigger("MenuCom1");
    QVERIFY(m_prompts->messages.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    ChangeParameters(11, 17);
    Trigger("MenuProgram");
    QTRY_VERIFY_WITH_TIMEOUT(Finished(), kOperationMs);
    QCOMPARE(Status(), QStringLiteral("Verify: OK"));
    QCOMPARE(Unit().ParameterBlock(), WindowBlock());
  }

  void AnAdapterAssignedInTheDialogIsStoredByItsStableNameAndOpened() {
    QVERIFY(Unit().Start());
    OpenWindow(2);  // Com 2 names a device that is not there
    QCOMPARE(m_prompts->messages.size(), qsizetype(1));
    QVERIFY2(m_prompts->messages.first().endsWith(
                 QStringLiteral("no-such-port: no such device: is the adapter plugged in?")),
             qPrintable(m_prompts->messages.first()));
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
    Trigger("MenuComAdapters");
    QCOMPARE(shown, 1);
    QCOMPARE(m_window->ComPortNumber(), std::uint8_t(4));
    QVERIFY(Find<QAction>("MenuCom4")->isChecked() && !Find<QAction>("MenuCom2")->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    QCOMPARE(m_prompts->messages.size(), qsizetype(1));
    QFile ini(m_dir->SettingsPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(ini.readAll().contains(("COM4=" + LinkPath() + "\r\n").toLocal8Bit()));
    QCOMPARE(Find<QAction>("MenuCom4")->statusTip(),
             QStringLiteral("Set com 4: %1 (FTDI FT232R USB UART)").arg(LinkPath()));
  }

  void TheWindowAndTheCommandLineKeepOffEachOthersLine() {
    QVERIFY(Unit().Start());
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    QProcess ctl;
    ctl.start(QStringLiteral(QM17CTL_PATH), {"read", "--port", LinkPath()});
    QVERIFY(ctl.waitForFinished(10000));
    QCOMPARE(ctl.exitCode(), 3);
    const QString err = QString::fromLocal8Bit(ctl.readAllStandardError());
    QVERIFY2(err.contains(LinkPath() + QStringLiteral(": busy: in use by another program")),
             qPrintable(err));

    Trigger("MenuCom2");  // the window lets go of the unit
    QProcess monitor;
    monitor.start(QStringLiteral(QM17CTL_PATH), {"monitor", "--port", LinkPath()});
    QTRY_VERIFY_WITH_TIMEOUT(monitor.canReadLine(), 5000);  // it holds the line now
    Trigger("MenuCom1");
    QVERIFY2(m_prompts->messages.last().endsWith(
                 LinkPath() + QStringLiteral(": busy: in use by another program")),
             qPrintable(m_prompts->messages.last()));
    monitor.terminate();
    QVERIFY(monitor.waitForFinished(5000));
    Trigger("MenuCom1");
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
  }

  void ARestartedUnitIsPickedUpAgainWithoutTheUser() {
    QVERIFY(Unit().Start());
    OpenWindow();
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 5000);
    Unit().Kill();
    QTRY_VERIFY_WITH_TIMEOUT(!Find<QLabel>("LabelSpojeni")->isHidden(), 5000);
    // While the device is gone the window retries quietly; what that costs is reported.
    const double before = CpuSeconds();
    QTest::qWait(3000);
    const double idle = CpuSeconds() - before;
    QVERIFY(!Find<QLabel>("LabelSpojeni")->isHidden());
    QElapsedTimer back;
    back.start();
    QVERIFY(Unit().Start());
    QTRY_VERIFY_WITH_TIMEOUT(Connected(), 10000);
    qInfo("device gone: %.3f CPU seconds over 3 s; live again %lld ms after the restart", idle,
          static_cast<long long>(back.elapsed()));
    QVERIFY(m_prompts->messages.isEmpty());
    QCOMPARE(m_window->ComPortNumber(), std::uint8_t(1));
  }

 private:
  std::unique_ptr<test::SettingsFolder> m_dir;
  std::unique_ptr<Sim> m_sim;
  std::shared_ptr<RecordingPrompts> m_prompts;
  std::unique_ptr<MainWindow> m_window;
};

}  // namespace qm17

QTEST_MAIN(qm17::WindowLinkTest)
#include "window_link_test.moc"
