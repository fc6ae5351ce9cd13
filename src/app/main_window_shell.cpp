// The window's side of start-up and shutdown, parameter files, printing and help.

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/about_help.h"
#include "app/curve_view.h"
#include "app/local_path.h"
#include "app/main_window.h"
#include "app/shutdown_signals.h"
#include "app/user_prompts.h"
#include "app/window_printer.h"

namespace qm17 {
namespace {

// Qt's filter form of the dialogs' filters; "All Files" shows every file, named with a dot or not.
const QString kSaveFilter = QStringLiteral("Ignition Parametrs(*.ign)");
const QString kOpenFilter = QStringLiteral("Ignition Parametrs(*.ign);;All Files (*)");
const QString kSuffix = QStringLiteral("ign");

int ToInt(long value) {
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

void SetBackground(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

// The locale's long time format names hours, minutes and seconds; some locales add the time
// zone, which the header line has no use for.
QString LongTime(const QLocale& locale, const QTime& time) {
  const QString format = locale.timeFormat(QLocale::LongFormat);
  QString withoutZone;
  bool quoted = false;
  for (const QChar c : format) {
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (quoted || c != QLatin1Char('t')) withoutZone += c;
  }
  return locale.toString(time, withoutZone.simplified());
}

}  // namespace

void MainWindow::PlacementLoaded(const WindowPlacement& placement) {
  // Applied as read: a window moved to a second screen comes back there. The size is the
  // window's own, without the desktop's frame, which is unknown until the window is shown;
  // saved the same way, it stays the same from run to run.
  move(ToInt(placement.left), ToInt(placement.top));
  resize(BoundedWindowSize({width(), ToInt(placement.height)}));
  resize(BoundedWindowSize({ToInt(placement.width), height()}));
  KeepOnScreen();
}

void MainWindow::KeepPlacements() {
  m_session.SetWindowPlacement({x(), y(), width(), height()});
  // A curve window never opened in this run leaves what the settings say about it.
  if (!m_curveWindow) return;
  const QRect where = m_curveWindow->geometry();
  m_session.SetCurveView({m_curveWindow->isVisible(),
                          WindowPlacement{where.x(), where.y(), where.width(), where.height()}});
}

QString MainWindow::FileName() const {
  return FromLocalPath(m_session.FileName());
}

QString MainWindow::LastFilePath() const {
  return FromLocalPath(m_session.LastFilePath());
}

void MainWindow::FormClose() {
  KeepPlacements();
  m_session.Shutdown();
}

void MainWindow::InstallShutdownHandlers() {
  if (m_signalCloser) return;
  m_signalCloser = new ShutdownSignalCloser(this, this);
  // The session manager may end the program without closing the window: save first.
  connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::CommitSessionData);
}

void MainWindow::CommitSessionData() {
  KeepPlacements();
  m_session.CommitData();
}

bool MainWindow::ShutdownRequested() const {
  return m_signalCloser && m_signalCloser->received();
}

void MainWindow::MenuOpenClick() {
  OpenParameterFile(Prompts().AskOpenFileName(this, kOpenFilter, kSuffix, LastFilePath()));
}

void MainWindow::OpenParameterFile(const QString& path) {
  m_session.Open(LocalPath(path));
}

void MainWindow::MenuSaveClick() {
  const QString path = Prompts().AskSaveFileName(this, kSaveFilter, kSuffix, LastFilePath());
  if (!path.isEmpty()) m_session.Save(LocalPath(path));
}

void MainWindow::SpeedButtonPrintClick() {
  PrintWindow();
}

void MainWindow::MenuPrintClick() {
  // The same page as the toolbar's, taken once; the dialog lets the user choose a printer or
  // a PDF file and see the page before printing it.
  const QPixmap picture = CaptureInPrintLayout();
  QString problem;
  const bool printed = Prompts().ShowPrintPreview(this, windowTitle(), [&](QPrinter& printer) {
    const auto draw = [&picture](QPainter& painter, QPaintDevice& page) {
      DrawPictureOnPage(painter, QSize(page.width(), page.height()), picture);
      return true;
    };
    problem = PrintPage(printer, draw, CurrentLanguage());
  });
  if (!problem.isEmpty()) {
    Prompts().ShowMessage(this, problem);
  } else if (!printed) {
    LabelHlaseni->hide();  // no date of printing for a page that was not printed
  }
}

void MainWindow::EnterPrintLayout() {
  // One reading of the clock, so that date and time cannot straddle midnight.
  const QDateTime now = QDateTime::currentDateTime();
  const QLocale locale;
  LabelHlaseni->setText(QString::fromUtf8(PrintHeaderText(CurrentLanguage())) +
                        locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral("    ") +
                        LongTime(locale, now.time()));
  FitStatusLabel();
  SetBackground(LabelHlaseni, Qt::white);
  LabelHlaseni->show();
  LabelSpojeni->hide();
  m_session.RestartMessageCountdown();
  CGauge->hide();
  m_session.SetPrintLayout(true);
  SetBackground(m_client, Qt::white);
  PutFocusAside();
}

void MainWindow::LeavePrintLayout() {
  GiveFocusBack();
  m_session.SetPrintLayout(false);
  SetBackground(LabelHlaseni, m_session.InverseDisplay()
                                  ? QColor(Qt::black)
                                  : QApplication::palette().color(QPalette::Window));
}

QPixmap MainWindow::CaptureInPrintLayout() {
  EnterPrintLayout();
  const QPixmap picture = m_client->grab();
  LeavePrintLayout();
  return picture;
}

void MainWindow::PrintWindow() {
  EnterPrintLayout();
  const QString error =
      PrintWidget(*m_client, m_printDestination, windowTitle(), CurrentLanguage());
  // The normal layout comes back whether or not the printer took the job.
  LeavePrintLayout();
  if (!error.isEmpty()) Prompts().ShowMessage(this, error);
}

void MainWindow::PutFocusAside() {
  QWidget* focused = QApplication::focusWidget();
  if (!focused || !isAncestorOf(focused)) return;
  SetAsideFocus aside{focused};
  if (const auto* edit = qobject_cast<const QLineEdit*>(focused)) {
    aside.selectionStart = edit->selectionStart();
    aside.selectionLength = edit->selectionLength();
    aside.cursor = edit->cursorPosition();
  }
  m_focusAside = aside;
  const bool wasApplying = std::exchange(m_applying, true);
  focused->clearFocus();
  m_applying = wasApplying;
}

void MainWindow::GiveFocusBack() {
  const std::optional<SetAsideFocus> aside = std::exchange(m_focusAside, std::nullopt);
  if (!aside || !aside->widget || !aside->widget->isVisible()) return;
  const bool wasApplying = std::exchange(m_applying, true);
  aside->widget->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(aside->widget.data())) {
    if (aside->selectionStart < 0) {
      edit->setCursorPosition(aside->cursor);
    } else if (aside->cursor == aside->selectionStart) {
      // Selected leftwards: the cursor stays at the selection's start.
      edit->setSelection(aside->selectionStart + aside->selectionLength, -aside->selectionLength);
    } else {
      edit->setSelection(aside->selectionStart, aside->selectionLength);
    }
  }
  m_applying = wasApplying;
}

void MainWindow::FitStatusLabel() {
  if (m_statusLabelWidth == 0) m_statusLabelWidth = LabelHlaseni->width();
  LabelHlaseni->resize(std::max(m_statusLabelWidth, LabelHlaseni->sizeHint().width()),
                       LabelHlaseni->height());
}

void MainWindow::MenuAboutClick() {
  Prompts().ShowTitledMessage(this, ApplicationTitle(QCoreApplication::applicationFilePath()),
                              AboutBoxText(CurrentLanguage()));
}

void MainWindow::MenuContensClick() {
  const QString problem = OpenHelpDocument(CurrentLanguage(), m_helpOpener);
  if (!problem.isEmpty()) Prompts().ShowMessage(this, problem);
}

void MainWindow::MenuExitClick() {
  close();
}

}  // namespace qm17
