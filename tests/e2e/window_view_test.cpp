// What the window shows when the link tells it something: live labels with their texts and
// colours, the status label, the gauges and the current curve row. No unit attached.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QtTest>
#include <array>
#include <memory>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "common/recording_prompts.h"
#include "common/settings_folder.h"
#include "device/monitor.h"

namespace qm17 {
namespace {

using SilentPrompts = test::RecordingPrompts;

// A monitor frame with the given bytes set and all others 0.
LiveValues Decode(std::initializer_list<std::pair<int, int>> bytes) {
  std::array<std::uint8_t, kFrameLength> frame{};
  frame[0] = 0xB0;
  for (const auto& [offset, value] : bytes)
    frame[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
  return DecodeMonitorFrame(frame);
}

// Counts palette changes, that is repaints of a box's colour.
class PaletteChanges : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::PaletteChange) ++count;
    return false;
  }
  int count = 0;
};

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);
const QColor kLime(0, 255, 0);
const QColor kBlack(0, 0, 0);

}  // namespace
}  // namespace qm17

Q_DECLARE_METATYPE(qm17::LiveValues)

namespace qm17 {

class WindowViewTest : public QObject {
  Q_OBJECT

 private:
  template <typename T>
  T* Find(const QString& name) const {
    T* widget = m_window->findChild<T*>(name);
    if (widget == nullptr) qFatal("no control %s", qPrintable(name));
    return widget;
  }
  QColor Background(const char* label) const {
    return Find<QLabel>(QString::fromLatin1(label))->palette().color(QPalette::Window);
  }
  QColor ButtonFace() const { return QApplication::palette().color(QPalette::Window); }
  QColor WindowColour() const { return QApplication::palette().color(QPalette::Base); }
  // Rows (1..15) whose speed and advance boxes are both lime.
  std::vector<int> LimeRows() const {
    std::vector<int> rows;
    for (int k = 1; k <= 15; ++k) {
      const QColor rpm =
          Find<QLineEdit>(QStringLiteral("EditRpmAdv%1").arg(k))->palette().color(QPalette::Base);
      const QColor adv =
          Find<QLineEdit>(QStringLiteral("EditAdvance%1").arg(k))->palette().color(QPalette::Base);
      if (rpm != adv) return {-k};
      if (rpm == kLime)
        rows.push_back(k);
      else if (rpm != WindowColour())
        return {-100 - k};
    }
    return rows;
  }

 private slots:
  void init() {
    m_dir = std::make_unique<test::SettingsFolder>();
    // Port 0 opens nothing, so no unit and no message.
    QVERIFY(m_dir->WriteSettings("[FORM_HLAV]\r\nComPort=0\r\nLanguage=1\r\n"));
    m_prompts = std::make_shared<SilentPrompts>();
    m_window = std::make_unique<MainWindow>();
    m_window->SetPrompts(m_prompts);
    m_window->FormCreate({QStringLiteral("qm17")});
  }
  void cleanup() {
    m_window.reset();
    m_dir.reset();
  }

