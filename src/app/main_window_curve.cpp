// The window's side of the advance curve view: opening it, keeping it showing what the table
// shows, and applying its edits through the table's own editing path.

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
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
    m_curveWindow = new CurveWindow(this, [this]() -> UserPrompts& { return Prompts(); });
    connect(m_curveWindow->View(), &CurveView::PointEdited, this, &MainWindow::CurvePointEdited);
    // Its key closes the curve window from there as well.
    m_curveWindow->addAction(MenuCurveView);
    // Beside the window, or where it was left when that is still on a screen.
    QRect where(frameGeometry().topRight() + QPoint(8, 0), m_curveWindow->size());
    if (m_curveGeometry && m_curveGeometry->width() > 0 && m_curveGeometry->height() > 0)
      where = *m_curveGeometry;
    const QScreen* screen = QGuiApplication::screenAt(where.center());
    if (!screen) screen = this->screen();
    const QRect area = screen->availableGeometry();
    where.setSize(where.size().boundedTo(area.size()).expandedTo(m_curveWindow->minimumSizeHint()));
    if (!area.contains(where.center())) where.moveCenter(area.center());
    m_curveWindow->setGeometry(where);
  }
  ApplyCurveViewLanguage();
  ShowInCurveView();
  CurveView* view = m_curveWindow->View();
  view->SetUnitBlock(m_unitBlock);
  view->SetCurrentPoint(m_link.currentPoint());
  view->SetLinkLost(!LabelSpojeni->isHidden());
  m_curveWindow->show();
  m_curveWindow->raise();
}

void MainWindow::ShowInCurveView() {
  ShowUnitMismatch();
  if (!m_curveWindow) return;
  m_curveWindow->View()->SetImage(m_image);
  m_curveWindow->View()->SetInverse(CheckBoxBlackZobr->isChecked());
}

void MainWindow::ApplyCurveViewLanguage() {
  MenuCurveView->setText(QString::fromUtf8(CurveViewText(CurrentLanguage(), CurveMenuItem)));
  SetHint(MenuCurveView, QString::fromUtf8(CurveViewText(CurrentLanguage(), CurveMenuHint)));
  if (m_curveWindow) m_curveWindow->SetLanguage(CurrentLanguage());
}

void MainWindow::CurvePointEdited(int index, int speedByte, int advance) {
  if (index < 0 || index >= static_cast<int>(kPointCount)) return;
  // As the shift buttons do: any typing pending in the table is taken first, then the edit is
  // held to the rules again on what the table holds now.
  ReadControlsToImage();
  NormaliseImage();
  const PointEdit edit =
      BoundedPointEdit(m_image, static_cast<std::size_t>(index), speedByte, advance);
  m_image[image_byte::kPointSpeed + edit.index] = edit.speedByte;
  m_image[image_byte::kPointAdvance + edit.index] = edit.advance;
  ApplyParameterChange();
}

void MainWindow::SetUnitBlock(const std::optional<std::array<std::uint8_t, kBlockSize>>& block) {
  m_unitBlock = block;
  ShowUnitMismatch();
  if (m_curveWindow) m_curveWindow->View()->SetUnitBlock(block);
}

void MainWindow::NoteOperationOutcome(Operation before) {
  if (before == Operation::Idle || m_link.operation() != Operation::Idle) return;
  if (m_lastStatusFailed) {
    SetUnitBlock(std::nullopt);
  } else if (before == Operation::Verify) {
    // Read, Program and Verify all end with a read of the unit's block that equalled ours.
    std::array<std::uint8_t, kBlockSize> block{};
    std::copy_n(m_image.begin() + image_byte::kParameterBlock, kBlockSize, block.begin());
    SetUnitBlock(block);
  }
}

}  // namespace qm17
