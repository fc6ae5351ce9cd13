#pragma once
// Start-up measurement: with QM17_EXIT_WHEN_SHOWN set, the process prints "shown <ns> <w>x<h>"
// (the real-time clock in nanoseconds, comparable with bash's EPOCHREALTIME, and the window's size)
// on standard error once its window has been exposed and painted for the first time, then ends at
// once without saving anything. scripts/measure times qm17 and the bare window alike with it;
// qm17 carries it only when configured with QM17_MEASURE=ON, never in the shipped program.

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace qm17 {

class ShownProbe : public QObject {
 public:
  using QObject::QObject;

  // Call after show(), before the event loop runs. Does nothing unless the variable is set.
  static void InstallIfAsked(QWidget& window) {
    if (qEnvironmentVariableIsEmpty("QM17_EXIT_WHEN_SHOWN") || window.windowHandle() == nullptr)
      return;
    window.windowHandle()->installEventFilter(new ShownProbe(&window));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && !m_seen) {
      m_seen = true;
      // The window paints while it handles this event; the stamp comes once that is done.
      const QWindow* shown = qobject_cast<const QWindow*>(watched);
      const QSize size = shown != nullptr ? shown->size() : QSize();
      QTimer::singleShot(0, [size] {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        std::fprintf(stderr, "shown %lld %dx%d\n",
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, size.width(),
                     size.height());
        std::fflush(stderr);
        std::_Exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_seen = false;
};

}  // namespace qm17
