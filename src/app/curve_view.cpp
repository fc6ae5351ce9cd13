#include "app/curve_view.h"

#include <QAction>
#include <QBuffer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegion>
#include <QStatusBar>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/local_path.h"
#include "app/user_prompts.h"
#include "app/window_printer.h"
#include "files/atomic_file.h"
#include "params/ignition_parameters.h"
#include "texts/texts.h"

namespace qm17 {
namespace {

// Room around the plot for the tick labels, the axis titles and the legend.
constexpr double kLeftMargin = 58;
constexpr double kRightMargin = 18;
constexpr double kTopMargin = 62;
constexpr double kBottomMargin = 46;
constexpr double kPickRadius = 9;  // pixels around a marker that take a press
constexpr int kDragThreshold = 4;  // pixels before a drag decides between speed and advance

const QColor kLime(0, 255, 0);       // the table's colour of the current point
const QColor kFuchsia(255, 0, 255);  // the speed gauge's colour, for the engine

std::size_t UsedCount(std::uint8_t countByte) {
  return static_cast<std::size_t>(ClampToRange(countByte, kPointCountRange));
}

struct Palette {
  QColor background, text, grid, curve, base, startLimiter, limiter, shiftLight, unit;
};

Palette ColoursFor(bool inverse) {
  if (inverse) {
    return {Qt::black,
            Qt::white,
            QColor(70, 70, 70),
            QColor(90, 170, 255),
            QColor(255, 170, 40),
            QColor(0, 220, 220),
            QColor(255, 80, 80),
            QColor(200, 120, 255),
            QColor(255, 255, 255, 90)};
  }
  return {Qt::white,         Qt::black,           QColor(215, 215, 215),
          QColor(0, 0, 200), QColor(220, 120, 0), QColor(0, 140, 140),
          QColor(210, 0, 0), QColor(130, 0, 190), QColor(0, 0, 0, 70)};
}

QString Text(Language language, CurveTextId id) {
  return QString::fromUtf8(CurveViewText(language, id));
}

QString WithoutAccelerator(QString text) {
  return text.remove(QLatin1Char('&'));
}

// Where the live engine is drawn: beyond the axes it stays at their edge rather than vanish.
QPointF LivePixel(const CurveScale& scale, double rpm, double advance) {
  const QPointF p = PointToPixel(scale, rpm, advance);
  return {std::clamp(p.x(), scale.plot.left(), scale.plot.right()),
          std::clamp(p.y(), scale.plot.top(), scale.plot.bottom())};
}

}  // namespace

CurveScale ScaleFor(QSizeF size, int maxRpm) {
  CurveScale scale;
  const double width = std::max(1.0, size.width() - kLeftMargin - kRightMargin);
  const double height = std::max(1.0, size.height() - kTopMargin - kBottomMargin);
  scale.plot = QRectF(kLeftMargin, kTopMargin, width, height);
  // Half a thousand of room beyond the highest speed, then up to the next whole thousand.
  scale.maxRpm = std::max(1000.0, std::ceil((std::max(maxRpm, 0) + 500) / 1000.0) * 1000.0);
  return scale;
}

QPointF PointToPixel(const CurveScale& scale, double rpm, double advance) {
  return {scale.plot.left() + rpm / scale.maxRpm * scale.plot.width(),
          scale.plot.bottom() - advance / scale.maxAdvance * scale.plot.height()};
}

QPointF PixelToPoint(const CurveScale& scale, QPointF pixel) {
  return {(pixel.x() - scale.plot.left()) / scale.plot.width() * scale.maxRpm,
          (scale.plot.bottom() - pixel.y()) / scale.plot.height() * scale.maxAdvance};
}

int HighestSpeedShown(const DeviceImage& image, const std::optional<BlockBytes>& unit) {
  using namespace image_byte;
  const auto highest = [](const std::uint8_t* block) {
    const std::size_t used = UsedCount(block[0]);
    int top = std::max({block[kLimiter - kParameterBlock], block[kStartLimiter - kParameterBlock],
                        block[kShiftLight - kParameterBlock]});
    for (std::size_t i = 0; i < used; ++i)
      top = std::max<int>(top, block[kPointSpeed - kParameterBlock + i]);
    return top * 100;
  };
  int top = highest(&image[kParameterBlock]);
  if (unit) top = std::max(top, highest(unit->data()));
  return top;
}

// ---------------------------------------------------------------------------------------------

CurveView::CurveView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CurveView"));
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(360, 240);
  // The view paints every pixel itself; nothing behind it needs drawing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CurveView::SetImage(const DeviceImage& image) {
  if (image == m_image) return;
  m_image = image;
  if (m_selected && *m_selected >= UsedPoints()) m_selected.reset();
  Invalidate();
}

