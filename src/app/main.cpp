// qm17: sets up the QM-17 ignition unit over a serial port.

#include <QApplication>

#include "app/main_window.h"
#include "app/shown_probe.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("qm17"));
  qm17::MainWindow window;
  // Before start-up, whose port message may wait for a user who is logging out.
  window.InstallShutdownHandlers();
  window.FormCreate(QApplication::arguments());
  if (window.ShutdownRequested()) return 0;  // closed and saved already
  window.show();
  qm17::ShownProbe::InstallIfAsked(window);
  return QApplication::exec();
}
