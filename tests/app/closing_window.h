#pragma once
// A window that counts its close events.

#include <QCloseEvent>
#include <QWidget>

namespace qm17::test {

class ClosingWindow : public QWidget {
 public:
  int closes = 0;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closes;
    event->accept();
  }
};

}  // namespace qm17::test