void CurveView::SetUnitBlock(const std::optional<BlockBytes>& block) {
  if (block == m_unit) return;
  m_unit = block;
  Invalidate();
}

void CurveView::SetCurrentPoint(const CurrentPoint& point) {
  if (point == m_current) return;
  const QRect before = CurrentArea();
  m_current = point;
  update(before.united(CurrentArea()));
}

void CurveView::SetLanguage(Language language) {
  if (language == m_language) return;
  m_language = language;
  Invalidate();
}

void CurveView::SetInverse(bool inverse) {
  if (inverse == m_inverse) return;
  m_inverse = inverse;
  Invalidate();
}

void CurveView::AddLiveSample(std::uint16_t rpm, std::uint8_t advance) {
  if (m_linkLost) {
    m_linkLost = false;
    Invalidate();  // the no-connection caption goes
  }
  // Only what changes: the segment that leaves, the one that comes, and the marker moving
  // from the old end to the new. The curve beneath comes from the static layer.
  const CurveScale scale = Scale(size());
  const auto around = [&scale](const LiveSample& a, const LiveSample& b, int pad) {
    return QRectF(LivePixel(scale, a.rpm, a.advance), LivePixel(scale, b.rpm, b.advance))
        .normalized()
        .toAlignedRect()
        .adjusted(-pad, -pad, pad, pad);
  };
  constexpr int kMarkerPad = 9;
  constexpr int kLinePad = 3;
  const LiveSample sample{rpm, advance};
  QRegion dirty = around(sample, sample, kMarkerPad);
  if (!m_trail.empty()) {
    dirty += around(m_trail.back(), m_trail.back(), kMarkerPad);
    dirty += around(m_trail.back(), sample, kLinePad);
  }
  if (m_trail.size() >= kTrailFrames) dirty += around(m_trail[0], m_trail[1], kLinePad);
  m_trail.push_back(sample);
  while (m_trail.size() > kTrailFrames) m_trail.pop_front();
  update(dirty);
}

void CurveView::SetLinkLost(bool lost) {
  if (lost == m_linkLost) return;
  m_linkLost = lost;
  if (lost) m_trail.clear();
  Invalidate();
}

std::size_t CurveView::UsedPoints() const {
  return UsedCount(m_image[image_byte::kPointCountByte]);
}

CurveScale CurveView::Scale(QSizeF size) const {
  if (m_drag) return m_drag->scale;
  return ScaleFor(size, HighestSpeedShown(m_image, m_unit));
}

void CurveView::Invalidate() {
  m_staticValid = false;
  update();
}

void CurveView::paintEvent(QPaintEvent* event) {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * ratio).toSize();
  if (!m_staticValid || m_static.size() != pixels) {
    m_static = QPixmap(pixels);
    m_static.setDevicePixelRatio(ratio);
    QPainter layer(&m_static);
    DrawStatic(layer, size(), false);
    m_staticValid = true;
  }
  QPainter painter(this);
  painter.setClipRegion(event->region());
  painter.drawPixmap(0, 0, m_static);
  if (event->region().intersects(CurrentArea())) DrawCurrent(painter, size(), false);
  if (!m_linkLost) DrawLive(painter, size(), &event->region());
}

DeviceImage CurveView::Shown() const {
  // A point being dragged is shown where the pointer holds it.
  DeviceImage shown = m_image;
  if (m_drag) {
    shown[image_byte::kPointSpeed + m_drag->at.index] = m_drag->at.speedByte;
    shown[image_byte::kPointAdvance + m_drag->at.index] = m_drag->at.advance;
  }
  return shown;
}

std::optional<QPointF> CurveView::CurrentMarker(QSize size) const {
  if (m_current.noCurrentPoint || m_current.index >= UsedPoints()) return std::nullopt;
  const DeviceImage shown = Shown();
  return PointToPixel(Scale(size), shown[image_byte::kPointSpeed + m_current.index] * 100.0,
                      shown[image_byte::kPointAdvance + m_current.index]);
}

