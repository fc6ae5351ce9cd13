// The window's side of start-up and shutdown, parameter files, printing and help.

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
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
#include <vector>

#include "app/about_help.h"
#include "app/config_paths.h"
#include "app/curve_view.h"
#include "app/main_window.h"
#include "app/unix_signals.h"
#include "app/user_prompts.h"
#include "files/atomic_file.h"
#include "files/parameter_file.h"
#include "files/settings_store.h"
#include "files/side_file.h"
#include "files/text_words.h"
#include "files/window_printer.h"

namespace qm17 {
namespace {

constexpr const char* kKeyLeft = "Left";
constexpr const char* kKeyTop = "Top";
constexpr const char* kKeyHeight = "Height";
constexpr const char* kKeyWidth = "Width";
constexpr const char* kKeyComPort = "ComPort";
constexpr const char* kKeyLanguage = "Language";
constexpr const char* kKeyFile = "File";
constexpr const char* kKeyIniDir = "IniDir";
constexpr const char* kKeyInverse = "CheckBoxBlackZobr->Checked";
constexpr const char* kKeyAllPoints = "CheckBoxIgnAll->Checked";
// The curve window's keys live in a section of their own, which the window's keys ignore.
constexpr const char* kCurveSection = "CURVE_VIEW";
constexpr const char* kKeyCurveOpen = "Open";

// Qt's filter form of the dialogs' filters; "All Files" shows every file, named with a dot or not.
const QString kSaveFilter = QStringLiteral("Ignition Parametrs(*.ign)");
const QString kOpenFilter = QStringLiteral("Ignition Parametrs(*.ign);;All Files (*)");
const QString kSuffix = QStringLiteral("ign");

int ToInt(long value) {
  return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

// A file name on Linux is bytes, and one written in Latin-1 or Windows-1250 is not UTF-8. Each
// such byte travels through the window as a lone surrogate U+DC80..U+DCFF, which no decoded
// name holds, so that it reaches the file system and the settings again unchanged.
constexpr char16_t kByteEscape = 0xDC00;

QString FromBytes(std::string_view bytes) {
  QString text;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) {
      text += QChar(static_cast<char16_t>(kByteEscape + static_cast<unsigned char>(bytes[i++])));
    } else {
      text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
      i += length;
    }
  }
  return text;
}

// `encode` turns the runs between escaped bytes into bytes.
template <typename Encode>
std::string ToBytes(const QString& text, Encode encode) {
  std::string bytes;
  qsizetype runStart = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      ++i;
    } else if (c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF) {
      bytes += encode(text.mid(runStart, i - runStart));
      bytes += static_cast<char>(c - kByteEscape);
      runStart = i + 1;
    }
  }
  return bytes + encode(text.mid(runStart));
}

// The name to open a file by.
std::string LocalPath(const QString& path) {
  return ToBytes(path, [](const QString& run) { return QFile::encodeName(run).toStdString(); });
}

