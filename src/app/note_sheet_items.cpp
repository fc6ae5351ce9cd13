#include "app/note_sheet_items.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <chrono>

#include "app/local_path.h"
#include "app/user_prompts.h"
#include "session/setup_sheet.h"
#include "texts/note_texts.h"
#include "texts/texts.h"

namespace qm17 {
namespace {

constexpr int kStatusMs = 10000;

QString Text(Language language, int id) {
  return QString::fromUtf8(NoteText(language, id));
}

// "short|long": the tooltip and the status bar's text.
void SetItemTexts(QAction* action, const QString& caption, const QString& hint) {
  action->setText(caption);
  const qsizetype bar = hint.indexOf(u'|');
  action->setToolTip(bar < 0 ? hint : hint.left(bar));
  action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

}  // namespace

QString NoteSummary(const std::string& note, int limit) {
  const QString text = QString::fromStdString(note);
  QString first = text.section(u'\n', 0, 0);
  const bool more = first.size() != text.size() || first.size() > limit;
  if (first.size() > limit) first.truncate(limit);
  return more ? first.trimmed() + QStringLiteral("…") : first;
}

NoteSheetItems::NoteSheetItems(QMainWindow& window, Session& session, QMenu& menu, QAction* before,
                               std::function<UserPrompts&()> prompts)
    : QObject(&window), m_window(window), m_session(session), m_prompts(std::move(prompts)) {
  m_note = new QAction(&window);
  m_note->setObjectName(QStringLiteral("MenuNote"));
  m_sheet = new QAction(&window);
  m_sheet->setObjectName(QStringLiteral("MenuSetupSheet"));
  menu.insertAction(before, m_note);
  menu.insertAction(before, m_sheet);
  connect(m_note, &QAction::triggered, this, &NoteSheetItems::MenuNoteClick);
  connect(m_sheet, &QAction::triggered, this, &NoteSheetItems::MenuSheetClick);
  ApplyTexts();
  m_session.AddObserver(*this);
}

NoteSheetItems::~NoteSheetItems() {
  m_session.RemoveObserver(*this);
}

void NoteSheetItems::ApplyTexts() {
  const Language language = m_session.CurrentLanguage();
  SetItemTexts(m_note, Text(language, NoteMenuItem), Text(language, NoteMenuHint));
  SetItemTexts(m_sheet, Text(language, SheetMenuItem), Text(language, SheetMenuHint));
}

void NoteSheetItems::MenuNoteClick() {
  const Language language = m_session.CurrentLanguage();
  QDialog dialog(&m_window);
  dialog.setObjectName(QStringLiteral("NoteDialog"));
  dialog.setWindowTitle(Text(language, NoteDialogTitle));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(Text(language, NoteDialogLabel), &dialog);
  label->setWordWrap(true);
  auto* edit = new QPlainTextEdit(&dialog);
  edit->setObjectName(QStringLiteral("NoteEdit"));
  edit->setPlainText(QString::fromStdString(m_session.Note()));
  edit->setTabChangesFocus(true);  // Tab leaves the box for the buttons, as in the window
  label->setBuddy(edit);
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(Text(language, NoteOk), QDialogButtonBox::AcceptRole);
  buttons->addButton(Text(language, NoteCancel), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  dialog.resize(480, 300);
  if (!m_prompts().RunDialog(dialog)) return;
  const std::string before = m_session.Note();
  m_session.SetNote(edit->toPlainText().toStdString());
  if (m_session.Note() != before && m_window.statusBar())
    m_window.statusBar()->showMessage(Text(language, NoteSaved), kStatusMs);
}

void NoteSheetItems::MenuSheetClick() {
  const Language language = m_session.CurrentLanguage();
  // Beside the parameter file, named after it, when there is one.
  QString initial;
  if (!m_session.FileName().empty()) {
    const QFileInfo file(FromLocalPath(m_session.FileName()));
    initial = file.dir().filePath(file.completeBaseName() + QStringLiteral(".pdf"));
  }
  const QString path = m_prompts().AskSaveFileName(&m_window, Text(language, SheetFileFilter),
                                                   QStringLiteral("pdf"), initial);
  if (path.isEmpty()) return;
  const SetupSheet sheet =
      SheetOfSession(m_session, m_programCount, std::chrono::system_clock::now());
  const std::string why = WriteSetupSheet(LocalPath(path), sheet);
  if (!why.empty()) {
    m_prompts().ShowMessage(&m_window,
                            QString::fromStdString(m_session.MessageText(MsgOpenFileError)) +
                                QStringLiteral("\n") + path + QStringLiteral("\n") +
                                QString::fromStdString(why));
    return;
  }
  if (m_window.statusBar())
    m_window.statusBar()->showMessage(Text(language, SheetWritten) + u' ' + path, kStatusMs);
}

}  // namespace qm17
