#pragma once
// A dialog seam for tests that answers every question at once and remembers the messages.

#include <QString>
#include <QStringList>
#include <functional>

#include "app/user_prompts.h"

namespace qm17::test {

class RecordingPrompts : public UserPrompts {
 public:
  void ShowMessage(QWidget*, const QString& text) override { messages << text; }
  Answer AskYesNoCancel(QWidget*, const QString&) override { return Answer::Cancel; }
  QString AskOpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  QString AskSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  // Answers a dialog of the window's own (set it up and accept, or not); cancelled without.
  bool RunDialog(QDialog& dialog) override { return dialogAnswer && dialogAnswer(dialog); }
  std::function<bool(QDialog&)> dialogAnswer;
  QStringList messages;
};

}  // namespace qm17::test
