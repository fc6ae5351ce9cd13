// The window's side of the advance curve view: its menu item, and opening it where it was
// left. Once made, the curve window observes the session itself.

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "app/curve_view.h"
#include "app/main_window.h"
#include "texts/texts.h"

namespace qm17 {

void MainWindow::MenuCurveViewClick() {
  if (m_curveWindow && m_curveWindow->isVisible()) {
    m_curveWindow->close();
    return;
  }
  OpenCurveView();
}

void MainWindow::OpenCurveView() {
  if (!m_curveWindow) {
    m_curveWindow =
        new CurveWindow(this, m_session, [this]() -> UserPrompts& { return Prompts(); });
    // Its key closes the curve window from there as well, and a drag undoes where it was made.
    m_curveWindow->addActions({MenuCurveView, MenuUndo, MenuRedo});
    // Beside the window, or where it was left when that is still on a screen.
    QRect where(frameGeometry().topRight() + QPoint(8, 0), m_curveWindow->size());
    if (const auto& saved = m_session.CurveView().where;
        saved && saved->width > 0 && saved->height > 0)
      where = QRect(static_cast<int>(saved->left), static_cast<int>(saved->top),
                    static_cast<int>(saved->width), static_cast<int>(saved->height));
    const QScreen* screen = QGuiApplication::screenAt(where.center());
    if (!screen) screen = this->screen();
    const QRect area = screen->availableGeometry();
    where.setSize(where.size().boundedTo(area.size()).expandedTo(m_curveWindow->minimumSizeHint()));
    if (!area.contains(where.center())) where.moveCenter(area.center());
    m_curveWindow->setGeometry(where);
  }
  m_curveWindow->show();
  m_curveWindow->raise();
}

void MainWindow::ApplyCurveViewLanguage() {
  MenuCurveView->setText(QString::fromUtf8(CurveViewText(CurrentLanguage(), CurveMenuItem)));
  SetHint(MenuCurveView, QString::fromUtf8(CurveViewText(CurrentLanguage(), CurveMenuHint)));
}

}  // namespace qm17
