// An empty main window of qm17's size: what any Qt Widgets program costs to start and to keep.
// With --text it also shows one line of text, so that it pays for loading fonts as every
// program with a caption does; without, it is the floor of an empty window.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "app/shown_probe.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("bare-window"));
  if (QApplication::arguments().contains(QStringLiteral("--text")))
    window.setCentralWidget(new QLabel(QStringLiteral("bare-window"), &window));
  // The size of qm17's window, so that both keep a backing store of the same size.
  window.resize(1084, 661);
  window.show();
  qm17::ShownProbe::InstallIfAsked(window);
  return QApplication::exec();
}
