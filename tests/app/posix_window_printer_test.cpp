#include <gtest/gtest.h>

#include <QPixmap>
#include <QPrinterInfo>

#include "files/window_printer.h"

namespace qm17 {
namespace {

// CUPS's answer to a job, which Qt drops: read on POSIX systems only.
TEST(PrintPicture, PrintServiceAnswerReachesTheCaller) {
  // Two PDF queues of a local CUPS, one of them rejecting jobs (scripts/print-test-queues).
  const char* refusing = "qm17-test-refusing";
  const char* accepting = "qm17-test-pdf";
  if (QPrinterInfo::printerInfo(refusing).isNull() || QPrinterInfo::printerInfo(accepting).isNull())
    GTEST_SKIP() << "no print service with the test queues";
  QPixmap picture(842, 584);
  picture.fill(Qt::blue);
  // Each queue in turn as the session's default printer; the accepted job comes after the
  // refused one, so a stale answer would show there.
  qputenv("PRINTER", refusing);
  const QString refusal = PrintPicture(picture, {}, "qm17", Language::English);
  EXPECT_TRUE(refusal.contains(refusing)) << refusal.toStdString();
  qputenv("PRINTER", accepting);
  EXPECT_EQ(PrintPicture(picture, {}, "qm17", Language::English), QString());
}

}  // namespace
}  // namespace qm17
