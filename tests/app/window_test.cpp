// Drives the real main window offscreen: typing, spin arrows, Enter, shortcuts, languages,
// display style. Dialogs are answered through the prompts seam.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

#include "app/main_window.h"
#include "app/spin_buttons.h"
#include "app/user_prompts.h"
#include "app/window_font.h"
#include "app/window_layout.h"
#include "common/recording_prompts.h"
#include "common/settings_folder.h"
#include "common/unit_line.h"

namespace qm17 {
namespace {

// Answers the questions from a script; records messages, questions and file dialogs.
class ScriptedPrompts : public test::RecordingPrompts {
 public:
  Answer AskYesNoCancel(QWidget*, const QString& text) override {
    questions << text;
    if (answers.empty()) return Answer::Cancel;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString AskOpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
    ++openDialogs;
    return {};
  }
  QString AskSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    ++saveDialogs;
    return {};
  }

  QStringList questions;
  std::deque<Answer> answers;
  int openDialogs = 0;
  int saveDialogs = 0;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ChooseWindowFont();  // as the program does before its window
    Start({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
  }

  void Start(const QStringList& arguments) {
    m_window.reset();
    m_prompts = std::make_shared<ScriptedPrompts>();
    m_window = std::make_unique<MainWindow>();
    m_window->SetPrompts(m_prompts);
    // No ticks: the link would otherwise poll a port that is not there while a test runs.
    Find<QTimer>("Timer1")->stop();
    m_window->FormCreate(arguments);
    Find<QTimer>("Timer1")->stop();
    m_window->show();
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  }

  template <typename T>
  T* Find(const QString& name) const {
    T* found = m_window->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
  }
  QLineEdit* Edit(const QString& name) const { return Find<QLineEdit>(name); }
  SpinButtons* Spin(const QString& name) const { return Find<SpinButtons>(name); }
  std::uint8_t Byte(std::size_t index) const { return std::as_const(*m_window).Image()[index]; }
  // Bytes of the set changed as a tool changes them: shown, not normalised.
  void SetBytes(std::initializer_list<std::pair<std::size_t, int>> bytes) {
    DeviceImage image = m_window->Image();
    for (const auto& [index, value] : bytes) image[index] = static_cast<std::uint8_t>(value);
    m_window->RunSession().SetImage(image, m_window->RunSession().FileName());
  }
  QString Text(const QString& edit) const { return Edit(edit)->text(); }

  // Types into a box as a user does (everything selected first), without leaving it.
  void Type(const QString& edit, const QString& text) {
    QLineEdit* box = Edit(edit);
    box->setFocus(Qt::MouseFocusReason);
    box->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(box, Qt::Key_Delete);
    } else {
      QTest::keyClicks(box, text);
    }
  }
  // Types and then leaves the box with Tab.
  void TypeAndLeave(const QString& edit, const QString& text) {
    Type(edit, text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  void ClickArrow(const QString& spin, bool up) {
    SpinButtons* s = Spin(spin);
    QTest::mouseClick(up ? s->UpButton() : s->DownButton(), Qt::LeftButton);
  }
  void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : m_window.get();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  }
  // Check boxes and radio items react to clicks on their indicator and text only.
  void Tick(const QString& name) {
    QWidget* box = Find<QWidget>(name);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
  }
  QColor Colour(const QString& name, QPalette::ColorRole role) const {
    return Find<QWidget>(name)->palette().color(role);
  }
  bool Shown(const QString& name) const { return !Find<QWidget>(name)->isHidden(); }

  std::shared_ptr<ScriptedPrompts> m_prompts;
  std::unique_ptr<MainWindow> m_window;
};

TEST_F(WindowTest, StartsWithTheDefaultSetShownInEnglish) {
  EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Programming of \"QM-17\" unit"));
  const std::pair<const char*, const char*> shown[] = {
      {"EditPocetBodu", "15"},     {"EditBaseAdv", "10"},    {"EditOmez1", "6,000"},
      {"EditOmez2", "15,000"},     {"EditRetard", "6"},      {"EditPocPalcu", "1"},
      {"EditLedRazeni", "12,000"}, {"EditRpmAdv1", "1,000"}, {"EditRpmAdv15", "15,000"},
      {"EditAdvance1", "10"},      {"EditAdvance15", "10"},
  };
  for (const auto& [edit, text] : shown) EXPECT_EQ(Text(edit), text) << edit;
  EXPECT_TRUE(Find<QRadioButton>("RadioGroupPolaritaItem2")->isChecked());
  EXPECT_EQ(Find<QRadioButton>("RadioGroupPolaritaItem2")->text(), QStringLiteral("Selfsearch"));
  EXPECT_FALSE(Shown("LabelHlaseni"));
  EXPECT_FALSE(Shown("CGauge"));
  EXPECT_FALSE(Shown("LabelTest1"));
  EXPECT_FALSE(Shown("LabelTest8"));
  EXPECT_EQ(Find<QLabel>("LabelRpm")->text(), QStringLiteral("RPM = ---"));
  EXPECT_EQ(Find<QLabel>("LabelNapeti")->text(), QStringLiteral("U = --- [V]"));
  EXPECT_EQ(Find<QLabel>("LabelAdvance")->text(), QStringLiteral("ADVANCE= --- [°]"));
  EXPECT_EQ(Find<QLabel>("LabelPocetProgramovani")->text(),
            QStringLiteral("Number of Programing= ---"));
  // The firmware captions come only from a unit, never from an image restored or loaded.
  DeviceImage identified = m_window->Image();
  std::copy_n("ABCDEFGHI", 9, identified.begin());
  identified[16] = 'Q';
  m_window->RunSession().SetImage(identified, {});
  m_window->ShowImageInControls();
  for (const char* label : {"LabelVerze1", "LabelVerze2", "LabelVerze3"})
    EXPECT_EQ(Find<QLabel>(label)->text(), QString()) << label;
}

QStringList g_connectWarnings;

