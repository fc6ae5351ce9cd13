// The window's start-up and shutdown, settings, parameter files, printing, About and help,
// driven through the real window with the dialogs answered by the test.

#include <QDialog>
#include <QPlainTextEdit>

#include "common/fifo.h"
#include "window_shell_fixture.h"

namespace qm17 {
namespace {

TEST_F(WindowShell, FirstStartWithoutFiles) {
  QFile::remove(SettingsPath());
  MainWindow& window = Start();
  EXPECT_EQ(window.LanguageIndex(), 0);
  EXPECT_EQ(CheckedLanguageItem(), "MenuCzech");
  EXPECT_EQ(window.ComPortNumber(), 1);
  EXPECT_EQ(CheckedComItem(), 1);
  EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), "");
  EXPECT_FALSE(Find<QCheckBox>("CheckBoxBlackZobr")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBoxIgnAll")->isChecked());
  // Centred at the layout's size (the desktop's frame is unknown before the first show).
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  if (FontsToMeasure()) {  // the layout's size follows the font
    EXPECT_EQ(window.pos(), QPoint((screen.width() - window.width()) / 2,
                                   (screen.height() - window.height()) / 2));
  }
  window.move(10, 20);
  Stop();
  EXPECT_EQ(ReadAll(SidePath()), kDefaultSideFile);
  // Keys in the order they are written; nothing else in a new file.
  const QByteArray settings = ReadAll(SettingsPath());
  EXPECT_TRUE(settings.startsWith("[FORM_HLAV]\r\nLeft=10\r\nTop=20\r\nHeight="))
      << settings.data();
  EXPECT_TRUE(
      settings.contains("\r\nComPort=1\r\nLanguage=0\r\nFile=\r\nIniDir=\r\n"
                        "CheckBoxBlackZobr->Checked=0\r\nCheckBoxIgnAll->Checked=0\r\n"))
      << settings.data();
}

TEST_F(WindowShell, RestartRestoresWhatWasLeft) {
  WriteSettings("ComPort=3\r\n");
  MainWindow& first = Start();
  EXPECT_EQ(first.ComPortNumber(), 3);
  first.move(37, 41);
  first.resize(1200, 700);
  Find<QAction>("MenuGerman")->trigger();
  Find<QCheckBox>("CheckBoxBlackZobr")->click();
  Find<QCheckBox>("CheckBoxIgnAll")->click();
  DeviceImage identified = first.Image();
  identified[3] = 42;  // identification bytes come back too
  first.RunSession().SetImage(identified, first.RunSession().FileName());
  // A value typed but never confirmed is still taken at closing.
  Find<QLineEdit>("EditPocetBodu")->setText("7");
  const QString file = Temp("curve.ign");
  m_prompts->saveAnswers = {file};
  first.MenuSaveClick();
  Find<QLineEdit>("EditBaseAdv")->setText("12");
  Stop();

  MainWindow& second = Start();
  EXPECT_EQ(second.pos(), QPoint(37, 41));
  EXPECT_EQ(second.size(), QSize(1200, 700));
  EXPECT_EQ(second.ComPortNumber(), 3);
  EXPECT_EQ(CheckedComItem(), 3);
  EXPECT_EQ(second.LanguageIndex(), 2);
  EXPECT_EQ(CheckedLanguageItem(), "MenuGerman");
  // Shortened only where the font makes it too wide for its label.
  if (FontsToMeasure()) {
    EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), file);
  }
  EXPECT_EQ(second.FileName(), file);
  EXPECT_EQ(second.LastFilePath(), file);
  EXPECT_TRUE(Find<QCheckBox>("CheckBoxBlackZobr")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBoxIgnAll")->isChecked());
  EXPECT_EQ(second.Image()[50], 7);
  EXPECT_EQ(second.Image()[51], 12);
  EXPECT_EQ(second.Image()[3], 42);
  EXPECT_EQ(Find<QLineEdit>("EditPocetBodu")->text(), "7");
  // Both dialogs start from the last file.
  second.MenuOpenClick();
  EXPECT_EQ(m_prompts->openCalls.value(0), "Ignition Parametrs(*.ign);;All Files (*)|ign|" + file);
}