  void LiveLabelsShowTextsAndColours_data() {
    QTest::addColumn<LiveValues>("values");
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<QStringList>("texts");      // rpm, voltage, limiter, retard, advance, count,
                                                 // polarity, test 1
    QTest::addColumn<QList<QColor>>("colours");  // rpm, voltage, limiter, retard, polarity
    QTest::addColumn<int>("bar");
    // 3000 rpm, warning, advance 12, start limiter and retard active, 1650 raw (11888 mV),
    // 7 programmings, negative polarity with the flag clear, test value 1 = 258.
    QTest::newRow("warning, limiter, retard")
        << Decode({{1, 0xB8},
                   {2, 0x0B},
                   {5, 12},
                   {9, 0x72},
                   {10, 0x06},
                   {11, 7},
                   {13, 0x02},
                   {14, 0x01},
                   {31, 1},
                   {33, 1}})
        << false
        << QStringList{"RPM = 3000 ",
                       "U = 11.9 [V]",
                       "Start limiter - YES",
                       "Retard - YES",
                       "ADVANCE=  12 [°]",
                       "Number of Programing= 7",
                       "Polarity of CKPS - Negative",
                       "Test1 = 258 "}
        << QList<QColor>{kYellow, ButtonFace(), kRed, kAqua, kRed} << 20;
    // Alarm beats warning; raw 0 is 800 mV; inactive states on the inverse display.
    QTest::newRow("alarm, low voltage, inverse")
        << Decode({{1, 0xA0}, {2, 0x86}, {3, 1}, {7, 1}, {30, 1}, {32, 1}, {33, 1}}) << true
        << QStringList{"RPM = 34464 ",
                       "U =  0.8 [V]",
                       "Start limiter - NO",
                       "Retard - NO",
                       "ADVANCE=  0 [°]",
                       "Number of Programing= 0",
                       "Polarity of CKPS - Positive",
                       "Test1 = 0 "}
        << QList<QColor>{kRed, kRed, kBlack, kBlack, kBlack} << 100;
    // 2000 raw: 1221 * 11 + 800 = 14231 mV, in the normal band.
    QTest::newRow("normal")
        << Decode({{1, 0x10}, {2, 0x0E}, {7, 1}, {9, 0xD0}, {10, 0x07}, {30, 1}, {32, 1}}) << false
        << QStringList{"RPM = 3600 ",
                       "U = 14.2 [V]",
                       "Start limiter - NO",
                       "Retard - NO",
                       "ADVANCE=  0 [°]",
                       "Number of Programing= 0",
                       "Polarity of CKPS - Positive",
                       "Test1 = 0 "}
        << QList<QColor>{ButtonFace(), ButtonFace(), ButtonFace(), ButtonFace(), ButtonFace()}
        << 24;
  }
  void LiveLabelsShowTextsAndColours() {
    QFETCH(LiveValues, values);
    QFETCH(bool, inverse);
    QFETCH(QStringList, texts);
    QFETCH(QList<QColor>, colours);
    QFETCH(int, bar);
    Find<QCheckBox>(QStringLiteral("CheckBoxBlackZobr"))->setChecked(inverse);
    m_window->ShowLiveValues(values);
    const char* labels[] = {"LabelRpm",         "LabelNapeti",  "LabelMonOmez1",
                            "LabelMonRetard",   "LabelAdvance", "LabelPocetProgramovani",
                            "LabelPolaritaMer", "LabelTest1"};
    for (int i = 0; i < texts.size(); ++i)
      QCOMPARE(Find<QLabel>(QString::fromLatin1(labels[i]))->text(), texts[i]);
    const char* coloured[] = {"LabelRpm", "LabelNapeti", "LabelMonOmez1", "LabelMonRetard",
                              "LabelPolaritaMer"};
    for (int i = 0; i < colours.size(); ++i) {
      QVERIFY(Find<QLabel>(QString::fromLatin1(coloured[i]))->autoFillBackground());
      QCOMPARE(Background(coloured[i]), colours[i]);
    }
    QCOMPARE(Find<QProgressBar>(QStringLiteral("CGaugeRpm"))->value(), bar);
  }

  void LiveLabelsFollowTheLanguage() {
    Find<QAction>(QStringLiteral("MenuGerman"))->trigger();
    m_window->ShowLiveValues(Decode({{5, 7}, {11, 3}, {31, 1}, {32, 1}}));
    QCOMPARE(Find<QLabel>(QStringLiteral("LabelAdvance"))->text(),
             QStringLiteral("Vorzündung=  7 [°]"));
    QCOMPARE(Find<QLabel>(QStringLiteral("LabelPocetProgramovani"))->text(),
             QStringLiteral("Programmierungszahl= 3"));
  }

  // Values of a lost link stay, greyed, until the next frame; a page prints them as they are.
  void OldValuesAreGreyedUntilTheNextFrame() {
    const QPalette& shown = Find<QLabel>(QStringLiteral("LabelRpm"))->palette();
    const QColor text = shown.color(QPalette::WindowText);
    m_window->ShowLiveValues(Decode({{1, 0x10}}));
    m_window->SetNoConnectionVisible(true);
    m_window->SetNoConnectionVisible(false);  // an answer that is no monitor frame
    QVERIFY(shown.color(QPalette::WindowText) != text);
    m_window->SetPrintLayout(true);
    m_window->ApplyDisplayStyle();
    QCOMPARE(shown.color(QPalette::WindowText), text);
    m_window->SetPrintLayout(false);
    m_window->ShowLiveValues(Decode({{1, 0x10}}));
    QCOMPARE(shown.color(QPalette::WindowText), text);
  }

