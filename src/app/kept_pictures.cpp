#include "app/kept_pictures.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <algorithm>
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

// A gauge whose range holds more values than this keeps no pictures.
constexpr int kMostGaugePictures = 256;

}  // namespace

PictureKey PictureTaker::KeyNow(QImage::Format format, int state, const QString& text) const {
  return PictureKey{m_widget.size(),
                    m_widget.devicePixelRatioF(),
                    format,
                    m_widget.palette().cacheKey(),
                    state,
                    m_widget.style(),
                    text,
                    m_widget.font().key()};
}

QImage::Format PictureTaker::PaintFormat() const {
  const QPainter probe(&m_widget);
  return FormatOf(*probe.paintEngine()->paintDevice());
}

std::optional<QImage> PictureTaker::Painted() const {
  const QPainter probe(&m_widget);
  const QPaintDevice* device = probe.paintEngine()->paintDevice();
  const QRect area = probe.deviceTransform().mapRect(m_widget.rect());
  QImage painted;
  if (device->devType() == QInternal::Image)
    painted = static_cast<const QImage*>(device)->copy(area);
  else if (device->devType() == QInternal::Pixmap)
    painted = static_cast<const QPixmap*>(device)->copy(area).toImage();
  if (painted.size() != area.size()) return std::nullopt;  // another device, or cut off
  painted.setDevicePixelRatio(m_widget.devicePixelRatioF());
  return Compact(std::move(painted));
}

void PictureTaker::Draw(QWidget& widget, const QRect& dirty, const QImage& picture) {
  QPainter painter(&widget);
  const qreal ratio = picture.devicePixelRatio();
  painter.drawImage(dirty, picture,
                    QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
}

FramedGroup::FramedGroup(QWidget* parent) : QGroupBox(parent) {}

PictureKey FramedGroup::KeyNow(QImage::Format format) const {
  QStyleOptionGroupBox option;
  initStyleOption(&option);
  return m_taker.KeyNow(format, static_cast<int>(option.state), title());
}

void FramedGroup::paintEvent(QPaintEvent* event) {
  PictureKey key = KeyNow(m_taker.PaintFormat());
  if (!m_picture.isNull() && key == m_key) {
    PictureTaker::Draw(*this, event->rect(), m_picture);
    return;
  }
  QGroupBox::paintEvent(event);
  m_key = std::move(key);
  m_picture = QImage();
  // Taken from a whole paint; until one comes (every change of the key brings one), the box
  // paints in place.
  if (event->region() != QRegion(rect())) return;
  if (std::optional<QImage> painted = m_taker.Painted()) m_picture = *std::move(painted);
}

LiveGauge::LiveGauge(QWidget* parent) : QProgressBar(parent) {}

// Only where the bar stands still between values: some styles (the Windows one) let a glow
// run over it, which a picture would stop.
bool LiveGauge::KeepsPictures() const {
  return !isTextVisible() && qint64{maximum()} - minimum() < kMostGaugePictures &&
         style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0;
}

// QProgressBar's own rule: a new value is painted at once when it is an end of the range or
// moves the bar by more than a chunk from the value painted last.
bool LiveGauge::RepaintRequired(int value) const {
  if (value == m_shown) return false;
  if (value == minimum() || value == maximum()) return true;
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  const int chunk = style()->pixelMetric(QStyle::PM_ProgressBarChunkWidth, &option, this);
  const QRect groove = style()->subElementRect(QStyle::SE_ProgressBarGroove, &option, this);
  const qint64 block = orientation() == Qt::Horizontal ? groove.width() : groove.height();
  return std::abs(qint64{value} - m_shown) * block > chunk * (qint64{maximum()} - minimum());
}

void LiveGauge::ShowValue(int value) {
  value = std::clamp(value, minimum(), maximum());
  if (!KeepsPictures()) {
    setValue(value);
    return;
  }
  if (value == this->value()) return;
  // QProgressBar applies its rule to the value its own paint drew last, which a paint from a
  // picture does not record: the rule is applied here, and a repaint QProgressBar asks for
  // only for that reason shows what is shown already.
  m_repaintRequired = RepaintRequired(value);
  const unsigned paints = m_paints;
  m_settingValue = true;
  setValue(value);
  m_settingValue = false;
  if (m_repaintRequired && m_paints == paints) repaint();
}

PictureKey LiveGauge::KeyNow(QImage::Format format) const {
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  return m_taker.KeyNow(format, static_cast<int>(option.state), QString());
}

void LiveGauge::paintEvent(QPaintEvent* event) {
  ++m_paints;
  if (!KeepsPictures()) {
    QProgressBar::paintEvent(event);
    return;
  }
  const int shown = m_settingValue && !m_repaintRequired ? m_shown : value();
  m_shown = shown;
  const PictureKey key = KeyNow(m_taker.PaintFormat());
  if (!(key == m_key)) {
    m_key = key;
    m_pictures.clear();
  }
  if (const auto found = m_pictures.find(shown); found != m_pictures.end()) {
    PictureTaker::Draw(*this, event->rect(), found->second);
    return;
  }
  {
    // As QProgressBar paints, at the value shown.
    QStylePainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    option.progress = shown;
    painter.drawControl(QStyle::CE_ProgressBar, option);
  }
  // What was just painted in place is the picture of this value.
  if (event->region() != QRegion(rect())) return;
  if (std::optional<QImage> painted = m_taker.Painted())
    m_pictures.try_emplace(shown, *std::move(painted));
}

}  // namespace qm17