// A file name from the settings file is shown as it is written, never as markup that would
// load the picture it names (or endlessly read a device named there).
TEST_F(WindowShell, FileNameFromTheSettingsIsPlainText) {
  QImage picture(400, 300, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(Temp("big.png")));
  const QString name = "<img src=\"" + Temp("big.png") + "\">";
  WriteSettings("File=" + name.toUtf8() + "\r\n");
  Start();
  QLabel* label = Find<QLabel>("LabelFile2");
  EXPECT_EQ(label->text(), name);
  EXPECT_LT(label->sizeHint().height(), 100);
}

// Fits a 1024 x 768 screen with room for a frame; saved geometry stays within the desktop, not
// below the layout's size, on a screen; and a long path is shortened on screen, saved whole.
TEST_F(WindowShell, GeometryFitsTheScreenAndLongPathsTheWindow) {
  if (!FontsToMeasure()) GTEST_SKIP() << "no fonts installed for this platform plugin";
  const QRect frame = Start().frameGeometry();
  EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(frame) && frame.width() <= 990 &&
              frame.height() <= 660);
  const QString path = "/home/" + QString("ignition-curves/").repeated(20) + "race.ign";
  const std::pair<const char*, QRect> cases[] = {
      {"Left=10\r\nTop=20\r\nWidth=100\r\nHeight=50\r\n", QRect(10, 20, 842, 584)},
      {"Left=-30\r\nTop=-4000\r\nWidth=5000\r\nHeight=4000\r\n", QRect(0, 0, 2048, 768)},
      {"Left=90000\r\nTop=7000\r\nWidth=32767\r\nHeight=32767\r\n", {1928, 648, 2048, 768}}};
  for (const auto& [keys, expected] : cases) {
    Stop();
    WriteSettings(keys + ("File=" + path.toUtf8() + "\r\n"));
    const QPoint pos = Start().pos();
    EXPECT_EQ(QRect(pos, m_window->size()), expected) << keys;
    const QLabel* label = Find<QLabel>("LabelFile2");
    EXPECT_TRUE(label->text().endsWith("race.ign") && label->sizeHint().width() <= label->width() &&
                label->text().size() < path.size() && label->toolTip() == path);
  }
  Stop();
  EXPECT_TRUE(ReadAll(SettingsPath()).contains("\r\nFile=" + path.toUtf8() + "\r\n"));
}

// A file name in Latin-1 bytes ("Grüß") opens as the last file and goes back to the settings
// byte for byte.
TEST_F(WindowShell, LanguageFromSettingsAndCommandLine) {
  struct Case {
    QByteArray saved;
    QString argument;
    int expected;
  };
  const Case cases[] = {
      {"", "", 0},
      {"Language=0\r\n", "ENGLISH", 1},
      {"Language=0\r\n", "english", 0},
      {"Language=1\r\n", "DEUTSCH", 2},
      {"Language=2\r\n", "CESKY", 0},
      {"Language=2\r\n", "Deutsch", 2},
      {"Language=7\r\n", "", 1},
      {"Language=258\r\n", "", 2},  // the low 8 bits
      {"Language=abc\r\n", "", 0},
  };
  const char* items[] = {"MenuCzech", "MenuEnglish", "MenuGerman"};
  for (const auto& c : cases) {
    WriteSettings(c.saved);
    QStringList arguments = {"qm17"};
    if (!c.argument.isEmpty()) arguments << c.argument << "ignored";
    MainWindow& window = Start(arguments);
    EXPECT_EQ(window.LanguageIndex(), c.expected) << c.saved.data() << c.argument.toStdString();
    EXPECT_EQ(CheckedLanguageItem(), items[c.expected]);
    m_window.reset();  // no save: every case starts from its own file
  }
}

