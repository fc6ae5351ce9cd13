#pragma once
// The one window of the program: a view of the session. It owns the controls and the serial
// port, shows what the session holds and forwards every event to it.

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/about_help.h"
#include "app/kept_pictures.h"
#include "app/port_dialog.h"
#include "app/window_printer.h"
#include "device/link.h"
#include "device/serial_port.h"
#include "params/device_image.h"
#include "params/differences.h"
#include "session/session.h"
#include "texts/texts.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPixmap;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTimer;
class QToolButton;

namespace qm17 {

class CurveWindow;

class SpinButtons;
class ShutdownSignalCloser;
class UserPrompts;

class MainWindow : public QMainWindow, private SessionObserver, private ControlPanel {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // Replaces the dialogs (tests answer them themselves). Never null.
  void SetPrompts(std::shared_ptr<UserPrompts> prompts);
  UserPrompts& Prompts() const { return *m_prompts; }

  // The start-up sequence; `arguments` as QCoreApplication::arguments() gives them, the
  // program name first.
  void FormCreate(const QStringList& arguments);

  Session& RunSession() { return m_session; }
  const DeviceImage& Image() const { return m_session.Image(); }
  std::uint8_t LanguageIndex() const { return m_session.LanguageIndex(); }
  std::uint8_t ComPortNumber() const { return m_session.ComPortNumber(); }
  void SetPrintLayout(bool printLayout) { m_session.SetPrintLayout(printLayout); }
  const DeviceLink& Link() const { return m_session.LinkState(); }
  // A message of the table in the current language.
  QString MessageText(MessageId entry) const;

  // Moving parameters between the controls and the image.
  void ReadControlsToImage();
  void NormaliseImage();
  void ShowImageInControls();
  void ApplyDisplayStyle();

  // Languages.
  void ApplyLanguage();
  void LoadMessageTexts();

  // Editing.
  void ApplyParameterChange();
  void ProgramAfterChange();
  // Returns true when the key was Enter and has been consumed.
  bool FormKeyPress(QKeyEvent* event);

  // The current parameter file's full path, or empty; LabelFile2 shows it, shortened in the
  // middle when it does not fit, with the whole path as its tooltip.
  QString FileName() const;

 public slots:
  void EditExit();
  // A typed value out of its box's range is not taken: the status line says what the box holds.
  void ReportRejectedValue(const QLineEdit* edit);
  void UpDownClick();
  void BitBtnAdvMinusClick();
  void BitBtnAdvPlusClick();
  void MenuNewClick();
  void CheckBoxProgHnedMouseUp();
  void RadioGroupPolaritaClick();
  void CheckBoxBlackZobrClick();
  void MenuEnglishClick();
  void MenuCzechClick();
  void MenuGermanClick();
  void ShowHintInStatusBar(const QString& hint);

  // Device link (main_window_link.cpp).
  void Timer1Timer();
  void MenuReadClick();
  void MenuVerifyClick();
  void MenuProgramClick();
  void MenuCom1Click();
  // Serial adapters (main_window_ports.cpp).
  void MenuComAdaptersClick();

  // Settings, files, printing, help (main_window_shell.cpp).
  void FormClose();
  void MenuOpenClick();
  // What Open does with the file chosen; an empty path only hides the status and the gauge.
  void OpenParameterFile(const QString& path);
  void MenuSaveClick();
  void SpeedButtonPrintClick();
  void MenuPrintClick();
  void MenuAboutClick();
  void MenuContensClick();
  void MenuExitClick();
  // The advance curve in a window of its own (main_window_curve.cpp): opens it, or closes it
  // when it is open.
  void MenuCurveViewClick();

