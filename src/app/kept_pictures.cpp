#include "app/kept_pictures.h"

#include <QElapsedTimer>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace qm17 {

namespace {

// The format of what is painted on: the same blending in another format rounds differently.
QImage::Format FormatOf(const QPaintDevice& device) {
  if (device.devType() == QInternal::Image) return static_cast<const QImage&>(device).format();
  if (device.devType() == QInternal::Pixmap &&
      !static_cast<const QPixmap&>(device).hasAlphaChannel())
    return QImage::Format_RGB32;
  return QImage::Format_ARGB32_Premultiplied;
}

// Three bytes a pixel where the picture is opaque, as it is on the parent's ground: the same
// pixels in three quarters of the memory.
QImage Compact(QImage picture) {
  if (picture.format() == QImage::Format_ARGB32_Premultiplied) {
    for (int y = 0; y < picture.height(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
      for (int x = 0; x < picture.width(); ++x)
        if (qAlpha(line[x]) != 255) return picture;
    }
  } else if (picture.format() != QImage::Format_RGB32) {
    return picture;
  }
  return picture.convertToFormat(QImage::Format_RGB888);
}

// A gauge whose range holds more values than this keeps no pictures: they are all painted at once.
constexpr int kMostGaugePictures = 256;

// How long the gauge paints its pictures before it lets the event loop run again.
constexpr qint64 kPictureTurnNs = 2'000'000;

}  // namespace

PictureKey PictureTaker::KeyNow(QImage::Format format, int state, const QString& text) const {
  return PictureKey{m_widget.size(),
                    m_widget.devicePixelRatioF(),
                    format,
                    m_widget.palette().cacheKey(),
                    state,
                    m_widget.style(),
                    text,
                    m_widget.font()};
}

QImage::Format PictureTaker::PaintFormat(const QPainter& painter) {
  return FormatOf(*painter.paintEngine()->paintDevice());
}

std::optional<QImage> PictureTaker::Painted(const QPainter& painter) const {
  const QPaintDevice* device = painter.paintEngine()->paintDevice();
  const QRect area = painter.deviceTransform().mapRect(m_widget.rect());
  QImage painted;
  if (device->devType() == QInternal::Image)
    painted = static_cast<const QImage*>(device)->copy(area);
  else if (device->devType() == QInternal::Pixmap)
    painted = static_cast<const QPixmap*>(device)->copy(area).toImage();
  if (painted.size() != area.size()) return std::nullopt;  // another device, or cut off
  painted.setDevicePixelRatio(m_widget.devicePixelRatioF());
  return painted;
}

void PictureTaker::Draw(QPainter& painter, const QRegion& dirty, const QImage& picture) {
  // The pixels as painted, copied rather than blended again over the ground they were
  // painted on; and a rectangle at a time, as the raster engine hands a tall area to helper
  // threads.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  const qreal ratio = picture.devicePixelRatio();
  for (const QRect& part : dirty)
    painter.drawImage(part, picture,
                      QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio));
}

FramedGroup::FramedGroup(QWidget* parent) : QGroupBox(parent) {}

PictureKey FramedGroup::KeyNow(QImage::Format format) const {
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  return m_taker.KeyNow(format, static_cast<int>(option.state), title());
}

void FramedGroup::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    PictureKey key = KeyNow(PictureTaker::PaintFormat(painter));
    if (!m_picture.isNull() && key == m_key) {
      PictureTaker::Draw(painter, event->region(), m_picture);
      return;
    }
    m_key = std::move(key);
  }
  QGroupBox::paintEvent(event);
  m_picture = QImage();
  // Taken from a whole paint; until one comes (every change of the key brings one), the box
  // paints in place.
  if (event->region() != QRegion(rect())) return;
  const QPainter painted(this);
  if (std::optional<QImage> picture = m_taker.Painted(painted))
    m_picture = Compact(*std::move(picture));
}

LiveGauge::LiveGauge(QWidget* parent) : QProgressBar(parent) {}