TEST_F(WindowShell, PortFromSettings) {
  const std::pair<QByteArray, int> cases[] = {
      {"ComPort=3\r\n", 3}, {"ComPort=10\r\n", 10}, {"ComPort=12\r\n", 1},
      {"ComPort=0\r\n", 0}, {"ComPort=259\r\n", 3}, {"ComPort=x\r\n", 1},
  };
  for (const auto& [saved, expected] : cases) {
    WriteSettings(saved);
    MainWindow& window = Start();
    EXPECT_EQ(window.ComPortNumber(), expected) << saved.data();
    EXPECT_EQ(CheckedComItem(), expected) << saved.data();  // 0: no item checked
    m_window.reset();
  }
}

TEST_F(WindowShell, SideFileBytes) {
  // Numbers above 255 keep their low 8 bits; a short file leaves the defaults behind it.
  WriteAll(SidePath(), "300 256 65 \n 1");
  MainWindow& window = Start();
  EXPECT_EQ(window.Image()[0], 44);
  EXPECT_EQ(window.Image()[1], 0);
  EXPECT_EQ(window.Image()[2], 65);
  EXPECT_EQ(window.Image()[3], 1);
  EXPECT_EQ(window.Image()[4], 0);
  EXPECT_EQ(window.Image()[50], 15);
  EXPECT_EQ(window.Image()[59], 120);
}

TEST_F(WindowShell, SettingsKeepOtherSections) {
  WriteSettings("Language=1\r\n");
  Start();
  Stop();
  const QByteArray settings = ReadAll(SettingsPath());
  EXPECT_TRUE(settings.contains("[PORTS]\r\nCOM1=/nonexistent/tty\r\n")) << settings.data();
  EXPECT_TRUE(settings.contains("Language=1\r\n"));
}

TEST_F(WindowShell, ASettingsFileThatCannotBeReadIsNotReplaced) {
  WriteSettings("Language=1\r\n");
  Start();
  // Grown past what is read: saving over it would throw its port mapping away.
  const QByteArray huge =
      "[FORM_HLAV]\r\nLanguage=1\r\n[PORTS]\r\nCOM1=/dev/my-adapter\r\n" + QByteArray(1 << 20, ';');
  WriteAll(SettingsPath(), huge);
  Stop();
  EXPECT_EQ(ReadAll(SettingsPath()), huge);
  EXPECT_EQ(ReadAll(SidePath()), QByteArray(kDefaultSideFile));  // the side file still is saved
}

TEST_F(WindowShell, SaveWritesTheNormalisedSet) {
  MainWindow& window = Start();
  const QString file = Temp("default.ign");
  m_prompts->saveAnswers = {file};
  window.MenuSaveClick();
  EXPECT_EQ(ReadAll(file), kDefaultParameterFile);
  EXPECT_EQ(m_prompts->saveCalls.value(0), "Ignition Parametrs(*.ign)|ign|");
  EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), file);
  EXPECT_EQ(window.LastFilePath(), file);
  EXPECT_TRUE(m_prompts->FileMessages().isEmpty());

  // Speeds typed out of order are saved ascending, and shown as saved.
  Find<QLineEdit>("EditRpmAdv2")->setText("3500");
  m_prompts->saveAnswers = {file};
  window.MenuSaveClick();
  EXPECT_TRUE(
      ReadAll(file).startsWith("KORVALEX_KEY   26 \r\n\r\nRPM_ADV      1000  3500  3600  4000 "))
      << ReadAll(file).data();
  EXPECT_EQ(Find<QLineEdit>("EditRpmAdv3")->text().remove(QRegularExpression("\\D")), "3600");
  EXPECT_EQ(m_prompts->saveCalls.value(1), "Ignition Parametrs(*.ign)|ign|" + file);
}

TEST_F(WindowShell, SaveFailuresChangeNothing) {
  MainWindow& window = Start();
  const DeviceImage before = window.Image();
  window.MenuSaveClick();  // cancelled
  m_prompts->saveAnswers = {Temp("no-such-folder/x.ign")};
  Find<QLineEdit>("EditPocetBodu")->setText("4");
  window.MenuSaveClick();
  EXPECT_EQ(m_prompts->FileMessages(), QStringList{"Chyba při otevírání souboru!"});
  EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), "");
  EXPECT_EQ(window.LastFilePath(), "");
  EXPECT_EQ(window.Image(), before);

  // A FIFO named in the dialog is refused at once: writing into it would wait for a reader
  // with the window frozen.
  if (!test::kFileSystemHasFifos) return;
  ASSERT_TRUE(test::MakeFifo(Temp("fifo.ign")));
  m_prompts->saveAnswers = {Temp("fifo.ign")};
  window.MenuSaveClick();
  EXPECT_EQ(m_prompts->FileMessages().size(), 2);
  EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), "");
  EXPECT_EQ(window.Image(), before);
}

