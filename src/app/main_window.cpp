#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <climits>
#include <optional>
#include <utility>
#include <vector>

#include "app/curve_view.h"
#include "app/spin_buttons.h"
#include "app/user_prompts.h"
#include "app/window_layout.h"
#include "app/window_pictures.h"
#include "params/differences.h"
#include "params/ignition_parameters.h"
#include "session/value_check.h"

namespace qm17 {

namespace {

// A language number out of range reads as English, as normalising would make it.
std::size_t TableColumn(Language language) {
  const auto column = static_cast<std::size_t>(language);
  return column < kLanguageCount ? column : static_cast<std::size_t>(Language::English);
}

// Where a parameter control's value lives in a parameter set (the polarity has no box).
int& ValueOf(IgnitionParameters& params, ParameterField field, std::size_t point) {
  switch (field) {
    case ParameterField::PointSpeed:
      return params.pointSpeedRpm[point];
    case ParameterField::PointAdvance:
      return params.pointAdvance[point];
    case ParameterField::PointCount:
      return params.pointCount;
    case ParameterField::BaseAdvance:
      return params.baseAdvance;
    case ParameterField::StartLimiter:
      return params.startLimiterRpm;
    case ParameterField::Limiter:
      return params.limiterRpm;
    case ParameterField::Retard:
      return params.retard;
    case ParameterField::IgnitionsPerRev:
      return params.ignitionsPerRev;
    case ParameterField::ShiftLight:
      return params.shiftLightRpm;
    case ParameterField::Polarity:
    case ParameterField::Reserved:
      break;
  }
  return params.polarity;
}

// The one horizontal scaling the window's own code still needs besides the layout table.
int Sx(int x) {
  return CurrentLayoutScale().X(x);
}

QColor ButtonFace() {
  return QApplication::palette().color(QPalette::Window);
}
QColor WindowText() {
  return QApplication::palette().color(QPalette::WindowText);
}

void SetRole(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

template <typename T>
T* Make(QWidget* parent, const char* name) {
  T* widget = new T(parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// Labels also show texts from outside (the unit's identification, file names): as rich text
// "<img src=/dev/zero>" would make the label read that file until memory runs out.
QLabel* MakePlainLabel(QWidget* parent, const char* name) {
  QLabel* label = Make<QLabel>(parent, name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  QLabel* label = MakePlainLabel(parent, name);
  label->setText(text);
  return label;
}

// The gear-shift-light box is read only by Enter and by the operations that read all controls.
constexpr const char* kNoExitEdit = "EditLedRazeni";

// The layout's own size: the smallest saved size applied, and the least the window offers.
constexpr QSize kLayoutWindowSize(842, 584);

// The client area asks for the layout's size but can be made smaller: its controls keep their
// places and what does not fit is cut, as the window's fixed layout is.
class ClientArea : public QWidget {
 public:
  using QWidget::QWidget;
  QSize sizeHint() const override {
    return CurrentLayoutScale().Place(QRect(QPoint(), kDesignClientSize)).size();
  }
};

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_prompts(std::make_shared<QtUserPrompts>()) {
  setObjectName(QStringLiteral("FormHlav"));
  setWindowIcon(WindowIcon());
  // No font of its own: the window follows the desktop's, and the layout scales with it.
  BuildLayout();
  BuildMenus();
  BuildUndoItems();  // after the layout: it watches the number boxes
  BuildTabOrder();
  ConnectHandlers();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(timing::kTickMs);
  // A coarse timer may fire up to 5 % early, which shortens every time-out; a precise one keeps
  // the 55 ms on average and, after a stall, fires once and goes on without a burst of ticks.
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1Timer);
  Timer1->start();
  SetUpSerialAdapters();
  m_session.AddObserver(*this);
  m_session.SetControlPanel(this);
}

MainWindow::~MainWindow() {
  // Children losing the focus while the window is torn down are no edits.
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->removeEventFilter(this);
  // The curve window observes the session, which goes before the window's children do.
  delete m_curveWindow;
  delete m_noteSheet;
  m_session.RemoveObserver(*this);
  m_session.SetControlPanel(nullptr);
}

void MainWindow::SetPrompts(std::shared_ptr<UserPrompts> prompts) {
  if (prompts) m_prompts = std::move(prompts);
}

QString MainWindow::MessageText(MessageId entry) const {
  return QString::fromStdString(m_session.MessageText(entry));
}

void MainWindow::BuildLayout() {
  m_client = new ClientArea(this);
  m_client->setObjectName(QStringLiteral("ClientArea"));
  m_client->setAutoFillBackground(true);
  m_client->installEventFilter(this);  // its width bounds the file name
  setCentralWidget(m_client);

  StatusBar1 = Make<QStatusBar>(this, "StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  setStatusBar(StatusBar1);

  // Tool bar.
  GroupBoxToolBar = Make<QGroupBox>(m_client, "GroupBoxToolBar");
  const auto toolButton = [this](const char* name, const QIcon& icon) {
    QToolButton* button = Make<QToolButton>(GroupBoxToolBar, name);
    button->setIcon(icon);
    button->setIconSize(QSize(20, 20));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    m_tooltipControls << button->objectName();
    return button;
  };
  SpeedButton6 = toolButton("SpeedButton6", NewFileIcon());
  SpeedButton5 = toolButton("SpeedButton5", OpenFileIcon());
  SpeedButton7 = toolButton("SpeedButton7", SaveFileIcon());
  SpeedButtonPrint = toolButton("SpeedButtonPrint", PrintIcon());
  const auto pushButton = [this](const char* name, const QString& text) {
    QPushButton* button = Make<QPushButton>(GroupBoxToolBar, name);
    button->setText(text);
    button->setFocusPolicy(Qt::ClickFocus);
    m_tooltipControls << button->objectName();
    return button;
  };
  Button1 = pushButton("Button1", QStringLiteral("&Read"));
  BitBtn2 = pushButton("BitBtn2", QStringLiteral("&Verify"));
  BitBtn1 = pushButton("BitBtn1", QStringLiteral("&Program"));

  // Curve table.
  GroupBox6 = Make<FramedGroup>(m_client, "GroupBox6");
  Label26 = MakeLabel(GroupBox6, "Label26", QStringLiteral("RPM"));
  Label1 = MakeLabel(GroupBox6, "Label1", QStringLiteral("RPM"));
  LabelAdvance1 = MakeLabel(GroupBox6, "LabelAdvance1", QStringLiteral("Advance [°]"));
  LabelAdvance2 = MakeLabel(GroupBox6, "LabelAdvance2", QStringLiteral("Advance [°]"));
  // Every box of the set goes into the table of parameter controls as it is made.
  const auto spinPair = [this](QWidget* parent, const QString& editName, const QString& spinName,
                               const SpinRange& range, ParameterField field,
                               std::size_t point = 0) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(editName);
    auto* spin = new SpinButtons(edit, range, parent);
    spin->setObjectName(spinName);
    m_parameterControls.push_back({edit, spin, field, point});
    return std::pair{edit, spin};
  };
  for (std::size_t i = 0; i < kPointCount; ++i) {
    const QString k = QString::number(i + 1);
    std::tie(m_rpmEdits[i], m_rpmUpDowns[i]) =
        spinPair(GroupBox6, QStringLiteral("EditRpmAdv") + k, QStringLiteral("UpDownRpmAdv") + k,
                 kPointSpeedRange, ParameterField::PointSpeed, i);
    std::tie(m_advanceEdits[i], m_advanceUpDowns[i]) =
        spinPair(GroupBox6, QStringLiteral("EditAdvance") + k, QStringLiteral("UpDownAdvance") + k,
                 kPointAdvanceRange, ParameterField::PointAdvance, i);
  }
  const auto shiftButton = [this](const char* name, const QString& text) {
    QPushButton* button = Make<QPushButton>(GroupBox6, name);
    button->setText(text);
    button->setFocusPolicy(Qt::ClickFocus);
    m_tooltipControls << button->objectName();
    return button;
  };
  BitBtnAdvMinus = shiftButton("BitBtnAdvMinus", QStringLiteral("-"));
  BitBtnAdvPlus = shiftButton("BitBtnAdvPlus", QStringLiteral("+"));
  CheckBoxIgnAll = Make<QCheckBox>(GroupBox6, "CheckBoxIgnAll");
  CheckBoxIgnAll->setText(QStringLiteral("All"));
  CheckBoxIgnAll->setFocusPolicy(Qt::ClickFocus);
  std::tie(EditPocetBodu, UpDownPocetBodu) =
      spinPair(GroupBox6, QStringLiteral("EditPocetBodu"), QStringLiteral("UpDownPocetBodu"),
               kPointCountRange, ParameterField::PointCount);
  LabelPocetBodu = MakeLabel(GroupBox6, "LabelPocetBodu", QStringLiteral("Number of items"));

  // Single-valued parameters.
  GroupBox2 = Make<QGroupBox>(m_client, "GroupBox2");
  const auto parameterRow = [&](const char* edit, const char* spin, const char* label,
                                const SpinRange& range, ParameterField field,
                                const QString& caption) {
    auto pair =
        spinPair(GroupBox2, QString::fromLatin1(edit), QString::fromLatin1(spin), range, field);
    return std::tuple{pair.first, pair.second, MakeLabel(GroupBox2, label, caption)};
  };
  std::tie(EditBaseAdv, UpDownBaseAdv, LabelBaseAdv) =
      parameterRow("EditBaseAdv", "UpDownBaseAdv", "LabelBaseAdv", kBaseAdvanceRange,
                   ParameterField::BaseAdvance, QStringLiteral("Base advance [°]"));
  std::tie(EditOmez1, UpDownOmez1, LabelOmez1) =
      parameterRow("EditOmez1", "UpDownOmez1", "LabelOmez1", kLimiterRange,
                   ParameterField::StartLimiter, QStringLiteral("Start limiter [rpm]"));
  std::tie(EditOmez2, UpDownOmez2, LabelOmez2) =
      parameterRow("EditOmez2", "UpDownOmez2", "LabelOmez2", kLimiterRange, ParameterField::Limiter,
                   QStringLiteral("Limiter [rpm]"));
  std::tie(EditRetard, UpDownRetard, LabelRetard) =
      parameterRow("EditRetard", "UpDownRetard", "LabelRetard", kRetardRange,
                   ParameterField::Retard, QStringLiteral("Retard [°]"));
  std::tie(EditLedRazeni, UpDownLedRazeni, LabelLedRazeni) =
      parameterRow("EditLedRazeni", "UpDownLedRazeni", "LabelLedRazeni", kShiftLightRange,
                   ParameterField::ShiftLight, QStringLiteral("Gear Shift Light [rpm]"));
  CheckBoxProgHned = Make<QCheckBox>(GroupBox2, "CheckBoxProgHned");
  CheckBoxProgHned->setText(QStringLiteral("Programming after change"));
  CheckBoxProgHned->setBackgroundRole(QPalette::Window);  // buttons fill with Button otherwise
  CheckBoxProgHned->setFocusPolicy(Qt::ClickFocus);
  m_tooltipControls << CheckBoxProgHned->objectName();
  std::tie(EditPocPalcu, UpDownPocPalcu) =
      spinPair(GroupBox2, QStringLiteral("EditPocPalcu"), QStringLiteral("UpDownPocPalcu"),
               kIgnitionsPerRevRange, ParameterField::IgnitionsPerRev);
  LabelPocPalcu = MakeLabel(GroupBox2, "LabelPocPalcu", QStringLiteral("Ignitions per revolution"));

  // Polarity, display option and logo.
  RadioGroupPolarita = Make<QGroupBox>(m_client, "RadioGroupPolarita");
  RadioGroupPolarita->setTitle(QStringLiteral("Polarity of CKPS:"));
  m_polarityButtons = new QButtonGroup(this);
  m_polarityButtons->setObjectName(QStringLiteral("RadioGroupPolaritaItems"));
  const std::array<QString, 3> polarityTexts{QStringLiteral("Positive"), QStringLiteral("Negative"),
                                             QStringLiteral("Selfsearch")};
  for (int item = 0; item < 3; ++item) {
    auto* radio =
        new QRadioButton(polarityTexts[static_cast<std::size_t>(item)], RadioGroupPolarita);
    radio->setObjectName(QStringLiteral("RadioGroupPolaritaItem%1").arg(item));
    m_polarityButtons->addButton(radio, item);
    m_polarityItems[static_cast<std::size_t>(item)] = radio;
    // Tab enters the group at the selected item; the arrow keys move between the items.
    radio->setFocusPolicy(Qt::ClickFocus);
    connect(radio, &QRadioButton::toggled, radio, [radio](bool checked) {
      radio->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
    });
  }
  CheckBoxBlackZobr = Make<QCheckBox>(m_client, "CheckBoxBlackZobr");
  CheckBoxBlackZobr->setText(QStringLiteral("Inverse display"));
  ImageLogo = Make<QLabel>(m_client, "ImageLogo");
  SetRole(ImageLogo, QPalette::Window, Qt::white);

  // Live display.
  LabelSpojeni = MakeLabel(m_client, "LabelSpojeni", QStringLiteral("No connection with PC"));
  LabelSpojeni->setAlignment(Qt::AlignCenter);
  LabelSpojeni->setAutoFillBackground(true);
  SetRole(LabelSpojeni, QPalette::Window, Qt::red);
  LabelRpm = MakeLabel(m_client, "LabelRpm", QStringLiteral("RPM = ---"));
  CGaugeRpm = Make<LiveGauge>(m_client, "CGaugeRpm");
  CGaugeRpm->setRange(0, 100);
  CGaugeRpm->setValue(0);
  CGaugeRpm->setTextVisible(false);
  SetRole(CGaugeRpm, QPalette::Highlight, QColor(255, 0, 255));
  LabelAdvance = MakeLabel(m_client, "LabelAdvance", QStringLiteral("ADVANCE= --- [°]"));
  LabelNapeti = MakeLabel(m_client, "LabelNapeti", QStringLiteral("U = --- [V]"));
  LabelMonOmez1 = MakeLabel(m_client, "LabelMonOmez1", QStringLiteral("Start limiter - ---"));
  LabelMonRetard = MakeLabel(m_client, "LabelMonRetard", QStringLiteral("Retard - ---"));
  LabelPolaritaMer =
      MakeLabel(m_client, "LabelPolaritaMer", QStringLiteral("Polarity of CKPS - ---"));
  for (int t = 0; t < 8; ++t) {
    const QByteArray name = "LabelTest" + QByteArray::number(t + 1);
    QLabel* label =
        MakeLabel(m_client, name.constData(), QStringLiteral("Test%1 = ---").arg(t + 1));
    label->hide();
    m_labelTests[static_cast<std::size_t>(t)] = label;
  }
  LabelVerze3 = MakeLabel(m_client, "LabelVerze3", {});
  LabelVerze2 = MakeLabel(m_client, "LabelVerze2", {});
  LabelVerze1 = MakeLabel(m_client, "LabelVerze1", {});
  m_tooltipControls << LabelVerze1->objectName() << LabelVerze2->objectName()
                    << LabelVerze3->objectName();
  LabelPocetProgramovani = MakeLabel(m_client, "LabelPocetProgramovani", {});

  // Operation status and file name.
  LabelHlaseni = MakeLabel(m_client, "LabelHlaseni", {});
  LabelHlaseni->setAutoFillBackground(true);
  LabelHlaseni->hide();
  CGauge = Make<QProgressBar>(m_client, "CGauge");
  CGauge->setRange(0, 3);
  CGauge->setValue(0);
  CGauge->setTextVisible(true);
  SetRole(CGauge, QPalette::Highlight, QColor(0, 255, 255));
  SetRole(CGauge, QPalette::HighlightedText, Qt::black);
  LabelFile1 = MakeLabel(m_client, "LabelFile1", QStringLiteral("File:"));
  LabelFile2 = MakeLabel(m_client, "LabelFile2", {});

  ApplyWindowLayout(m_client, CurrentLayoutScale());
  FitSpeedBoxes();
  ImageLogo->setPixmap(LogoPicture(ImageLogo->size()));
  KeepWindowLayout(this, m_client, [this] {
    FitSpeedBoxes();
    ImageLogo->setPixmap(LogoPicture(ImageLogo->size()));
    ShowFileName();
  });
}

void MainWindow::FitSpeedBoxes() {
  const QLocale locale;
  for (const ParameterControl& control : m_parameterControls) {
    const SpinRange& range = control.spin->Range();
    if (!range.digitGrouping) continue;
    // The highest value, or the same number of the widest digit where digits differ in width.
    QString widest = SpinButtons::FormatPosition(range.max, true, locale);
    const QString eights = SpinButtons::FormatPosition(
        QString(QString::number(range.max).size(), u'8').toInt(), true, locale);
    if (control.edit->fontMetrics().horizontalAdvance(eights) >
        control.edit->fontMetrics().horizontalAdvance(widest))
      widest = eights;
    QWidget* caption = control.edit->parentWidget()->findChild<QWidget*>(
        control.edit->objectName().replace(QLatin1String("Edit"), QLatin1String("Label")),
        Qt::FindDirectChildrenOnly);
    std::vector<QWidget*> alongside{control.spin};
    if (caption) alongside.push_back(caption);
    FitBoxToText(*control.edit, widest, alongside);
  }
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  const auto menu = [this, bar](const char* name, const QString& title) {
    QMenu* m = bar->addMenu(title);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Item"));
    return m;
  };
  const auto item = [this](QMenu* m, const char* name, const QString& text,
                           const QKeySequence& shortcut = {}) {
    QAction* action = m->addAction(text);
    action->setParent(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
  };
  MenuFile = menu("MenuFile", QStringLiteral("&File"));
  MenuNew = item(MenuFile, "MenuNew", QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N));
  MenuFile->addSeparator();
  MenuOpen = item(MenuFile, "MenuOpen", QStringLiteral("&Open"), QKeySequence(Qt::Key_F3));
  MenuFile->addSeparator();
  MenuSave = item(MenuFile, "MenuSave", QStringLiteral("&Save"), QKeySequence(Qt::Key_F2));
  MenuFile->addSeparator();
  MenuPrint =
      item(MenuFile, "MenuPrint", QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P));
  MenuFile->addSeparator();
  MenuExit = item(MenuFile, "MenuExit", QStringLiteral("E&xit"));

  MenuCom = menu("MenuCom", QStringLiteral("&Com"));
  for (const ComPort port : ComPort::All()) {
    const int k = port.Number();
    const QString caption = k < 10 ? QStringLiteral("Com &%1").arg(k) : QStringLiteral("Com 1&0");
    const QByteArray name = "MenuCom" + QByteArray::number(k);
    QAction* action = item(MenuCom, name.constData(), caption);
    action->setCheckable(true);
    action->setData(k);
    m_menuComs[port.Index()] = action;
  }
  MenuCom->addSeparator();
  MenuComAdapters = item(MenuCom, "MenuComAdapters", QString());

  MenuDevice = menu("MenuDevice", QStringLiteral("&Device"));
  MenuRead = item(MenuDevice, "MenuRead", QStringLiteral("&Read"), QKeySequence(Qt::Key_F7));
  MenuVerify = item(MenuDevice, "MenuVerify", QStringLiteral("&Verify"), QKeySequence(Qt::Key_F8));
  MenuProgram =
      item(MenuDevice, "MenuProgram", QStringLiteral("&Program"), QKeySequence(Qt::Key_F9));
  BuildUnitItems();

  MenuTools = menu("MenuTools", QStringLiteral("Tools"));
  AdvanceMinus =
      item(MenuTools, "AdvanceMinus", QStringLiteral("Advance -"), QKeySequence(Qt::Key_F4));
  AdvancePlus =
      item(MenuTools, "AdvancePlus", QStringLiteral("Advance +"), QKeySequence(Qt::Key_F5));
  SetHint(AdvanceMinus, QStringLiteral("Curve A minus|Take off 1 degree of curve A"));
  SetHint(AdvancePlus, QStringLiteral("Curve A plus|Add 1 degree of curve A"));
  MenuCurveView =
      item(MenuTools, "MenuCurveView", QStringLiteral("Advance &curve"), QKeySequence(Qt::Key_F6));

  MenuLanguage = menu("MenuLanguage", QStringLiteral("&Language"));
  MenuEnglish = item(MenuLanguage, "MenuEnglish", QStringLiteral("&English"));
  MenuCzech = item(MenuLanguage, "MenuCzech", QStringLiteral("&Czech"));
  MenuGerman = item(MenuLanguage, "MenuGerman", QStringLiteral("&German"));
  for (QAction* action : {MenuEnglish, MenuCzech, MenuGerman}) action->setCheckable(true);

  MenuHelp = menu("MenuHelp", QStringLiteral("&Help"));
  MenuContens =
      item(MenuHelp, "MenuContens", QStringLiteral("&Contents..."), QKeySequence(Qt::Key_F1));
  MenuAbout = item(MenuHelp, "MenuAbout", QStringLiteral("&About..."));

  // The keys desktops use for Open and Save, beside the established F3 and F2.
  MenuOpen->setShortcuts({QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_O)});
  MenuSave->setShortcuts({QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_S)});
  // "All" and "Programming after change" stay out of the Tab order; these keys tick them,
  // running the same handlers as a click.
  const auto toggle = [this](const char* name, QCheckBox* box, const QKeySequence& keys) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, box, &QCheckBox::click);
    addAction(action);
  };
  toggle("ToggleIgnAll", CheckBoxIgnAll, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
  toggle("ToggleProgHned", CheckBoxProgHned, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
}

void MainWindow::ApplyAccessibleNames() {
  const std::size_t language = TableColumn(CurrentLanguage());
  for (const UiTextRow& row : AccessibleNameTable()) {
    const QString element = QString::fromLatin1(row.element);
    const QString text = QString::fromUtf8(row.text[language]);
    if (!element.endsWith(u'#')) {
      if (auto* widget = findChild<QWidget*>(element)) widget->setAccessibleName(text);
      continue;
    }
    for (std::size_t k = 1; k <= kPointCount; ++k) {
      const QString number = QString::number(k);
      if (auto* widget = findChild<QWidget*>(element.chopped(1) + number))
        widget->setAccessibleName(QString(text).replace(u'#', number));
    }
  }
}

void MainWindow::BuildTabOrder() {
  QList<QWidget*> order;
  for (std::size_t i = 0; i < kPointCount; ++i) order << m_rpmEdits[i] << m_advanceEdits[i];
  order << EditPocetBodu;
  for (QRadioButton* radio : m_polarityItems) order << radio;
  order << EditBaseAdv << EditOmez1 << EditOmez2 << EditRetard << EditLedRazeni << EditPocPalcu
        << CheckBoxBlackZobr;
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::ConnectHandlers() {
  connect(MenuNew, &QAction::triggered, this, &MainWindow::MenuNewClick);
  connect(SpeedButton6, &QToolButton::clicked, this, &MainWindow::MenuNewClick);
  connect(MenuOpen, &QAction::triggered, this, &MainWindow::MenuOpenClick);
  connect(SpeedButton5, &QToolButton::clicked, this, &MainWindow::MenuOpenClick);
  connect(MenuSave, &QAction::triggered, this, &MainWindow::MenuSaveClick);
  connect(SpeedButton7, &QToolButton::clicked, this, &MainWindow::MenuSaveClick);
  connect(MenuPrint, &QAction::triggered, this, &MainWindow::MenuPrintClick);
  connect(SpeedButtonPrint, &QToolButton::clicked, this, &MainWindow::SpeedButtonPrintClick);
  connect(MenuExit, &QAction::triggered, this, &MainWindow::MenuExitClick);
  for (QAction* action : m_menuComs)
    connect(action, &QAction::triggered, this, &MainWindow::MenuCom1Click);
  connect(MenuComAdapters, &QAction::triggered, this, &MainWindow::MenuComAdaptersClick);
  connect(MenuRead, &QAction::triggered, this, &MainWindow::MenuReadClick);
  connect(Button1, &QPushButton::clicked, this, &MainWindow::MenuReadClick);
  connect(MenuVerify, &QAction::triggered, this, &MainWindow::MenuVerifyClick);
  connect(BitBtn2, &QPushButton::clicked, this, &MainWindow::MenuVerifyClick);
  connect(MenuProgram, &QAction::triggered, this, &MainWindow::MenuProgramClick);
  connect(BitBtn1, &QPushButton::clicked, this, &MainWindow::MenuProgramClick);
  connect(AdvanceMinus, &QAction::triggered, this, &MainWindow::BitBtnAdvMinusClick);
  connect(BitBtnAdvMinus, &QPushButton::clicked, this, &MainWindow::BitBtnAdvMinusClick);
  connect(AdvancePlus, &QAction::triggered, this, &MainWindow::BitBtnAdvPlusClick);
  connect(BitBtnAdvPlus, &QPushButton::clicked, this, &MainWindow::BitBtnAdvPlusClick);
  connect(MenuCurveView, &QAction::triggered, this, &MainWindow::MenuCurveViewClick);
  connect(MenuEnglish, &QAction::triggered, this, &MainWindow::MenuEnglishClick);
  connect(MenuCzech, &QAction::triggered, this, &MainWindow::MenuCzechClick);
  connect(MenuGerman, &QAction::triggered, this, &MainWindow::MenuGermanClick);
  connect(MenuContens, &QAction::triggered, this, &MainWindow::MenuContensClick);
  connect(MenuAbout, &QAction::triggered, this, &MainWindow::MenuAboutClick);
  // Any click that toggles the box (mouse or Space) applies it, so its colour never lags.
  connect(CheckBoxProgHned, &QCheckBox::clicked, this, &MainWindow::CheckBoxProgHnedMouseUp);
  // Whatever ticks the box (mouse, keyboard, accessibility, settings) restyles the window.
  connect(CheckBoxBlackZobr, &QCheckBox::toggled, this, &MainWindow::CheckBoxBlackZobrClick);
  connect(CheckBoxIgnAll, &QCheckBox::toggled, this,
          [this](bool checked) { m_session.SetAllPoints(checked); });
  // Ticked from code too (the settings, tests): the session holds what the box shows.
  connect(CheckBoxProgHned, &QCheckBox::toggled, this,
          [this](bool checked) { m_session.SetProgramAfterChange(checked); });
  // Only a user's choice runs the handler; selecting an item from code does not.
  connect(m_polarityButtons, &QButtonGroup::idClicked, this, &MainWindow::RadioGroupPolaritaClick);

  for (const ParameterControl& control : m_parameterControls) {
    control.edit->installEventFilter(this);
    if (control.spin != UpDownLedRazeni)
      connect(control.spin, &SpinButtons::Clicked, this, &MainWindow::UpDownClick);
  }
}

void MainWindow::SetHint(QObject* target, const QString& hint) {
  const qsizetype bar = hint.indexOf(u'|');
  const QString shortPart = bar < 0 ? hint : hint.left(bar);
  const QString longPart = bar < 0 ? hint : hint.mid(bar + 1);
  if (auto* menu = qobject_cast<QMenu*>(target)) target = menu->menuAction();
  if (auto* action = qobject_cast<QAction*>(target)) {
    action->setStatusTip(longPart);
    action->setToolTip(shortPart);
  } else if (auto* widget = qobject_cast<QWidget*>(target)) {
    widget->setStatusTip(longPart);
    if (m_tooltipControls.contains(widget->objectName())) widget->setToolTip(shortPart);
  }
}

void MainWindow::ApplyTextRow(const UiTextRow& row) {
  const std::size_t language = TableColumn(CurrentLanguage());
  const QString text = QString::fromUtf8(row.text[language]);
  const QString property = QString::fromLatin1(row.property);
  // An element may name several controls that share the text.
  static const QRegularExpression kName(QStringLiteral("[A-Za-z][A-Za-z0-9_]*"));
  auto names = kName.globalMatch(QString::fromLatin1(row.element));
  while (names.hasNext()) {
    const QString name = names.next().captured();
    if (name == QLatin1String("TFormHlav") || name == objectName()) {
      if (property == QLatin1String("caption")) setWindowTitle(text);
      continue;
    }
    QObject* target = findChild<QObject*>(name);
    if (!target) continue;
    if (property == QLatin1String("hint")) {
      SetHint(target, text);
    } else if (property == QLatin1String("items")) {
      // New item texts only: the selection stays and no handler runs.
      const QStringList items = text.split(u'\n');
      for (std::size_t i = 0;
           i < m_polarityItems.size() && i < static_cast<std::size_t>(items.size()); ++i)
        m_polarityItems[i]->setText(items[static_cast<qsizetype>(i)]);
    } else if (auto* menu = qobject_cast<QMenu*>(target)) {
      menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(target)) {
      action->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
      button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(target)) {
      group->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(target)) {
      label->setText(text);
    }
  }
}

void MainWindow::ApplyLanguage() {
  MenuEnglish->setChecked(CurrentLanguage() == Language::English);
  MenuCzech->setChecked(CurrentLanguage() == Language::Czech);
  MenuGerman->setChecked(CurrentLanguage() == Language::German);
  for (const UiTextRow& row : UiTextTable()) ApplyTextRow(row);
  ApplyComTexts();
  ApplyAccessibleNames();
  // Captions grow with their text, as the layout's auto-sized labels do.
  for (QLabel* label :
       {Label26, Label1, LabelAdvance1, LabelAdvance2, LabelPocetBodu, LabelBaseAdv, LabelOmez1,
        LabelOmez2, LabelRetard, LabelLedRazeni, LabelPocPalcu, LabelFile1})
    label->adjustSize();
  ShowFileName();
  LoadMessageTexts();
  ApplyCurveViewLanguage();
  ApplyUnitTexts();
  ApplyUndoTexts();
}

void MainWindow::ShowFileName() {
  if (LabelFile2 == nullptr) return;  // the layout is still being built
  const int width = std::max(0, m_client->width() - LabelFile2->x() - Sx(2));
  LabelFile2->resize(width, LabelFile2->height());
  const QString name = FileName();
  const QString shown =
      LabelFile2->fontMetrics().elidedText(name, Qt::ElideMiddle, LabelFile2->width());
  LabelFile2->setText(shown);
  LabelFile2->setToolTip(shown == name ? QString() : name);
}

void MainWindow::CentreOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The available area leaves out the desktop's panels.
  const QRect available = screen->availableGeometry();
  const QSize outer = frameGeometry().size();
  move(available.x() + (available.width() - outer.width()) / 2,
       available.y() + (available.height() - outer.height()) / 2);
  KeepOnScreen();
}

QSize MainWindow::BoundedWindowSize(QSize size) const {
  // A window larger than the whole desktop shows nothing more, but its picture alone can take
  // gigabytes; one smaller than the layout was never the program's.
  QSize desktop = kLayoutWindowSize.expandedTo(sizeHint());
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    desktop = desktop.expandedTo(screen->virtualGeometry().size());
  return QSize(std::clamp(size.width(), kLayoutWindowSize.width(), desktop.width()),
               std::clamp(size.height(), kLayoutWindowSize.height(), desktop.height()));
}

void MainWindow::KeepOnScreen() {
  // The top-left corner, where the title bar and the File menu are, stays within reach on the
  // screen the window is on, or on the nearest one when that screen is gone.
  const QRect frame = frameGeometry();
  const QScreen* screen = QGuiApplication::screenAt(frame.topLeft());
  if (screen == nullptr) {
    int nearest = INT_MAX;
    for (const QScreen* candidate : QGuiApplication::screens()) {
      const QRect area = candidate->availableGeometry();
      const QPoint inside(std::clamp(frame.x(), area.left(), area.right()),
                          std::clamp(frame.y(), area.top(), area.bottom()));
      const int distance = (inside - frame.topLeft()).manhattanLength();
      if (distance < nearest) {
        nearest = distance;
        screen = candidate;
      }
    }
  }
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  constexpr int kReachable = 120;  // of the title bar, at least, on the screen
  const int left =
      std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - kReachable));
  const int top =
      std::clamp(frame.y(), area.top(), std::max(area.top(), area.bottom() + 1 - kReachable));
  if (left != frame.x() || top != frame.y()) move(left, top);
}

