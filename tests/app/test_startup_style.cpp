// The start-up style: the same pictures as the style it wraps, without opening the image-format
// plugins before the window's first frame.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <memory>

#include "app/main_window.h"
#include "app/startup_style.h"

namespace qm17 {
namespace {

QImage Argb(const QImage& image) {
  return image.convertToFormat(QImage::Format_ARGB32);
}

bool ImagePluginLoaded() {
  QFile maps(QStringLiteral("/proc/self/maps"));
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

QImage Render(QWidget& window) {
  window.resize(1084, 661);
  return Argb(window.grab().toImage());
}

TEST(StartupStyle, PreloadedFramePictureIsWhatLoadingByNameGives) {
  const QString path = QString::fromLatin1(kFusionGroupBoxFrame);
  QPixmapCache::clear();
  const QImage own = QPixmap(path).toImage();  // through Qt's own loading
  ASSERT_FALSE(own.isNull());
  QPixmapCache::clear();
  ASSERT_TRUE(PreloadStylePixmap(path));
  QPixmap cached;
  ASSERT_TRUE(QPixmapCache::find(FilePixmapCacheKey(path), &cached));
  // Loading by name finds the preloaded picture: the key is the one QPixmap looks for.
  const QPixmap byName(path);
  EXPECT_EQ(byName.cacheKey(), cached.cacheKey());
  EXPECT_EQ(cached.toImage(), own);
}

TEST(StartupStyle, PreloadRefusesWhatItCannotRead) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString text = dir.filePath(QStringLiteral("frame.png"));
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a picture\n");
  file.close();
  for (const QString& path : {QStringLiteral(":/no/such/picture.png"), text,
                              dir.filePath(QStringLiteral("missing.png"))}) {
    SCOPED_TRACE(path.toStdString());
    EXPECT_FALSE(PreloadStylePixmap(path));
  }
}

TEST(StartupStyle, OverflowArrowsAreTheBaseStylesPictures) {
  const std::unique_ptr<QStyle> base(QStyleFactory::create(QStringLiteral("fusion")));
  const std::unique_ptr<QStyle> wrapped(
      MakeStartupStyle(QStyleFactory::create(QStringLiteral("fusion"))));
  ASSERT_TRUE(base && wrapped);
  for (const QStyle::StandardPixmap which :
       {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
    SCOPED_TRACE(static_cast<int>(which));
    const QIcon expected = base->standardIcon(which);
    const QIcon deferred = wrapped->standardIcon(which);
    const QIcon copy = deferred;  // a copy shares the engine until it is changed
    EXPECT_FALSE(deferred.isNull());
    EXPECT_EQ(deferred.availableSizes(), expected.availableSizes());
    for (const int size : {8, 16, 24, 32}) {
      EXPECT_EQ(deferred.actualSize(QSize(size, size)), expected.actualSize(QSize(size, size)));
      EXPECT_EQ(Argb(copy.pixmap(size).toImage()), Argb(expected.pixmap(size).toImage()));
      EXPECT_EQ(Argb(deferred.pixmap(size, QIcon::Disabled).toImage()),
                Argb(expected.pixmap(size, QIcon::Disabled).toImage()));
    }
  }
  // Other pictures come from the base style as they are.
  EXPECT_EQ(Argb(wrapped->standardIcon(QStyle::SP_DialogOkButton).pixmap(16).toImage()),
            Argb(base->standardIcon(QStyle::SP_DialogOkButton).pixmap(16).toImage()));
}

// Run alone (as CTest runs each test), nothing has opened an image plugin before it.
TEST(StartupStyle, WindowShowsWithoutOpeningImagePlugins) {
  if (ImagePluginLoaded()) GTEST_SKIP() << "an earlier test in this process opened them";
  InstallStartupStyle();
  MainWindow window;
  window.show();
  const QImage frame = Render(window);
  EXPECT_FALSE(frame.isNull());
  EXPECT_FALSE(ImagePluginLoaded());
  // The window's pictures and frames are there: the control is not just blank.
  EXPECT_NE(frame.pixelColor(5, 5), frame.pixelColor(frame.width() / 2, frame.height() / 2));
}

TEST(StartupStyle, WindowLooksAsUnderTheStyleItWraps) {
  QApplication::setStyle(QStringLiteral("fusion"));
  QPixmapCache::clear();
  QImage plain;
  {
    MainWindow window;
    plain = Render(window);
  }
  InstallStartupStyle();
  QPixmapCache::clear();
  MainWindow window;
  // The menu bar's overflow arrow shows too, on a window narrower than its menus.
  QMainWindow narrow;
  for (const char* title : {"File", "Com", "Device", "Tools", "Language", "Help"})
    narrow.menuBar()->addMenu(QString::fromLatin1(title));
  narrow.resize(60, 40);
  const QImage narrowWrapped = Argb(narrow.grab().toImage());
  const auto* arrow =
      narrow.menuBar()->findChild<QWidget*>(QStringLiteral("qt_menubar_ext_button"));
  ASSERT_NE(arrow, nullptr);
  EXPECT_FALSE(arrow->isHidden());
  EXPECT_EQ(Render(window), plain);
  QApplication::setStyle(QStringLiteral("fusion"));
  QMainWindow narrowPlain;
  for (const char* title : {"File", "Com", "Device", "Tools", "Language", "Help"})
    narrowPlain.menuBar()->addMenu(QString::fromLatin1(title));
  narrowPlain.resize(60, 40);
  EXPECT_EQ(Argb(narrowPlain.grab().toImage()), narrowWrapped);
}

}  // namespace
}  // namespace qm17
