#pragma once
// GoogleTest beside a Qt event loop: Qt strings printed as text in failures, and waits that let
// the window's timers and the line's notifiers run.

#include <gtest/gtest.h>

#include <QString>
#include <QTest>
#include <ostream>

// Found by GoogleTest for failure messages and printed values, lists included.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
  return out << '"' << text.toStdString() << '"';
}

// Runs the event loop until `condition` holds, failing the test if `ms` pass first.
#define QM17_WAIT_FOR(condition, ms) \
  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, ms)) << #condition
