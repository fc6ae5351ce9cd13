#include "app/window_layout.h"

#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace qm17 {

namespace {

// What the drawing's font is taken to measure, in the metrics read from the desktop's font
// below: the average width of the 52 Latin letters (what captions are made of) and the line
// height. They are the effective values for which the drawn widths hold every caption of the
// three languages, a little narrower and lower than the drawing font's own dialog units
// (6 x 13 pixels), which would leave this toolkit's boxes too low and the window too wide
// for a 1024-pixel screen.
constexpr double kDesignLetterWidth = 6.44;
constexpr double kDesignLineHeight = 12.47;
constexpr double kDesignFontPixels = 11.0;

// Hundredths: a hinting difference of a fraction of a pixel moves no control.
double Factor(double measured, double design) {
  return std::max(1.0, std::round(100.0 * measured / design) / 100.0);
}

int Scaled(int value, double factor) {
  return static_cast<int>(std::lround(value * factor));
}

constexpr const char* kClient = "ClientArea";
constexpr const char* kToolBar = "GroupBoxToolBar";
constexpr const char* kCurve = "GroupBox6";
constexpr const char* kParams = "GroupBox2";
constexpr const char* kPolarity = "RadioGroupPolarita";

// Where the drawing is widened, it is for the longer captions of Linux fonts and of German:
// the three push buttons (and the tool bar with them, the no-connection label keeping its
// distance), the option boxes, and the live labels, which also moved a little left.
constexpr ControlPlace kTable[] = {
    {kToolBar, kClient, 3, 0, 447, 43},
    {"SpeedButton6", kToolBar, 12, 12, 24, 23},
    {"SpeedButton5", kToolBar, 50, 12, 24, 23},
    {"SpeedButton7", kToolBar, 88, 12, 24, 23},
    {"SpeedButtonPrint", kToolBar, 126, 12, 24, 23},
    {"Button1", kToolBar, 182, 12, 64, 23},
    {"BitBtn2", kToolBar, 255, 12, 74, 23},
    {"BitBtn1", kToolBar, 337, 12, 92, 23},

    {kCurve, kClient, 2, 48, 353, 393},
    {"Label26", kCurve, 28, 20, 0, 0},
    {"LabelAdvance1", kCurve, 98, 20, 0, 0},
    {"Label1", kCurve, 204, 20, 0, 0},
    {"LabelAdvance2", kCurve, 274, 20, 0, 0},
    {"EditRpmAdv1", kCurve, 20, 49, 40, 21},
    {"UpDownRpmAdv1", kCurve, 60, 49, 16, 21},
    {"EditAdvance1", kCurve, 99, 49, 30, 21},
    {"UpDownAdvance1", kCurve, 129, 49, 16, 21},
    {"EditRpmAdv2", kCurve, 20, 85, 40, 21},
    {"UpDownRpmAdv2", kCurve, 60, 85, 16, 21},
    {"EditAdvance2", kCurve, 99, 85, 30, 21},
    {"UpDownAdvance2", kCurve, 129, 85, 16, 21},
    {"EditRpmAdv3", kCurve, 20, 120, 40, 21},
    {"UpDownRpmAdv3", kCurve, 60, 120, 16, 21},
    {"EditAdvance3", kCurve, 99, 120, 30, 21},
    {"UpDownAdvance3", kCurve, 129, 120, 16, 21},
    {"EditRpmAdv4", kCurve, 20, 156, 40, 21},
    {"UpDownRpmAdv4", kCurve, 60, 156, 16, 21},
    {"EditAdvance4", kCurve, 99, 156, 30, 21},
    {"UpDownAdvance4", kCurve, 129, 156, 16, 21},
    {"EditRpmAdv5", kCurve, 20, 191, 40, 21},
    {"UpDownRpmAdv5", kCurve, 60, 191, 16, 21},
    {"EditAdvance5", kCurve, 99, 191, 30, 21},
    {"UpDownAdvance5", kCurve, 129, 191, 16, 21},
    {"EditRpmAdv6", kCurve, 20, 227, 40, 21},
    {"UpDownRpmAdv6", kCurve, 60, 227, 16, 21},
    {"EditAdvance6", kCurve, 99, 227, 30, 21},
    {"UpDownAdvance6", kCurve, 129, 227, 16, 21},
    {"EditRpmAdv7", kCurve, 20, 262, 40, 21},
    {"UpDownRpmAdv7", kCurve, 60, 262, 16, 21},
    {"EditAdvance7", kCurve, 99, 262, 30, 21},
    {"UpDownAdvance7", kCurve, 129, 262, 16, 21},
    {"EditRpmAdv8", kCurve, 20, 298, 40, 21},
    {"UpDownRpmAdv8", kCurve, 60, 298, 16, 21},
    {"EditAdvance8", kCurve, 99, 298, 30, 21},
    {"UpDownAdvance8", kCurve, 129, 298, 16, 21},
    {"EditRpmAdv9", kCurve, 196, 45, 40, 21},
    {"UpDownRpmAdv9", kCurve, 236, 45, 16, 21},
    {"EditAdvance9", kCurve, 275, 45, 30, 21},
    {"UpDownAdvance9", kCurve, 305, 45, 16, 21},
    {"EditRpmAdv10", kCurve, 196, 81, 40, 21},
    {"UpDownRpmAdv10", kCurve, 236, 81, 16, 21},
    {"EditAdvance10", kCurve, 275, 81, 30, 21},
    {"UpDownAdvance10", kCurve, 305, 81, 16, 21},
    {"EditRpmAdv11", kCurve, 195, 120, 40, 21},
    {"UpDownRpmAdv11", kCurve, 235, 120, 16, 21},
    {"EditAdvance11", kCurve, 274, 120, 30, 21},
    {"UpDownAdvance11", kCurve, 304, 120, 16, 21},
    {"EditRpmAdv12", kCurve, 195, 156, 40, 21},
    {"UpDownRpmAdv12", kCurve, 235, 156, 16, 21},
    {"EditAdvance12", kCurve, 274, 156, 30, 21},
    {"UpDownAdvance12", kCurve, 304, 156, 16, 21},
    {"EditRpmAdv13", kCurve, 195, 191, 40, 21},
    {"UpDownRpmAdv13", kCurve, 235, 191, 16, 21},
    {"EditAdvance13", kCurve, 274, 191, 30, 21},
    {"UpDownAdvance13", kCurve, 304, 191, 16, 21},
    {"EditRpmAdv14", kCurve, 195, 227, 40, 21},
    {"UpDownRpmAdv14", kCurve, 235, 227, 16, 21},
    {"EditAdvance14", kCurve, 274, 227, 30, 21},
    {"UpDownAdvance14", kCurve, 304, 227, 16, 21},
    {"EditRpmAdv15", kCurve, 195, 262, 40, 21},
    {"UpDownRpmAdv15", kCurve, 235, 262, 16, 21},
    {"EditAdvance15", kCurve, 274, 262, 30, 21},
    {"UpDownAdvance15", kCurve, 304, 262, 16, 21},
    {"BitBtnAdvMinus", kCurve, 21, 360, 22, 20, 19},
    {"BitBtnAdvPlus", kCurve, 69, 360, 22, 20, 19},
    {"CheckBoxIgnAll", kCurve, 112, 362, 60, 17},
    {"EditPocetBodu", kCurve, 195, 360, 26, 21},
    {"UpDownPocetBodu", kCurve, 221, 360, 16, 21},
    {"LabelPocetBodu", kCurve, 245, 364, 0, 0},

    {kParams, kClient, 360, 48, 231, 261},
    {"EditBaseAdv", kParams, 16, 25, 42, 21},
    {"UpDownBaseAdv", kParams, 58, 25, 16, 21},
    {"LabelBaseAdv", kParams, 80, 29, 0, 0},
    {"EditOmez1", kParams, 16, 58, 42, 21},
    {"UpDownOmez1", kParams, 58, 58, 16, 21},
    {"LabelOmez1", kParams, 80, 62, 0, 0},
    {"EditOmez2", kParams, 16, 92, 42, 21},
    {"UpDownOmez2", kParams, 58, 92, 16, 21},
    {"LabelOmez2", kParams, 80, 96, 0, 0},
    {"EditRetard", kParams, 16, 126, 42, 21},
    {"UpDownRetard", kParams, 58, 126, 16, 21},
    {"LabelRetard", kParams, 80, 130, 0, 0},
    {"EditLedRazeni", kParams, 16, 159, 42, 21},
    {"UpDownLedRazeni", kParams, 58, 159, 15, 21},
    {"LabelLedRazeni", kParams, 80, 163, 0, 0},
    {"CheckBoxProgHned", kParams, 16, 193, 205, 16},
    {"EditPocPalcu", kParams, 16, 227, 20, 21},
    {"UpDownPocPalcu", kParams, 36, 227, 15, 21},
    {"LabelPocPalcu", kParams, 58, 231, 0, 0},

    {kPolarity, kClient, 596, 48, 231, 105},
    {"RadioGroupPolaritaItem0", kPolarity, 10, 24, 210, 20},
    {"RadioGroupPolaritaItem1", kPolarity, 10, 49, 210, 20},
    {"RadioGroupPolaritaItem2", kPolarity, 10, 74, 210, 20},
    {"CheckBoxBlackZobr", kClient, 600, 160, 177, 17},
    {"ImageLogo", kClient, 602, 190, 162, 83},

    {"LabelSpojeni", kClient, 465, 9, 330, 29, 23, true},
    {"LabelRpm", kClient, 364, 326, 200, 24, 19, true},
    {"CGaugeRpm", kClient, 364, 355, 240, 21},
    {"LabelAdvance", kClient, 364, 385, 240, 24, 19, true},
    {"LabelNapeti", kClient, 364, 415, 200, 24, 19, true},
    {"LabelMonOmez1", kClient, 612, 296, 220, 20, 16},
    {"LabelMonRetard", kClient, 612, 329, 220, 20, 16},
    {"LabelPolaritaMer", kClient, 612, 361, 220, 20, 16},
    {"LabelTest1", kClient, 632, 198, 90, 16, 13, true},
    {"LabelTest2", kClient, 632, 217, 90, 16, 13, true},
    {"LabelTest3", kClient, 632, 236, 90, 16, 13, true},
    {"LabelTest4", kClient, 632, 255, 90, 16, 13, true},
    {"LabelTest5", kClient, 736, 198, 90, 16, 13, true},
    {"LabelTest6", kClient, 736, 217, 90, 16, 13, true},
    {"LabelTest7", kClient, 736, 236, 90, 16, 13, true},
    {"LabelTest8", kClient, 736, 255, 90, 16, 13, true},
    {"LabelVerze3", kClient, 364, 460, 45, 13, 11},
    {"LabelVerze2", kClient, 412, 458, 78, 16, 13},
    {"LabelVerze1", kClient, 494, 460, 200, 13, 11},
    // A line higher than the file name, so that a long path and a full version text fit.
    {"LabelPocetProgramovani", kClient, 636, 440, 196, 13, 11},

    {"LabelHlaseni", kClient, 8, 446, 297, 16, 13, true},
    {"CGauge", kClient, 8, 474, 297, 21},
    {"LabelFile1", kClient, 364, 478, 0, 0},
    // Reaches to the right edge of the window; a longer path is shortened in the middle.
    {"LabelFile2", kClient, 412, 478, 420, 16},
};

}  // namespace