// Start-up as the program runs it, the shutdown handlers included, makes no connection that
// the toolkit refuses (a refused connection is silently missing afterwards).
TEST_F(WindowTest, StartUpMakesOnlyValidConnections) {
  m_window.reset();
  g_connectWarnings.clear();
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
        if (QByteArray(context.category) == "qt.core.qobject.connect" ||
            text.contains(QLatin1String("QObject::connect")))
          g_connectWarnings << text;
      });
  auto window = std::make_unique<MainWindow>();
  window->SetPrompts(m_prompts);
  window->InstallShutdownHandlers();
  window->FormCreate({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
  window->show();
  window->MenuGermanClick();
  window.reset();
  qInstallMessageHandler(previous);
  EXPECT_TRUE(g_connectWarnings.isEmpty()) << g_connectWarnings.join('\n').toStdString();
}

// A typed value counts only when it is a whole number within the range; the group separator
// may stand anywhere. Speeds keep whole hundreds.
TEST_F(WindowTest, TypedValuesFollowTheReadingRule) {
  struct Case {
    const char* edit;
    const char* typed;
    std::size_t byte;
    int stored;
    const char* shown;
  };
  const Case cases[] = {
      {"EditRpmAdv1", "1550", 60, 15, "1,500"},
      {"EditRpmAdv1", "1,5,50", 60, 15, "1,500"},
      {"EditRpmAdv1", "1.550", 60, 10, "1,000"},  // not this locale's separator
      {"EditRpmAdv1", " 1550", 60, 10, "1,000"},
      {"EditRpmAdv1", "999999999999", 60, 10, "1,000"},
      {"EditAdvance3", "abc", 82, 10, "10"},
      {"EditAdvance3", "61", 82, 10, "10"},
      {"EditAdvance3", "60", 82, 60, "60"},
      {"EditAdvance3", "", 82, 10, "10"},
      {"EditAdvance3", "-1", 82, 10, "10"},
      {"EditAdvance3", "+7", 82, 7, "7"},
      {"EditBaseAdv", "41", 51, 10, "10"},
      {"EditBaseAdv", "0", 51, 0, "0"},
      {"EditOmez2", "25001", 52, 150, "15,000"},
      {"EditOmez2", "25000", 52, 250, "25,000"},
      {"EditPocetBodu", "16", 50, 15, "15"},
      {"EditPocetBodu", "0", 50, 15, "15"},
      {"EditPocPalcu", "3", 58, 3, "3"},
      {"EditRetard", "25", 57, 25, "25"},
      // The start limiter's spin stops at 999: stored as 9, shown at the spin's minimum.
      {"EditOmez1", "999", 56, 9, "999"},
  };
  for (const Case& c : cases) {
    Start({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    TypeAndLeave(QString::fromLatin1(c.edit), QString::fromLatin1(c.typed));
    EXPECT_EQ(Byte(c.byte), c.stored) << c.edit << " <- '" << c.typed << "'";
    EXPECT_EQ(Text(QString::fromLatin1(c.edit)), QString::fromLatin1(c.shown))
        << c.edit << " <- '" << c.typed << "'";
  }
}

TEST_F(WindowTest, ARejectedValueSaysTheBoxsRangeInTheStatusLine) {
  const auto message = [this] { return m_window->findChild<QStatusBar*>()->currentMessage(); };
  Start({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
  Type(QStringLiteral("EditAdvance3"), QStringLiteral("61"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(message(), QStringLiteral("Point 3 advance: 0 … 60 [°]"));
  EXPECT_EQ(Byte(82), 10);
  Type(QStringLiteral("EditOmez2"), QStringLiteral("25001"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_TRUE(message().endsWith(QStringLiteral(": 999 … 25,000 [rpm]")))
      << message().toStdString();
  m_window->findChild<QStatusBar*>()->clearMessage();
  Type(QStringLiteral("EditBaseAdv"), QStringLiteral("7"));  // taken: nothing said
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(message().isEmpty());
}

TEST_F(WindowTest, EditsAreNormalisedAndShownAgain) {
  TypeAndLeave("EditRpmAdv1", "5000");
  TypeAndLeave("EditRpmAdv2", "4000");
  EXPECT_EQ(Byte(60), 50);
  EXPECT_EQ(Byte(61), 51);
  EXPECT_EQ(Text("EditRpmAdv2"), QStringLiteral("5,100"));
  // Pushing point 2 up drags every later point along, hidden ones included.
  EXPECT_EQ(Byte(62), 52);

  TypeAndLeave("EditOmez1", "16000");
  EXPECT_EQ(Byte(56), 160);
  EXPECT_EQ(Byte(52), 160);
  EXPECT_EQ(Text("EditOmez2"), QStringLiteral("16,000"));
}

// Only focus moving to another control of the window leaves a box; a menu, a popup or another
// window taking the focus for a while does not.
TEST_F(WindowTest, WhatCountsAsLeavingABox) {
  const std::pair<Qt::FocusReason, int> cases[] = {
      {Qt::MenuBarFocusReason, 10},  {Qt::PopupFocusReason, 10}, {Qt::ActiveWindowFocusReason, 10},
      {Qt::MouseFocusReason, 33},    {Qt::TabFocusReason, 33},   {Qt::BacktabFocusReason, 33},
      {Qt::ShortcutFocusReason, 33}, {Qt::OtherFocusReason, 33},
  };
  for (const auto& [reason, stored] : cases) {
    Start({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    Type("EditAdvance1", "33");
    QFocusEvent focusOut(QEvent::FocusOut, reason);
    QApplication::sendEvent(Edit("EditAdvance1"), &focusOut);
    EXPECT_EQ(Byte(80), stored) << reason;
  }
}

TEST_F(WindowTest, AllSpeedsAtTheTopAreSpreadOut) {
  for (int k = 1; k <= 15; ++k) Type(QStringLiteral("EditRpmAdv%1").arg(k), "20000");
  PressKey(Qt::Key_Return);
  for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(Byte(60 + i), 186 + i) << "point " << i + 1;
  EXPECT_EQ(Text("EditRpmAdv1"), QStringLiteral("18,600"));
  EXPECT_EQ(Text("EditRpmAdv15"), QStringLiteral("20,000"));
}

TEST_F(WindowTest, SpinArrowsStepStopAtTheBoundsAndApply) {
  struct Case {
    const char* spin;
    const char* startText;  // typed first without leaving the box; empty: leave as it is
    bool up;
    int clicks;
    std::size_t byte;
    int stored;
    const char* shown;
  };
  const Case cases[] = {
      {"UpDownAdvance1", "", true, 1, 80, 11, "11"},
      {"UpDownAdvance1", "59", true, 3, 80, 60, "60"},   // no wrap to 0
      {"UpDownAdvance1", "1", false, 3, 80, 0, "0"},     // no wrap to 60
      {"UpDownAdvance1", "abc", true, 1, 80, 11, "11"},  // invalid text: from the last position
      {"UpDownPocetBodu", "", true, 1, 50, 15, "15"},
      {"UpDownPocetBodu", "", false, 1, 50, 14, "14"},
      {"UpDownBaseAdv", "", false, 1, 51, 9, "9"},
      // Point 1 down from 1000 stops at 999, stored as 9 and lifted back to 1000.
      {"UpDownRpmAdv1", "", false, 1, 60, 10, "1,000"},
      {"UpDownRpmAdv2", "", true, 1, 61, 21, "2,100"},
      {"UpDownOmez1", "1099", false, 1, 56, 9, "999"},
      {"UpDownOmez2", "24950", true, 1, 52, 250, "25,000"},
      {"UpDownPocPalcu", "", false, 1, 58, 1, "1"},
  };
  for (const Case& c : cases) {
    Start({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    const QString spin = QString::fromLatin1(c.spin);
    const QString edit = Spin(spin)->Associate()->objectName();
    if (*c.startText) Type(edit, QString::fromLatin1(c.startText));
    for (int i = 0; i < c.clicks; ++i) ClickArrow(spin, c.up);
    EXPECT_EQ(Byte(c.byte), c.stored) << c.spin << " from '" << c.startText << "'";
    EXPECT_EQ(Text(edit), QString::fromLatin1(c.shown))
        << c.spin << " from '" << c.startText << "'";
  }
}

TEST_F(WindowTest, ArrowKeysInABoxActAsSpinClicks) {
  Type("EditAdvance2", "30");
  PressKey(Qt::Key_Up);
  EXPECT_EQ(Text("EditAdvance2"), QStringLiteral("31"));
  EXPECT_EQ(Byte(81), 31);
  PressKey(Qt::Key_Down);
  PressKey(Qt::Key_Down);
  EXPECT_EQ(Byte(81), 29);
  EXPECT_EQ(QApplication::focusWidget(), Edit("EditAdvance2"));
}

TEST_F(WindowTest, ShiftLightAppliesOnlyOnEnterOrTheNextRead) {
  TypeAndLeave("EditLedRazeni", "13000");
  EXPECT_EQ(Byte(59), 120);
  ClickArrow("UpDownLedRazeni", true);
  EXPECT_EQ(Text("EditLedRazeni"), QStringLiteral("13,100"));
  EXPECT_EQ(Byte(59), 120);
  // Any other edit reads every control, the shift light included.
  TypeAndLeave("EditRetard", "7");
  EXPECT_EQ(Byte(59), 131);

  Type("EditLedRazeni", "900");  // below its range: reverts
  PressKey(Qt::Key_Return);
  EXPECT_EQ(Byte(59), 131);
  Type("EditLedRazeni", "14000");
  PressKey(Qt::Key_Return);
  EXPECT_EQ(Byte(59), 140);
}

TEST_F(WindowTest, EnterAppliesAndMovesToTheNextBoxInTabOrder) {
  const std::pair<const char*, const char*> moves[] = {
      {"EditRpmAdv1", "EditAdvance1"}, {"EditAdvance1", "EditRpmAdv2"},
      {"EditAdvance8", "EditRpmAdv9"}, {"EditAdvance15", "EditPocetBodu"},
      {"EditBaseAdv", "EditOmez1"},    {"EditLedRazeni", "EditPocPalcu"},
  };
  for (const auto& [from, to] : moves) {
    Edit(from)->setFocus(Qt::MouseFocusReason);
    PressKey(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), Edit(to)) << from;
  }
  Type("EditAdvance1", "20");
  PressKey(Qt::Key_Return);
  EXPECT_EQ(Byte(80), 20);
  // The box itself never sees the Enter key.
  int returns = 0;
  QObject::connect(Edit("EditAdvance2"), &QLineEdit::returnPressed, [&returns] { ++returns; });
  Edit("EditAdvance2")->setFocus(Qt::MouseFocusReason);
  PressKey(Qt::Key_Return);
  EXPECT_EQ(returns, 0);
}

TEST_F(WindowTest, FewerPointsHideRowsThatKeepTheirValues) {
  TypeAndLeave("EditAdvance5", "33");
  TypeAndLeave("EditPocetBodu", "3");
  for (int k = 1; k <= 15; ++k) {
    const bool used = k <= 3;
    EXPECT_EQ(Shown(QStringLiteral("EditRpmAdv%1").arg(k)), used) << k;
    EXPECT_EQ(Shown(QStringLiteral("UpDownAdvance%1").arg(k)), used) << k;
  }
  ClickArrow("UpDownPocetBodu", true);
  ClickArrow("UpDownPocetBodu", true);
  EXPECT_TRUE(Shown("EditAdvance5"));
  EXPECT_EQ(Text("EditAdvance5"), QStringLiteral("33"));
  EXPECT_EQ(Byte(84), 33);
}

// The rows follow what the number-of-points box shows, also for a byte out of its range.
TEST_F(WindowTest, RowsFollowTheShownNumberOfPoints) {
  const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {15, 15}, {16, 15}, {255, 15}};
  for (const auto& [byte, rows] : cases) {
    SetBytes({{50, byte}});
    m_window->ShowImageInControls();
    EXPECT_EQ(Text("EditPocetBodu"), QString::number(rows)) << byte;
    for (int k = 1; k <= 15; ++k) {
      EXPECT_EQ(Shown(QStringLiteral("EditAdvance%1").arg(k)), k <= rows) << byte << " row " << k;
      EXPECT_EQ(Shown(QStringLiteral("UpDownRpmAdv%1").arg(k)), k <= rows) << byte << " row " << k;
    }
    EXPECT_EQ(Byte(50), byte);
  }
}

// Which user actions reach "Programming after change"; which changes program is the session's.
TEST_F(WindowTest, ProgrammingAfterChangeFollowsTheActionsThatApply) {
  // No unit: a started Program fails in the end, red, so that the next start shows anew.
  const auto idle = [this] {
    for (int i = 0; i < 60; ++i) m_window->Timer1Timer();
  };
  const auto programming = [this] {
    return Shown("LabelHlaseni") && Colour("LabelHlaseni", QPalette::Window) != QColor(Qt::red);
  };

  // Ticking the option with the mouse programs at once, even with nothing changed.
  Tick("CheckBoxProgHned");
  EXPECT_TRUE(programming());
  idle();

  struct Case {
    const char* what;
    std::function<void()> action;
    bool programs;
  };
  const Case cases[] = {
      {"polarity item", [this] { Tick("RadioGroupPolaritaItem0"); }, true},
      {"advance up", [this] { ClickArrow("UpDownAdvance1", true); }, true},
      {"shift light typed and left", [this] { TypeAndLeave("EditLedRazeni", "13000"); }, false},
      {"shift light spin", [this] { ClickArrow("UpDownLedRazeni", true); }, false},
      {"enter applies the shift light",
       [this] {
         Edit("EditLedRazeni")->setFocus();
         PressKey(Qt::Key_Return);
       },
       true},
      {"language", [this] { m_window->MenuGermanClick(); }, false},
      {"inverse display", [this] { Tick("CheckBoxBlackZobr"); }, false},
      {"advance typed and left", [this] { TypeAndLeave("EditAdvance3", "12"); }, true},
  };
  for (const Case& c : cases) {
    c.action();
    EXPECT_EQ(programming(), c.programs) << c.what;
    idle();
  }
  // Unticked, a change programs nothing.
  Tick("CheckBoxProgHned");
  idle();
  TypeAndLeave("EditAdvance3", "13");
  EXPECT_FALSE(programming());
}

// The shift keys and buttons reach the shifts; their bounds are the session's.
TEST_F(WindowTest, ShiftKeysAndButtonsMoveEveryAdvanceWithAllPoints) {
  Find<QCheckBox>("CheckBoxIgnAll")->setChecked(true);
  TypeAndLeave("EditAdvance1", "20");
  PressKey(Qt::Key_F5);
  EXPECT_EQ(Byte(80), 21);
  EXPECT_EQ(Byte(94), 11);
  EXPECT_EQ(Text("EditAdvance1"), QStringLiteral("21"));
  QTest::mouseClick(Find<QPushButton>("BitBtnAdvMinus"), Qt::LeftButton);
  PressKey(Qt::Key_F4);
  EXPECT_EQ(Byte(80), 19);
  EXPECT_EQ(Byte(94), 9);
  QTest::mouseClick(Find<QPushButton>("BitBtnAdvPlus"), Qt::LeftButton);
  EXPECT_EQ(Byte(80), 20);
  EXPECT_EQ(Text("EditAdvance15"), QStringLiteral("10"));
}

TEST_F(WindowTest, SinglePointShiftWithoutAUnitOnlyReadsTheControls) {
  ASSERT_FALSE(Find<QCheckBox>("CheckBoxIgnAll")->isChecked());
  const DeviceImage before = m_window->Image();
  for (int key : {Qt::Key_F4, Qt::Key_F5}) {
    PressKey(key);
    EXPECT_EQ(m_window->Image(), before);
  }
  // Pending typing is taken first, then nothing shifts.
  Type("EditAdvance1", "20");
  PressKey(Qt::Key_F5);
  EXPECT_EQ(Byte(80), 20);
  EXPECT_EQ(Byte(81), 10);
}

// A unit on a line of the test's own that reports an engine speed, so that the link has a
// current point for the single-point shifts.
class WindowWithUnitTest : public WindowTest {
 protected:
  void SetUp() override {
    if (!m_line.Open()) GTEST_SKIP() << "no line to play the unit on this system";
    ASSERT_TRUE(m_home.WriteSettings(QByteArray("[PORTS]\r\nCOM1=") +
                                     QByteArray::fromStdString(m_line.DeviceName()) + "\r\n"));
    WindowTest::SetUp();
  }
  void TearDown() override {
    m_window.reset();
    m_line.Close();
  }

  // Sends one monitor frame with the engine speed and ticks until the link has taken it.
  void ReportSpeed(int rpm) {
    std::array<unsigned char, 52> frame{};
    frame[0] = 0xB0;
    frame[1] = static_cast<unsigned char>(rpm & 0xFF);
    frame[2] = static_cast<unsigned char>(rpm >> 8);
    unsigned char check = 0xFF;
    for (std::size_t i = 0; i < 51; ++i) check ^= frame[i];
    frame[51] = check;
    ASSERT_TRUE(m_line.Write(frame.data(), frame.size()));
    for (int i = 0; i < 100 && m_window->Link().liveRpm() != rpm; ++i) {
      QTest::qWait(2);
      m_window->Timer1Timer();
      m_line.Drain();
    }
    ASSERT_EQ(m_window->Link().liveRpm(), rpm);
  }

  test::SettingsFolder m_home;
  test::UnitLine m_line;
};

TEST_F(WindowWithUnitTest, SingleShiftsMoveOnlyTheCurrentPoint) {
  // Points at 2000 and 3000 rpm: 2550 is nearer the upper one, but rounds down to 25 hundreds,
  // the midpoint, which belongs to the lower one.
  ReportSpeed(2550);
  ASSERT_FALSE(m_window->Link().currentPoint().noCurrentPoint);
  PressKey(Qt::Key_F5);
  PressKey(Qt::Key_F5);
  EXPECT_EQ(Byte(81), 12);
  EXPECT_EQ(Text("EditAdvance2"), QStringLiteral("12"));
  for (std::size_t i : {0, 2, 3, 14}) EXPECT_EQ(Byte(80 + i), 10) << i;

  ReportSpeed(2600);
  QTest::mouseClick(Find<QPushButton>("BitBtnAdvMinus"), Qt::LeftButton);
  EXPECT_EQ(Byte(82), 9);
  EXPECT_EQ(Byte(81), 12);

  // Below the first point there is none.
  ReportSpeed(500);
  EXPECT_TRUE(m_window->Link().currentPoint().noCurrentPoint);
  const DeviceImage before = m_window->Image();
  PressKey(Qt::Key_F5);
  EXPECT_EQ(m_window->Image(), before);
}

// The unit's identification text is shown as it came, never as markup: a unit could otherwise
// name a file for the label to read ("<img src=/dev/zero>" reads until memory runs out).
TEST_F(WindowWithUnitTest, IdentificationTextIsPlainText) {
  const QString text = "QM<br>17<br>RACE<br>X";
  // The answers to reading block 0 (compatibility code 26 and the text) and block 1 (zeros).
  std::array<std::array<unsigned char, 52>, 2> answers{};
  answers[0][0] = 0xC0;
  answers[0][1 + 10] = 26;
  const QByteArray bytes = text.toLatin1();
  std::copy(bytes.begin(), bytes.end(), answers[0].begin() + 1 + 16);
  answers[1][0] = 0xC1;
  m_window->MenuReadClick();
  QLabel* label = Find<QLabel>("LabelVerze1");
  for (auto& frame : answers) {
    unsigned char check = 0xFF;
    for (std::size_t i = 0; i < 51; ++i) check ^= frame[i];
    frame[51] = check;
    ASSERT_TRUE(m_line.Write(frame.data(), frame.size()));
    const auto step = m_window->Link().gaugeProgress();
    for (int i = 0; i < 100 && m_window->Link().gaugeProgress() == step && label->text() != text;
         ++i) {
      QTest::qWait(2);
      m_window->Timer1Timer();
    }
  }
  EXPECT_EQ(label->text(), text);
  EXPECT_LT(label->sizeHint().height(), 2 * label->fontMetrics().height());  // one line
}

TEST_F(WindowTest, NewAsksAndOnlyYesRestoresTheDefaults) {
  TypeAndLeave("EditAdvance1", "44");
  Find<QLabel>("LabelFile2")->setText("/tmp/curve.ign");

  m_prompts->answers = {UserPrompts::Answer::No, UserPrompts::Answer::Cancel};
  PressKey(Qt::Key_N, Qt::ControlModifier);
  QTest::mouseClick(Find<QToolButton>("SpeedButton6"), Qt::LeftButton);
  EXPECT_EQ(Byte(80), 44);
  EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), QStringLiteral("/tmp/curve.ign"));

  m_prompts->answers = {UserPrompts::Answer::Yes};
  Find<QAction>("MenuNew")->trigger();
  ASSERT_EQ(m_prompts->questions.size(), 3);
  EXPECT_EQ(m_prompts->questions[0], QStringLiteral("Do you want default setting?"));
  EXPECT_EQ(Byte(80), 10);
  EXPECT_EQ(Text("EditAdvance1"), QStringLiteral("10"));
  EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), QString());
  EXPECT_FALSE(Shown("LabelHlaseni"));
  EXPECT_FALSE(Shown("CGauge"));

  m_window->MenuGermanClick();
  m_prompts->answers = {UserPrompts::Answer::No};
  m_window->MenuNewClick();
  EXPECT_EQ(m_prompts->questions.last(), QStringLiteral("Wollen Sie Standardeinstellungen?"));
}

// A choice stores the item's number and nothing else: no other control is read, nothing is
// normalised or shown again.
TEST_F(WindowTest, PolarityIsStoredOnlyOnTheUsersChoice) {
  Find<QWidget>("CheckBoxBlackZobr")->setFocus(Qt::MouseFocusReason);  // no box to leave
  SetBytes({{60, 50}, {61, 40}});       // out of order: normalising would lift point 2
  Edit("EditAdvance1")->setText("33");  // typed but never applied
  Tick("RadioGroupPolaritaItem0");
  EXPECT_EQ(Byte(55), 0);
  EXPECT_EQ(Byte(60), 50);
  EXPECT_EQ(Byte(61), 40);
  EXPECT_EQ(Byte(80), 10);
  EXPECT_EQ(Text("EditRpmAdv1"), QStringLiteral("5,000"));
  EXPECT_EQ(Text("EditAdvance1"), QStringLiteral("33"));
  // A byte out of range from the unit selects the last item without running the handler.
  SetBytes({{55, 7}});
  EXPECT_TRUE(Find<QRadioButton>("RadioGroupPolaritaItem2")->isChecked());
  EXPECT_EQ(Byte(55), 7);
  TypeAndLeave("EditRetard", "5");
  EXPECT_EQ(Byte(55), 2);
}

TEST_F(WindowTest, OutOfRangeBytesShowTheNearestBoundUntilRead) {
  SetBytes({{80, 61}, {50, 0}, {58, 9}});
  EXPECT_EQ(Text("EditAdvance1"), QStringLiteral("60"));
  EXPECT_EQ(Text("EditPocetBodu"), QStringLiteral("1"));
  EXPECT_EQ(Text("EditPocPalcu"), QStringLiteral("3"));
  EXPECT_EQ(Byte(80), 61);
  TypeAndLeave("EditRetard", "5");
  EXPECT_EQ(Byte(80), 60);
  EXPECT_EQ(Byte(50), 1);
  EXPECT_EQ(Byte(58), 3);
}

TEST_F(WindowTest, InverseDisplayAndTheProgrammingOptionColours) {
  const QColor face = QApplication::palette().color(QPalette::Window);
  const QColor text = QApplication::palette().color(QPalette::WindowText);
  const char* captions[] = {"LabelHlaseni",
                            "LabelRpm",
                            "LabelAdvance",
                            "LabelNapeti",
                            "LabelPocetProgramovani",
                            "LabelVerze1",
                            "LabelVerze2",
                            "LabelVerze3",
                            "LabelFile1",
                            "LabelFile2",
                            "LabelMonOmez1",
                            "LabelMonRetard",
                            "LabelPolaritaMer",
                            "Label26",
                            "LabelAdvance1",
                            "Label1",
                            "LabelAdvance2",
                            "LabelBaseAdv",
                            "CheckBoxIgnAll",
                            "LabelPocetBodu",
                            "LabelOmez1",
                            "LabelOmez2",
                            "LabelRetard",
                            "LabelLedRazeni",
                            "LabelPocPalcu",
                            "RadioGroupPolarita",
                            "CheckBoxBlackZobr",
                            "CheckBoxProgHned",
                            "RadioGroupPolaritaItem0"};
  // These keep their own colours in both schemes.
  const char* ownColours[] = {"LabelSpojeni", "LabelTest1", "LabelTest8", "EditRpmAdv1",
                              "EditBaseAdv"};

  Tick("CheckBoxBlackZobr");
  EXPECT_EQ(Colour("ClientArea", QPalette::Window), QColor(Qt::black));
  for (const char* name : captions)
    EXPECT_EQ(Colour(name, QPalette::WindowText), QColor(Qt::white)) << name;
  EXPECT_TRUE(Find<QLabel>("ImageLogo")->autoFillBackground());
  EXPECT_EQ(Colour("CheckBoxProgHned", QPalette::Window), QColor(Qt::black));
  // The no-connection caption keeps its own colours.
  EXPECT_EQ(Colour("LabelSpojeni", QPalette::Window), QColor(Qt::red));
  for (const char* name : ownColours) {
    EXPECT_EQ(Colour(name, QPalette::WindowText), text) << name;
    EXPECT_EQ(Colour(name, QPalette::Text), QApplication::palette().color(QPalette::Text)) << name;
  }

  Tick("CheckBoxProgHned");
  EXPECT_EQ(Colour("CheckBoxProgHned", QPalette::Window), QColor(Qt::red));
  Tick("CheckBoxBlackZobr");
  EXPECT_EQ(Colour("CheckBoxProgHned", QPalette::Window), QColor(Qt::red));
  EXPECT_EQ(Colour("ClientArea", QPalette::Window), face);
  for (const char* name : captions) EXPECT_EQ(Colour(name, QPalette::WindowText), text) << name;
  EXPECT_FALSE(Find<QLabel>("ImageLogo")->autoFillBackground());
  Tick("CheckBoxProgHned");
  EXPECT_EQ(Colour("CheckBoxProgHned", QPalette::Window), face);
}

TEST_F(WindowTest, PrintLayoutHidesTheEditingAidsAndUsesNormalColours) {
  Find<QCheckBox>("CheckBoxBlackZobr")->setChecked(true);
  TypeAndLeave("EditPocetBodu", "4");
  const char* hidden[] = {"UpDownRpmAdv1",    "UpDownAdvance4",    "UpDownBaseAdv",
                          "UpDownOmez1",      "UpDownOmez2",       "UpDownRetard",
                          "UpDownLedRazeni",  "UpDownPocPalcu",    "UpDownPocetBodu",
                          "BitBtnAdvMinus",   "BitBtnAdvPlus",     "CheckBoxIgnAll",
                          "CheckBoxProgHned", "CheckBoxBlackZobr", "GroupBoxToolBar",
                          "StatusBar1",       "ImageLogo"};
  const char* kept[] = {"EditRpmAdv1",    "EditAdvance4",       "EditBaseAdv", "EditPocetBodu",
                        "LabelPocetBodu", "RadioGroupPolarita", "LabelRpm"};

  m_window->SetPrintLayout(true);
  for (int pass = 0; pass < 2; ++pass) {  // a second call changes nothing
    m_window->ApplyDisplayStyle();
    for (const char* name : hidden) EXPECT_FALSE(Shown(name)) << name;
    for (const char* name : kept) EXPECT_TRUE(Shown(name)) << name;
    EXPECT_FALSE(Shown("EditRpmAdv5"));
    EXPECT_EQ(Colour("ClientArea", QPalette::Window),
              QApplication::palette().color(QPalette::Window));
    EXPECT_EQ(Colour("LabelPocetBodu", QPalette::WindowText),
              QApplication::palette().color(QPalette::WindowText));
  }
  m_window->SetPrintLayout(false);
  m_window->ApplyDisplayStyle();
  for (const char* name : hidden) EXPECT_TRUE(Shown(name)) << name;
  EXPECT_FALSE(Shown("UpDownAdvance5"));
  EXPECT_EQ(Colour("ClientArea", QPalette::Window), QColor(Qt::black));
  EXPECT_EQ(Colour("LabelPocetBodu", QPalette::WindowText), QColor(Qt::white));
}

TEST_F(WindowTest, LanguageWordOnTheCommandLine) {
  const std::pair<QStringList, const char*> cases[] = {
      {{"qm17"}, "Programování jednotky \"QM-17\""},
      {{"qm17", "english"}, "Programování jednotky \"QM-17\""},
      {{"qm17", "ENGLISH"}, "Programming of \"QM-17\" unit"},
      {{"qm17", "DEUTSCH"}, "Programmierung der \"QM-17\" Zündbox"},
      {{"qm17", "CESKY", "ENGLISH"}, "Programování jednotky \"QM-17\""},
  };
  for (const auto& [arguments, title] : cases) {
    Start(arguments);
    EXPECT_EQ(m_window->windowTitle(), QString::fromUtf8(title))
        << arguments.join(' ').toStdString();
    const int language = m_window->LanguageIndex();
    EXPECT_EQ(Find<QAction>("MenuCzech")->isChecked(), language == 0);
    EXPECT_EQ(Find<QAction>("MenuEnglish")->isChecked(), language == 1);
    EXPECT_EQ(Find<QAction>("MenuGerman")->isChecked(), language == 2);
  }
}

TEST_F(WindowTest, SwitchingLanguageChangesTextsOnly) {
  Tick("RadioGroupPolaritaItem1");
  Find<QCheckBox>("CheckBoxIgnAll")->setChecked(true);
  TypeAndLeave("EditAdvance1", "22");
  const DeviceImage before = m_window->Image();

  struct Expected {
    void (MainWindow::*command)();
    const char* menuFile;
    const char* labelAdvance;
    const char* polarityItem1;
    const char* programHint;
    const char* com10Hint;
    const char* fileLabel;
  };
  const Expected languages[] = {
      {&MainWindow::MenuGermanClick, "&Datei", "Vorzündung= --- [°]", "Negativ",
       "Programmieren der Kenndaten auf die Zündbox", "Festzustellen Com 10", "Datei:"},
      {&MainWindow::MenuCzechClick, "&Soubor", "PŘEDSTIH= --- [°]", "Záporná",
       "Programování nastavených parametrů do jednotky", "Nastavení komunikace na port com 10",
       "Soubor:"},
      {&MainWindow::MenuEnglishClick, "&File", "ADVANCE= --- [°]", "Negative",
       "Programing  set parameters to unit", "Set com 10", "File:"},
  };
  for (const Expected& e : languages) {
    (m_window.get()->*e.command)();
    EXPECT_EQ(Find<QMenu>("MenuFile")->title(), QString::fromUtf8(e.menuFile));
    EXPECT_EQ(Find<QLabel>("LabelAdvance")->text(), QString::fromUtf8(e.labelAdvance));
    EXPECT_EQ(Find<QRadioButton>("RadioGroupPolaritaItem1")->text(),
              QString::fromUtf8(e.polarityItem1));
    EXPECT_EQ(Find<QAction>("MenuProgram")->statusTip(), QString::fromUtf8(e.programHint));
    // The status line adds the device the item opens.
    EXPECT_EQ(Find<QAction>("MenuCom10")->toolTip(), QString::fromUtf8(e.com10Hint));
    EXPECT_TRUE(Find<QAction>("MenuCom10")
                    ->statusTip()
                    .startsWith(QString::fromUtf8(e.com10Hint) + QStringLiteral(": ") +
                                QString::fromStdString(m_window->ComDevice(10))));
    EXPECT_EQ(Find<QLabel>("LabelFile1")->text(), QString::fromUtf8(e.fileLabel));
    // The same in every language.
    EXPECT_EQ(Find<QAction>("MenuEnglish")->statusTip(), QStringLiteral("Set Englich menu"));
    EXPECT_EQ(Find<QAction>("MenuCzech")->statusTip(), QStringLiteral("Nastavit české menu"));
    EXPECT_EQ(Find<QAction>("MenuGerman")->statusTip(), QStringLiteral("Deutche Menü"));
    EXPECT_EQ(Find<QAction>("AdvancePlus")->statusTip(), QStringLiteral("Add 1 degree of curve A"));
    EXPECT_EQ(Find<QAction>("MenuCom1")->text(), QStringLiteral("Com &1"));
    EXPECT_EQ(Find<QAction>("MenuCom10")->text(), QStringLiteral("Com 1&0"));
    EXPECT_EQ(Find<QLabel>("Label1")->text(), QStringLiteral("RPM"));

    EXPECT_TRUE(Find<QRadioButton>("RadioGroupPolaritaItem1")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("CheckBoxIgnAll")->isChecked());
    EXPECT_EQ(m_window->Image(), before);
    EXPECT_EQ(Text("EditAdvance1"), QStringLiteral("22"));
    EXPECT_FALSE(Shown("LabelHlaseni"));
  }
}

TEST_F(WindowTest, IdleLabelsFollowTheLanguageOnlyWhileDisconnected) {
  m_window->SetNoConnectionVisible(false);
  Find<QLabel>("LabelAdvance")->setText("ADVANCE= 12 [°]");
  m_window->MenuGermanClick();
  EXPECT_EQ(Find<QLabel>("LabelAdvance")->text(), QStringLiteral("ADVANCE= 12 [°]"));
  m_window->SetNoConnectionVisible(true);
  m_window->MenuGermanClick();
  EXPECT_EQ(Find<QLabel>("LabelAdvance")->text(), QStringLiteral("Vorzündung= --- [°]"));
  EXPECT_EQ(Find<QLabel>("LabelPocetProgramovani")->text(),
            QStringLiteral("Programmierungszahl= ---"));
  EXPECT_EQ(Find<QLabel>("LabelMonOmez1")->text(), QStringLiteral("Start Begrenzer - ---"));
  EXPECT_EQ(Find<QLabel>("LabelMonRetard")->text(), QStringLiteral("Spätzündung 1 - ---"));
  EXPECT_EQ(Find<QLabel>("LabelPolaritaMer")->text(), QStringLiteral("Polarität des CKPS - ---"));
}

TEST_F(WindowTest, HintsGoToTooltipsAndTheStatusLine) {
  struct Case {
    const char* control;
    const char* tooltip;
    const char* statusLine;
  };
  const Case english[] = {
      {"Label26", "", "Speed - Round per Minute"},
      {"SpeedButton5", "Open file with parametrs", "Open file with parametrs"},
      {"BitBtn1", "Programing  set parametrs to ignition", "Programing  set parametrs to ignition"},
      {"CheckBoxProgHned", "Programing at once after change", "Programing at once after change"},
      {"LabelVerze2", "Date of program in ignition", "Date of program in ignition"},
      {"BitBtnAdvMinus", "Take off 1 degree of Advance", "Take off 1 degree of Advance"},
  };
  for (const Case& c : english) {
    QWidget* control = Find<QWidget>(c.control);
    EXPECT_EQ(control->toolTip(), QString::fromUtf8(c.tooltip)) << c.control;
    QTest::mouseMove(control);
    EXPECT_EQ(Find<QStatusBar>("StatusBar1")->currentMessage(), QString::fromUtf8(c.statusLine))
        << c.control;
  }
  // A control without a hint clears the line.
  QTest::mouseMove(Edit("EditAdvance1"));
  EXPECT_EQ(Find<QStatusBar>("StatusBar1")->currentMessage(), QString());

  m_window->MenuCzechClick();
  QTest::mouseMove(Find<QWidget>("Label26"));
  EXPECT_EQ(Find<QStatusBar>("StatusBar1")->currentMessage(),
            QStringLiteral("Rychlost - Otáčky za minutu"));
  m_window->MenuGermanClick();
  QTest::mouseMove(Find<QWidget>("SpeedButton7"));
  QTest::mouseMove(Find<QWidget>("Label26"));
  EXPECT_EQ(Find<QStatusBar>("StatusBar1")->currentMessage(),
            QStringLiteral("Umdrehungen pro Minute"));
}

TEST_F(WindowTest, HighlightedMenuItemShowsItsHint) {
  QMenuBar* bar = m_window->menuBar();
  QMenu* file = Find<QMenu>("MenuFile");
  bar->setActiveAction(file->menuAction());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
  file->setActiveAction(Find<QAction>("MenuExit"));
  EXPECT_EQ(Find<QStatusBar>("StatusBar1")->currentMessage(), QStringLiteral("End of program"));
  file->setActiveAction(Find<QAction>("MenuNew"));
  EXPECT_EQ(Find<QStatusBar>("StatusBar1")->currentMessage(),
            QStringLiteral("Set default parameters "));
  file->hide();

  // The menus themselves: only three carry a hint, the others clear the line.
  const std::pair<const char*, const char*> titles[] = {
      {"MenuCom", "Set number of com"},
      {"MenuLanguage", "Set English or Czech or German"},
      {"MenuHelp", "Not available jet"},
      {"MenuDevice", ""},
      {"MenuTools", ""},
  };
  for (const auto& [name, hint] : titles) {
    QMenu* menu = Find<QMenu>(name);
    bar->setActiveAction(menu->menuAction());
    EXPECT_EQ(Find<QStatusBar>("StatusBar1")->currentMessage(), QString::fromUtf8(hint)) << name;
    menu->hide();
  }
  m_window->MenuCzechClick();
  QMenu* com = Find<QMenu>("MenuCom");
  bar->setActiveAction(com->menuAction());
  com->setActiveAction(Find<QAction>("MenuCom10"));
  EXPECT_TRUE(Find<QStatusBar>("StatusBar1")
                  ->currentMessage()
                  .startsWith(QStringLiteral("Nastavení komunikace na port com 10: ") +
                              QString::fromStdString(m_window->ComDevice(10))));  // its device
  com->hide();
}

// Tooltips only on the tool bar, the shift buttons, the programming option and the firmware
// captions; every other control shows its hint in the status line alone.
TEST_F(WindowTest, TooltipsOnlyWhereMarked) {
  const QStringList withTooltip = {
      "SpeedButton6", "SpeedButton5", "SpeedButton7",   "SpeedButtonPrint", "Button1",
      "BitBtn2",      "BitBtn1",      "BitBtnAdvMinus", "BitBtnAdvPlus",    "CheckBoxProgHned",
      "LabelVerze1",  "LabelVerze2",  "LabelVerze3"};
  for (QWidget* w : m_window->findChildren<QWidget*>()) {
    EXPECT_EQ(!w->toolTip().isEmpty(), withTooltip.contains(w->objectName()))
        << w->objectName().toStdString() << " '" << w->toolTip().toStdString() << "'";
  }
  // Frames and the window carry no hint at all.
  for (const char* frame : {"GroupBoxToolBar", "GroupBox6", "GroupBox2", "RadioGroupPolarita"})
    EXPECT_EQ(Find<QWidget>(frame)->statusTip(), QString()) << frame;
  EXPECT_EQ(m_window->statusTip(), QString());
}

// Tab visits the curve rows point by point, the number of points, the polarity group at its
// selected item, the parameter frame top to bottom and the inverse display option; the tool
// bar, the shift buttons and the option boxes are skipped.
TEST_F(WindowTest, TabOrder) {
  QStringList expected;
  for (int k = 1; k <= 15; ++k)
    expected << QStringLiteral("EditRpmAdv%1").arg(k) << QStringLiteral("EditAdvance%1").arg(k);
  expected << "EditPocetBodu"
           << "RadioGroupPolaritaItem2"
           << "EditBaseAdv"
           << "EditOmez1"
           << "EditOmez2"
           << "EditRetard"
           << "EditLedRazeni"
           << "EditPocPalcu"
           << "CheckBoxBlackZobr"
           << "EditRpmAdv1";
  Edit("EditRpmAdv1")->setFocus(Qt::TabFocusReason);
  QStringList visited;
  for (qsizetype i = 0; i < expected.size(); ++i) {
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(visited, expected);

  // The group is entered at the item the user chose last.
  Tick("RadioGroupPolaritaItem1");
  Edit("EditPocetBodu")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("RadioGroupPolaritaItem1"));
  // The arrow keys choose within the group, as a click does.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_TRUE(Find<QRadioButton>("RadioGroupPolaritaItem2")->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("RadioGroupPolaritaItem2"));
  EXPECT_EQ(Byte(55), 2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Edit("EditBaseAdv"));
  // With fewer points, Tab passes over the hidden rows.
  TypeAndLeave("EditPocetBodu", "2");
  Edit("EditAdvance2")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Edit("EditPocetBodu"));
}

TEST_F(WindowTest, ShortcutsAndToolButtonsRunTheMenuCommands) {
  PressKey(Qt::Key_F3);
  QTest::mouseClick(Find<QToolButton>("SpeedButton5"), Qt::LeftButton);
  EXPECT_EQ(m_prompts->openDialogs, 2);
  PressKey(Qt::Key_F2);
  QTest::mouseClick(Find<QToolButton>("SpeedButton7"), Qt::LeftButton);
  EXPECT_EQ(m_prompts->saveDialogs, 2);

  struct Case {
    int key;
    const char* button;
    const char* status;
  };
  const Case device[] = {{Qt::Key_F7, "Button1", "Read:"},
                         {Qt::Key_F8, "BitBtn2", "Verify:"},
                         {Qt::Key_F9, "BitBtn1", "Program device:"}};
  for (const Case& c : device) {
    Start({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    PressKey(c.key);
    EXPECT_TRUE(Shown("LabelHlaseni")) << c.button;
    EXPECT_EQ(Find<QLabel>("LabelHlaseni")->text(), QString::fromLatin1(c.status));
    Start({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    QTest::mouseClick(Find<QPushButton>(c.button), Qt::LeftButton);
    EXPECT_TRUE(Shown("LabelHlaseni")) << c.button;
    EXPECT_EQ(Find<QLabel>("LabelHlaseni")->text(), QString::fromLatin1(c.status)) << c.button;
  }
}

TEST_F(WindowTest, DesktopKeysAndAccessibleNames) {
  // Ctrl+O and Ctrl+S beside F3 and F2, also while a box is being typed in.
  Edit("EditRpmAdv1")->setFocus(Qt::MouseFocusReason);
  PressKey(Qt::Key_O, Qt::ControlModifier);
  PressKey(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(m_prompts->openDialogs, 1);
  EXPECT_EQ(m_prompts->saveDialogs, 1);
  // The two boxes that Tab skips tick from the keyboard, through their handlers.
  PressKey(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(Find<QCheckBox>("CheckBoxIgnAll")->isChecked());
  PressKey(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(Find<QCheckBox>("CheckBoxProgHned")->isChecked());
  EXPECT_EQ(Colour("CheckBoxProgHned", QPalette::Window), QColor(Qt::red));
  EXPECT_EQ(QApplication::focusWidget(), Edit("EditRpmAdv1"));

  int named = 0;
  for (const QLineEdit* box : m_window->findChildren<QLineEdit*>())
    named += !box->accessibleName().isEmpty();
  EXPECT_EQ(named, 37);
  EXPECT_EQ(Edit("EditRpmAdv3")->accessibleName(), "Point 3 speed");
  EXPECT_EQ(Edit("EditAdvance15")->accessibleName(), "Point 15 advance");
  EXPECT_EQ(Edit("EditBaseAdv")->accessibleName(), "Base advance");
  Find<QAction>("MenuCzech")->trigger();
  EXPECT_EQ(Edit("EditRpmAdv3")->accessibleName(), "Otáčky bodu 3");
  Find<QAction>("MenuGerman")->trigger();
  EXPECT_EQ(Edit("EditPocPalcu")->accessibleName(), "Zündungen pro Umdrehung");
}

TEST_F(WindowTest, ProgrammingOptionColourFollowsTheKeyboardToo) {
  QCheckBox* option = Find<QCheckBox>("CheckBoxProgHned");
  option->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(option, Qt::Key_Space);
  ASSERT_TRUE(option->isChecked());
  EXPECT_EQ(Colour("CheckBoxProgHned", QPalette::Window), QColor(Qt::red));
  QTest::keyClick(option, Qt::Key_Space);
  EXPECT_EQ(Colour("CheckBoxProgHned", QPalette::Window),
            QApplication::palette().color(QPalette::Window));
}

// Typed as a person types, never selecting by hand: after Enter the next box is typed over.
TEST_F(WindowTest, EnterLeavesTheNextBoxReadyForTyping) {
  Edit("EditRpmAdv1")->setFocus(Qt::MouseFocusReason);
  for (const char* typed : {"12", "2500", ""}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
  }
  EXPECT_TRUE(Byte(80) == 12 && Byte(61) == 25 && Edit("EditAdvance2")->hasSelectedText());
}

// However the box gets ticked (keyboard, accessibility, code), the window follows it.
TEST_F(WindowTest, InverseDisplayFollowsTheBoxHoweverItIsTicked) {
  Find<QCheckBox>("CheckBoxBlackZobr")->setChecked(true);
  EXPECT_EQ(Colour("ClientArea", QPalette::Window), QColor(Qt::black));
}

// No caption may be cut off, in any language, on the screen or in the print layout.
// Measuring captions needs real fonts; an offscreen Qt under Wine finds none and draws with a
// stand-in whose sizes mean nothing.
bool FontsToMeasure() {
  return !QFontDatabase::families().isEmpty();
}

TEST_F(WindowTest, NoCaptionIsCutOff) {
  if (!FontsToMeasure()) GTEST_SKIP() << "no fonts installed for this platform plugin";
  for (void (MainWindow::*command)() :
       {&MainWindow::MenuCzechClick, &MainWindow::MenuEnglishClick, &MainWindow::MenuGermanClick}) {
    (m_window.get()->*command)();
    // The longest texts the window may show from a file or a unit.
    Find<QLabel>("LabelFile2")->setText("/home/rider/ignition/curves/race-2026.ign");
    Find<QLabel>("LabelVerze1")->setText("QM17 RACE FIRMWARE 2026 BUILD");
    const auto message = [this](MessageId entry) { return m_window->MessageText(entry); };
    Find<QLabel>("LabelRpm")->setText("RPM = 25000 ");
    Find<QLabel>("LabelNapeti")->setText("U = 16.5 [V]");
    Find<QLabel>("LabelAdvance")->setText(message(MsgAdvancePrefix) + "60 [°]");
    Find<QLabel>("LabelMonOmez1")->setText(message(MsgStartLimiterPrefix) + message(MsgNo));
    Find<QLabel>("LabelMonRetard")->setText(message(MsgRetardPrefix) + message(MsgNo));
    Find<QLabel>("LabelPolaritaMer")->setText(message(MsgPolarityPrefix) + message(MsgNegative));
    Find<QLabel>("LabelPocetProgramovani")->setText(message(MsgProgramCountPrefix) + "65535");
    const auto widgets = m_window->centralWidget()->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
      if (!w->isVisibleTo(m_window.get()) || qobject_cast<QLineEdit*>(w)) continue;
      QString text;
      if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
      if (text.isEmpty() || qobject_cast<QToolButton*>(w)) continue;
      const std::string what = w->objectName().toStdString() + " '" + text.toStdString() + "' in " +
                               std::to_string(m_window->LanguageIndex());
      if (qobject_cast<QPushButton*>(w)) {
        // A push button's size hint has a style minimum; its caption is what must fit.
        const QString shown = QString(text).remove(u'&');
        EXPECT_LE(w->fontMetrics().horizontalAdvance(shown) + 8, w->width()) << what;
      } else {
        EXPECT_LE(w->sizeHint().width(), w->width()) << what;
      }
      // Inside its frame and not under a neighbour to its right.
      const QRect inParent = w->geometry();
      EXPECT_LE(inParent.right(), w->parentWidget()->width()) << what;
      for (QWidget* other : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other == w || !other->isVisibleTo(m_window.get())) continue;
        if (qobject_cast<QLabel*>(other) && qobject_cast<QLabel*>(other)->text().isEmpty())
          continue;
        const QRect overlap = inParent.intersected(other->geometry());
        EXPECT_TRUE(overlap.isEmpty()) << what << " overlaps " << other->objectName().toStdString();
      }
    }
    const QString title = Find<QGroupBox>("RadioGroupPolarita")->title();
    EXPECT_LE(
        QFontMetrics(Find<QGroupBox>("RadioGroupPolarita")->font()).horizontalAdvance(title) + 20,
        Find<QGroupBox>("RadioGroupPolarita")->width());
  }
}

// Speeds from 10,000 up show whole in their boxes, in either style and each digit grouping:
// with the caret behind the last digit, the text has not scrolled.
TEST_F(WindowTest, SpeedBoxesShowFiveDigitsWhole) {
  if (!FontsToMeasure()) GTEST_SKIP() << "no fonts installed for this platform plugin";
  const QString styleBefore = QApplication::style()->name();
  const auto restore = qScopeGuard([&] {
    QApplication::setStyle(styleBefore);
    QLocale::setDefault(QLocale::system());
  });
  for (const char* locale : {"cs_CZ", "en_US", "de_DE"}) {
    QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
    Start({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    for (const char* style : {"Windows", "Fusion"}) {
      if (!QApplication::setStyle(QString::fromLatin1(style))) continue;
      QApplication::processEvents();
      for (const char* box : {"RpmAdv1", "RpmAdv15", "Omez1", "Omez2", "LedRazeni"}) {
        const QString name = QString::fromLatin1(box);
        Spin("UpDown" + name)->SetPosition(15000);
        QLineEdit* edit = Edit("Edit" + name);
        edit->setCursorPosition(0);
        edit->grab();  // lays the text out as a paint does
        const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
        edit->setCursorPosition(edit->text().size());
        edit->grab();
        EXPECT_GE(edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() - start,
                  edit->fontMetrics().horizontalAdvance(edit->text()) - 1)
            << box << " '" << edit->text().toStdString() << "' " << locale << ' ' << style;
      }
    }
  }
}

// The drawn layout grows with the application's font and never shrinks below the drawing; a
// larger font keeps every control where the table puts it and the German captions in their frames.
TEST_F(WindowTest, LayoutFollowsTheApplicationFont) {
  if (!FontsToMeasure()) GTEST_SKIP() << "no fonts installed for this platform plugin";
  const QFont original = QApplication::font();
  QWidget* client = m_window->centralWidget();
  // Placed again by the window itself whenever the font changes.
  const auto placedAsDrawn = [client](const LayoutScale& scale) {
    for (const ControlPlace& row : WindowLayoutTable()) {
      const QWidget* w = client->findChild<QWidget*>(QString::fromLatin1(row.name));
      const QRect design(row.left, row.top, row.width, row.height);
      // Captions take their text's size; the file name reaches to the window's edge.
      const bool ownSize = row.width == 0 || QLatin1String(row.name) == "LabelFile2";
      const QRect expected = scale.Place(design);
      // A box of speeds may be wider, to hold five digits, and its row's spin and caption
      // further right.
      static const QRegularExpression kFitted(
          QStringLiteral("^(Edit|UpDown|Label)(RpmAdv\\d+|Omez[12]|LedRazeni)$"));
      if (kFitted.match(QLatin1String(row.name)).hasMatch()) {
        const bool box = QLatin1String(row.name).startsWith(QLatin1String("Edit"));
        EXPECT_EQ(w->y(), expected.y()) << row.name;
        EXPECT_TRUE(box ? w->x() == expected.x() && w->width() >= expected.width()
                        : w->x() >= expected.x())
            << row.name;
        continue;
      }
      EXPECT_EQ(ownSize ? w->pos() : w->geometry().topLeft(), expected.topLeft()) << row.name;
      EXPECT_TRUE(ownSize || w->size() == expected.size()) << row.name;
    }
  };
  const auto restoreFont = qScopeGuard([&original] {
    QApplication::setFont(original);
    QApplication::processEvents();
  });
  const LayoutScale normal = CurrentLayoutScale();
  EXPECT_TRUE(normal.x >= 1.0 && normal.y >= 1.0 && normal.font >= 1.0);
  EXPECT_EQ(ApplyWindowLayout(client, normal), 0);  // no row names a missing control
  placedAsDrawn(normal);

  QFont large = original;
  large.setPixelSize(QFontInfo(original).pixelSize() * 3 / 2);
  QApplication::setFont(large);
  QApplication::processEvents();
  const LayoutScale grown = CurrentLayoutScale();
  EXPECT_TRUE(grown.x > 1.3 * normal.x && grown.y > 1.3 * normal.y && grown.font > normal.font);
  placedAsDrawn(grown);
  EXPECT_EQ(Find<QLabel>("LabelRpm")->font().pixelSize(), std::lround(19 * grown.font));
  m_window->MenuGermanClick();
  for (const char* name : {"LabelPocetBodu", "LabelPocPalcu", "LabelLedRazeni", "LabelAdvance2",
                           "CheckBoxProgHned", "CheckBoxIgnAll", "CheckBoxBlackZobr"}) {
    const QWidget* w = Find<QWidget>(name);
    // The client area itself is cut at the screen's edge, as a fixed layout is.
    EXPECT_TRUE(w->sizeHint().width() <= w->width() &&
                (w->parentWidget() == client || w->geometry().right() < w->parentWidget()->width()))
        << name;
  }

  QFont small = original;
  small.setPixelSize(6);
  QApplication::setFont(small);
  QApplication::processEvents();
  EXPECT_EQ(client->sizeHint(), kDesignClientSize);
  EXPECT_EQ(Find<QWidget>("GroupBox6")->geometry(), QRect(2, 48, 353, 393));
  QApplication::setFont(original);
  QApplication::processEvents();
  EXPECT_EQ(Find<QWidget>("GroupBox6")->geometry(), normal.Place(QRect(2, 48, 353, 393)));
}

// Renders the window in each language, normal and inverse, into the build folder: beside the
// test program, wherever it is run from, so that a run by hand leaves the source tree clean.
TEST_F(WindowTest, Screenshots) {
  const QString folder =
      QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("screenshots"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const std::pair<void (MainWindow::*)(), const char*> languages[] = {
      {&MainWindow::MenuEnglishClick, "english"},
      {&MainWindow::MenuCzechClick, "czech"},
      {&MainWindow::MenuGermanClick, "german"}};
  for (const auto& [command, name] : languages) {
    (m_window.get()->*command)();
    for (bool inverse : {false, true}) {
      Find<QCheckBox>("CheckBoxBlackZobr")->setChecked(inverse);
      m_window->ApplyDisplayStyle();
      m_window->ShowHintInStatusBar(QString());
      const QString file = QStringLiteral("%1/window-%2%3.png")
                               .arg(folder, QString::fromLatin1(name),
                                    inverse ? QStringLiteral("-inverse") : QString());
      const QPixmap picture = m_window->grab();
      EXPECT_FALSE(picture.isNull());
      EXPECT_TRUE(picture.save(file)) << file.toStdString();
    }
    m_window->SetPrintLayout(true);
    m_window->ApplyDisplayStyle();
    const QString file =
        QStringLiteral("%1/window-%2-print.png").arg(folder, QString::fromLatin1(name));
    EXPECT_TRUE(m_window->centralWidget()->grab().save(file)) << file.toStdString();
    m_window->SetPrintLayout(false);
    m_window->ApplyDisplayStyle();
  }
}

TEST(SpinText, ParsingAndGrouping) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  const QLocale german(QLocale::German, QLocale::Germany);
  const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
  const std::tuple<const char*, const QLocale*, std::optional<int>> parsed[] = {
      {"1500", &english, 1500}, {"1,500", &english, 1500},    {",1,5,0,0,", &english, 1500},
      {"1.500", &english, {}},  {"1.500", &german, 1500},     {"1,500", &german, {}},
      {"", &english, {}},       {"-", &english, {}},          {"-12", &english, -12},
      {"12a", &english, {}},    {"2147483648", &english, {}}, {"2147483647", &english, 2147483647},
      {"１２", &english, {}},  // full-width digits are not decimal input here
      {"1 500", &czech, 1500},  {"1\u00A0500", &czech, 1500}, {"1 500", &english, {}},
  };
  for (const auto& [text, locale, value] : parsed)
    EXPECT_EQ(SpinButtons::ParseText(QString::fromUtf8(text), *locale), value) << text;

  const std::tuple<int, bool, const char*> formatted[] = {
      {999, true, "999"},    {1000, true, "1,000"}, {25000, true, "25,000"},
      {1000, false, "1000"}, {0, true, "0"},        {1234567, true, "1,234,567"},
  };
  for (const auto& [value, grouping, text] : formatted)
    EXPECT_EQ(SpinButtons::FormatPosition(value, grouping, english), QString::fromLatin1(text))
        << value;
}

}  // namespace
}  // namespace qm17
