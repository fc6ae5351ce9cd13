// The POSIX stop signals reach the window through the event loop, and leave no handler behind.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>
#include <csignal>
#include <vector>

#include "app/shutdown_signals.h"
#include "closing_window.h"

namespace qm17 {
namespace {

TEST(ShutdownSignalCloser, EachSignalClosesTheWindowOnce) {
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
    test::ClosingWindow window;
    window.show();
    ShutdownSignalCloser closer(&window);
    ASSERT_TRUE(closer.isActive());
    std::vector<int> received;
    QObject::connect(&closer, &ShutdownSignalCloser::signalReceived,
                     [&](int number) { received.push_back(number); });

    EXPECT_FALSE(closer.received());
    ASSERT_EQ(std::raise(signalNumber), 0);
    // The handler only writes to a socket: the close happens in the event loop.
    EXPECT_EQ(window.closes, 0);
    for (int i = 0; i < 100 && window.closes == 0; ++i)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(window.closes, 1) << signalNumber;
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(received, std::vector<int>{signalNumber});
    EXPECT_TRUE(closer.received());
  }
}

TEST(ShutdownSignalCloser, LeavesTheDefaultHandlersBehind) {
  {
    QWidget window;
    ShutdownSignalCloser closer(&window);
    struct sigaction current = {};
    ::sigaction(SIGTERM, nullptr, &current);
    EXPECT_NE(current.sa_handler, SIG_DFL);
  }
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction current = {};
    ::sigaction(signalNumber, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL) << signalNumber;
  }
}

}  // namespace
}  // namespace qm17
