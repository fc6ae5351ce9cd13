#include "app/window_printer.h"

#include <QBuffer>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <cstdint>
#include <string>

#include "app/local_path.h"
#include "app/window_printer_service.h"
#include "files/atomic_file.h"
#include "texts/texts.h"

namespace qm17 {
namespace {

// a * b / c to the nearest integer; 64 bits so that printer pixels times screen pixels fit.
int MulDivRounded(int a, int b, int c) {
  const std::int64_t product = std::int64_t{a} * b;
  return static_cast<int>((product + c / 2) / c);
}

QString Problem(Language language, PrintProblemId id) {
  return QString::fromUtf8(PrintProblemText(language, id));
}

}  // namespace

QSize FitToPage(QSize picture, QSize page) {
  const int w = picture.width(), h = picture.height();
  const int pageWidth = page.width(), pageHeight = page.height();
  if (w <= 0 || h <= 0 || pageWidth <= 0 || pageHeight <= 0) return {0, 0};
  const int width = MulDivRounded(w, pageHeight, h);
  if (width < pageWidth) return {width, pageHeight};
  return {pageWidth, MulDivRounded(h, pageWidth, w)};
}

void DrawPictureOnPage(QPainter& painter, QSize page, const QPixmap& picture) {
  const QSize size = FitToPage(picture.size(), page);
  if (size.isEmpty()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(QRect(QPoint(0, 0), size), picture);
}

bool PrintsToPdfFile(QPrinter& printer) {
  // A preview paints through an engine of its own, even for a PDF printer.
  const QPaintEngine* engine = printer.paintEngine();
  return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty() &&
         engine != nullptr && engine->type() == QPaintEngine::Pdf;
}

QByteArray PdfInMemory(const QPrinter& like,
                       const std::function<bool(QPainter&, QPaintDevice&)>& paint) {
  QByteArray pdf;
  QBuffer buffer(&pdf);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  QPdfWriter writer(&buffer);
  writer.setResolution(like.resolution());
  writer.setPageLayout(like.pageLayout());
  writer.setTitle(like.docName());
  QPainter painter;
  if (!painter.begin(&writer)) return {};
  const bool painted = paint(painter, writer);
  if (!painter.end() || !painted) return {};
  return pdf;
}

QString WritePdfFile(const QString& path, const QByteArray& pdf, Language language) {
  if (!pdf.isEmpty() &&
      WriteRegularFileAtomically(LocalPath(path), std::string(pdf.constData(), pdf.size())))
    return {};
  return QString::fromStdString(MessageTexts(language, MsgOpenFileError)) + u'\n' +
         Problem(language, PrintProblemId::FileNotWritten).arg(path);
}

QString PrintPage(QPrinter& printer, const std::function<bool(QPainter&, QPaintDevice&)>& paint,
                  Language language) {
  // Qt's own PDF writer says nothing of a full disk, and waits on a pipe with the window frozen.
  if (PrintsToPdfFile(printer))
    return WritePdfFile(printer.outputFileName(), PdfInMemory(printer, paint), language);
  QPainter painter;
  if (painter.begin(&printer)) {
    paint(painter, printer);
    if (painter.end() && printer.printerState() != QPrinter::Error) return {};
  }
  return QString::fromUtf8(PrintFailedText(language));
}

QString PrintPicture(const QPixmap& picture, const PrintDestination& destination,
                     const QString& jobTitle, Language language) {
  if (picture.isNull()) return Problem(language, PrintProblemId::NothingToPrint);
  if (!destination.pdfFile.isEmpty()) {
    // The page a PDF printer of the toolkit would give: its paper, margins and resolution.
    QPrinter page(QPrinter::HighResolution);
    page.setOutputFormat(QPrinter::PdfFormat);
    page.setDocName(jobTitle);
    const QByteArray pdf = PdfInMemory(page, [&picture](QPainter& painter, QPaintDevice& device) {
      DrawPictureOnPage(painter, QSize(device.width(), device.height()), picture);
      return true;
    });
    return WritePdfFile(destination.pdfFile, pdf, language);
  }
  if (QPrinterInfo::defaultPrinter().isNull())
    return Problem(language, PrintProblemId::NoDefaultPrinter);

  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(jobTitle);
  if (!printer.isValid()) return Problem(language, PrintProblemId::PrinterUnusable);
  // Only a job for a named print queue is submitted, and so only then is there an answer to read.
  const bool submitted =
      printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();

  QPainter painter;
  if (!painter.begin(&printer))
    return Problem(language, PrintProblemId::PrinterRefused).arg(printer.printerName());
  // The painter's device area is the page's printable area in printer pixels.
  DrawPictureOnPage(painter, QSize(printer.width(), printer.height()), picture);
  if (!painter.end() || printer.printerState() == QPrinter::Error ||
      printer.printerState() == QPrinter::Aborted) {
    return Problem(language, PrintProblemId::JobFailed);
  }
  return submitted ? PrintServiceRefusal() : QString();
}

QString PrintWidget(QWidget& widget, const PrintDestination& destination, const QString& jobTitle,
                    Language language) {
  const QPixmap picture = widget.grab();
  if (destination.captured) destination.captured(picture);
  return PrintPicture(picture, destination, jobTitle, language);
}

}  // namespace qm17
