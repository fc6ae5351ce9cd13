#pragma once
// Turns the system's requests to stop into a normal close of the main window, so that a
// logout, a shutdown or Ctrl+C saves the settings exactly as the close button does. On POSIX
// these are SIGTERM, SIGINT and SIGHUP; on Windows the console's control events (Ctrl+C,
// Ctrl+Break, its window closing). A Windows log-off reaches a windowed program through Qt's
// session end, which the main window handles itself.

#include <QObject>
#include <QPointer>

class QWidget;

namespace qm17 {

class ShutdownSignalCloser : public QObject {
  Q_OBJECT
 public:
  // One per program: the handlers are process-wide. A second signal of the same kind, should
  // the close hang, ends the program the ordinary way.
  explicit ShutdownSignalCloser(QWidget* window, QObject* parent = nullptr);
  ~ShutdownSignalCloser() override;

  bool isActive() const { return m_active; }
  // Whether a signal has arrived (and the window has been closed for it).
  bool received() const { return m_received; }
  // In the event loop: notes the signal and closes the windows. The platform's handler
  // arranges for this to run; tests call it directly.
  void Deliver(int signalNumber);

 signals:
  void signalReceived(int signalNumber);

 private:
  // In the event loop, never in a handler: notes one signal.
  void Received(int signalNumber);
  // The main window first, so its close handler saves what the user sees; then whatever
  // dialog may still be open, so that no nested event loop keeps the program alive.
  void CloseWindows();

  QPointer<QWidget> m_window;
  QObject* m_listener = nullptr;  // the platform's watcher of its handlers, when it has one
  bool m_active = false;
  bool m_received = false;
};

}  // namespace qm17