LayoutScale LayoutScale::ForFont(const QFont& font) {
  const QFontMetricsF metrics(font);
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  LayoutScale scale;
  scale.x = Factor(metrics.horizontalAdvance(letters) / letters.size(), kDesignLetterWidth);
  scale.y = Factor(metrics.height(), kDesignLineHeight);
  scale.font = std::max(1.0, QFontInfo(font).pixelSize() / kDesignFontPixels);
  return scale;
}

int LayoutScale::X(int designX) const {
  return Scaled(designX, x);
}

int LayoutScale::Y(int designY) const {
  return Scaled(designY, y);
}

QRect LayoutScale::Place(const QRect& design) const {
  const int left = X(design.left());
  const int top = Y(design.top());
  return QRect(left, top, X(design.left() + design.width()) - left,
               Y(design.top() + design.height()) - top);
}

QFont LayoutScale::Font(int pixels, bool bold) const {
  QFont font = QApplication::font();
  font.setPixelSize(std::max(1, Scaled(pixels, this->font)));
  font.setBold(bold);
  return font;
}

LayoutScale CurrentLayoutScale() {
  // Asked on every resize of the client area: measure a font only once.
  static QFont measured;
  static LayoutScale scale;
  static bool known = false;
  const QFont font = QApplication::font();
  if (!known || font != measured) {
    scale = LayoutScale::ForFont(font);
    measured = font;
    known = true;
  }
  return scale;
}

