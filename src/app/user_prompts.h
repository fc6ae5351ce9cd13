#pragma once
// Every modal thing the window asks or tells goes through this seam, so that tests can answer
// it without a dialog ever appearing.

#include <QString>
#include <functional>
#include <memory>

class QDialog;
class QMessageBox;
class QPrinter;
class QWidget;

namespace qm17 {

class UserPrompts {
 public:
  enum class Answer { Yes, No, Cancel };

  virtual ~UserPrompts() = default;
  // A simple message box with an OK button.
  virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
  // A plain box with its own title, no icon and an OK button (the About box).
  virtual void ShowTitledMessage(QWidget* parent, const QString& title, const QString& text) {
    (void)title;
    ShowMessage(parent, text);
  }
  // A question box with the question icon and Yes, No and Cancel.
  virtual Answer AskYesNoCancel(QWidget* parent, const QString& text) = 0;
  // File dialogs; an empty result means the user cancelled. `filter` uses Qt's form
  // ("Label (*.ext);;Label (*)"); `defaultSuffix` has no dot.
  virtual QString AskOpenFileName(QWidget* parent, const QString& filter,
                                  const QString& defaultSuffix, const QString& initialPath) = 0;
  virtual QString AskSaveFileName(QWidget* parent, const QString& filter,
                                  const QString& defaultSuffix, const QString& initialPath) = 0;
  // The print dialog with its preview, where the user picks a printer or a PDF file and
  // prints or cancels. `paintPage` draws the page on the printer it is handed, as often as
  // the preview needs. Returns false when the user cancelled; without a dialog (tests)
  // nothing is printed.
  virtual bool ShowPrintPreview(QWidget* parent, const QString& jobTitle,
                                const std::function<void(QPrinter&)>& paintPage) {
    (void)parent;
    (void)jobTitle;
    (void)paintPage;
    return false;
  }
  // Runs a dialog of the window's own (the serial-adapter dialog); true when the user
  // accepted it. Without a dialog (tests) it is cancelled.
  virtual bool RunDialog(QDialog& dialog) {
    (void)dialog;
    return false;
  }
};

// The boxes the real prompts run: a plain one with an OK button, no icon, and the question with
// Yes, No and Cancel. Their text is always plain: it carries file names and the unit's own
// identification, which as rich text could carry markup ("<img src=/dev/zero>").
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& title,
                                            const QString& text);
std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* parent, const QString& text);

// The real dialogs.
class QtUserPrompts : public UserPrompts {
 public:
  void ShowMessage(QWidget* parent, const QString& text) override;
  void ShowTitledMessage(QWidget* parent, const QString& title, const QString& text) override;
  Answer AskYesNoCancel(QWidget* parent, const QString& text) override;
  QString AskOpenFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                          const QString& initialPath) override;
  QString AskSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                          const QString& initialPath) override;
  bool ShowPrintPreview(QWidget* parent, const QString& jobTitle,
                        const std::function<void(QPrinter&)>& paintPage) override;
  bool RunDialog(QDialog& dialog) override;
};

}  // namespace qm17
