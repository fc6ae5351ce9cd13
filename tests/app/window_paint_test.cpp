// What the window repaints while it polls: a monitor frame, several times a second, must cost
// no more paint passes than it needs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/kept_pictures.h"
#include "app/main_window.h"
#include "common/recording_prompts.h"
#include "common/settings_folder.h"

namespace qm17 {
namespace {

// Numbers the window's paint passes (each starts with an update request to the window) and
// notes in which pass each watched widget paints.
class PassLog : public QObject {
 public:
  int pass = 0;
  std::map<QString, std::set<int>> painted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::UpdateRequest) ++pass;
    if (event->type() == QEvent::Paint) painted[watched->objectName()].insert(pass);
    return QObject::eventFilter(watched, event);
  }
};

class WindowPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_home.isValid());
    ASSERT_TRUE(m_home.WriteSettings("[PORTS]\r\nCOM1=/nonexistent/tty\r\n"));
    m_window = std::make_unique<MainWindow>();
    m_window->SetPrompts(std::make_shared<test::RecordingPrompts>());
    m_window->findChild<QTimer*>("Timer1")->stop();
    m_window->FormCreate({"qm17", "ENGLISH"});
    m_window->findChild<QTimer*>("Timer1")->stop();
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    QApplication::processEvents();
    // The labels leave their idle captions and the first colours are set.
    m_window->ShowLiveValues(LiveValues{});
    QApplication::processEvents();
  }
  void TearDown() override {
    m_window->close();
    m_window.reset();
  }

  test::SettingsFolder m_home;
  std::unique_ptr<MainWindow> m_window;
};

// A monitor frame changes several labels and the engine-speed gauge; the gauge repaints the
// window at once when its bar moves, so everything the frame changed must be painted in that
// same pass, not the gauge and the labels set before it in one pass and the rest in a second.
// A frame that changes nothing paints nothing.
TEST_F(WindowPaint, MonitorFramePaintsInOnePass) {
  struct Case {
    std::uint16_t rpm;
    std::uint32_t millivolts;
    float volts;
    bool painted;
  };
  const Case cases[] = {
      {6000, 12500, 12.5f, true},
      {12000, 13800, 13.8f, true},
      {12000, 13800, 13.8f, false},  // the same frame again
      {3000, 11200, 11.2f, true},
  };
  const QStringList watched = {"LabelRpm",      "CGaugeRpm",      "LabelNapeti",     "LabelAdvance",
                               "LabelMonOmez1", "LabelMonRetard", "LabelPolaritaMer"};
  for (const Case& c : cases) {
    PassLog log;
    m_window->installEventFilter(&log);
    for (const QString& name : watched)
      m_window->findChild<QWidget*>(name)->installEventFilter(&log);
    LiveValues live;
    live.rpm = c.rpm;
    live.millivolts = c.millivolts;
    live.volts = c.volts;
    live.polarityFlag = true;
    m_window->ShowLiveValues(live);
    QApplication::processEvents();
    m_window->removeEventFilter(&log);
    for (const QString& name : watched)
      m_window->findChild<QWidget*>(name)->removeEventFilter(&log);

    std::set<int> passes;
    for (const auto& [name, inPasses] : log.painted)
      passes.insert(inPasses.begin(), inPasses.end());
    const std::string what = "rpm " + std::to_string(c.rpm);
    if (!c.painted) {
      EXPECT_TRUE(log.painted.empty()) << what;
      continue;
    }
    EXPECT_EQ(passes.size(), 1u) << what;
    for (const char* name : {"LabelRpm", "CGaugeRpm", "LabelNapeti"})
      EXPECT_EQ(log.painted.count(name), 1u) << what << " " << name;
  }
}

