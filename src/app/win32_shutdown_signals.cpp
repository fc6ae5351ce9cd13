#include <windows.h>

#include <QMetaObject>
#include <QWidget>
#include <atomic>

#include "app/shutdown_signals.h"

namespace qm17 {
namespace {

std::atomic<ShutdownSignalCloser*> g_closer{nullptr};

// Runs on a thread of its own that Windows starts for each event. Ctrl+C and Ctrl+Break may
// return at once; for the console closing (or a log-off or shutdown reaching a console program)
// Windows ends the process as soon as this returns, so it waits until the window has saved.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  ShutdownSignalCloser* closer = g_closer.load();
  if (closer == nullptr) return FALSE;
  const bool mayWait = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  QMetaObject::invokeMethod(
      closer, [closer, event] { closer->Deliver(static_cast<int>(event)); },
      mayWait ? Qt::QueuedConnection : Qt::BlockingQueuedConnection);
  return TRUE;
}

}  // namespace

ShutdownSignalCloser::ShutdownSignalCloser(QWidget* window, QObject* parent)
    : QObject(parent), m_window(window) {
  ShutdownSignalCloser* none = nullptr;
  if (!g_closer.compare_exchange_strong(none, this)) return;  // another instance owns it
  if (!::SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) {
    g_closer = nullptr;
    return;
  }
  m_active = true;
}

ShutdownSignalCloser::~ShutdownSignalCloser() {
  if (!m_active) return;
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  g_closer = nullptr;
  m_active = false;
}

}  // namespace qm17