TEST_F(WindowShell, OpenCases) {
  const DeviceImage defaults = [&] {
    Start();
    return m_window->Image();
  }();
  struct Case {
    const char* name;
    QByteArray content;
    int language;
    QStringList messages;
    std::vector<std::pair<int, int>> changed;  // image byte, value; every other byte stays
  };
  const QByteArray reversed =
      "KORVALEX_KEY 26\r\nPILOT_LIGHT 9000\r\nGEBER_NR 2\r\nPOLARITA 1\r\nLIMITER 50 140 4\r\n"
      "BASE_ADV 8\r\nPOCET_BODU 3\r\n";
  // The set loads as before; what it holds unlike the file is told in one message.
  const QString adjusted = "Changed on loading (file → loaded):\n";
  QString tooFast = adjusted + "Point 1 speed: 20000 → 18600 [rpm]";
  for (int k = 2; k <= 15; ++k)
    tooFast += QString("\nPoint %1 speed: %2 → %3 [rpm]").arg(k).arg(k * 1000).arg(18500 + k * 100);
  const Case cases[] = {
      {"only-count.ign", "KORVALEX_KEY 26\r\nPOCET_BODU 7\r\n", 1, {}, {{50, 7}}},
      {"reversed.ign",
       reversed,
       1,
       {},
       {{59, 90}, {58, 2}, {55, 1}, {56, 50}, {52, 140}, {57, 4}, {51, 8}, {50, 3}}},
      {"key-last.ign", "POCET_BODU 3\r\nBASE_ADV 8\r\nKORVALEX_KEY 26", 1, {}, {}},
      {"units.ign",
       "KORVALEX_KEY 26\r\nRPM_ADV 1550\r\nLIMITER 60 150 6\r\n",
       1,
       {adjusted + "Point 1 speed: 1550 → 1500 [rpm]"},
       {{60, 15}}},
      {"too-fast.ign",
       "KORVALEX_KEY 26\r\nRPM_ADV 20000 2000 3000 4000 5000 6000 7000 8000 9000 10000 11000 "
       "12000 13000 14000 15000\r\n",
       1,
       {tooFast},
       {{60, 186},
        {61, 187},
        {62, 188},
        {63, 189},
        {64, 190},
        {65, 191},
        {66, 192},
        {67, 193},
        {68, 194},
        {69, 195},
        {70, 196},
        {71, 197},
        {72, 198},
        {73, 199},
        {74, 200}}},
      {"version-25.ign",
       "KORVALEX_KEY 25\r\nPOCET_BODU 3\r\n",
       1,
       {"Unmatched version of *.ign file!"},
       {}},
      {"empty.ign", "", 2, {"Uneinig Version der Datendatei *.ign!"}, {}},
      {"version-cz.ign", "POCET_BODU 3", 0, {"Neshodná verze souboru *.ign!"}, {}},
  };
  for (const auto& c : cases) {
    WriteSettings("Language=" + QByteArray::number(c.language) + "\r\n");
    QFile::remove(SidePath());
    MainWindow& window = Start();
    const QString path = Temp(c.name);
    WriteAll(path, c.content);
    m_prompts->openAnswers = {path};
    window.MenuOpenClick();
    EXPECT_EQ(m_prompts->FileMessages(), c.messages) << c.name;
    DeviceImage expected = defaults;
    for (const auto& [byte, value] : c.changed) expected[byte] = static_cast<std::uint8_t>(value);
    EXPECT_EQ(window.Image(), expected) << c.name;
    const bool loaded = c.messages.isEmpty() || c.messages.first().startsWith(adjusted);
    EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), loaded ? path : "") << c.name;
    EXPECT_EQ(window.LastFilePath(), loaded ? path : "") << c.name;
    EXPECT_FALSE(Find<QLabel>("LabelHlaseni")->isVisible());
    EXPECT_FALSE(Find<QProgressBar>("CGauge")->isVisible());
    // Opening never starts talking to the unit.
    EXPECT_EQ(window.Link().operation(), Operation::Idle) << c.name;
    m_window.reset();
  }
}

