// The advance curve view: its mapping, its drawing, and edits made in it reaching the table.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <memory>

#include "app/curve_view.h"
#include "app/main_window.h"
#include "app/spin_buttons.h"
#include "common/recording_prompts.h"
#include "common/settings_folder.h"
#include "common/unit_line.h"
#include "files/settings_store.h"
#include "texts/texts.h"

namespace qm17 {
namespace {

TEST(CurveScaleTest, MapsPointsToPixelsAndBack) {
  // A plot of 500 x 300 pixels inside the margins; the default set reaches 15000 rpm.
  DeviceImage image{};
  SetDefaultImage(image);
  EXPECT_EQ(HighestSpeedShown(image, std::nullopt), 15000);
  const CurveScale scale = ScaleFor(QSizeF(576, 408), 15000);
  EXPECT_EQ(scale.plot, QRectF(58, 62, 500, 300));
  EXPECT_EQ(scale.maxRpm, 16000);
  EXPECT_EQ(PointToPixel(scale, 0, 0), QPointF(58, 362));
  EXPECT_EQ(PointToPixel(scale, 8000, 30), QPointF(308, 212));
  EXPECT_EQ(PixelToPoint(scale, QPointF(558, 62)), QPointF(16000, 60));
  // A unit whose limiter is higher widens the axis; nothing shown still leaves 1000 rpm.
  BlockBytes unit{};
  unit[0] = 1;
  unit[image_byte::kLimiter - image_byte::kParameterBlock] = 200;
  EXPECT_EQ(HighestSpeedShown(image, unit), 20000);
  EXPECT_EQ(ScaleFor(QSizeF(10, 10), 0).maxRpm, 1000);
  EXPECT_GT(ScaleFor(QSizeF(10, 10), 0).plot.width(), 0);
}

TEST(CurveTexts, EveryTextInEveryLanguageAndNothingOutOfRange) {
  for (int id = 0; id < kCurveTextCount; ++id) {
    for (Language language : {Language::Czech, Language::English, Language::German}) {
      const char* text = CurveViewText(language, id);
      ASSERT_NE(text, nullptr) << id;
      EXPECT_NE(text[0], '\0') << id;
    }
  }
  EXPECT_STREQ(CurveViewText(Language::English, kCurveTextCount), "");
  EXPECT_STREQ(CurveViewText(static_cast<Language>(3), CurveMenuItem), "");
}

class CurveWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }
  void Start() {
    m_window.reset();
    m_window = std::make_unique<MainWindow>();
    m_window->SetPrompts(m_prompts);
    m_window->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    m_window->FormCreate({QStringLiteral("qm17"), QStringLiteral("ENGLISH")});
    m_window->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    m_window->show();
  }
  void OpenView() {
    if (!m_window->CurveViewWindow() || !m_window->CurveViewWindow()->isVisible())
      m_window->findChild<QAction*>(QStringLiteral("MenuCurveView"))->trigger();
    ASSERT_NE(m_window->CurveViewWindow(), nullptr);
    m_view = m_window->CurveViewWindow()->View();
    m_window->CurveViewWindow()->resize(760, 520);
    QApplication::processEvents();
  }
  QPoint Pixel(double rpm, double advance) const {
    const CurveScale scale =
        ScaleFor(m_view->size(), HighestSpeedShown(m_window->Image(), std::nullopt));
    return PointToPixel(scale, rpm, advance).toPoint();
  }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(m_view, Qt::LeftButton, Qt::NoModifier, from);
    // Through a few steps, as a hand moves.
    for (int step = 1; step <= 4; ++step) QTest::mouseMove(m_view, from + (to - from) * step / 4);
    QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, to);
  }
  std::uint8_t Byte(std::size_t i) const { return m_window->Image()[i]; }
  int Position(const char* spin) const {
    return m_window->findChild<SpinButtons*>(QString::fromLatin1(spin))->Position();
  }

  test::SettingsFolder m_home;  // first made, last gone: the window saves into it
  std::shared_ptr<test::RecordingPrompts> m_prompts = std::make_shared<test::RecordingPrompts>();
  std::unique_ptr<MainWindow> m_window;
  CurveView* m_view = nullptr;
};