void MainWindow::LoadMessageTexts() {
  // Qt's buttons and dialogs speak the language of the messages, from the first message on.
  UseToolkitLanguage(CurrentLanguage());
  // The table itself is constant and always complete; only the idle captions depend on it here.
  if (!m_session.Shown().NoConnectionVisible()) return;
  LabelAdvance->setText(MessageText(MsgAdvancePrefix) + QStringLiteral("--- [°]"));
  LabelPocetProgramovani->setText(MessageText(MsgProgramCountPrefix) + QStringLiteral("---"));
  LabelMonOmez1->setText(MessageText(MsgStartLimiterPrefix) + QStringLiteral("---"));
  LabelMonRetard->setText(MessageText(MsgRetardPrefix) + QStringLiteral("---"));
  LabelPolaritaMer->setText(MessageText(MsgPolarityPrefix) + QStringLiteral("---"));
}

void MainWindow::FormCreate(const QStringList& arguments) {
  // The layout's size, not the toolkit's default of a window never shown (adjustSize() would
  // hold it to two thirds of the screen).
  resize(sizeHint());
  CentreOnScreen();
  // What the settings do not say stays as it is now.
  m_session.SetWindowPlacement({x(), y(), width(), height()});
  std::vector<std::string> words;
  for (const QString& argument : arguments) words.push_back(argument.toStdString());
  m_session.Start(words);
  // Left open last time: opened once the window is up, so that it comes in front of it.
  if (m_session.CurveView().open) QTimer::singleShot(0, this, &MainWindow::OpenCurveView);
}

