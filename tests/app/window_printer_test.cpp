#include "app/window_printer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPrinterInfo>
#include <QTemporaryDir>

namespace qm17 {
namespace {

TEST(FitToPage, ProportionsAndRounding) {
  struct Case {
    QSize picture, page, expected;
  };
  const Case cases[] = {
      // A wide window on an upright page fills the width.
      {{842, 584}, {4760, 6736}, {4760, 3301}},
      // A tall window fills the height.
      {{100, 400}, {1000, 1000}, {250, 1000}},
      // Quotients to the nearest integer, down and up.
      {{3, 7}, {10, 10}, {4, 10}},
      {{7, 3}, {10, 10}, {10, 4}},
      {{2, 3}, {100, 100}, {67, 100}},
      {{3, 2}, {100, 100}, {100, 67}},
      // Exactly the page's shape: the width is not smaller, so the width rule applies.
      {{50, 50}, {100, 100}, {100, 100}},
      // Products beyond 32 bits.
      {{60000, 50000}, {70000, 70000}, {70000, 58333}},
      // Nothing to scale.
      {{0, 584}, {4760, 6736}, {0, 0}},
      {{842, 0}, {4760, 6736}, {0, 0}},
      {{842, 584}, {0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    const QSize size = FitToPage(c.picture, c.page);
    EXPECT_EQ(size.width(), c.expected.width()) << c.picture.width() << "x" << c.picture.height();
    EXPECT_EQ(size.height(), c.expected.height()) << c.picture.width() << "x" << c.picture.height();
  }
}

TEST(DrawPictureOnPage, FromTheTopLeftCornerScaled) {
  QPixmap picture(400, 200);
  picture.fill(Qt::red);
  QImage page(300, 600, QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    QPainter painter(&page);
    DrawPictureOnPage(painter, page.size(), picture);
  }
  // 400x200 on 300x600: full width, height 150.
  EXPECT_EQ(page.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(page.pixelColor(299, 148), QColor(Qt::red));
  EXPECT_EQ(page.pixelColor(150, 152), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(299, 599), QColor(Qt::white));
}

int CountPages(const QByteArray& pdf) {
  int pages = 0;
  for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
    if (pdf.mid(at + 11, 1) != "s") ++pages;
  return pages;
}

TEST(PrintPicture, OnePagePdf) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("page.pdf");
  QPixmap picture(842, 584);
  picture.fill(Qt::blue);
  EXPECT_EQ(PrintPicture(picture, {path}, "qm17", Language::English), QString());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray pdf = file.readAll();
  EXPECT_TRUE(pdf.startsWith("%PDF-"));
  EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
  EXPECT_EQ(CountPages(pdf), 1);
  EXPECT_TRUE(pdf.contains("/Subtype /Image")) << "the picture is on the page";
}

TEST(PrintPicture, FailuresAreReportedNotHidden) {
  QPixmap picture(10, 10);
  picture.fill(Qt::blue);
  // A PDF in a folder that does not exist: the file error, and why.
  EXPECT_EQ(PrintPicture(picture, {"/nonexistent-folder/x/page.pdf"}, "qm17", Language::English),
            "Open file error!\nThe file /nonexistent-folder/x/page.pdf cannot be written.");
  // An empty picture is refused before any job starts, in the window's language.
  QTemporaryDir dir;
  EXPECT_EQ(PrintPicture(QPixmap(), {dir.filePath("empty.pdf")}, "qm17", Language::Czech),
            "Není co tisknout: okno je prázdné.");
  EXPECT_FALSE(QFile::exists(dir.filePath("empty.pdf")));
}

TEST(PrintPicture, NoDefaultPrinter) {
  // Only where no printer is installed: elsewhere this would print a real page.
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed";
  QPixmap picture(10, 10);
  picture.fill(Qt::blue);
  EXPECT_EQ(PrintPicture(picture, {}, "qm17", Language::English), "There is no default printer.");
  EXPECT_EQ(PrintPicture(picture, {}, "qm17", Language::German),
            "Es ist kein Standarddrucker eingerichtet.");
}

TEST(PrintWidget, CapturesWhatTheWidgetShows) {
  QTemporaryDir dir;
  QLabel label("Date and Time of printing:  ");
  label.resize(300, 40);
  const QString path = dir.filePath("label.pdf");
  EXPECT_EQ(PrintWidget(label, {path}, "qm17", Language::English), QString());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(CountPages(file.readAll()), 1);
}

}  // namespace
}  // namespace qm17