 public:
  // Device link (main_window_link.cpp).
  bool OpenComPort();
  void CloseComPort();
  Language CurrentLanguage() const { return m_session.CurrentLanguage(); }
  bool PrintLayout() const { return m_session.PrintLayout(); }
  // Caption and background of the status label (LabelHlaseni).
  void SetStatus(const std::string& text, bool failure) { m_session.SetStatus(text, failure); }
  // What the link reports, passed to the session as the link passes it; the window shows what
  // the session then holds.
  void SetStatusVisible(bool visible);
  void SetGaugeVisible(bool visible);
  void SetGaugeProgress(int progress);
  void SetNoConnectionVisible(bool visible);
  void ShowLiveValues(const LiveValues& values);
  void ShowCurrentPoint(const CurrentPoint& point);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildLayout();
  // The boxes of speeds as wide as their widest value needs in the font, style and digit
  // grouping in force; the spin (and a caption) beside each moves along.
  void FitSpeedBoxes();
  void BuildMenus();
  void BuildTabOrder();
  void ConnectHandlers();
  void ShiftAdvances(bool up);
  void SetHint(QObject* target, const QString& hint);
  void ApplyTextRow(const UiTextRow& row);
  void ApplyAccessibleNames();  // of the number boxes, in the current language
  void ShowFileName();
  // Centred in the available area of the screen, before the settings are read.
  void CentreOnScreen();
  // A saved size within what any desktop can show, and the window where it can be reached.
  QSize BoundedWindowSize(QSize size) const;
  void KeepOnScreen();

  // What the session tells (the window's side of it).
  void ImageChanged() override { ShowImageInControls(); }
  void DisplayStyleChanged() override;
  void LanguageChanged() override { ApplyLanguage(); }
  void MessageTextsLoaded() override { LoadMessageTexts(); }
  void FileNameChanged() override { ShowFileName(); }
  void ComPortChanged() override;
  void PlacementLoaded(const WindowPlacement& placement) override;
  void StatusTextChanged() override;
  void StatusVisibleChanged(bool visible) override;
  void GaugeVisibleChanged(bool visible) override;
  void GaugeProgressChanged(int progress) override;
  void NoConnectionChanged(bool visible) override;
  void LiveValuesChanged(const LiveValues& values) override;
  void CurrentPointChanged(const CurrentPoint& point) override;
  void UnitBlockChanged() override;
  void DifferencesChanged() override;
  void ShowMessage(const std::string& text) override;
  void ShowNote(const std::string& text, int ticks) override;
  void ReadControls(IgnitionParameters& params) const override;
  // The window's place and the curve window's, for the settings.
  void KeepPlacements();

  bool m_applying = false;  // inside an apply: focus moves are not edits
  std::shared_ptr<UserPrompts> m_prompts;
  QStringList m_tooltipControls;  // object names of the controls that show a tooltip

  // The parameter controls, each box once: building, connecting, reading, showing and
  // rejecting a typed value all go through this table. `point` is the curve point (0-based).
  struct ParameterControl {
    QLineEdit* edit = nullptr;
    SpinButtons* spin = nullptr;
    ParameterField field = ParameterField::PointCount;
    std::size_t point = 0;
  };
  std::vector<ParameterControl> m_parameterControls;
  // Control arrays: slot i is curve point i + 1.
  std::array<QLineEdit*, kPointCount> m_rpmEdits{};
  std::array<SpinButtons*, kPointCount> m_rpmUpDowns{};
  std::array<QLineEdit*, kPointCount> m_advanceEdits{};
  std::array<SpinButtons*, kPointCount> m_advanceUpDowns{};

