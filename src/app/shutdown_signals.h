#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a normal close of the main window, so that a logout, a
// shutdown or Ctrl+C saves the settings exactly as the close button does.

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

namespace qm17 {

class UnixSignalCloser : public QObject {
  Q_OBJECT
 public:
  // One per program: the handlers are process-wide. A second signal of the same kind, should
  // the close hang, ends the program the ordinary way.
  explicit UnixSignalCloser(QWidget* window, QObject* parent = nullptr);
  ~UnixSignalCloser() override;

  bool isActive() const { return m_notifier != nullptr; }
  // Whether a signal has arrived (and the window has been closed for it).
  bool received() const { return m_received; }

 signals:
  void signalReceived(int signalNumber);

 private:
  void OnReadable();

  QPointer<QWidget> m_window;
  QSocketNotifier* m_notifier = nullptr;
  bool m_received = false;
};

}  // namespace qm17
