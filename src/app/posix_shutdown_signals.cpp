#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QWidget>
#include <array>
#include <cerrno>
#include <csignal>

#include "app/shutdown_signals.h"

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

ShutdownSignalCloser::ShutdownSignalCloser(QWidget* window, QObject* parent)
    : QObject(parent), m_window(window) {
  if (g_pipe[0] >= 0) return;  // another instance already owns the handlers
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;
  }
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  m_listener = notifier;
  m_active = true;
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    bool any = false;
    while (::read(g_pipe[0], &byte, 1) == 1) {
      any = true;
      Received(static_cast<unsigned char>(byte));
    }
    if (any) CloseWindows();
  });

  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // SA_RESETHAND: if closing hangs, the next identical signal ends the program after all.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int signalNumber : kSignals) ::sigaction(signalNumber, &action, nullptr);
}

ShutdownSignalCloser::~ShutdownSignalCloser() {
  if (!m_active) return;
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : kSignals) ::sigaction(signalNumber, &action, nullptr);
  delete m_listener;
  m_listener = nullptr;
  m_active = false;
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

}  // namespace qm17
