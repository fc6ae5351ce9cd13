// The window's side of start-up and shutdown, parameter files, printing and help.

#include <QCloseEvent>

#include "app/main_window.h"
#include "app/user_prompts.h"

namespace qm17 {

void MainWindow::LoadSettings() {}

void MainWindow::SaveSettings() {}

void MainWindow::FormClose() {
  CloseComPort();
  ReadControlsToImage();
  NormaliseImage();
  SaveSettings();
}

void MainWindow::MenuOpenClick() {}

void MainWindow::MenuSaveClick() {}

void MainWindow::SpeedButtonPrintClick() {}

// File > Print has no command of its own; the tool button prints.
void MainWindow::MenuPrintClick() {}

void MainWindow::MenuAboutClick() {}

void MainWindow::MenuContensClick() {}

void MainWindow::MenuExitClick() {
  close();
}

}  // namespace qm17