QRect CurveView::CurrentArea() const {
  const std::optional<QPointF> at = CurrentMarker(size());
  if (!at) return {};
  return QRectF(*at - QPointF(9, 9), QSizeF(18, 18)).toAlignedRect();
}

void CurveView::DrawCurrent(QPainter& painter, QSize size, bool paper) const {
  // Over the static layer, so that the engine moving from row to row repaints two markers
  // rather than the whole drawing.
  const std::optional<QPointF> at = CurrentMarker(size);
  if (!at) return;
  painter.save();
  painter.setPen(QPen(ColoursFor(m_inverse && !paper).text, 1));
  painter.setBrush(kLime);
  painter.drawRect(QRectF(at->x() - 6, at->y() - 6, 12, 12));
  painter.restore();
}

void CurveView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_staticValid = false;
}

void CurveView::Render(QPainter& painter, QSize size, bool paper) const {
  DrawStatic(painter, size, paper);
  DrawCurrent(painter, size, paper);
  if (!paper && !m_linkLost) DrawLive(painter, size, nullptr);
}

void CurveView::DrawStatic(QPainter& painter, QSize size, bool paper) const {
  using namespace image_byte;
  const Palette colours = ColoursFor(m_inverse && !paper);
  const CurveScale scale = Scale(size);
  const QRectF plot = scale.plot;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(QRect(QPoint(0, 0), size), colours.background);

  QFont font = QGuiApplication::font();
  font.setPixelSize(12);
  painter.setFont(font);
  const QFontMetrics metrics(font);

  const DeviceImage shown = Shown();

  // Grid and tick labels: every 5 degrees a line, every 10 a label; speeds in steps that keep
  // the labels apart.
  painter.setPen(QPen(colours.grid, 1));
  for (int a = 0; a <= 60; a += 5) {
    const double y = PointToPixel(scale, 0, a).y();
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  int rpmStep = 1000;
  while (plot.width() * rpmStep / scale.maxRpm <
         metrics.horizontalAdvance(QStringLiteral("20000")) + 12)
    rpmStep *= 2;
  for (int r = 0; r <= scale.maxRpm; r += 1000) {
    const double x = PointToPixel(scale, r, 0).x();
    painter.setPen(QPen(colours.grid, 1));
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    if (r % rpmStep == 0) {
      painter.setPen(colours.text);
      const QString label = QString::number(r);
      painter.drawText(QRectF(x - 40, plot.bottom() + 3, 80, metrics.height()), Qt::AlignHCenter,
                       label);
    }
  }
  painter.setPen(colours.text);
  for (int a = 0; a <= 60; a += 10) {
    const double y = PointToPixel(scale, 0, a).y();
    painter.drawText(QRectF(plot.left() - 40, y - metrics.height() / 2.0, 34, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(a));
  }
  painter.setPen(QPen(colours.text, 1));
  painter.drawRect(plot);
  // Axis titles.
  painter.drawText(
      QRectF(plot.left(), plot.bottom() + 4 + metrics.height(), plot.width(), metrics.height() + 2),
      Qt::AlignHCenter, Text(m_language, CurveAxisSpeed));
  painter.save();
  painter.translate(14, plot.center().y());
  painter.rotate(-90);
  painter.drawText(
      QRectF(-plot.height() / 2, -metrics.height() + 4, plot.height(), metrics.height() + 2),
      Qt::AlignHCenter, Text(m_language, CurveAxisAdvance));
  painter.restore();

  painter.setClipRect(plot.adjusted(-8, -8, 8, 8));
  // Base advance across, the speeds of the limiters and the shift light upright.
  const auto dashed = [](const QColor& colour, Qt::PenStyle style) {
    QPen pen(colour, 1.5);
    pen.setStyle(style);
    return pen;
  };
  painter.setPen(dashed(colours.base, Qt::DashLine));
  const double baseY = PointToPixel(scale, 0, shown[kBaseAdvance]).y();
  painter.drawLine(QPointF(plot.left(), baseY), QPointF(plot.right(), baseY));
  struct Upright {
    std::size_t byte;
    QColor colour;
    Qt::PenStyle style;
    CurveTextId label;
  };
  const Upright uprights[] = {
      {kStartLimiter, colours.startLimiter, Qt::DashLine, CurveLegendStartLimiter},
      {kShiftLight, colours.shiftLight, Qt::DashDotLine, CurveLegendShiftLight},
      {kLimiter, colours.limiter, Qt::SolidLine, CurveLegendLimiter}};
  int row = 0;
  for (const Upright& line : uprights) {
    const double x = PointToPixel(scale, shown[line.byte] * 100.0, 0).x();
    painter.setPen(dashed(line.colour, line.style));
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    // Labels in rows of their own, so that close speeds do not write over each other; a label
    // that does not fit right of its line goes left of it.
    const QString text = Text(m_language, line.label);
    const double width = metrics.horizontalAdvance(text) + 4;
    const double left = x + width + 3 <= plot.right() ? x + 3 : x - width - 3;
    painter.setPen(line.colour);
    painter.drawText(
        QRectF(left, plot.top() + 3 + row * (metrics.height() + 1), width, metrics.height()),
        Qt::AlignLeft, text);
    ++row;
  }

  const auto curvePath = [&scale](const std::uint8_t* block, std::size_t used) {
    QPainterPath path;
    for (std::size_t i = 0; i < used; ++i) {
      const QPointF p = PointToPixel(scale, block[kPointSpeed - kParameterBlock + i] * 100.0,
                                     block[kPointAdvance - kParameterBlock + i]);
      if (i == 0) {
        path.moveTo(p);
      } else {
        path.lineTo(p);
      }
    }
    return path;
  };
  // The unit's curve first, faint and wide, so that the window's lies over it.
  if (m_unit) {
    const std::size_t used = UsedCount((*m_unit)[0]);
    painter.setPen(QPen(colours.unit, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(curvePath(m_unit->data(), used));
    painter.setBrush(colours.unit);
    painter.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < used; ++i)
      painter.drawEllipse(PointToPixel(scale, (*m_unit)[kPointSpeed - kParameterBlock + i] * 100.0,
                                       (*m_unit)[kPointAdvance - kParameterBlock + i]),
                          6, 6);
  }
  const std::size_t used = UsedCount(shown[kPointCountByte]);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(colours.curve, 2));
  painter.drawPath(curvePath(&shown[kParameterBlock], used));
  for (std::size_t i = 0; i < used; ++i) {
    const QPointF p = PointToPixel(scale, shown[kPointSpeed + i] * 100.0, shown[kPointAdvance + i]);
    painter.setPen(QPen(colours.curve, 1));
    painter.setBrush(colours.curve);
    painter.drawRect(QRectF(p.x() - 4, p.y() - 4, 8, 8));
    if (!paper && m_selected == i) {
      painter.setBrush(Qt::NoBrush);
      painter.setPen(QPen(colours.text, 1, Qt::DotLine));
      painter.drawEllipse(p, 11, 11);
    }
  }
  painter.setClipping(false);

  // Legend above the plot, in two rows when one is too narrow.
  struct Entry {
    QColor colour;
    CurveTextId text;
    int kind;  // 0 line with marker, 1 dashed line, 2 round marker
  };
  std::vector<Entry> entries = {{colours.curve, CurveLegendCurve, 0}};
  if (m_unit) entries.push_back({colours.unit, CurveLegendUnit, 0});
  entries.push_back({colours.base, CurveLegendBase, 1});
  if (!paper) entries.push_back({kFuchsia, CurveLegendLive, 2});
  double x = plot.left();
  double y = 6;
  for (const Entry& entry : entries) {
    const QString text = Text(m_language, entry.text);
    const double width = 26 + metrics.horizontalAdvance(text) + 14;
    if (x + width > size.width() - kRightMargin && x > plot.left()) {
      x = plot.left();
      y += metrics.height() + 4;
    }
    const double mid = y + metrics.height() / 2.0;
    if (entry.kind == 2) {
      painter.setPen(QPen(colours.text, 1));
      painter.setBrush(entry.colour);
      painter.drawEllipse(QPointF(x + 10, mid), 5, 5);
    } else {
      painter.setPen(QPen(entry.colour, entry.kind == 0 ? 2.5 : 1.5,
                          entry.kind == 1 ? Qt::DashLine : Qt::SolidLine));
      painter.drawLine(QPointF(x, mid), QPointF(x + 20, mid));
    }
    painter.setPen(colours.text);
    painter.drawText(QRectF(x + 26, y, width, metrics.height()), Qt::AlignLeft, text);
    x += width;
  }

  if (m_linkLost && !paper) {
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    const QString text = Text(m_language, CurveNoConnection);
    const QFontMetrics boldMetrics(bold);
    const QRectF box(plot.right() - boldMetrics.horizontalAdvance(text) - 16, kTopMargin - 24,
                     boldMetrics.horizontalAdvance(text) + 12, boldMetrics.height() + 4);
    painter.fillRect(box, Qt::red);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
  }
  painter.restore();
}

void CurveView::DrawLive(QPainter& painter, QSize size, const QRegion* clip) const {
  if (m_trail.empty()) return;
  const Palette colours = ColoursFor(m_inverse);
  const CurveScale scale = Scale(size);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  // One pale colour, opaque: a trail that faded along its length would change all of its
  // pixels with every frame. A frame repaints a few segments only, so only those that meet the
  // repainted area are drawn, each as two one-pixel lines side by side, which the painter
  // draws far faster than one smoothed line of two pixels.
  const QColor pale = m_inverse ? QColor(170, 0, 170) : QColor(255, 150, 255);
  painter.setPen(QPen(pale, 0));
  QPointF previous = LivePixel(scale, m_trail.front().rpm, m_trail.front().advance);
  for (std::size_t i = 1; i < m_trail.size(); ++i) {
    const QPointF next = LivePixel(scale, m_trail[i].rpm, m_trail[i].advance);
    if (!clip || clip->intersects(
                     QRectF(previous, next).normalized().toAlignedRect().adjusted(-3, -3, 3, 3))) {
      const QPointF d = next - previous;
      const QPointF side = std::abs(d.x()) >= std::abs(d.y()) ? QPointF(0, 1) : QPointF(1, 0);
      painter.drawLine(previous, next);
      painter.drawLine(previous + side, next + side);
    }
    previous = next;
  }
  painter.restore();
  // The marker is drawn once into a small picture and copied from there on every frame.
  const qreal ratio = painter.device()->devicePixelRatioF();
  if (m_marker.isNull() || m_markerInverse != m_inverse || m_marker.devicePixelRatioF() != ratio) {
    m_marker = QPixmap(QSize(16, 16) * ratio);
    m_marker.setDevicePixelRatio(ratio);
    m_marker.fill(Qt::transparent);
    QPainter sprite(&m_marker);
    sprite.setRenderHint(QPainter::Antialiasing, true);
    sprite.setPen(QPen(colours.text, 1.5));
    sprite.setBrush(kFuchsia);
    sprite.drawEllipse(QPointF(8, 8), 6, 6);
    m_markerInverse = m_inverse;
  }
  painter.drawPixmap(previous - QPointF(8, 8), m_marker);
}

std::optional<std::size_t> CurveView::PointAt(QPointF pixel) const {
  const CurveScale scale = Scale(size());
  std::optional<std::size_t> nearest;
  double best = kPickRadius * kPickRadius;
  for (std::size_t i = 0; i < UsedPoints(); ++i) {
    const QPointF p = PointToPixel(scale, m_image[image_byte::kPointSpeed + i] * 100.0,
                                   m_image[image_byte::kPointAdvance + i]);
    const QPointF d = p - pixel;
    const double distance = d.x() * d.x() + d.y() * d.y();
    if (distance <= best) {
      best = distance;
      nearest = i;
    }
  }
  return nearest;
}

void CurveView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  setFocus(Qt::MouseFocusReason);
  const std::optional<std::size_t> point = PointAt(event->position());
  if (!point) return;
  m_selected = point;
  const std::size_t i = *point;
  m_drag = Drag{i,
                event->position(),
                0,
                {i, m_image[image_byte::kPointSpeed + i], m_image[image_byte::kPointAdvance + i]},
                Scale(size())};
  Invalidate();
}

void CurveView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_drag) return QWidget::mouseMoveEvent(event);
  const QPointF delta = event->position() - m_drag->start;
  if (m_drag->axis == 0 && std::abs(delta.x()) + std::abs(delta.y()) >= kDragThreshold)
    m_drag->axis = std::abs(delta.x()) > std::abs(delta.y()) ? 1 : 2;
  if (m_drag->axis == 0) return;
  const QPointF value = PixelToPoint(m_drag->scale, event->position());
  const std::size_t i = m_drag->index;
  int speed = m_image[image_byte::kPointSpeed + i];
  int advance = m_image[image_byte::kPointAdvance + i];
  if (m_drag->axis == 1) speed = static_cast<int>(std::lround(value.x() / 100.0));
  if (m_drag->axis == 2) advance = static_cast<int>(std::lround(value.y()));
  const PointEdit at = BoundedPointEdit(m_image, i, speed, advance);
  if (at.speedByte == m_drag->at.speedByte && at.advance == m_drag->at.advance) return;
  m_drag->at = at;
  Invalidate();
}