// Only where the bar stands still between values (some styles, the Windows one, let a glow
// run over it, which a picture would stop), grows from the left, and has whole device pixels.
bool LiveGauge::KeepsPictures() const {
  return !isTextVisible() && qint64{maximum()} - minimum() < kMostGaugePictures &&
         orientation() == Qt::Horizontal && !invertedAppearance() &&
         layoutDirection() == Qt::LeftToRight &&
         devicePixelRatioF() == std::floor(devicePixelRatioF()) &&
         style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

// QProgressBar's own rule: a new value is painted at once when it is an end of the range or
// moves the bar by more than a chunk from the value painted last.
bool LiveGauge::RepaintRequired(int value) const {
  if (value == m_shown) return false;
  if (value == minimum() || value == maximum()) return true;
  if (m_rule.size != size() || m_rule.style != style()) {
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const QRect groove = style()->subElementRect(QStyle::SE_ProgressBarGroove, &option, this);
    m_rule = Rule{size(), style(), groove.width(),
                  style()->pixelMetric(QStyle::PM_ProgressBarChunkWidth, &option, this)};
  }
  return std::abs(qint64{value} - m_shown) * m_rule.block >
         m_rule.chunk * (qint64{maximum()} - minimum());
}

void LiveGauge::ShowValue(int value) {
  value = std::clamp(value, minimum(), maximum());
  if (!KeepsPictures()) {
    setValue(value);
    return;
  }
  if (value == this->value()) return;
  // QProgressBar applies its rule to the value its own paint drew last, which a paint from
  // pictures does not record, and repaints at once, in a pass of its own. The rule is applied
  // here instead, and the new value joins the window's next pass with whatever else the same
  // answer changed.
  const bool required = RepaintRequired(value);
  const bool held = testAttribute(Qt::WA_UpdatesDisabled);
  setAttribute(Qt::WA_UpdatesDisabled, true);
  setValue(value);
  setAttribute(Qt::WA_UpdatesDisabled, held);
  if (required) update();
}

PictureKey LiveGauge::KeyNow(QImage::Format format) const {
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  return m_taker.KeyNow(format, static_cast<int>(option.state), QString());
}

void LiveGauge::Forget() {
  m_ground = m_empty = m_full = QImage();
  m_columns.clear();
}

// The bar at `value` as its paint in place would leave it, painted on the ground.
QImage LiveGauge::Rendered(int value) {
  QImage picture = m_ground.copy();
  QStylePainter painter(&picture, this);
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  option.progress = value;
  painter.drawControl(QStyle::CE_ProgressBar, option);
  return picture;
}

void LiveGauge::TakePictures() {
  if (m_ground.isNull()) return;  // all taken, or the look changed
  // The look may have changed since the ground was taken; the next paint then takes a new one.
  if (!(KeyNow(m_ground.format()) == m_key)) {
    Forget();
    return;
  }
  // A few values at a time, so that the link's tick never waits long for this.
  QElapsedTimer spent;
  spent.start();
  if (m_full.isNull()) {
    m_empty = Rendered(minimum());
    m_full = Rendered(maximum());
  }
  const int width = m_ground.width();
  const int height = m_ground.height();
  const int pixel = m_ground.depth() / 8;
  const int step = static_cast<int>(m_ground.devicePixelRatio());
  const auto count = static_cast<std::size_t>(maximum() - minimum() + 1);
  while (m_columns.size() < count && spent.nsecsElapsed() < kPictureTurnNs) {
    const QImage bar = Rendered(minimum() + static_cast<int>(m_columns.size()));
    // From the first column that differs from the full bar to the last that differs from the
    // empty one, in whole logical pixels.
    int from = width;
    int to = 0;
    for (int y = 0; y < height; ++y) {
      const uchar* line = bar.constScanLine(y);
      const uchar* full = m_full.constScanLine(y);
      const uchar* empty = m_empty.constScanLine(y);
      int x = 0;
      while (x < from && std::memcmp(line + x * pixel, full + x * pixel, pixel) == 0) ++x;
      from = x;
      x = width;
      while (x > to && std::memcmp(line + (x - 1) * pixel, empty + (x - 1) * pixel, pixel) == 0)
        --x;
      to = x;
    }
    from -= from % step;
    to = std::max(from, to + (step - to % step) % step);
    m_columns.push_back(Columns{from, bar.copy(from, 0, to - from, height)});
  }
  if (m_columns.size() < count)
    QMetaObject::invokeMethod(this, &LiveGauge::TakePictures, Qt::QueuedConnection);
  else
    m_ground = QImage();
}

void LiveGauge::DrawValue(QPainter& painter, int value, const QRect& dirty) {
  const Columns& columns = m_columns[static_cast<std::size_t>(value - minimum())];
  const int step = static_cast<int>(m_full.devicePixelRatio());
  const int to = columns.from + columns.pixels.width();
  painter.setCompositionMode(QPainter::CompositionMode_Source);  // as PictureTaker::Draw
  const auto draw = [&](int from, int until, const QImage& picture, int offset) {
    const QRect part = QRect(from / step, 0, (until - from) / step, height()) & dirty;
    if (part.isEmpty()) return;
    painter.drawImage(part, picture,
                      QRect((part.x() * step) - offset, part.y() * step, part.width() * step,
                            part.height() * step));
  };
  draw(0, columns.from, m_full, 0);
  draw(columns.from, to, columns.pixels, columns.from);
  draw(to, m_full.width(), m_empty, 0);
}

void LiveGauge::paintEvent(QPaintEvent* event) {
  if (!KeepsPictures()) {
    QProgressBar::paintEvent(event);
    return;
  }
  const int shown = value();
  m_shown = shown;
  QStylePainter painter(this);
  PictureKey key = KeyNow(PictureTaker::PaintFormat(painter));
  if (!(key == m_key)) {
    m_key = std::move(key);
    Forget();
  }
  if (static_cast<std::size_t>(shown - minimum()) < m_columns.size()) {
    DrawValue(painter, shown, event->rect());
    return;
  }
  // The ground, from a whole paint only: the pictures are painted on it once this paint is
  // done, and until then the gauge paints in place.
  if (m_ground.isNull() && m_columns.empty() && event->region() == QRegion(rect())) {
    if (std::optional<QImage> ground = m_taker.Painted(painter);
        ground && ground->depth() % 8 == 0) {
      m_ground = *std::move(ground);
      QMetaObject::invokeMethod(this, &LiveGauge::TakePictures, Qt::QueuedConnection);
    }
  }
  // As QProgressBar paints, at the value shown.
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  option.progress = shown;
  painter.drawControl(QStyle::CE_ProgressBar, option);
}

}  // namespace qm17