std::span<const ControlPlace> WindowLayoutTable() {
  return kTable;
}

int ApplyWindowLayout(QWidget* client, const LayoutScale& scale) {
  int missing = 0;
  for (const ControlPlace& row : kTable) {
    QWidget* parent = client;
    if (QLatin1String(row.parent) != QLatin1String(kClient))
      parent = client->findChild<QWidget*>(QLatin1String(row.parent), Qt::FindDirectChildrenOnly);
    QWidget* control = parent == nullptr ? nullptr
                                         : parent->findChild<QWidget*>(QLatin1String(row.name),
                                                                       Qt::FindDirectChildrenOnly);
    if (control == nullptr) {
      ++missing;
      continue;
    }
    if (row.fontPixels > 0) control->setFont(scale.Font(row.fontPixels, row.bold));
    if (row.width == 0) {
      control->move(scale.X(row.left), scale.Y(row.top));
      control->adjustSize();
    } else {
      control->setGeometry(scale.Place(QRect(row.left, row.top, row.width, row.height)));
    }
  }
  return missing;
}

namespace {

class LayoutKeeper : public QObject {
 public:
  LayoutKeeper(QWidget* window, QWidget* client, std::function<void()> relaid)
      : QObject(client), m_window(window), m_client(client), m_relaid(std::move(relaid)) {
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != m_window) return false;
    if (event->type() == QEvent::FontChange) {
      Relay();
    } else if (event->type() == QEvent::StyleChange) {
      // Another style frames the boxes otherwise: what they hold is fitted again.
      Relay();
    } else if (event->type() == QEvent::ApplicationFontChange && !m_queued) {
      // A window with a font of its own gets no FontChange: lay out once every control has
      // taken the new application font.
      m_queued = true;
      QTimer::singleShot(0, this, [this] {
        m_queued = false;
        Relay();
      });
    }
    return false;
  }