  // Controls, named as the window's layout names them.
  QWidget* m_client = nullptr;
  QGroupBox* GroupBoxToolBar = nullptr;
  QToolButton* SpeedButton6 = nullptr;
  QToolButton* SpeedButton5 = nullptr;
  QToolButton* SpeedButton7 = nullptr;
  QToolButton* SpeedButtonPrint = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QGroupBox* GroupBox6 = nullptr;
  QLabel* Label26 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* LabelAdvance1 = nullptr;
  QLabel* LabelAdvance2 = nullptr;
  QPushButton* BitBtnAdvMinus = nullptr;
  QPushButton* BitBtnAdvPlus = nullptr;
  QCheckBox* CheckBoxIgnAll = nullptr;
  QLineEdit* EditPocetBodu = nullptr;
  SpinButtons* UpDownPocetBodu = nullptr;
  QLabel* LabelPocetBodu = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLineEdit* EditBaseAdv = nullptr;
  SpinButtons* UpDownBaseAdv = nullptr;
  QLabel* LabelBaseAdv = nullptr;
  QLineEdit* EditOmez1 = nullptr;
  SpinButtons* UpDownOmez1 = nullptr;
  QLabel* LabelOmez1 = nullptr;
  QLineEdit* EditOmez2 = nullptr;
  SpinButtons* UpDownOmez2 = nullptr;
  QLabel* LabelOmez2 = nullptr;
  QLineEdit* EditRetard = nullptr;
  SpinButtons* UpDownRetard = nullptr;
  QLabel* LabelRetard = nullptr;
  QLineEdit* EditLedRazeni = nullptr;
  SpinButtons* UpDownLedRazeni = nullptr;
  QLabel* LabelLedRazeni = nullptr;
  QCheckBox* CheckBoxProgHned = nullptr;
  QLineEdit* EditPocPalcu = nullptr;
  SpinButtons* UpDownPocPalcu = nullptr;
  QLabel* LabelPocPalcu = nullptr;
  QGroupBox* RadioGroupPolarita = nullptr;
  QButtonGroup* m_polarityButtons = nullptr;
  std::array<QRadioButton*, 3> m_polarityItems{};
  QCheckBox* CheckBoxBlackZobr = nullptr;
  QLabel* ImageLogo = nullptr;
  QLabel* LabelSpojeni = nullptr;
  QLabel* LabelRpm = nullptr;
  LiveGauge* CGaugeRpm = nullptr;
  QLabel* LabelAdvance = nullptr;
  QLabel* LabelNapeti = nullptr;
  QLabel* LabelMonOmez1 = nullptr;
  QLabel* LabelMonRetard = nullptr;
  QLabel* LabelPolaritaMer = nullptr;
  std::array<QLabel*, 8> m_labelTests{};  // LabelTest1..8
  QLabel* LabelVerze1 = nullptr;
  QLabel* LabelVerze2 = nullptr;
  QLabel* LabelVerze3 = nullptr;
  QLabel* LabelPocetProgramovani = nullptr;
  QLabel* LabelHlaseni = nullptr;
  QProgressBar* CGauge = nullptr;
  QLabel* LabelFile1 = nullptr;
  QLabel* LabelFile2 = nullptr;
  QStatusBar* StatusBar1 = nullptr;

  // Menus.
  QMenu* MenuFile = nullptr;
  QAction* MenuNew = nullptr;
  QAction* MenuOpen = nullptr;
  QAction* MenuSave = nullptr;
  QAction* MenuPrint = nullptr;
  QAction* MenuExit = nullptr;
  QMenu* MenuCom = nullptr;
  std::array<QAction*, ComPort::kCount> m_menuComs{};  // MenuCom1..10
  QMenu* MenuDevice = nullptr;
  QAction* MenuRead = nullptr;
  QAction* MenuVerify = nullptr;
  QAction* MenuProgram = nullptr;
  QMenu* MenuTools = nullptr;
  QAction* AdvanceMinus = nullptr;
  QAction* AdvancePlus = nullptr;
  QMenu* MenuLanguage = nullptr;
  QAction* MenuEnglish = nullptr;
  QAction* MenuCzech = nullptr;
  QAction* MenuGerman = nullptr;
  QMenu* MenuHelp = nullptr;
  QAction* MenuContens = nullptr;
  QAction* MenuAbout = nullptr;

  // Device link
  // Repaints the live labels from the states last reported, in the colours of the display
  // style in force: a printed page shows them in the normal scheme, not in black.
  void PaintLiveBackgrounds();
  // The live labels in the session's order (LiveLabel).
  std::array<QLabel*, kLiveLabelCount> LiveLabels() const;
  // The text colour of the live labels: greyed while their values are old, except on paper.
  void PaintLiveTexts();
  // The current point the rows show, and the base colour they were shown with; the tick
  // reports the point 18 times a second, almost always unchanged.
  std::optional<std::pair<CurrentPoint, QColor>> m_shownPoint;
  std::unique_ptr<SerialLine> m_serial = MakeSystemSerialLine();
  Session m_session{*m_serial};
  QTimer* Timer1 = nullptr;

