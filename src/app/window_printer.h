#pragma once
// Prints a picture of a widget on one page, scaled to fit the page and keeping its proportions.

#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>
#include <utility>

#include "params/device_image.h"

class QPaintDevice;
class QPainter;
class QPixmap;
class QPrinter;
class QWidget;

namespace qm17 {

// Size of the picture on the page: the full page height, or the full page width when the
// height would make it too wide. Every product-and-quotient is rounded to the nearest integer.
// An empty picture or page gives an empty size.
QSize FitToPage(QSize picture, QSize page);

// Draws the picture stretched to FitToPage from the page's top-left corner.
void DrawPictureOnPage(QPainter& painter, QSize page, const QPixmap& picture);

// Where a print job goes: the default printer, or a PDF file (made in memory and written whole,
// as the program's other files are, so that a full disk or a pipe cannot cut it short or stall).
struct PrintDestination {
  PrintDestination() = default;
  PrintDestination(QString pdf, std::function<void(const QPixmap&)> onCaptured = {})
      : pdfFile(std::move(pdf)), captured(std::move(onCaptured)) {}

  QString pdfFile;  // empty: the default printer, without a dialog
  // Also handed the captured picture before it is printed (tests look at what the page shows).
  std::function<void(const QPixmap&)> captured;
};

// True when a job on `printer` would write a PDF file (neither a print queue nor a preview):
// such a page is better made with PdfInMemory and written with WritePdfFile.
bool PrintsToPdfFile(QPrinter& printer);
// One page that `paint` draws, as a PDF made in memory with the paper, margins, resolution and
// title of `like`; empty when it fails (or `paint` returns false).
QByteArray PdfInMemory(const QPrinter& like,
                       const std::function<bool(QPainter&, QPaintDevice&)>& paint);
// Writes a finished PDF as a whole regular file. An empty text on success, otherwise the file
// error message with the reason as its second line.
QString WritePdfFile(const QString& path, const QByteArray& pdf, Language language);
// One page that `paint` draws, on `printer`: a PDF file made in memory and written whole, any
// other destination through the printer. An empty text on success, otherwise the message to show.
QString PrintPage(QPrinter& printer, const std::function<bool(QPainter&, QPaintDevice&)>& paint,
                  Language language);

// Draws the picture from the page's top-left corner. Returns an empty text on success, otherwise
// a message in the given language that says why nothing was printed (a print service's own
// answer comes as the service words it).
QString PrintPicture(const QPixmap& picture, const PrintDestination& destination,
                     const QString& jobTitle, Language language);
// The widget as it is shown (with its visible children), printed as above.
QString PrintWidget(QWidget& widget, const PrintDestination& destination, const QString& jobTitle,
                    Language language);

}  // namespace qm17