 private:
  void Relay() {
    ApplyWindowLayout(m_client, CurrentLayoutScale());
    m_client->updateGeometry();
    if (m_relaid) m_relaid();
    // A larger font would cut off the right and bottom of the layout: the window grows to
    // hold it, as far as its screen allows.
    if (!m_window->isWindow() || !m_window->isVisible()) return;
    QSize size = m_window->size().expandedTo(m_window->sizeHint());
    if (const QScreen* screen = m_window->screen())
      size = size.boundedTo(screen->availableGeometry().size());
    if (size != m_window->size()) m_window->resize(size);
  }

  QPointer<QWidget> m_window;
  QWidget* m_client;
  std::function<void()> m_relaid;
  bool m_queued = false;
};

}  // namespace

void KeepWindowLayout(QWidget* window, QWidget* client, std::function<void()> relaid) {
  new LayoutKeeper(window, client, std::move(relaid));
}

int TextRoom(const QLineEdit& edit) {
  // As the box lays its text out: the style's contents rectangle of its frame, less the text
  // margins and the two pixels it keeps on either side.
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.rect = edit.contentsRect();
  option.lineWidth =
      edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  option.features = QStyleOptionFrame::None;
  const QRect contents = edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
  constexpr int kSideMargin = 2;
  return contents.width() - edit.textMargins().left() - edit.textMargins().right() -
         2 * kSideMargin;
}

int FitBoxToText(QLineEdit& edit, const QString& widest, std::span<QWidget* const> alongside) {
  // One pixel for the caret behind the last digit, one for rounding the text's width.
  const int needed = edit.fontMetrics().horizontalAdvance(widest) + 2;
  const int missing = needed - TextRoom(edit);
  if (missing <= 0) return 0;
  edit.resize(edit.width() + missing, edit.height());
  for (QWidget* widget : alongside) widget->move(widget->x() + missing, widget->y());
  return missing;
}

}  // namespace qm17