// A file whose set differs from the window's is opened without a question; what the window
// held stays listed, a menu item away, for as long as a status message stays.
TEST_F(WindowShell, AnOpenedFileListsWhatTheWindowHeldFor200Ticks) {
  WriteSettings("Language=1\r\n");
  MainWindow& window = Start();
  const QString path = Temp("seven.ign");
  WriteAll(path, "KORVALEX_KEY 26\r\nPOCET_BODU 7\r\nBASE_ADV 12\r\n");
  auto* differences = Find<QAction>("MenuDifferences");
  const QString list =
      "The file holds otherwise (window → file):\nNumber of items: 15 → 7\nBase advance: 10 → 12 "
      "[°]";
  m_prompts->openAnswers = {path};
  window.MenuOpenClick();
  ASSERT_TRUE(differences->isEnabled());
  EXPECT_EQ(Find<QStatusBar>("StatusBar1")->currentMessage().toStdString(),
            QString(list).replace("):\n", "): ").replace("\n", "; ").toStdString() +
                " (whole list: Device > Differences…)");
  m_prompts->messages.clear();
  window.MenuDifferencesClick();
  EXPECT_EQ(m_prompts->messages.join("|").toStdString(), list.toStdString());
  for (int tick = 1; tick < 200; ++tick) window.Timer1Timer();
  EXPECT_TRUE(differences->isEnabled());
  window.Timer1Timer();
  EXPECT_FALSE(differences->isEnabled());
  m_prompts->openAnswers = {path};
  window.MenuOpenClick();  // the same set again holds nothing
  EXPECT_FALSE(differences->isEnabled());
}

TEST_F(WindowShell, OpenFailures) {
  MainWindow& window = Start();
  Find<QLabel>("LabelHlaseni")->show();
  window.MenuOpenClick();  // cancelled: the status label is hidden all the same
  EXPECT_FALSE(Find<QLabel>("LabelHlaseni")->isVisible());
  const QString pipe = Temp("pipe.ign");
  m_prompts->openAnswers = {Temp("missing.ign"), m_home.path()};
  if (test::kFileSystemHasFifos) {
    ASSERT_TRUE(test::MakeFifo(pipe));
    m_prompts->openAnswers.push_back(pipe);
  }
  window.MenuOpenClick();
  window.MenuOpenClick();                                 // a folder is no file
  if (test::kFileSystemHasFifos) window.MenuOpenClick();  // nor a FIFO: it waits for a writer
  EXPECT_EQ(m_prompts->FileMessages(),
            QStringList(test::kFileSystemHasFifos ? 3 : 2, "Chyba při otevírání souboru!"));
  EXPECT_EQ(Find<QLabel>("LabelFile2")->text(), "");
}