void CurveView::mouseReleaseEvent(QMouseEvent* event) {
  if (!m_drag || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  const PointEdit at = m_drag->at;
  m_drag.reset();
  Invalidate();
  Propose(at.index, at.speedByte, at.advance);
}

void CurveView::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool ours = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                    key == Qt::Key_Down || key == Qt::Key_Plus || key == Qt::Key_Minus ||
                    key == Qt::Key_PageUp || key == Qt::Key_PageDown;
  if (!ours) return QWidget::keyPressEvent(event);
  event->accept();
  if (m_drag) return;
  if (!m_selected) {
    // The first key picks the point the engine is at, or the first one.
    m_selected =
        m_current.noCurrentPoint ? 0 : std::min<std::size_t>(m_current.index, UsedPoints() - 1);
    Invalidate();
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) return;
  }
  const std::size_t i = *m_selected;
  if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
    const std::size_t used = UsedPoints();
    m_selected = key == Qt::Key_PageDown ? (i + 1) % used : (i + used - 1) % used;
    Invalidate();
    return;
  }
  int speed = m_image[image_byte::kPointSpeed + i];
  int advance = m_image[image_byte::kPointAdvance + i];
  if (key == Qt::Key_Left) --speed;
  if (key == Qt::Key_Right) ++speed;
  if (key == Qt::Key_Up || key == Qt::Key_Plus) ++advance;
  if (key == Qt::Key_Down || key == Qt::Key_Minus) --advance;
  Propose(i, speed, advance);
}

