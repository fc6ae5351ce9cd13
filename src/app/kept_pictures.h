#pragma once
// Widgets that paint from pictures of themselves, kept while their size, colours, state and
// style stay. While a unit is polled, the engine-speed gauge changes with every answer and the
// curve's box repaints under the rows that follow the current point; the style stroked their
// rounded, antialiased frames anew each time (and spread the box's tall sides over helper
// threads), most of what a poll cost. Each picture is taken by the widget's own paint, on the
// ground its parent paints and in the format painted on, so every pixel is the one painting
// in place gives; the first paint of anything new is in place, and the picture follows it.

#include <QGroupBox>
#include <QImage>
#include <QProgressBar>
#include <QString>
#include <map>
#include <optional>

namespace qm17 {

// What a picture was taken for.
struct PictureKey {
  QSize size;
  qreal ratio = 0;
  QImage::Format format = QImage::Format_Invalid;
  qint64 palette = 0;
  int state = 0;
  const QStyle* style = nullptr;
  QString text;
  QString font;
  bool operator==(const PictureKey&) const = default;
};

// Takes pictures of one widget through its own paint.
class PictureTaker {
 public:
  explicit PictureTaker(QWidget& widget) : m_widget(widget) {}
  // The key of the widget now, to be painted in `format`.
  PictureKey KeyNow(QImage::Format format, int state, const QString& text) const;
  // The format a paint of the widget goes to; only within its paint.
  QImage::Format PaintFormat() const;
  // What the widget's paint has just painted, whole; only within its paint.
  std::optional<QImage> Painted() const;
  static void Draw(QWidget& widget, const QRect& dirty, const QImage& picture);

 private:
  QWidget& m_widget;
};

class FramedGroup : public QGroupBox {
 public:
  explicit FramedGroup(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PictureKey KeyNow(QImage::Format format) const;

  PictureTaker m_taker{*this};
  PictureKey m_key;
  QImage m_picture;
};

// The gauge keeps a picture for each value it has shown: a polled engine's speed sweeps the
// same values again and again.
class LiveGauge : public QProgressBar {
 public:
  explicit LiveGauge(QWidget* parent = nullptr);

  // As setValue, clamped to the range.
  void ShowValue(int value);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool KeepsPictures() const;
  bool RepaintRequired(int value) const;
  PictureKey KeyNow(QImage::Format format) const;

  PictureTaker m_taker{*this};
  PictureKey m_key;
  std::map<int, QImage> m_pictures;
  int m_shown = -1;  // the value painted last, as QProgressBar keeps it
  unsigned m_paints = 0;
  bool m_settingValue = false;
  bool m_repaintRequired = false;
};

}  // namespace qm17