// A file name as the settings keep it.
std::string SettingsText(const QString& text) {
  return ToBytes(text, [](const QString& run) { return run.toStdString(); });
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

void MainWindow::LoadSettings() {
  IniFile settings;
  settings.Load(SettingsFilePath());  // a missing file reads as one without keys
  const char* section = kSettingsSection;

  // Applied as read: a window moved to a second screen comes back there. The size is the
  // window's own, without the desktop's frame, which is unknown until the window is shown;
  // saved the same way, it stays the same from run to run.
  move(ToInt(settings.ReadInteger(section, kKeyLeft, x())), y());
  move(x(), ToInt(settings.ReadInteger(section, kKeyTop, y())));
  resize(BoundedWindowSize({width(), ToInt(settings.ReadInteger(section, kKeyHeight, height()))}));
  resize(BoundedWindowSize({ToInt(settings.ReadInteger(section, kKeyWidth, width())), height()}));
  KeepOnScreen();

  m_comPortNumber =
      static_cast<std::uint8_t>(settings.ReadInteger(section, kKeyComPort, m_comPortNumber));
  m_languageIndex =
      static_cast<std::uint8_t>(settings.ReadInteger(section, kKeyLanguage, m_languageIndex));

  SetFileName(FromBytes(settings.ReadString(section, kKeyFile, {})));
  m_lastFilePath = FromBytes(settings.ReadString(section, kKeyIniDir, {}));

  CheckBoxBlackZobr->setChecked(
      settings.ReadInteger(section, kKeyInverse, CheckBoxBlackZobr->isChecked() ? 1 : 0) != 0);
  CheckBoxIgnAll->setChecked(
      settings.ReadInteger(section, kKeyAllPoints, CheckBoxIgnAll->isChecked() ? 1 : 0) != 0);

  if (const auto side = ReadRegularFile(ImageSideFilePath())) ReadImageSideFile(*side, m_image);
  ReadCurveViewSettings(settings);
}

void MainWindow::ReadCurveViewSettings(const IniFile& settings) {
  m_curveViewWanted = settings.ReadInteger(kCurveSection, kKeyCurveOpen, 0) != 0;
  const QRect saved(ToInt(settings.ReadInteger(kCurveSection, kKeyLeft, 0)),
                    ToInt(settings.ReadInteger(kCurveSection, kKeyTop, 0)),
                    ToInt(settings.ReadInteger(kCurveSection, kKeyWidth, 0)),
                    ToInt(settings.ReadInteger(kCurveSection, kKeyHeight, 0)));
  if (saved.width() > 0 && saved.height() > 0) m_curveGeometry = saved;
}

void MainWindow::WriteCurveViewSettings(IniFile& settings) const {
  // A window never opened in this run leaves what the file says about it.
  if (!m_curveWindow) return;
  const QRect where = m_curveWindow->geometry();
  settings.WriteInteger(kCurveSection, kKeyCurveOpen, m_curveWindow->isVisible() ? 1 : 0);
  settings.WriteInteger(kCurveSection, kKeyLeft, where.x());
  settings.WriteInteger(kCurveSection, kKeyTop, where.y());
  settings.WriteInteger(kCurveSection, kKeyWidth, where.width());
  settings.WriteInteger(kCurveSection, kKeyHeight, where.height());
}

void MainWindow::SaveSettings() {
  // A folder that cannot be made or written: nothing is saved and nothing is said.
  if (!EnsureConfigDirectory()) return;
  const std::string path = SettingsFilePath();
  IniFile settings;
  // Loading keeps the port mapping and whatever else the user wrote there. A file that is
  // there but cannot be read (too big, no read permission) is left as it is: writing a new
  // one would throw that away.
  std::error_code error;
  const bool keepFile = !settings.Load(path) && std::filesystem::exists(path, error);
  if (!keepFile) WriteSettingsKeys(settings, path);
  WriteRegularFileAtomically(ImageSideFilePath(), WriteImageSideFile(m_image));
}

void MainWindow::WriteSettingsKeys(IniFile& settings, const std::string& path) const {
  const char* section = kSettingsSection;

  settings.WriteInteger(section, kKeyLeft, x());
  settings.WriteInteger(section, kKeyTop, y());
  settings.WriteInteger(section, kKeyHeight, height());
  settings.WriteInteger(section, kKeyWidth, width());
  settings.WriteInteger(section, kKeyComPort, m_comPortNumber);
  settings.WriteInteger(section, kKeyLanguage, m_languageIndex);
  settings.WriteString(section, kKeyFile, SettingsText(m_fileName));
  settings.WriteString(section, kKeyIniDir, SettingsText(m_lastFilePath));
  settings.WriteInteger(section, kKeyInverse, CheckBoxBlackZobr->isChecked() ? 1 : 0);
  settings.WriteInteger(section, kKeyAllPoints, CheckBoxIgnAll->isChecked() ? 1 : 0);
  WriteCurveViewSettings(settings);
  settings.Save(path);
}

void MainWindow::FormClose() {
  CloseComPort();
  ReadControlsToImage();
  NormaliseImage();
  SaveSettings();
}

void MainWindow::InstallShutdownHandlers() {
  if (m_signalCloser) return;
  m_signalCloser = new UnixSignalCloser(this, this);
  // The session manager may end the program without closing the window: save first.
  connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::CommitSessionData);
}

