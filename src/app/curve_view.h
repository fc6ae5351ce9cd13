#pragma once
// The advance curve drawn beside the window's table: engine speed across, advance up, with the
// base advance, the limiters and the shift light, the current point, the unit's own curve and
// the live operating point. The view is told what to show through the setters below and
// proposes edits; its window observes the session, feeds it and applies the edits there.

#include <QMainWindow>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "device/monitor.h"
#include "params/device_image.h"
#include "params/ignition_parameters.h"
#include "session/session.h"

class QAction;
class QMenu;
class QPainter;
class QRegion;

namespace qm17 {

class UserPrompts;

using BlockBytes = std::array<std::uint8_t, kBlockSize>;

// Where the plot lies in a drawing of a given size, and the speeds it spans.
struct CurveScale {
  QRectF plot;        // pixels; left edge 0 rpm, bottom edge 0 degrees
  double maxRpm = 0;  // right edge
  double maxAdvance = 60;
};

// The plot area of a drawing `size` pixels large whose curve reaches `maxRpm` (rounded up to
// whole thousands, with room to the right of the highest speed).
CurveScale ScaleFor(QSizeF size, int maxRpm);
QPointF PointToPixel(const CurveScale& scale, double rpm, double advance);
// The inverse of PointToPixel, not bounded.
QPointF PixelToPoint(const CurveScale& scale, QPointF pixel);  // x rpm, y degrees
// The highest speed the drawing of `image` (and of the unit's block) has to show, rpm.
int HighestSpeedShown(const DeviceImage& image, const std::optional<BlockBytes>& unit);

class CurveView : public QWidget {
  Q_OBJECT

 public:
  explicit CurveView(QWidget* parent = nullptr);

  // What the owner shows. Each setter repaints only when something changed.
  void SetImage(const DeviceImage& image);
  void SetUnitBlock(const std::optional<BlockBytes>& block);
  void SetCurrentPoint(const CurrentPoint& point);
  void SetLanguage(Language language);
  void SetInverse(bool inverse);
  // One monitor frame: the operating point joins the trail.
  void AddLiveSample(std::uint16_t rpm, std::uint8_t advance);
  // The link is lost (true) or back (false): a lost link shows no live point at all.
  void SetLinkLost(bool lost);

  // The point the keyboard acts on (0-based), or none.
  std::optional<std::size_t> SelectedPoint() const { return m_selected; }
  const std::optional<BlockBytes>& UnitBlock() const { return m_unit; }

  // The whole drawing at `size`; on paper in the normal colours and without live values.
  void Render(QPainter& painter, QSize size, bool paper) const;

  // How many frames the trail keeps: about four seconds of monitor frames.
  static constexpr std::size_t kTrailFrames = 12;

 signals:
  // The user moved a point; the owner applies it as the table's edits are applied.
  void PointEdited(int index, int speedByte, int advance);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct LiveSample {
    std::uint16_t rpm;
    std::uint8_t advance;
  };
  void DrawStatic(QPainter& painter, QSize size, bool paper) const;
  // Only the trail segments that meet `clip`, when given.
  void DrawLive(QPainter& painter, QSize size, const QRegion* clip) const;
  void DrawCurrent(QPainter& painter, QSize size, bool paper) const;
  DeviceImage Shown() const;
  std::optional<QPointF> CurrentMarker(QSize size) const;
  QRect CurrentArea() const;  // what the current point's marker covers, in pixels
  CurveScale Scale(QSizeF size) const;
  std::size_t UsedPoints() const;
  std::optional<std::size_t> PointAt(QPointF pixel) const;
  void Invalidate();  // the static layer is drawn again at the next paint
  void Propose(std::size_t index, int speedByte, int advance);

  DeviceImage m_image{};
  std::optional<BlockBytes> m_unit;
  CurrentPoint m_current;
  Language m_language = Language::English;
  bool m_inverse = false;
  bool m_linkLost = true;
  std::deque<LiveSample> m_trail;
  std::optional<std::size_t> m_selected;
  // A drag in progress: the point, where it started, the axis it took, and where it is now.
  struct Drag {
    std::size_t index;
    QPointF start;
    int axis = 0;  // 0 not yet chosen, 1 speed, 2 advance
    PointEdit at;
    CurveScale scale;  // held for the drag, so the axes do not move under the pointer
  };
  std::optional<Drag> m_drag;
  mutable QPixmap m_static;  // axes, lines and curves; the live layer is drawn over it
  mutable bool m_staticValid = false;
  mutable QPixmap m_marker;  // the live marker, drawn once
  mutable bool m_markerInverse = false;
};

// The curve view in a window of its own, with a File menu to print it or save it as a picture.
// It shows what the session holds and hears of its changes; its edits go to the session.
class CurveWindow : public QMainWindow, private SessionObserver {
  Q_OBJECT

 public:
  CurveWindow(QWidget* parent, Session& session, std::function<UserPrompts&()> prompts);
  ~CurveWindow() override;
  CurveView* View() const { return m_view; }

  void PrintCurve();
  void SaveAsPng();
  void SaveAsPdf();
  // Writes the drawing into a file; false when it could not be written.
  bool WritePng(const QString& path) const;
  bool WritePdf(const QString& path) const;

 private:
  void SetLanguage(Language language);
  void ImageChanged() override;
  void DisplayStyleChanged() override;
  void LanguageChanged() override;
  void UnitBlockChanged() override;
  void CurrentPointChanged(const CurrentPoint& point) override;
  void LiveValuesChanged(const LiveValues& values) override;
  void NoConnectionChanged(bool visible) override;

  Session& m_session;
  CurveView* m_view = nullptr;
  std::function<UserPrompts&()> m_prompts;
  Language m_language = Language::English;
  QMenu* m_fileMenu = nullptr;
  QAction* m_print = nullptr;
  QAction* m_savePng = nullptr;
  QAction* m_savePdf = nullptr;
  QAction* m_close = nullptr;
};

}  // namespace qm17
