#include "app/window_pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace qm17 {

namespace {

constexpr int kFace = 20;

QPixmap Blank(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A spark plug in a lightning bolt: the unit makes sparks.
void DrawBolt(QPainter& p, QRectF r, const QColor& fill) {
  QPainterPath bolt;
  const auto at = [&r](double x, double y) {
    return QPointF(r.left() + x * r.width(), r.top() + y * r.height());
  };
  bolt.moveTo(at(0.60, 0.00));
  bolt.lineTo(at(0.15, 0.58));
  bolt.lineTo(at(0.45, 0.58));
  bolt.lineTo(at(0.35, 1.00));
  bolt.lineTo(at(0.85, 0.40));
  bolt.lineTo(at(0.55, 0.40));
  bolt.closeSubpath();
  p.setPen(QPen(fill.darker(160), 1.0));
  p.setBrush(fill);
  p.drawPath(bolt);
}

void DrawPage(QPainter& p) {
  QPainterPath page;
  page.moveTo(4, 1.5);
  page.lineTo(12.5, 1.5);
  page.lineTo(16.5, 5.5);
  page.lineTo(16.5, 18.5);
  page.lineTo(4, 18.5);
  page.closeSubpath();
  p.setPen(QPen(QColor(70, 70, 70), 1.0));
  p.setBrush(Qt::white);
  p.drawPath(page);
  p.drawPolyline(QPolygonF({QPointF(12.5, 1.5), QPointF(12.5, 5.5), QPointF(16.5, 5.5)}));
}

}  // namespace

QIcon WindowIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QPixmap pixmap = Blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 90));
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    DrawBolt(p, QRectF(size * 0.18, size * 0.1, size * 0.64, size * 0.8), QColor(255, 210, 0));
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QIcon NewFileIcon() {
  QPixmap pixmap = Blank(kFace);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  DrawPage(p);
  p.end();
  return QIcon(pixmap);
}

QIcon OpenFileIcon() {
  QPixmap pixmap = Blank(kFace);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(120, 85, 10), 1.0));
  p.setBrush(QColor(230, 185, 60));
  p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(7.5, 4.5), QPointF(9.5, 6.5),
                           QPointF(16.5, 6.5), QPointF(16.5, 16.5), QPointF(1.5, 16.5)}));
  p.setBrush(QColor(250, 215, 110));
  p.drawPolygon(
      QPolygonF({QPointF(4.5, 9.5), QPointF(19, 9.5), QPointF(16.5, 16.5), QPointF(1.5, 16.5)}));
  p.end();
  return QIcon(pixmap);
}

QIcon SaveFileIcon() {
  QPixmap pixmap = Blank(kFace);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(20, 30, 70), 1.0));
  p.setBrush(QColor(50, 80, 160));
  p.drawPolygon(QPolygonF({QPointF(2.5, 2.5), QPointF(15.5, 2.5), QPointF(17.5, 4.5),
                           QPointF(17.5, 17.5), QPointF(2.5, 17.5)}));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(5.5, 2.5, 9, 6));
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(QRectF(5.5, 11.5, 9, 6));
  p.end();
  return QIcon(pixmap);
}

QIcon PrintIcon() {
  QPixmap pixmap = Blank(kFace);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1.0));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(5.5, 1.5, 9, 7));
  p.setBrush(QColor(150, 150, 150));
  p.drawRoundedRect(QRectF(1.5, 7.5, 17, 8), 1.5, 1.5);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(5.5, 12.5, 9, 6));
  p.setPen(QPen(QColor(60, 60, 60), 0.8));
  p.drawLine(QPointF(7, 15), QPointF(13, 15));
  p.drawLine(QPointF(7, 17), QPointF(12, 17));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 190, 40));
  p.drawEllipse(QPointF(16, 10), 1.0, 1.0);
  p.end();
  return QIcon(pixmap);
}

QPixmap LogoPicture(QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF area(0, 0, size.width(), size.height());
  const double h = area.height();
  DrawBolt(p, QRectF(4, h * 0.08, h * 0.5, h * 0.84), QColor(255, 200, 0));
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setItalic(true);
  font.setPixelSize(static_cast<int>(h * 0.36));
  p.setFont(font);
  p.setPen(QColor(200, 20, 20));
  const QRectF textArea(h * 0.55 + 6, 0, area.width() - h * 0.55 - 6, h * 0.62);
  p.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QM-17"));
  font.setBold(false);
  font.setItalic(false);
  font.setPixelSize(static_cast<int>(h * 0.17));
  p.setFont(font);
  p.setPen(QColor(90, 90, 90));
  p.drawText(QRectF(textArea.left(), h * 0.62, textArea.width(), h * 0.3),
             Qt::AlignLeft | Qt::AlignTop, QStringLiteral("ignition unit"));
  p.end();
  return pixmap;
}

}  // namespace qm17
