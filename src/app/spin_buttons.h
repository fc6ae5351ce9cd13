#pragma once
// The up/down arrow pair beside a parameter text box. The box accepts any typing; the pair
// holds the last valid position and reads the box's text whenever its position is asked for.

#include <QWidget>
#include <optional>

#include "params/ignition_parameters.h"

class QLineEdit;
class QLocale;
class QToolButton;

namespace qm17 {

class SpinButtons : public QWidget {
  Q_OBJECT

 public:
  SpinButtons(QLineEdit* associate, const SpinRange& range, QWidget* parent);

  // The position as the text of the box gives it: a whole number within the range (group
  // separators anywhere ignored) becomes the new position; anything else keeps the old one.
  int Position();
  // Sets the position, held to the range, and shows it in the box.
  void SetPosition(int position);
  int StoredPosition() const { return m_position; }
  const SpinRange& Range() const { return m_range; }
  QLineEdit* Associate() const { return m_associate; }
  QToolButton* UpButton() const { return m_up; }
  QToolButton* DownButton() const { return m_down; }

  // One arrow click: read the box, step by the increment without wrapping, show, signal.
  void Step(bool up);

  static std::optional<int> ParseText(const QString& text, const QLocale& locale);
  static QString FormatPosition(int position, bool digitGrouping, const QLocale& locale);

 signals:
  void Clicked(bool up);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLineEdit* m_associate;
  SpinRange m_range;
  int m_position;
  QToolButton* m_up;
  QToolButton* m_down;
};

}  // namespace qm17