void MainWindow::CommitSessionData() {
  ReadControlsToImage();
  NormaliseImage();
  SaveSettings();
}

bool MainWindow::ShutdownRequested() const {
  return m_signalCloser && m_signalCloser->received();
}

void MainWindow::MenuOpenClick() {
  OpenParameterFile(Prompts().AskOpenFileName(this, kOpenFilter, kSuffix, m_lastFilePath));
}

void MainWindow::OpenParameterFile(const QString& path) {
  if (!path.isEmpty()) {
    // Only a regular file: a device or a pipe chosen under "All Files" would never end.
    const std::optional<std::string> content = ReadRegularFile(LocalPath(path));
    if (!content) {
      Prompts().ShowMessage(this, MessageText(MsgOpenFileError));
    } else {
      // Read into a copy, so that a file of the wrong version changes nothing at all.
      DeviceImage loaded = m_image;
      std::vector<FileAdjustment> adjustments;
      if (ReadParameterFile(*content, loaded, adjustments)) {
        m_image = loaded;
        NormaliseImage();
        ShowImageInControls();
        SetFileName(path);
        m_lastFilePath = path;
        // The set is loaded as the file format says; what it holds unlike the file is told.
        if (!adjustments.empty()) {
          QString text = QString::fromUtf8(ExtraText(CurrentLanguage(), TextFileAdjusted));
          const ChangeWording wording = ChangeWordingFor(CurrentLanguage());
          for (const FileAdjustment& adjustment : adjustments)
            text += u'\n' + QString::fromStdString(FormatFileAdjustment(wording, adjustment));
          Prompts().ShowMessage(this, text);
        }
      } else {
        Prompts().ShowMessage(this, QString::fromUtf8(FileVersionMismatchText(CurrentLanguage())));
      }
    }
  }
  LabelHlaseni->hide();
  CGauge->hide();
}

void MainWindow::MenuSaveClick() {
  const QString path = Prompts().AskSaveFileName(this, kSaveFilter, kSuffix, m_lastFilePath);
  if (path.isEmpty()) return;
  // The file always holds a normalised set; when it cannot be written, nothing changes.
  const DeviceImage before = m_image;
  ReadControlsToImage();
  NormaliseImage();
  // Only a file, as for opening: a FIFO or a device would keep the window waiting.
  if (!WriteRegularFileAtomically(LocalPath(path), WriteParameterFile(m_image))) {
    m_image = before;
    Prompts().ShowMessage(this, MessageText(MsgOpenFileError));
    return;
  }
  ShowImageInControls();
  SetFileName(path);
  m_lastFilePath = path;
}

void MainWindow::SpeedButtonPrintClick() {
  PrintWindow();
}

void MainWindow::MenuPrintClick() {
  // The same page as the toolbar's, taken once; the dialog lets the user choose a printer or
  // a PDF file and see the page before printing it.
  const QPixmap picture = CaptureInPrintLayout();
  bool failed = false;
  const bool printed =
      Prompts().ShowPrintPreview(this, windowTitle(), [&picture, &failed](QPrinter& printer) {
        QPainter painter;
        if (!painter.begin(&printer)) {
          failed = true;
          return;
        }
        DrawPictureOnPage(painter, QSize(printer.width(), printer.height()), picture);
        if (!painter.end() || printer.printerState() == QPrinter::Error) failed = true;
      });
  if (failed) {
    Prompts().ShowMessage(this, QString::fromUtf8(PrintFailedText(CurrentLanguage())));
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
  m_link.RestartMessageCountdown();
  CGauge->hide();
  m_printLayout = true;
  ApplyDisplayStyle();
  PaintLiveBackgrounds();
  SetBackground(m_client, Qt::white);
}

void MainWindow::LeavePrintLayout() {
  m_printLayout = false;
  ApplyDisplayStyle();
  PaintLiveBackgrounds();
  SetBackground(LabelHlaseni, CheckBoxBlackZobr->isChecked()
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
  OpenHelpDocument(CurrentLanguage(), m_helpOpener);
}

void MainWindow::MenuExitClick() {
  close();
}

}  // namespace qm17