// The tick reports the current point 18 times a second; the rows follow every change of it,
// and a point reported again leaves them as they are.
TEST_F(WindowPaint, RowsFollowTheCurrentPoint) {
  const QColor lime(0, 255, 0);
  const QColor base = QApplication::palette().color(QPalette::Base);
  const std::pair<bool, std::uint8_t> points[] = {{false, 3}, {false, 3},  {true, 0},
                                                  {false, 0}, {false, 14}, {false, 14}};
  for (const auto& [none, index] : points) {
    CurrentPoint point;
    point.noCurrentPoint = none;
    point.index = index;
    m_window->ShowCurrentPoint(point);
    for (int k = 0; k < 15; ++k) {
      const QColor expected = !none && k == index ? lime : base;
      for (const QString& row :
           {QString("EditRpmAdv%1").arg(k + 1), QString("EditAdvance%1").arg(k + 1)}) {
        const auto* edit = m_window->findChild<QWidget*>(row);
        ASSERT_NE(edit, nullptr) << row.toStdString();
        EXPECT_EQ(edit->palette().color(QPalette::Base), expected)
            << row.toStdString() << " point " << int(index) << (none ? " none" : "");
      }
    }
  }
}

// The gauge and the curve's box paint from pictures they keep; every pixel must still be the
// one the style paints in place: at each value, on the light and the dark ground, live and
// greyed, whole and in part.
TEST(KeptPictures, PaintWhatTheStylePaintsInPlace) {
  for (const QColor& ground :
       {QApplication::palette().color(QPalette::Window), QColor(Qt::black)}) {
    QWidget stock;
    QWidget kept;
    auto* stockGauge = new QProgressBar(&stock);
    auto* gauge = new LiveGauge(&kept);
    auto* stockBox = new QGroupBox(QStringLiteral("Curve"), &stock);
    auto* box = new FramedGroup(&kept);
    box->setTitle(QStringLiteral("Curve"));
    for (QWidget* parent : {&stock, &kept}) {
      parent->resize(300, 200);
      parent->setAutoFillBackground(true);
      QPalette palette = parent->palette();
      palette.setColor(QPalette::Window, ground);
      parent->setPalette(palette);
    }
    for (QProgressBar* bar : {stockGauge, static_cast<QProgressBar*>(gauge)}) {
      bar->setGeometry(20, 10, 240, 21);
      bar->setRange(0, 100);
      bar->setTextVisible(false);
      QPalette palette = bar->palette();
      palette.setColor(QPalette::Highlight, QColor(255, 0, 255));
      bar->setPalette(palette);
    }
    stockBox->setGeometry(10, 40, 250, 150);
    box->setGeometry(10, 40, 250, 150);
    for (const bool enabled : {true, false}) {
      stock.setEnabled(enabled);
      kept.setEnabled(enabled);
      // Twice each: the first paint of a value is in place, the picture is taken after it.
      for (const int pass : {0, 1}) {
        for (int value = 0; value <= 100; ++value) {
          stockGauge->setValue(value);
          gauge->ShowValue(value);
          for (int paint = 0; paint < 2; ++paint) {
            ASSERT_EQ(stock.grab().toImage(), kept.grab().toImage())
                << "value " << value << " pass " << pass << (enabled ? "" : " greyed");
            QApplication::processEvents();
          }
        }
      }
      // And as the window shows them, painted through its backing store.
      stock.show();
      kept.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&stock) && QTest::qWaitForWindowExposed(&kept));
      for (int step = 0; step < 68; ++step) {  // down and up again: pictures the second time
        const int value = step < 34 ? 100 - 3 * step : 1 + 3 * (step - 34);
        stockGauge->setValue(value);
        gauge->ShowValue(value);
        QApplication::processEvents();
        const auto shown = [](QWidget& window) {
          return window.screen()->grabWindow(window.winId()).toImage();
        };
        ASSERT_EQ(shown(stock), shown(kept)) << "shown at " << value;
      }
      stock.hide();
      kept.hide();
      // A row repaints part of the box (the gauge always repaints whole).
      const QRect part(30, 90, 200, 60);
      EXPECT_EQ(stock.grab(part).toImage(), kept.grab(part).toImage());
    }
  }
}

}  // namespace
}  // namespace qm17