TEST_F(CurveWindowTest, DragsAndKeysFollowTheTablesEditingRules) {
  OpenView();
  // Point 3 (3000 rpm, 10 degrees) up to 25 degrees, then past the top.
  Drag(Pixel(3000, 10), Pixel(3000, 25));
  EXPECT_EQ(Byte(82), 25);
  EXPECT_EQ(Position("UpDownAdvance3"), 25);
  // A drag is one step: undone and done again from the curve window's own keys.
  m_window->CurveViewWindow()->activateWindow();
  QTest::keyClick(m_view, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Byte(82), 10);
  QTest::keyClick(m_view, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Byte(82), 25);
  Drag(Pixel(3000, 25), Pixel(3000, 70));
  EXPECT_EQ(Byte(82), 60);
  // Sideways it stops short of its neighbours, and leaves its advance.
  Drag(Pixel(3000, 60), Pixel(5500, 60));
  EXPECT_EQ(Byte(62), 39);
  EXPECT_EQ(Position("UpDownRpmAdv3"), 3900);
  Drag(Pixel(3900, 60), Pixel(500, 60));
  EXPECT_EQ(Byte(62), 21);
  EXPECT_EQ(Byte(82), 60);

  // Keys act on the selected point: up stops at 60, minus lowers, PageDown selects the next.
  QTest::keyClick(m_view, Qt::Key_Up);
  EXPECT_EQ(Byte(82), 60);
  QTest::keyClick(m_view, Qt::Key_Minus);
  EXPECT_EQ(Byte(82), 59);
  QTest::keyClick(m_view, Qt::Key_PageDown);
  QTest::keyClick(m_view, Qt::Key_Right);
  EXPECT_EQ(Byte(63), 41);

  // With 5 points in use the rows beyond are not drawn and take no press; the last point in
  // use pushes the hidden ones on, as a speed typed into its row does.
  DeviceImage image = m_window->Image();
  image[image_byte::kPointCountByte] = 5;
  m_window->RunSession().SetImage(image, m_window->RunSession().FileName());
  const DeviceImage before = m_window->Image();
  Drag(Pixel(7000, 10), Pixel(7000, 30));
  EXPECT_EQ(m_window->Image(), before);
  Drag(Pixel(5000, 10), Pixel(6500, 10));
  EXPECT_EQ(Byte(64), 65);
  EXPECT_EQ(Byte(65), 66);
}

TEST_F(CurveWindowTest, OpenStateAndGeometryAreKeptInTheirOwnSection) {
  // Closed, the view is never made.
  EXPECT_EQ(m_window->CurveViewWindow(), nullptr);
  OpenView();
  m_window->close();
  IniFile settings;
  ASSERT_TRUE(settings.Load(m_home.SettingsPath().toStdString()));
  EXPECT_EQ(settings.ReadInteger("CURVE_VIEW", "Open", 0), 1);
  EXPECT_EQ(settings.ReadInteger("CURVE_VIEW", "Width", 0), 760);
  EXPECT_FALSE(settings.Get(kSettingsSection, "Open").has_value());
  Start();
  QTest::qWait(10);
  ASSERT_NE(m_window->CurveViewWindow(), nullptr);
  EXPECT_TRUE(m_window->CurveViewWindow()->isVisible());
  EXPECT_EQ(m_window->CurveViewWindow()->width(), 760);
  // Closing it is kept too.
  m_window->findChild<QAction*>(QStringLiteral("MenuCurveView"))->trigger();
  m_window->close();
  ASSERT_TRUE(settings.Load(m_home.SettingsPath().toStdString()));
  EXPECT_EQ(settings.ReadInteger("CURVE_VIEW", "Open", 1), 0);

  // Saved pictures: a whole PDF, and a failure where nothing can be written.
  const QString pdf = m_home.filePath("curve.pdf");
  ASSERT_TRUE(m_window->CurveViewWindow()->WritePdf(pdf));
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().startsWith("%PDF"));
  EXPECT_FALSE(m_window->CurveViewWindow()->WritePng(QStringLiteral("/nonexistent/curve.png")));
}

