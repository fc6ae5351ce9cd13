#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QPixmap>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include "app/window_printer.h"
#include "common/fifo.h"

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

// A PDF goes only into a regular file, whole: a pipe (here with a reader, so that nothing can
// hang) and a full device are refused and said to be, where writing into them would have
// "succeeded" with a page cut short or lost.
TEST(PrintPicture, PdfOnlyIntoAWholeRegularFile) {
  QPixmap picture(842, 584);
  picture.fill(Qt::blue);
  QTemporaryDir dir;
  const QString pipe = dir.filePath("page.pdf");
  ASSERT_TRUE(test::MakeFifo(pipe));
  const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const QString error = PrintPicture(picture, {pipe}, "qm17", Language::English);
  EXPECT_EQ(error, "Open file error!\nThe file " + pipe + " cannot be written.");
  char byte = 0;
  EXPECT_LE(::read(reader, &byte, 1), 0) << "nothing went into the pipe";
  ::close(reader);
  if (QFile::exists("/dev/full")) {
    EXPECT_TRUE(PrintPicture(picture, {"/dev/full"}, "qm17", Language::German)
                    .startsWith("Fehler bei Eröffnung der Datei!\n"));
  }
}

}  // namespace
}  // namespace qm17
