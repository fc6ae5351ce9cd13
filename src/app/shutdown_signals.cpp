#include "app/shutdown_signals.h"

#include <QApplication>
#include <QWidget>

namespace qm17 {

void ShutdownSignalCloser::Received(int signalNumber) {
  m_received = true;
  emit signalReceived(signalNumber);
}

void ShutdownSignalCloser::CloseWindows() {
  if (m_window) m_window->close();
  QApplication::closeAllWindows();
}

void ShutdownSignalCloser::Deliver(int signalNumber) {
  Received(signalNumber);
  CloseWindows();
}

}  // namespace qm17