TEST_F(WindowShell, PrintsOnePageAndRestoresTheLayout) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  WriteSettings("CheckBoxBlackZobr->Checked=1\r\n");
  MainWindow& window = Start();
  const QString pdf = Temp("page.pdf");
  // What the window shows at the moment it is captured.
  QImage picture;
  bool printLayout = false, spinsShown = true, toolbarShown = true, inverseBoxShown = true;
  // Inactive states have the normal colour, black on the inverse screen; 0 V is red.
  LiveValues live;
  live.polarityFlag = true;
  window.ShowLiveValues(live);
  const auto background = [&](const char* name) {
    return Find<QLabel>(name)->palette().color(QPalette::Window);
  };
  ASSERT_EQ(background("LabelMonOmez1"), QColor(Qt::black));
  QColor limiterPrinted, voltagePrinted;
  window.SetPrintDestination({pdf, [&](const QPixmap& captured) {
                                picture = captured.toImage();
                                limiterPrinted = background("LabelMonOmez1");
                                voltagePrinted = background("LabelNapeti");
                                printLayout = window.PrintLayout();
                                spinsShown = Find<QWidget>("UpDownPocetBodu")->isVisible() ||
                                             Find<QWidget>("UpDownRpmAdv1")->isVisible();
                                toolbarShown = Find<QWidget>("GroupBoxToolBar")->isVisible();
                                inverseBoxShown = Find<QWidget>("CheckBoxBlackZobr")->isVisible();
                              }});
  window.SpeedButtonPrintClick();
  EXPECT_TRUE(printLayout);
  EXPECT_FALSE(spinsShown);
  EXPECT_FALSE(toolbarShown);
  EXPECT_FALSE(inverseBoxShown);
  // The live labels in the normal scheme on the page, in the inverse one again on screen.
  EXPECT_EQ(limiterPrinted, QApplication::palette().color(QPalette::Window));
  EXPECT_EQ(voltagePrinted, QColor(Qt::red));
  EXPECT_EQ(background("LabelMonOmez1"), QColor(Qt::black));
  EXPECT_EQ(background("LabelNapeti"), QColor(Qt::red));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), Find<QWidget>("ClientArea")->size());
  // Normal colours on white, although the window is shown inverse.
  EXPECT_EQ(picture.pixelColor(2, picture.height() - 3), QColor(Qt::white));
  QLocale::setDefault(QLocale::system());

  const QByteArray page = ReadAll(pdf);
  EXPECT_TRUE(page.startsWith("%PDF-"));
  EXPECT_EQ(page.count("/Type /Page\n") + page.count("/Type /Page\r") + page.count("/Type /Page/") +
                page.count("/Type /Page "),
            1);
  const QString header = Find<QLabel>("LabelHlaseni")->text();
  EXPECT_TRUE(QRegularExpression(R"(^Datum a čas tisku:  \d{1,2}/\d{1,2}/\d{2}    )"
                                 R"(\d{1,2}:\d{2}:\d{2} [AP]M$)")
                  .match(header)
                  .hasMatch())
      << header.toStdString();
  EXPECT_TRUE(Find<QLabel>("LabelHlaseni")->isVisible());
  EXPECT_FALSE(Find<QLabel>("LabelSpojeni")->isVisible());
  EXPECT_FALSE(Find<QProgressBar>("CGauge")->isVisible());
  EXPECT_EQ(window.Link().messageCountdown(), 200);
  EXPECT_FALSE(window.PrintLayout());
  EXPECT_TRUE(Find<QWidget>("UpDownPocetBodu")->isVisible());
  EXPECT_EQ(Find<QLabel>("LabelHlaseni")->palette().color(QPalette::Window), QColor(Qt::black));
  EXPECT_TRUE(m_prompts->FileMessages().isEmpty());
}

TEST_F(WindowShell, PrintHeaderPerLanguageAndFailedJob) {
  const std::pair<QByteArray, const char*> cases[] = {
      {"Language=1\r\n", "Date and Time of printing:  "},
      {"Language=2\r\n", "Date and Time of printing:  "},
      {"Language=0\r\n", "Datum a čas tisku:  "},
  };
  // The C locale's formats give one of the longest header lines: "8 Dec 2026    20:49:58".
  QLocale::setDefault(QLocale::c());
  for (const auto& [saved, header] : cases) {
    WriteSettings(saved);
    MainWindow& window = Start();
    QLabel* status = Find<QLabel>("LabelHlaseni");
    const int layoutWidth = status->width();
    // A job that cannot start is reported, and the window comes back as it was.
    window.SetPrintDestination({Temp("no-such-folder/page.pdf")});
    window.SpeedButtonPrintClick();
    EXPECT_TRUE(status->text().startsWith(QString::fromUtf8(header)));
    // The whole line shows, the time included; a later status has the layout's width again.
    EXPECT_GE(status->contentsRect().width(),
              status->fontMetrics().horizontalAdvance(status->text()))
        << status->text().toStdString();
    window.SetStatus("Read:", false);
    EXPECT_EQ(status->width(), layoutWidth);
    EXPECT_EQ(m_prompts->FileMessages().size(), 1);
    EXPECT_FALSE(window.PrintLayout());
    EXPECT_TRUE(Find<QWidget>("CheckBoxBlackZobr")->isVisible());
    EXPECT_NE(Find<QLabel>("LabelHlaseni")->palette().color(QPalette::Window), QColor(Qt::white));
    m_window.reset();
  }
  QLocale::setDefault(QLocale::system());
}

