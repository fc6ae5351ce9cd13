#include "app/unix_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <array>
#include <cerrno>
#include <csignal>

namespace qm17 {
namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};  // [0] read by the event loop, [1] written by the handler

// Only async-signal-safe work here: one byte into the pipe, errno left as it was.
extern "C" void OnSignal(int signalNumber) {
  const int savedErrno = errno;
  const char byte = static_cast<char>(signalNumber);
  [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

UnixSignalCloser::UnixSignalCloser(QWidget* window, QObject* parent)
    : QObject(parent), m_window(window) {
  if (g_pipe[0] >= 0) return;  // another instance already owns the handlers
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;
  }
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalCloser::OnReadable);

  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // SA_RESETHAND: if closing hangs, the next identical signal ends the program after all.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int signalNumber : kSignals) ::sigaction(signalNumber, &action, nullptr);
}

UnixSignalCloser::~UnixSignalCloser() {
  if (!m_notifier) return;
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : kSignals) ::sigaction(signalNumber, &action, nullptr);
  delete m_notifier;
  m_notifier = nullptr;
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void UnixSignalCloser::OnReadable() {
  char byte = 0;
  bool received = false;
  while (::read(g_pipe[0], &byte, 1) == 1) {
    received = true;
    emit signalReceived(static_cast<unsigned char>(byte));
  }
  if (!received) return;
  m_received = true;
  // The main window first, so its close handler saves what the user sees; then whatever
  // dialog may still be open, so that no nested event loop keeps the program alive.
  if (m_window) m_window->close();
  QApplication::closeAllWindows();
}

}  // namespace qm17