  // Serial adapters and replugging (main_window_ports.cpp).
 public:
  // Where the window learns which adapters are plugged in (tests hand it a fixed list).
  void SetAdapterLister(AdapterLister lister);
  // The device Com `number` names now: an assignment of this run, else the settings file.
  std::string ComDevice(int number) const { return m_session.ComDevice(number); }

 private:
  void SetUpSerialAdapters();
  // The hints of the ten Com items, each naming its device, and the adapters item's texts.
  void ApplyComTexts();
  QAction* MenuComAdapters = nullptr;

  // Settings, files, printing, help (main_window_shell.cpp).
 public:
  // Where printing goes (tests print into a PDF file) and how help is opened (tests record it).
  void SetPrintDestination(const PrintDestination& destination) {
    m_printDestination = destination;
  }
  void SetHelpOpener(UrlOpener opener) { m_helpOpener = std::move(opener); }
  // Shutdown signals and the end of the desktop session save the settings like a normal close.
  void InstallShutdownHandlers();
  // True once a signal has closed the window (possibly while start-up waited on a message).
  bool ShutdownRequested() const;
  // The desktop session is ending: save as a close would, and keep running in case it does not.
  void CommitSessionData();
  QString LastFilePath() const;

 private:
  void PrintWindow();
  // The picture of the window in print layout, with the print header shown as printing shows it.
  QPixmap CaptureInPrintLayout();
  // The page's look: the date-and-time line, no gauge or no-connection label, white ground.
  void EnterPrintLayout();
  void LeavePrintLayout();
  // The status label grows to show a whole print header, and keeps its layout width otherwise.
  void FitStatusLabel();
  // Paper shows no text caret or focus frame: the focus leaves while the window is captured
  // and comes back afterwards, with a box's selection and cursor, as no edit of the user's.
  void PutFocusAside();
  void GiveFocusBack();
  struct SetAsideFocus {
    QPointer<QWidget> widget;
    int selectionStart = -1, selectionLength = 0, cursor = 0;
  };
  std::optional<SetAsideFocus> m_focusAside;
  int m_statusLabelWidth = 0;  // the layout width, taken at the first fit
  PrintDestination m_printDestination;
  UrlOpener m_helpOpener;
  ShutdownSignalCloser* m_signalCloser = nullptr;

  // The advance curve window (main_window_curve.cpp); made only when first opened.
 public:
  CurveWindow* CurveViewWindow() const { return m_curveWindow; }
  // The unit's parameter block, known after a Read, Verify or Program that ended well.
  const std::optional<std::array<std::uint8_t, kBlockSize>>& UnitBlock() const {
    return m_session.UnitBlock();
  }

 private:
  void OpenCurveView();
  void ApplyCurveViewLanguage();  // its menu item's text and hint
  QAction* MenuCurveView = nullptr;
  CurveWindow* m_curveWindow = nullptr;

  // What the unit holds otherwise, and Compare (main_window_unit.cpp).
 public slots:
  void MenuCompareClick();      // reads the unit's block into a side image and lists the change
  void MenuDifferencesClick();  // the list of what the unit or the file opened holds otherwise
  void FillHistoryMenu();       // File > History: the kept sets, newest first

 private:
  void BuildUnitItems();
  void ApplyUnitTexts();
  // The Program button is bold while the window's set is not the one the unit is known to hold.
  void ShowUnitMismatch();
  QAction* MenuCompare = nullptr;
  QAction* MenuDifferences = nullptr;
  QMenu* MenuHistory = nullptr;
  // Tools > Undo and Redo (main_window_undo.cpp).
  void BuildUndoItems();
  void ApplyUndoTexts();
  void UndoChanged() override;
  QAction* MenuUndo = nullptr;
  QAction* MenuRedo = nullptr;
  QObject* m_noteSheet = nullptr;  // File > Note… and Setup sheet… (note_sheet_items.h)
};

}  // namespace qm17