void MainWindow::ComPortChanged() {
  for (const ComPort port : ComPort::All())
    m_menuComs[port.Index()]->setChecked(m_session.ComPortNumber() == port.Number());
}

void MainWindow::ReadControls(IgnitionParameters& params) const {
  for (const ParameterControl& control : m_parameterControls)
    ValueOf(params, control.field, control.point) = control.spin->Position();
  const int selected = m_polarityButtons->checkedId();
  params.polarity = selected >= 0 ? selected : m_session.Image()[image_byte::kPolarity];
}

void MainWindow::ReadControlsToImage() {
  m_session.ReadControlsToImage();
}

void MainWindow::NormaliseImage() {
  m_session.NormaliseImage();
}

void MainWindow::ShowImageInControls() {
  // Hiding a row that holds the focus moves the focus; that is no edit of the user's.
  const bool wasApplying = std::exchange(m_applying, true);
  IgnitionParameters params = ParametersFromImage(m_session.Image());
  for (const ParameterControl& control : m_parameterControls)
    control.spin->SetPosition(ValueOf(params, control.field, control.point));
  const IdentificationTexts& ident = m_session.LinkState().identification();
  LabelVerze1->setText(QString::fromStdString(ident.version));
  LabelVerze2->setText(QString::fromStdString(ident.date));
  LabelVerze3->setText(QString::fromStdString(ident.time));
  m_polarityItems[static_cast<std::size_t>(std::clamp(params.polarity, 0, kPolarityItemCount - 1))]
      ->setChecked(true);
  ApplyDisplayStyle();
  m_applying = wasApplying;
}

