// What the window repaints while it polls: a monitor frame several times a second must not cost
// more paint passes than it needs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "common/recording_prompts.h"

namespace qm17 {
namespace {

class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

class WindowPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", m_home.path().toLocal8Bit());
    QDir().mkpath(m_home.filePath("qm17"));
    QFile settings(m_home.filePath("qm17/Tarvex.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[PORTS]\r\nCOM1=/nonexistent/tty\r\n");
    settings.close();
    m_window = std::make_unique<MainWindow>();
    m_window->SetPrompts(std::make_shared<test::RecordingPrompts>());
    m_window->findChild<QTimer*>("Timer1")->stop();
    m_window->FormCreate({"qm17", "ENGLISH"});
    m_window->findChild<QTimer*>("Timer1")->stop();
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    QApplication::processEvents();
  }
  void TearDown() override {
    m_window->close();
    m_window.reset();
    qunsetenv("XDG_CONFIG_HOME");
  }

  QTemporaryDir m_home;
  std::unique_ptr<MainWindow> m_window;
};

// QProgressBar paints at once when its value changes visibly; the window's gauges wait for the
// next ordinary paint pass, which they share with the labels of the same frame.
TEST_F(WindowPaint, GaugesPaintInTheNextPassNotAtOnce) {
  struct Case {
    const char* gauge;
    std::function<void(MainWindow&)> change;
    int expected;
  };
  const Case cases[] = {
      {"CGaugeRpm",
       [](MainWindow& w) {
         LiveValues live;
         live.rpm = 12000;
         live.polarityFlag = true;
         w.ShowLiveValues(live);
       },
       -1},
      // The operation gauge counts 0..3 and clamps.
      {"CGauge", [](MainWindow& w) { w.SetGaugeProgress(1); }, 1},
      {"CGauge", [](MainWindow& w) { w.SetGaugeProgress(7); }, 3},
      {"CGauge", [](MainWindow& w) { w.SetGaugeProgress(-5); }, 0},
  };
  m_window->SetGaugeVisible(true);
  QApplication::processEvents();
  for (const Case& c : cases) {
    auto* gauge = m_window->findChild<QProgressBar*>(c.gauge);
    ASSERT_NE(gauge, nullptr) << c.gauge;
    const int before = gauge->value();
    PaintCounter counter;
    gauge->installEventFilter(&counter);
    c.change(*m_window);
    EXPECT_EQ(counter.paints, 0) << c.gauge << " " << c.expected;
    if (c.expected >= 0) {
      EXPECT_EQ(gauge->value(), c.expected);
    }
    EXPECT_NE(gauge->value(), before) << c.gauge << " " << c.expected;
    EXPECT_TRUE(gauge->updatesEnabled());
    QApplication::processEvents();
    EXPECT_GE(counter.paints, 1) << c.gauge << " " << c.expected;
    gauge->removeEventFilter(&counter);
  }
}

// A value the gauge shows already schedules no paint at all.
TEST_F(WindowPaint, UnchangedGaugeIsNotRepainted) {
  m_window->SetGaugeVisible(true);
  m_window->SetGaugeProgress(2);
  QApplication::processEvents();
  auto* gauge = m_window->findChild<QProgressBar*>("CGauge");
  PaintCounter counter;
  gauge->installEventFilter(&counter);
  m_window->SetGaugeProgress(2);
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 0);
  m_window->SetGaugeProgress(9);  // clamps to the 3 set again next
  m_window->SetGaugeProgress(3);
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);
  EXPECT_EQ(gauge->value(), 3);
  gauge->removeEventFilter(&counter);
}

}  // namespace
}  // namespace qm17
