// qm17: sets up the QM-17 ignition unit over a serial port.

#include <QApplication>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("qm17"));
  qm17::MainWindow window;
  window.FormCreate(QApplication::arguments());
  window.InstallShutdownHandlers();
  window.show();
  return QApplication::exec();
}