void MainWindow::DisplayStyleChanged() {
  ApplyDisplayStyle();
  LabelSpojeni->setVisible(m_session.Shown().NoConnectionVisible());
  // The live labels' normal background follows the scheme too, not only at the next frame.
  PaintLiveBackgrounds();
}

void MainWindow::ApplyDisplayStyle() {
  {
    // The boxes show the session's options; setting them from here is no click of the user's.
    const QSignalBlocker inverseBlocker(CheckBoxBlackZobr);
    const QSignalBlocker allBlocker(CheckBoxIgnAll);
    const QSignalBlocker programBlocker(CheckBoxProgHned);
    CheckBoxBlackZobr->setChecked(m_session.InverseDisplay());
    CheckBoxIgnAll->setChecked(m_session.AllPoints());
    CheckBoxProgHned->setChecked(m_session.ProgramAfterChangeTicked());
  }
  const DisplayStyle& style = m_session.Shown().Style();
  const bool printLayout = style.printLayout;
  SetRole(m_client, QPalette::Window, style.dark ? QColor(Qt::black) : ButtonFace());
  ImageLogo->setAutoFillBackground(style.dark);
  const QColor caption = style.dark ? QColor(Qt::white) : WindowText();
  for (QWidget* widget : std::initializer_list<QWidget*>{LabelHlaseni,
                                                         LabelRpm,
                                                         LabelAdvance,
                                                         LabelNapeti,
                                                         LabelPocetProgramovani,
                                                         LabelVerze1,
                                                         LabelVerze2,
                                                         LabelVerze3,
                                                         LabelFile1,
                                                         LabelFile2,
                                                         LabelMonOmez1,
                                                         LabelMonRetard,
                                                         LabelPolaritaMer,
                                                         Label26,
                                                         LabelAdvance1,
                                                         Label1,
                                                         LabelAdvance2,
                                                         LabelBaseAdv,
                                                         CheckBoxIgnAll,
                                                         LabelPocetBodu,
                                                         LabelOmez1,
                                                         LabelOmez2,
                                                         LabelRetard,
                                                         LabelLedRazeni,
                                                         LabelPocPalcu,
                                                         RadioGroupPolarita,
                                                         CheckBoxBlackZobr})
    SetRole(widget, QPalette::WindowText, caption);
  for (QRadioButton* radio : m_polarityItems) SetRole(radio, QPalette::WindowText, caption);
  PaintLiveTexts();

  // As many rows as the number-of-points box shows: a byte out of range is shown at the bound.
  const auto pointCount = static_cast<std::size_t>(
      ClampToRange(m_session.Image()[image_byte::kPointCountByte], kPointCountRange));
  for (std::size_t i = 0; i < kPointCount; ++i) {
    const bool used = i < pointCount;
    m_rpmEdits[i]->setVisible(used);
    m_advanceEdits[i]->setVisible(used);
    m_rpmUpDowns[i]->setVisible(used && !printLayout);
    m_advanceUpDowns[i]->setVisible(used && !printLayout);
  }

  SetRole(CheckBoxProgHned, QPalette::WindowText, caption);
  QColor progBackground = ButtonFace();
  if (m_session.ProgramAfterChangeTicked()) {
    progBackground = Qt::red;
  } else if (m_session.InverseDisplay()) {
    progBackground = Qt::black;
  }
  SetRole(CheckBoxProgHned, QPalette::Window, progBackground);
  // Filled only when coloured, so the plain box blends with its frame's panel.
  CheckBoxProgHned->setAutoFillBackground(progBackground != ButtonFace());

  const bool screenLayout = !printLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{
           CheckBoxProgHned, StatusBar1, ImageLogo, GroupBoxToolBar, UpDownBaseAdv, UpDownOmez1,
           UpDownOmez2, UpDownRetard, UpDownLedRazeni, UpDownPocPalcu, BitBtnAdvMinus,
           BitBtnAdvPlus, CheckBoxIgnAll, UpDownPocetBodu, CheckBoxBlackZobr})
    widget->setVisible(screenLayout);
  ShowUnitMismatch();
}

