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
#include "session/presentation.h"

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
  SetLabelBackground(LabelHlaseni, status.failure ? QColor(Qt::red)
                                                  : NormalColour(m_session.Shown().Style().dark));
  LabelHlaseni->setText(QString::fromStdString(status.text));
  // The second line is also the status bar's; here it outlasts a hint that replaced it there.
  LabelHlaseni->setToolTip(QString::fromStdString(status.detail));
  FitStatusLabel();
}

void MainWindow::ShowMessage(const std::string& text) {
  Prompts().ShowMessage(this, QString::fromStdString(text));
}

void MainWindow::ShowNote(const std::string& text, int ticks) {
  StatusBar1->showMessage(QString::fromStdString(text), TicksToMilliseconds(ticks));
}

void MainWindow::SetStatusVisible(bool visible) {
  m_session.LinkReports().SetStatusVisible(visible);
}

void MainWindow::SetGaugeVisible(bool visible) {
  m_session.LinkReports().SetGaugeVisible(visible);
}

void MainWindow::SetGaugeProgress(int progress) {
  m_session.LinkReports().SetGaugeProgress(progress);
}

void MainWindow::SetNoConnectionVisible(bool visible) {
  m_session.LinkReports().SetNoConnectionVisible(visible);
}

void MainWindow::ShowLiveValues(const LiveValues& values) {
  m_session.LinkReports().ShowLiveValues(values);
}

void MainWindow::ShowCurrentPoint(const CurrentPoint& point) {
  m_session.LinkReports().ShowCurrentPoint(point);
}

void MainWindow::StatusVisibleChanged(bool visible) {
  LabelHlaseni->setVisible(visible);
}

void MainWindow::GaugeVisibleChanged(bool visible) {
  CGauge->setVisible(visible);
}

void MainWindow::GaugeProgressChanged(int progress) {
  SetGaugeValue(CGauge, progress);
}

void MainWindow::NoConnectionChanged(bool visible) {
  LabelSpojeni->setVisible(visible);
  PaintLiveTexts();
}

std::array<QLabel*, kLiveLabelCount> MainWindow::LiveLabels() const {
  return {LabelRpm,         LabelNapeti,     LabelMonOmez1,          LabelMonRetard,
          LabelPolaritaMer, LabelAdvance,    LabelPocetProgramovani, m_labelTests[0],
          m_labelTests[1],  m_labelTests[2], m_labelTests[3],        m_labelTests[4],
          m_labelTests[5],  m_labelTests[6], m_labelTests[7]};
}

void MainWindow::LiveValuesChanged(const LiveValues&) {
  // Only what the frame changed: a caption set again repaints its label and what lies under it.
  const Presentation& shown = m_session.Shown();
  const LiveChanges& changes = shown.Changes();
  const std::array<QLabel*, kLiveLabelCount> labels = LiveLabels();
  for (std::size_t i = 0; i < labels.size(); ++i)
    if (changes.texts[i])
      labels[i]->setText(QString::fromStdString(shown.LiveText(static_cast<LiveLabel>(i))));
  if (changes.colours) PaintLiveBackgrounds();
  if (changes.tone) PaintLiveTexts();
  if (changes.bar) CGaugeRpm->ShowValue(shown.Live().rpmBar);
}

void MainWindow::PaintLiveBackgrounds() {
  const Presentation& shown = m_session.Shown();
  if (!shown.LiveShown()) return;  // labels no frame has coloured keep the window's background
  const bool dark = shown.Style().dark;
  const std::array<QLabel*, kLiveLabelCount> labels = LiveLabels();
  for (std::size_t i = 0; i < kColouredLiveLabelCount; ++i)
    SetLabelBackground(labels[i], LiveBackground(shown.Colour(static_cast<LiveLabel>(i)), dark));
}

void MainWindow::PaintLiveTexts() {
  const Presentation& shown = m_session.Shown();
  const bool dark = shown.Style().dark;
  const QColor caption =
      dark ? QColor(Qt::white) : QApplication::palette().color(QPalette::WindowText);
  QColor text = caption;
  if (shown.LiveGreyed()) {
    // Halfway to the ground: still readable, plainly not live.
    const QColor back = NormalColour(dark);
    text = QColor((caption.red() + back.red()) / 2, (caption.green() + back.green()) / 2,
                  (caption.blue() + back.blue()) / 2);
  }
  for (QLabel* label : {LabelRpm, LabelAdvance, LabelNapeti, LabelMonOmez1, LabelMonRetard,
                        LabelPolaritaMer, LabelPocetProgramovani})
    SetBackground(label, QPalette::WindowText, text);
  CGaugeRpm->setEnabled(!shown.LiveGreyed());
}

void MainWindow::CurrentPointChanged(const CurrentPoint& point) {
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