TEST_F(WindowShell, AboutPerLanguage) {
  const std::pair<QByteArray, const char*> cases[] = {
      {"Language=1\r\n", "Programm for setting of ignition            \n\nversion 1.0\n\n"},
      {"Language=0\r\n", "Program pro nastavování zapalování           \n\nverze 1.0\n\n"},
      {"Language=2\r\n", "Program für der Adjustierung der Zündung        \nVersion 1.0\n\n"},
  };
  for (const auto& [saved, start] : cases) {
    WriteSettings(saved);
    MainWindow& window = Start();
    m_prompts->messages.clear();
    window.MenuAboutClick();
    ASSERT_EQ(m_prompts->messages.size(), 1);
    EXPECT_TRUE(m_prompts->messages[0].startsWith(QString::fromUtf8(start)))
        << m_prompts->messages[0].toStdString();
    EXPECT_TRUE(m_prompts->messages[0].contains(QString(BuildDate()) + "\n"));
    EXPECT_EQ(m_prompts->titles.value(0), "test_window_shell");
    m_window.reset();
  }
}

TEST_F(WindowShell, HelpOpensTheLanguagesDocumentElseTheManual) {
  WriteSettings("Language=2\r\n");
  MainWindow& window = Start();
  QTemporaryDir docs;
  WriteAll(docs.filePath("VELMOR_QM_17_de.doc"), "doc");
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(docs.path()));
  QList<QUrl> opened;
  window.SetHelpOpener([&](const QUrl& url) {
    opened << url;
    return true;
  });
  const qsizetype messagesBefore = m_prompts->messages.size();
  window.MenuContensClick();
  Find<QAction>("MenuEnglish")->trigger();
  // No English document: the program's own manual (found from a build folder on Linux), or
  // where it belongs; never nothing.
  window.MenuContensClick();
  QDir::setCurrent(before);
  ASSERT_GE(opened.size(), 1);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(QDir(docs.path()).filePath("VELMOR_QM_17_de.doc")));
  const bool manualOpened = opened.size() == 2 && opened[1].toLocalFile().endsWith("/qm17-en.html");
  EXPECT_NE(manualOpened, m_prompts->messages.size() > messagesBefore)
      << m_prompts->messages.join('\n').toStdString();
}

TEST_F(WindowShell, SessionEndSavesWithoutClosing) {
  MainWindow& window = Start();
  Find<QLineEdit>("EditPocetBodu")->setText("9");
  window.CommitSessionData();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(ReadAll(SidePath()).contains("\r\n    9    10   150     1 "))
      << ReadAll(SidePath()).data();
  EXPECT_TRUE(ReadAll(SettingsPath()).contains("Language=0\r\n"));
}

TEST_F(WindowShell, PageShowsNoCaretOrFocusAndTheFocusComesBack) {
  MainWindow& window = Start();
  window.activateWindow();
  QLineEdit* edit = Find<QLineEdit>("EditBaseAdv");
  edit->setFocus(Qt::OtherFocusReason);
  edit->setCursorPosition(1);
  QApplication::processEvents();
  if (!edit->hasFocus()) GTEST_SKIP() << "the window cannot be made active here";
  const QRect box(edit->mapTo(Find<QWidget>("ClientArea"), QPoint()), edit->size());
  const auto printed = [&] {
    QImage page;
    window.SetPrintDestination({Temp("page.pdf"), [&](const QPixmap& p) { page = p.toImage(); }});
    window.SpeedButtonPrintClick();
    return page.copy(box);
  };
  const QImage focused = printed();
  // The focus is back where it was, with the cursor.
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(edit->cursorPosition(), 1);
  Find<QWidget>("EditOmez1")->setFocus(Qt::OtherFocusReason);
  EXPECT_TRUE(printed() == focused) << "the box looks on paper as it does without the focus";
}

