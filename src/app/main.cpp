// qm17: sets up the QM-17 ignition unit over a serial port.

#include <QApplication>

#include "app/main_window.h"
#ifdef QM17_SHOWN_PROBE
#include "app/shown_probe.h"
#endif

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("qm17"));
  qm17::MainWindow window;
  // Before start-up, whose port message may wait for a user who is logging out.
  window.InstallShutdownHandlers();
  window.FormCreate(QApplication::arguments());
  if (window.ShutdownRequested()) return 0;  // closed and saved already
  window.show();
#ifdef QM17_SHOWN_PROBE
  qm17::ShownProbe::InstallIfAsked(window);  // a measuring build only (QM17_MEASURE)
#endif
  return QApplication::exec();
}