void MainWindow::ApplyParameterChange() {
  m_session.ApplyParameterChange();
}

void MainWindow::ProgramAfterChange() {
  m_session.ProgramAfterChange();
}

bool MainWindow::FormKeyPress(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
  ReportRejectedValue(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
  focusNextChild();
  m_session.EditParameters();
  // Showing the image again rewrites every box, which drops the selection that moving the
  // focus made: typing would then add to the old value instead of replacing it, as after Tab.
  if (auto* next = qobject_cast<QLineEdit*>(QApplication::focusWidget()); next && next->isVisible())
    next->selectAll();
  return true;
}

void MainWindow::ReportRejectedValue(const QLineEdit* edit) {
  if (!edit) return;
  // The box, what it holds and, for a curve point's box, the point.
  const auto check = [&](const SpinButtons* spin, ParameterField field, std::size_t point) {
    if (!spin || spin->Associate() != edit) return false;
    const QString separator = QLocale().groupSeparator();
    const std::optional<std::string> text = RejectedValueText(
        CurrentLanguage(), field, point, SpinButtons::ParseText(edit->text(), QLocale()),
        spin->Range(), separator.toStdString());
    if (text) StatusBar1->showMessage(QString::fromStdString(*text), kRejectedValueMilliseconds);
    return true;
  };
  for (const ParameterControl& control : m_parameterControls)
    if (check(control.spin, control.field, control.point)) return;
}

void MainWindow::EditExit() {
  m_session.EditParameters();
}

void MainWindow::UpDownClick() {
  m_session.EditParameters();
}

void MainWindow::BitBtnAdvMinusClick() {
  m_session.ShiftAdvances(false);
}

void MainWindow::BitBtnAdvPlusClick() {
  m_session.ShiftAdvances(true);
}

void MainWindow::MenuNewClick() {
  if (Prompts().AskYesNoCancel(this, MessageText(MsgAskDefaults)) != UserPrompts::Answer::Yes)
    return;
  m_session.New();
}

void MainWindow::CheckBoxProgHnedMouseUp() {
  m_session.ProgramAfterChangeClicked(CheckBoxProgHned->isChecked());
}

void MainWindow::RadioGroupPolaritaClick() {
  m_session.SetPolarity(m_polarityButtons->checkedId());
}

void MainWindow::CheckBoxBlackZobrClick() {
  m_session.SetInverseDisplay(CheckBoxBlackZobr->isChecked());
}

void MainWindow::MenuEnglishClick() {
  m_session.SetLanguage(Language::English);
}

void MainWindow::MenuCzechClick() {
  m_session.SetLanguage(Language::Czech);
}

void MainWindow::MenuGermanClick() {
  m_session.SetLanguage(Language::German);
}

void MainWindow::ShowHintInStatusBar(const QString& hint) {
  StatusBar1->showMessage(hint);
}

bool MainWindow::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    ShowHintInStatusBar(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_client && event->type() == QEvent::Resize) ShowFileName();
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (!edit) return QMainWindow::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (FormKeyPress(key)) return true;
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
      if (auto* spin = edit->parentWidget()->findChild<SpinButtons*>(
              edit->objectName().replace(QLatin1String("Edit"), QLatin1String("UpDown")))) {
        spin->Step(key->key() == Qt::Key_Up);
        return true;
      }
    }
  } else if (event->type() == QEvent::FocusOut) {
    // Focus leaving for a menu or another window is not leaving the box.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        reason != Qt::MenuBarFocusReason && edit->objectName() != QLatin1String(kNoExitEdit) &&
        !m_applying) {
      m_applying = true;
      ReportRejectedValue(edit);
      EditExit();
      m_applying = false;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (!FormKeyPress(event)) QMainWindow::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::FontChange) ShowFileName();
}

}  // namespace qm17
