// The window's side of the device link: the tick, the Device and Com menus, and what the link
// shows. The session runs the link; nothing here decides anything about it.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "app/curve_view.h"
#include "app/main_window.h"
#include "app/user_prompts.h"
#include "device/monitor.h"

namespace qm17 {

namespace {

void SetBackground(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  if (widget->palette().color(role) == colour) return;
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

// A label's own background, painted over whatever lies behind it. Set even when the label
// shows the colour already: one it only inherits would follow the window, which printing
// turns white.
void SetLabelBackground(QLabel* label, const QColor& colour) {
  label->setAutoFillBackground(true);
  const QPalette& current = label->palette();
  if (current.color(QPalette::Window) == colour &&
      current.isBrushSet(QPalette::Active, QPalette::Window))
    return;
  QPalette palette = current;
  palette.setColor(QPalette::Window, colour);
  label->setPalette(palette);
}

// The gauge clamps to its range; QProgressBar would ignore a value outside it instead.
void SetGaugeValue(QProgressBar* gauge, int value) {
  gauge->setValue(std::clamp(value, gauge->minimum(), gauge->maximum()));
}

const QColor kAqua(0, 255, 255);
const QColor kLime(0, 255, 0);

// Background of a live label or the status label in its normal state.
QColor NormalColour(bool inverse) {
  return inverse ? QColor(Qt::black) : QApplication::palette().color(QPalette::Window);
}

QColor LiveBackground(LiveColour colour, bool inverse) {
  switch (colour) {
    case LiveColour::Red:
      return Qt::red;
    case LiveColour::Yellow:
      return Qt::yellow;
    case LiveColour::Aqua:
      return kAqua;
    case LiveColour::Normal:
      break;
  }
  return NormalColour(inverse);
}

}  // namespace

void MainWindow::Timer1Timer() {
  m_session.Tick();
}

void MainWindow::MenuReadClick() {
  m_session.Read();
}

void MainWindow::MenuVerifyClick() {
  m_session.Verify();
}

void MainWindow::MenuProgramClick() {
  m_session.Program();
}

void MainWindow::MenuCom1Click() {
  const auto* action = qobject_cast<const QAction*>(sender());
  const auto found = std::find(m_menuComs.begin(), m_menuComs.end(), action);
  const std::uint8_t number = action != nullptr && found != m_menuComs.end()
                                  ? static_cast<std::uint8_t>(found - m_menuComs.begin() + 1)
                                  : m_session.ComPortNumber();
  m_session.SelectComPort(number);
}

bool MainWindow::OpenComPort() {
  return m_session.OpenComPort();
}

void MainWindow::CloseComPort() {
  m_session.CloseComPort();
}

void MainWindow::StatusTextChanged() {
  const StatusLine& status = m_session.Status();
  SetLabelBackground(LabelHlaseni,
                     status.failure ? QColor(Qt::red) : NormalColour(m_session.InverseDisplay()));
  LabelHlaseni->setText(QString::fromStdString(status.text));
  FitStatusLabel();
}

void MainWindow::ShowMessage(const std::string& text) {
  Prompts().ShowMessage(this, QString::fromStdString(text));
}

void MainWindow::ShowNote(const std::string& text, int ticks) {
  StatusBar1->showMessage(QString::fromStdString(text), ticks * timing::kTickMs);
}

void MainWindow::SetStatusVisible(bool visible) {
  LabelHlaseni->setVisible(visible);
}

void MainWindow::SetGaugeVisible(bool visible) {
  CGauge->setVisible(visible);
}

void MainWindow::SetGaugeProgress(int progress) {
  SetGaugeValue(CGauge, progress);
}

void MainWindow::SetNoConnectionVisible(bool visible) {
  LabelSpojeni->setVisible(visible);
  // Only the next frame makes the values live again, whatever else the unit answers.
  if (visible && !m_liveStale) {
    m_liveStale = true;
    PaintLiveTexts();
  }
}

void MainWindow::ShowLiveValues(const LiveValues& values) {
  const MonitorDisplay shown =
      FormatMonitor(values, CurrentLanguage(), m_session.Image()[image_byte::kLimiter]);
  LabelRpm->setText(QString::fromStdString(shown.rpmText));
  LabelNapeti->setText(QString::fromStdString(shown.voltageText));
  LabelMonOmez1->setText(QString::fromStdString(shown.startLimiterText));
  LabelMonRetard->setText(QString::fromStdString(shown.retardText));
  LabelAdvance->setText(QString::fromStdString(shown.advanceText));
  LabelPocetProgramovani->setText(QString::fromStdString(shown.programCountText));
  LabelPolaritaMer->setText(QString::fromStdString(shown.polarityText));
  for (std::size_t i = 0; i < m_labelTests.size(); ++i)
    m_labelTests[i]->setText(QString::fromStdString(shown.testTexts[i]));
  m_liveColours = {shown.rpmColour, shown.voltageColour, shown.startLimiterColour,
                   shown.retardColour, shown.polarityColour};
  m_liveShown = true;
  PaintLiveBackgrounds();
  if (std::exchange(m_liveStale, false)) PaintLiveTexts();
  // Last: a visible change of the gauge repaints the window at once, and that one pass then
  // takes every label above with it instead of leaving them to a second pass.
  SetGaugeValue(CGaugeRpm, shown.rpmBar);
}

void MainWindow::PaintLiveBackgrounds() {
  if (!m_liveShown) return;  // labels no frame has coloured keep the window's background
  const bool inverse = m_session.InverseDisplay() && !m_session.PrintLayout();
  const std::array<QLabel*, 5> labels = {LabelRpm, LabelNapeti, LabelMonOmez1, LabelMonRetard,
                                         LabelPolaritaMer};
  for (std::size_t i = 0; i < labels.size(); ++i)
    SetLabelBackground(labels[i], LiveBackground(m_liveColours[i], inverse));
}

void MainWindow::PaintLiveTexts() {
  // The last report stays on screen, greyed, so that it does not pass for a live one; a page
  // prints in the normal colours.
  const bool inverse = m_session.InverseDisplay() && !m_session.PrintLayout();
  const QColor caption =
      inverse ? QColor(Qt::white) : QApplication::palette().color(QPalette::WindowText);
  const bool greyed = m_liveStale && m_liveShown && !m_session.PrintLayout();
  QColor text = caption;
  if (greyed) {
    const QColor back = NormalColour(inverse);
    text = QColor((caption.red() + back.red()) / 2, (caption.green() + back.green()) / 2,
                  (caption.blue() + back.blue()) / 2);
  }
  for (QLabel* label : {LabelRpm, LabelAdvance, LabelNapeti, LabelMonOmez1, LabelMonRetard,
                        LabelPolaritaMer, LabelPocetProgramovani})
    SetBackground(label, QPalette::WindowText, text);
  CGaugeRpm->setEnabled(!greyed);
}

void MainWindow::ShowCurrentPoint(const CurrentPoint& point) {
  // Called on every tick: nothing to do unless the point or the base colour changed, and then
  // SetBackground still leaves every box alone whose colour stays.
  const QColor window = QApplication::palette().color(QPalette::Base);
  if (m_shownPoint && m_shownPoint->first == point && m_shownPoint->second == window) return;
  m_shownPoint = std::make_pair(point, window);
  for (std::size_t k = 0; k < kPointCount; ++k) {
    const QColor colour = !point.noCurrentPoint && k == point.index ? kLime : window;
    SetBackground(m_rpmEdits[k], QPalette::Base, colour);
    SetBackground(m_advanceEdits[k], QPalette::Base, colour);
  }
}

}  // namespace qm17