TEST_F(WindowShell, FileMenuPrintGoesThroughThePrintDialog) {
  WriteSettings("Language=1\r\nCheckBoxBlackZobr->Checked=1\r\n");
  MainWindow& window = Start();
  // The toolbar's destination is not used: the dialog chooses the printer or the file.
  window.SetPrintDestination({Temp("toolbar.pdf")});
  m_prompts->previewPdf = Temp("chosen.pdf");
  m_prompts->titles.clear();
  Find<QAction>("MenuPrint")->trigger();
  EXPECT_EQ(m_prompts->titles, QStringList{window.windowTitle()});
  EXPECT_TRUE(ReadAll(Temp("chosen.pdf")).startsWith("%PDF-"));
  EXPECT_FALSE(QFile::exists(Temp("toolbar.pdf")));
  EXPECT_TRUE(Find<QLabel>("LabelHlaseni")->text().startsWith("Date and Time of printing:  "));
  EXPECT_FALSE(window.PrintLayout());
  EXPECT_TRUE(Find<QWidget>("UpDownPocetBodu")->isVisible());
  EXPECT_EQ(Find<QLabel>("LabelHlaseni")->palette().color(QPalette::Window), QColor(Qt::black));
  EXPECT_TRUE(m_prompts->FileMessages().isEmpty());
  // A file the printer cannot write is said, not passed over.
  m_prompts->previewPdf = Temp("no-such-folder/page.pdf");
  window.MenuPrintClick();
  EXPECT_EQ(m_prompts->FileMessages(), QStringList{"Open file error!\nThe file " +
                                                   m_prompts->previewPdf + " cannot be written."});
  // A cancelled dialog leaves no date of printing behind.
  m_prompts->previewPdf.clear();
  window.MenuPrintClick();
  EXPECT_FALSE(Find<QLabel>("LabelHlaseni")->isVisible());
}

}  // namespace
}  // namespace qm17

namespace qm17 {
namespace {

// File > Note… edits the note that Save writes (Cancel keeps it); File > Setup sheet… writes
// the PDF beside the file, or says why it could not.
TEST_F(WindowShell, NoteEditorAndSetupSheet) {
  MainWindow& window = Start();
  window.MenuEnglishClick();
  const auto typeNote = [this](const QString& text, bool accept) {
    m_prompts->dialogAnswer = [text, accept](QDialog& dialog) {
      dialog.findChild<QPlainTextEdit*>("NoteEdit")->setPlainText(text);
      return accept;
    };
  };
  typeNote("Jan, ČZ 125", true);
  window.findChild<QAction*>("MenuNote")->trigger();
  typeNote("lost", false);
  window.findChild<QAction*>("MenuNote")->trigger();
  EXPECT_EQ(window.RunSession().Note(), "Jan, ČZ 125");
  const QString file = Temp("bike.ign");
  m_prompts->saveAnswers = {file};
  window.MenuSaveClick();
  EXPECT_TRUE(ReadAll(file).startsWith("qm17-note=Jan,%20%c4%8cZ%20125\r\nKORVALEX_KEY   26"));

  m_prompts->saveAnswers = {Temp("bike.pdf")};
  window.findChild<QAction*>("MenuSetupSheet")->trigger();
  EXPECT_EQ(m_prompts->saveCalls.last(), "PDF page (*.pdf)|pdf|" + Temp("bike.pdf"));
  EXPECT_TRUE(ReadAll(Temp("bike.pdf")).startsWith("%PDF-1.4\n"));
  m_prompts->saveAnswers = {Temp("none/bike.pdf")};
  window.findChild<QAction*>("MenuSetupSheet")->trigger();
  ASSERT_FALSE(m_prompts->FileMessages().isEmpty());
  EXPECT_TRUE(m_prompts->FileMessages().last().startsWith("Open file error!\n"));
  EXPECT_TRUE(m_prompts->FileMessages().last().endsWith("\nthe folder does not exist"));
}

}  // namespace
}  // namespace qm17
