// The window's side of the device link: the tick, the Device and Com menus, and what the link
// shows. The protocol itself lives in DeviceLink; nothing here decides anything about it.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "app/config_paths.h"
#include "app/curve_view.h"
#include "app/main_window.h"
#include "app/port_failure_text.h"
#include "app/user_prompts.h"
#include "device/monitor.h"
#include "files/settings_store.h"
#include "session/outcome_display.h"

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
QColor NormalColour(const QCheckBox* inverseDisplay) {
  return NormalColour(inverseDisplay->isChecked());
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
  // The port closes itself for a device that went away, in the last tick or in a command's
  // write; the loss is reported once.
  if (m_serial.Vanished() != m_serialVanished) {
    m_serialVanished = m_serial.Vanished();
    if (m_serialVanished) ComDeviceLost();
  }
  // An operation of the window's own replaces a Compare still running.
  if (m_comparison && m_link.operation() != Operation::Idle) m_comparison.reset();
  if (TickComparison()) return;
  const Operation before = m_link.operation();
  m_link.Tick();
  NoteOperationOutcome(before);
}

void MainWindow::MenuReadClick() {
  m_link.StartRead();
  // The parameters shown will come from the unit, no longer from the file.
  SetFileName(QString());
}

void MainWindow::MenuVerifyClick() {
  ReadControlsToImage();
  NormaliseImage();
  ShowImageInControls();
  m_link.StartVerify();
}

void MainWindow::MenuProgramClick() {
  ReadControlsToImage();
  NormaliseImage();
  ShowImageInControls();
  m_link.StartProgram(0);
}

void MainWindow::MenuCom1Click() {
  const auto* action = qobject_cast<const QAction*>(sender());
  const auto found = std::find(m_menuComs.begin(), m_menuComs.end(), action);
  if (action != nullptr && found != m_menuComs.end())
    m_comPortNumber = static_cast<std::uint8_t>(found - m_menuComs.begin() + 1);
  for (std::size_t k = 0; k < m_menuComs.size(); ++k)
    m_menuComs[k]->setChecked(m_comPortNumber == k + 1);
  // Also for the item already checked: picking it again re-opens a port whose device went
  // away and came back.
  CloseComPort();
  OpenComPort();
  SetUnitBlock(std::nullopt);  // another port may lead to another unit
}

bool MainWindow::OpenComPort() {
  if (m_comPortNumber < 1 || m_comPortNumber > 10) return false;
  const std::string device = ComDevice(m_comPortNumber);
  if (!device.empty() && m_serial.Open(device)) {
    m_openedDevice = QString::fromStdString(device);
    m_openedLineName = IdentifyLineName(device);  // while the line is there to be resolved
    return true;
  }
  m_openedDevice.clear();
  const PortFailure failure = device.empty() ? PortFailure::NotPresent : m_serial.LastFailure();
  Prompts().ShowMessage(
      this, QString::fromStdString(PortOpenErrorText(CurrentLanguage(), device, failure)));
  return false;
}

void MainWindow::CloseComPort() {
  if (m_reopenTimer) m_reopenTimer->stop();  // the user chose again, or the window closes
  m_serial.Close();
}

Language MainWindow::CurrentLanguage() const {
  return static_cast<Language>(m_languageIndex);
}

bool MainWindow::PrintLayout() const {
  return m_printLayout;
}

void MainWindow::ShowOutcome(const LinkOutcome& outcome) {
  NoteUnitAnswer(outcome);
  const OutcomeDisplay shown = DisplayForOutcome(outcome, CurrentLanguage());
  if (shown.status) SetStatus(*shown.status, shown.failure);
  if (shown.showStatus) LabelHlaseni->setVisible(true);
  if (shown.gauge != GaugeChange::Keep) CGauge->setVisible(shown.gauge == GaugeChange::Show);
  if (shown.message) Prompts().ShowMessage(this, QString::fromStdString(*shown.message));
}

void MainWindow::SetStatus(const std::string& text, bool failure) {
  m_lastStatusFailed = failure;
  SetLabelBackground(LabelHlaseni, failure ? QColor(Qt::red) : NormalColour(CheckBoxBlackZobr));
  LabelHlaseni->setText(QString::fromStdString(text));
  FitStatusLabel();
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
  if (m_curveWindow) m_curveWindow->View()->SetLinkLost(visible);
  // Only the next frame makes the values live again, whatever else the unit answers.
  if (visible && !m_liveStale) {
    m_liveStale = true;
    PaintLiveTexts();
  }
}

void MainWindow::ShowLiveValues(const LiveValues& values) {
  const MonitorDisplay shown =
      FormatMonitor(values, CurrentLanguage(), m_image[image_byte::kLimiter]);
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
  if (m_curveWindow) m_curveWindow->View()->AddLiveSample(values.rpm, values.advance);
}

void MainWindow::PaintLiveBackgrounds() {
  if (!m_liveShown) return;  // labels no frame has coloured keep the window's background
  const bool inverse = CheckBoxBlackZobr->isChecked() && !m_printLayout;
  const std::array<QLabel*, 5> labels = {LabelRpm, LabelNapeti, LabelMonOmez1, LabelMonRetard,
                                         LabelPolaritaMer};
  for (std::size_t i = 0; i < labels.size(); ++i)
    SetLabelBackground(labels[i], LiveBackground(m_liveColours[i], inverse));
}

void MainWindow::PaintLiveTexts() {
  // The last report stays on screen, greyed, so that it does not pass for a live one; a page
  // prints in the normal colours.
  const bool inverse = CheckBoxBlackZobr->isChecked() && !m_printLayout;
  const QColor caption =
      inverse ? QColor(Qt::white) : QApplication::palette().color(QPalette::WindowText);
  const bool greyed = m_liveStale && m_liveShown && !m_printLayout;
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
  if (m_curveWindow) m_curveWindow->View()->SetCurrentPoint(point);
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

void MainWindow::NormaliseAndShowImage() {
  NormaliseImage();
  ShowImageInControls();
}

}  // namespace qm17
