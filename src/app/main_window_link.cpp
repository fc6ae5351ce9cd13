// The window's side of the device link: the tick, the Device and Com menus, and what the link
// shows.

#include <QAction>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QTimer>

#include "app/main_window.h"
#include "app/user_prompts.h"

namespace qm17 {

void MainWindow::Timer1Timer() {
  m_link.Tick();
}

void MainWindow::MenuReadClick() {}

void MainWindow::MenuVerifyClick() {}

void MainWindow::MenuProgramClick() {}

void MainWindow::MenuCom1Click() {}

bool MainWindow::OpenComPort() {
  return false;
}

void MainWindow::CloseComPort() {
  m_serial.Close();
}

Language MainWindow::CurrentLanguage() const {
  return static_cast<Language>(m_languageIndex);
}

bool MainWindow::PrintLayout() const {
  return m_printLayout;
}

void MainWindow::SetStatus(const std::string& text, bool failure) {
  LabelHlaseni->setText(QString::fromStdString(text));
  QPalette palette = LabelHlaseni->palette();
  palette.setColor(QPalette::WindowText, failure ? QColor(Qt::red) : QColor(Qt::black));
  LabelHlaseni->setPalette(palette);
}

void MainWindow::SetStatusVisible(bool visible) {
  LabelHlaseni->setVisible(visible);
}

void MainWindow::SetGaugeVisible(bool visible) {
  CGauge->setVisible(visible);
}

void MainWindow::SetGaugeProgress(int progress) {
  CGauge->setValue(progress);
}

void MainWindow::SetNoConnectionVisible(bool visible) {
  LabelSpojeni->setVisible(visible);
}

void MainWindow::ShowLiveValues(const LiveValues&) {}

void MainWindow::ShowCurrentPoint(const CurrentPoint&) {}

void MainWindow::NormaliseAndShowImage() {
  NormaliseImage();
  ShowImageInControls();
}

void MainWindow::ShowVersionMismatch() {
  Prompts().ShowMessage(this, MessageText(MsgVersionMismatch));
}

}  // namespace qm17