TEST_F(CurveWindowTest, UnitsCurveFollowsWhatTheUnitIsKnownToHold) {
  test::UnitLine line;
  if (!line.Open()) GTEST_SKIP() << "no line to play the unit on this system";
  ASSERT_TRUE(m_home.WriteSettings(QByteArray("[PORTS]\r\nCOM1=") +
                                   QByteArray::fromStdString(line.DeviceName()) + "\r\n"));
  Start();
  OpenView();
  const auto tick = [this, &line]() {
    QTest::qWait(2);
    m_window->Timer1Timer();
    line.Drain();
  };
  // The unit answers the Verify's read of block 1 with the window's own block.
  BlockBytes block{};
  std::copy_n(m_window->Image().begin() + image_byte::kParameterBlock, kBlockSize, block.begin());
  m_window->MenuVerifyClick();
  std::array<unsigned char, 52> answer{};
  answer[0] = 0xC1;
  std::copy(block.begin(), block.end(), answer.begin() + 1);
  unsigned char check = 0xFF;
  for (std::size_t i = 0; i < 51; ++i) check ^= answer[i];
  answer[51] = check;
  ASSERT_TRUE(line.Write(answer.data(), answer.size()));
  for (int i = 0; i < 100 && !m_window->UnitBlock(); ++i) tick();
  ASSERT_TRUE(m_window->UnitBlock().has_value());
  EXPECT_EQ(*m_window->UnitBlock(), block);
  EXPECT_EQ(m_view->UnitBlock(), m_window->UnitBlock());
  // A Verify the unit never answers changed nothing in the unit: the curve stays as known.
  m_window->MenuVerifyClick();
  for (int i = 0; i < 40; ++i) tick();
  EXPECT_EQ(m_window->UnitBlock(), block);
  EXPECT_EQ(m_view->UnitBlock(), m_window->UnitBlock());
  m_window.reset();
}

// True when a pixel within one of `at` has `colour`, give or take the smoothing of edges.
bool Near(const QImage& image, QPointF at, const QColor& colour) {
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      const QColor c = image.pixelColor(at.toPoint() + QPoint(dx, dy));
      if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
              std::abs(c.blue() - colour.blue()) <
          40)
        return true;
    }
  }
  return false;
}

TEST(CurveViewDrawingTest, DrawsThePointsInUseTheLinesAndTheLivePoint) {
  DeviceImage image{};
  SetDefaultImage(image);
  image[image_byte::kPointCountByte] = 5;
  for (std::size_t i = 0; i < kPointCount; ++i) image[image_byte::kPointAdvance + i] = 45;
  image[image_byte::kPointAdvance + 2] = 30;
  CurveView view;
  view.SetImage(image);
  const QSize size(576, 408);
  const CurveScale scale = ScaleFor(size, HighestSpeedShown(image, std::nullopt));
  const auto render = [&view, size]() {
    QImage out(size, QImage::Format_RGB32);
    QPainter painter(&out);
    view.Render(painter, size, false);
    return out;
  };
  const QColor curve(0, 0, 200);
  QImage out = render();
  EXPECT_EQ(out.pixelColor(3, size.height() - 3), QColor(Qt::white));
  EXPECT_TRUE(Near(out, PointToPixel(scale, 3000, 30), curve));
  EXPECT_FALSE(Near(out, PointToPixel(scale, 6000, 45), curve));  // point 6 is not in use
  EXPECT_TRUE(Near(out, PointToPixel(scale, 15000, 20), QColor(210, 0, 0)));  // limiter

  // The current point as the table marks it, then the inverse colours.
  view.SetCurrentPoint({2, false});
  out = render();
  EXPECT_TRUE(Near(out, PointToPixel(scale, 3000, 30), QColor(0, 255, 0)));
  view.SetInverse(true);
  out = render();
  EXPECT_EQ(out.pixelColor(3, size.height() - 3), QColor(Qt::black));
  EXPECT_TRUE(Near(out, PointToPixel(scale, 2000, 45), QColor(90, 170, 255)));

  // The engine while frames arrive, and nothing of it once the link is lost.
  view.AddLiveSample(4500, 52);
  out = render();
  EXPECT_TRUE(Near(out, PointToPixel(scale, 4500, 52), QColor(255, 0, 255)));
  view.SetLinkLost(true);
  out = render();
  EXPECT_FALSE(Near(out, PointToPixel(scale, 4500, 52), QColor(255, 0, 255)));
}

}  // namespace
}  // namespace qm17
