#include "app/user_prompts.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace qm17 {

// Messages are plain boxes: text and an OK button, no icon.
void QtUserPrompts::ShowMessage(QWidget* parent, const QString& text) {
  ShowTitledMessage(parent, QApplication::applicationDisplayName(), text);
}

bool QtUserPrompts::RunDialog(QDialog& dialog) {
  return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& title,
                                            const QString& text) {
  auto box =
      std::make_unique<QMessageBox>(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box->setTextFormat(Qt::PlainText);
  return box;
}

std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* parent, const QString& text) {
  auto box = std::make_unique<QMessageBox>(
      QMessageBox::Question, QApplication::applicationDisplayName(), text,
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  box->setTextFormat(Qt::PlainText);
  return box;
}

void QtUserPrompts::ShowTitledMessage(QWidget* parent, const QString& title, const QString& text) {
  MakeMessageBox(parent, title, text)->exec();
}

UserPrompts::Answer QtUserPrompts::AskYesNoCancel(QWidget* parent, const QString& text) {
  switch (MakeQuestionBox(parent, text)->exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

QString QtUserPrompts::AskOpenFileName(QWidget* parent, const QString& filter,
                                       const QString& defaultSuffix, const QString& initialPath) {
  QFileDialog dialog(parent, QString(), initialPath, filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

QString QtUserPrompts::AskSaveFileName(QWidget* parent, const QString& filter,
                                       const QString& defaultSuffix, const QString& initialPath) {
  // QFileDialog asks before overwriting by default; the save dialog offers no read-only option.
  QFileDialog dialog(parent, QString(), initialPath, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

bool QtUserPrompts::ShowPrintPreview(QWidget* parent, const QString& jobTitle,
                                     const std::function<void(QPrinter&)>& paintPage) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(jobTitle);
  QPrintPreviewDialog dialog(&printer, parent);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&paintPage](QPrinter* target) { paintPage(*target); });
  // The dialog closes itself as accepted once the page has gone to the printer.
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace qm17
