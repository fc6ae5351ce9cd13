#pragma once
// The main window's fixed layout as data: every control's place as drawn for an 8-point sans
// font 11 pixels high, and the one builder that scales it to the desktop's font.

#include <QFont>
#include <QRect>
#include <QSize>
#include <functional>
#include <span>

class QLineEdit;
class QString;
class QWidget;

namespace qm17 {

// How much the desktop's font is larger than the one the layout was drawn for. Never below 1:
// a smaller font leaves the controls at their drawn size, which already holds every caption.
struct LayoutScale {
  double x = 1.0;
  double y = 1.0;
  double font = 1.0;  // pixel size of the desktop's font over the drawn 11 pixels

  static LayoutScale ForFont(const QFont& font);
  int X(int designX) const;
  int Y(int designY) const;
  // Both edges scaled, so that controls side by side in the drawing stay side by side.
  QRect Place(const QRect& design) const;
  // A font of the drawing's `pixels` height scaled like the desktop's font.
  QFont Font(int pixels, bool bold) const;
};

// The scale for the application's font now.
LayoutScale CurrentLayoutScale();

struct ControlPlace {
  const char* name;
  const char* parent;  // the client area is "ClientArea"
  // Left, top, width, height as drawn; a width of 0 is a caption that takes its text's size.
  int left;
  int top;
  int width;
  int height;
  // Own font of this height in the drawing's pixels, 0 for the window's font.
  int fontPixels = 0;
  bool bold = false;
};

std::span<const ControlPlace> WindowLayoutTable();
// The client area without the status bar, as drawn.
constexpr QSize kDesignClientSize(834, 511);

// Places and fonts every control of the table under `client` (the widget named "ClientArea");
// returns how many rows named no such control, which is 0 unless table and window drifted.
int ApplyWindowLayout(QWidget* client, const LayoutScale& scale);

// Lays the window out again whenever its font or the application's changes, then runs
// `relaid` (for what is drawn from a control's size). The style changing runs `relaid` too.
void KeepWindowLayout(QWidget* window, QWidget* client, std::function<void()> relaid);

// How many pixels of text `edit` shows without scrolling, in its style and size now.
int TextRoom(const QLineEdit& edit);
// Widens `edit` as far as `widest` needs to show whole in its font and style, and moves the
// controls `alongside` (those right of it on its row) by as much; a box wide enough is left
// as laid out. Returns the pixels added.
int FitBoxToText(QLineEdit& edit, const QString& widest, std::span<QWidget* const> alongside);

}  // namespace qm17