void CurveView::Propose(std::size_t index, int speedByte, int advance) {
  const PointEdit edit = BoundedPointEdit(m_image, index, speedByte, advance);
  // A move that changes nothing (a point at its bound) is no edit, as a spin at its bound.
  if (edit.speedByte == m_image[image_byte::kPointSpeed + index] &&
      edit.advance == m_image[image_byte::kPointAdvance + index])
    return;
  emit PointEdited(static_cast<int>(edit.index), edit.speedByte, edit.advance);
}

// ---------------------------------------------------------------------------------------------

CurveWindow::CurveWindow(QWidget* parent, Session& session, std::function<UserPrompts&()> prompts)
    : QMainWindow(parent, Qt::Window), m_session(session), m_prompts(std::move(prompts)) {
  setObjectName(QStringLiteral("CurveWindow"));
  m_view = new CurveView(this);
  setCentralWidget(m_view);
  // A drag or a key is applied as the table's edits are; the session then shows it everywhere.
  connect(m_view, &CurveView::PointEdited, this, [this](int index, int speedByte, int advance) {
    m_session.EditCurvePoint(index, speedByte, advance);
  });
  m_fileMenu = menuBar()->addMenu(QString());
  m_fileMenu->setObjectName(QStringLiteral("CurveMenuFile"));
  const auto item = [this](const char* name, const QKeySequence& keys,
                           void (CurveWindow::*slot)()) {
    QAction* action = m_fileMenu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  m_print = item("CurvePrint", QKeySequence(Qt::CTRL | Qt::Key_P), &CurveWindow::PrintCurve);
  m_savePng = item("CurveSavePng", QKeySequence(Qt::CTRL | Qt::Key_S), &CurveWindow::SaveAsPng);
  m_savePdf = item("CurveSavePdf", QKeySequence(), &CurveWindow::SaveAsPdf);
  m_fileMenu->addSeparator();
  m_close = m_fileMenu->addAction(QString());
  m_close->setObjectName(QStringLiteral("CurveClose"));
  m_close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  connect(m_close, &QAction::triggered, this, &QWidget::close);
  resize(720, 480);
  m_language = Language::Czech;  // differs, so that the first call sets every text
  SetLanguage(Language::English);
  // Everything the session holds now; from here on it says what changes.
  SetLanguage(m_session.CurrentLanguage());
  ImageChanged();
  UnitBlockChanged();
  m_view->SetCurrentPoint(m_session.LinkState().currentPoint());
  NoConnectionChanged(false);
  m_session.AddObserver(*this);
}

CurveWindow::~CurveWindow() {
  m_session.RemoveObserver(*this);
}

void CurveWindow::ImageChanged() {
  m_view->SetImage(m_session.Image());
  DisplayStyleChanged();
}

void CurveWindow::DisplayStyleChanged() {
  m_view->SetInverse(m_session.InverseDisplay());
}

void CurveWindow::LanguageChanged() {
  SetLanguage(m_session.CurrentLanguage());
}

void CurveWindow::UnitBlockChanged() {
  m_view->SetUnitBlock(m_session.UnitBlock());
}

void CurveWindow::CurrentPointChanged(const CurrentPoint& point) {
  m_view->SetCurrentPoint(point);
}

void CurveWindow::LiveValuesChanged(const LiveValues& values) {
  m_view->AddLiveSample(values.rpm, values.advance);
}

void CurveWindow::NoConnectionChanged(bool) {
  // As the session shows the no-connection label: no live point while it shows.
  m_view->SetLinkLost(m_session.Shown().NoConnectionVisible());
}

void CurveWindow::SetLanguage(Language language) {
  m_view->SetLanguage(language);
  if (language == m_language) return;
  m_language = language;
  setWindowTitle(WithoutAccelerator(Text(language, CurveWindowTitle)));
  m_fileMenu->setTitle(Text(language, CurveMenuFile));
  m_print->setText(Text(language, CurveMenuPrint));
  m_savePng->setText(Text(language, CurveMenuSavePng));
  m_savePdf->setText(Text(language, CurveMenuSavePdf));
  m_close->setText(Text(language, CurveMenuClose));
  statusBar()->showMessage(Text(language, CurveKeysHint));
}

void CurveWindow::PrintCurve() {
  QString problem;
  m_prompts().ShowPrintPreview(this, windowTitle(), [&](QPrinter& printer) {
    const auto draw = [this](QPainter& painter, QPaintDevice& page) {
      // Drawn at screen resolution and scaled, so that fonts and lines keep their proportions.
      const double factor = page.logicalDpiX() / 96.0;
      painter.scale(factor, factor);
      m_view->Render(
          painter,
          QSize(static_cast<int>(page.width() / factor), static_cast<int>(page.height() / factor)),
          true);
      return true;
    };
    problem = PrintPage(printer, draw, m_language);
  });
  if (!problem.isEmpty()) m_prompts().ShowMessage(this, problem);
}

void CurveWindow::SaveAsPng() {
  const QString path =
      m_prompts().AskSaveFileName(this, QStringLiteral("PNG (*.png)"), QStringLiteral("png"), {});
  if (!path.isEmpty() && !WritePng(path))
    m_prompts().ShowMessage(this,
                            QString::fromStdString(MessageTexts(m_language, MsgOpenFileError)));
}

void CurveWindow::SaveAsPdf() {
  const QString path =
      m_prompts().AskSaveFileName(this, QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"), {});
  if (!path.isEmpty() && !WritePdf(path))
    m_prompts().ShowMessage(this,
                            QString::fromStdString(MessageTexts(m_language, MsgOpenFileError)));
}

bool CurveWindow::WritePng(const QString& path) const {
  // As on screen, and at least large enough to read.
  const QSize size = m_view->size().expandedTo(QSize(960, 600));
  QImage image(size, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    m_view->Render(painter, size, false);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
  // Written as the parameter files are: a whole file or the old one, never half of one.
  return WriteRegularFileAtomically(LocalPath(path), std::string(bytes.constData(), bytes.size()));
}

bool CurveWindow::WritePdf(const QString& path) const {
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return false;
    QPdfWriter writer(&buffer);
    writer.setResolution(96);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setTitle(windowTitle());
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    m_view->Render(painter, QSize(writer.width(), writer.height()), true);
    if (!painter.end()) return false;
  }
  return WriteRegularFileAtomically(LocalPath(path), std::string(bytes.constData(), bytes.size()));
}

}  // namespace qm17
