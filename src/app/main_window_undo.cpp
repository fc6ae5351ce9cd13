// Undo and redo of the set, kept by the session. The number boxes keep their own undo while
// they hold typing of their own; once a box has nothing to take back, the keys reach the
// window's items and step through the set.

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>

#include "app/main_window.h"
#include "texts/undo_texts.h"

namespace qm17 {
namespace {

// Lets Ctrl+Z / Ctrl+Y through to the window when the box has no typing to take back.
class BoxUndoFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (edit == nullptr) return false;
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo) ||
                      key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::Key_Y) ||
                      key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    if ((undo && !edit->isUndoAvailable()) || (redo && !undo && !edit->isRedoAvailable())) {
      event->ignore();  // not the box's: the window's shortcut runs
      return true;
    }
    return false;
  }
};

}  // namespace

void MainWindow::BuildUndoItems() {
  MenuTools->addSeparator();
  const auto add = [this](const char* name, QList<QKeySequence> keys) {
    QAction* action = MenuTools->addAction(QString());
    action->setParent(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    return action;
  };
  MenuUndo = add("MenuUndo", {QKeySequence(Qt::CTRL | Qt::Key_Z)});
  MenuRedo = add("MenuRedo", {QKeySequence(Qt::CTRL | Qt::Key_Y),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  connect(MenuUndo, &QAction::triggered, this, [this] { m_session.Undo(); });
  connect(MenuRedo, &QAction::triggered, this, [this] { m_session.Redo(); });
  auto* filter = new BoxUndoFilter(this);
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(filter);
}

void MainWindow::ApplyUndoTexts() {
  if (!MenuUndo) return;
  MenuUndo->setText(QString::fromUtf8(UndoText(CurrentLanguage(), UndoMenuItem)));
  MenuRedo->setText(QString::fromUtf8(UndoText(CurrentLanguage(), RedoMenuItem)));
}

void MainWindow::UndoChanged() {
  if (!MenuUndo) return;
  MenuUndo->setEnabled(m_session.CanUndo());
  MenuRedo->setEnabled(m_session.CanRedo());
}

}  // namespace qm17
