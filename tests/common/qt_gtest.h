#pragma once
// GoogleTest beside a Qt event loop: Qt strings printed as text in failures, and waits that let
// the window's timers and the line's notifiers run.

#include <gtest/gtest.h>

#include <QString>
#include <QTest>
#include <ostream>

// For failure messages streamed after an assertion.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
  return out << '"' << text.toStdString() << '"';
}
// For compared values: GoogleTest would otherwise print a string as a list of characters.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << text;
}

// Runs the event loop until `condition` holds, failing the test if `ms` pass first.
#define QM17_WAIT_FOR(condition, ms) \
  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, ms)) << #condition
