#pragma once
// Widgets that paint from pictures of themselves, kept while their size, colours, state and
// style stay. While a unit is polled, the engine-speed gauge changes with every answer and the
// curve's box repaints under the rows that follow the current point; the style stroked their
// rounded, antialiased frames anew each time (and spread the box's tall sides over helper
// threads), most of what a poll cost. Each picture is taken by the widget's own paint, or
// painted on the ground taken by it, in the format painted on, so every pixel is the one
// painting in place gives; the first paint of anything new is in place.

#include <QFont>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QProgressBar>
#include <QString>
#include <optional>
#include <vector>

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
  QFont font;
  bool operator==(const PictureKey&) const = default;
};

// Takes pictures of one widget through its own paint.
class PictureTaker {
 public:
  explicit PictureTaker(QWidget& widget) : m_widget(widget) {}
  // The key of the widget now, to be painted in `format`.
  PictureKey KeyNow(QImage::Format format, int state, const QString& text) const;
  // The format that `painter`, begun on the widget in its paint, paints in.
  static QImage::Format PaintFormat(const QPainter& painter);
  // What the widget's paint has painted so far, whole, as `painter` (begun on the widget in
  // its paint, untransformed) sees it.
  std::optional<QImage> Painted(const QPainter& painter) const;
  static void Draw(QPainter& painter, const QRegion& dirty, const QImage& picture);

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

// The gauge keeps, for one look, the empty bar, the full bar and, for every value of its range,
// only the columns where that value's bar differs from both: a bar is the full one up to its
// end and the empty one after it. They are painted once, from the ground under the gauge, a
// few at a time from when the gauge is first painted whole, so that a polled engine's speed
// does not wait for a value it has not shown yet.
class LiveGauge : public QProgressBar {
 public:
  explicit LiveGauge(QWidget* parent = nullptr);

  // As setValue, clamped to the range; a visible change is painted with the window's next pass.
  void ShowValue(int value);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The columns [from, from + pixels.width()) of one value's bar, in device pixels.
  struct Columns {
    int from = 0;
    QImage pixels;
  };
  // QProgressBar's rule for when a value is painted, worked out for one size and style.
  struct Rule {
    QSize size;
    const QStyle* style = nullptr;
    qint64 block = 0;
    int chunk = 0;
  };

  bool KeepsPictures() const;
  bool RepaintRequired(int value) const;
  PictureKey KeyNow(QImage::Format format) const;
  void Forget();
  QImage Rendered(int value);
  void TakePictures();
  void DrawValue(QPainter& painter, int value, const QRect& dirty);

  PictureTaker m_taker{*this};
  PictureKey m_key;
  QImage m_ground;  // what lies under the gauge, until all pictures are taken
  QImage m_empty;
  QImage m_full;
  std::vector<Columns> m_columns;  // one for each value from minimum(), as they are taken
  int m_shown = -1;                // the value painted last, as QProgressBar keeps it
  mutable Rule m_rule;
};

}  // namespace qm17