  void StatusLabelAndGauge() {
    struct Case {
      const char* text;
      bool failure;
      bool inverse;
      QColor background;
    };
    const Case cases[] = {{"Program device:", false, false, ButtonFace()},
                          {"Program error!", true, false, kRed},
                          {"Verify: OK", false, true, kBlack},
                          {"Verify error!", true, true, kRed}};
    for (const Case& c : cases) {
      Find<QCheckBox>(QStringLiteral("CheckBoxBlackZobr"))->setChecked(c.inverse);
      m_window->SetStatus(c.text, c.failure);
      QCOMPARE(Find<QLabel>(QStringLiteral("LabelHlaseni"))->text(), QString::fromUtf8(c.text));
      QCOMPARE(Background("LabelHlaseni"), c.background);
    }
    // The gauge clamps to 0..3 where QProgressBar would keep its old value.
    QProgressBar* gauge = Find<QProgressBar>(QStringLiteral("CGauge"));
    const std::pair<int, int> progress[] = {{1, 1}, {7, 3}, {2, 2}, {-4, 0}, {3, 3}};
    for (const auto& [given, shown] : progress) {
      m_window->SetGaugeProgress(given);
      QCOMPARE(gauge->value(), shown);
    }
    m_window->SetGaugeVisible(true);
    m_window->SetStatusVisible(true);
    m_window->SetNoConnectionVisible(true);
    QVERIFY(!gauge->isHidden());
    QVERIFY(!Find<QLabel>(QStringLiteral("LabelHlaseni"))->isHidden());
    QVERIFY(!Find<QLabel>(QStringLiteral("LabelSpojeni"))->isHidden());
    m_window->SetGaugeVisible(false);
    m_window->SetStatusVisible(false);
    m_window->SetNoConnectionVisible(false);
    QVERIFY(gauge->isHidden());
    QVERIFY(Find<QLabel>(QStringLiteral("LabelHlaseni"))->isHidden());
    QVERIFY(Find<QLabel>(QStringLiteral("LabelSpojeni"))->isHidden());
  }

  void CurrentRowIsLimeAndRepaintedOnlyOnChange() {
    PaletteChanges changes;
    for (int k = 1; k <= 15; ++k)
      Find<QLineEdit>(QStringLiteral("EditRpmAdv%1").arg(k))->installEventFilter(&changes);
    struct Step {
      CurrentPoint point;
      std::vector<int> rows;
      int repaints;  // speed boxes whose colour changed
    };
    const Step steps[] = {
        {{3, false}, {4}, 1}, {{3, false}, {4}, 0},  // the same point again: nothing
        {{4, false}, {5}, 2}, {{0, true}, {}, 1},    // below the first point: no row
        {{0, true}, {}, 0},   {{0, false}, {1}, 1}, {{14, false}, {15}, 2}};
    for (const Step& step : steps) {
      changes.count = 0;
      m_window->ShowCurrentPoint(step.point);
      QCOMPARE(LimeRows(), step.rows);
      QCOMPARE(changes.count, step.repaints);
    }
  }

  void ComItemWithoutAMenuSenderKeepsThePort() {
    // Called other than from a Com item (for instance directly), the number stays.
    m_window->MenuCom1Click();
    QCOMPARE(m_window->ComPortNumber(), std::uint8_t(0));
    QVERIFY(m_prompts->messages.isEmpty());
    for (int k = 1; k <= 10; ++k)
      QVERIFY(!Find<QAction>(QStringLiteral("MenuCom%1").arg(k))->isChecked());
  }

 private:
  std::unique_ptr<test::SettingsFolder> m_dir;
  std::shared_ptr<SilentPrompts> m_prompts;
  std::unique_ptr<MainWindow> m_window;
};

}  // namespace qm17

QTEST_MAIN(qm17::WindowViewTest)
#include "window_view_test.moc"
