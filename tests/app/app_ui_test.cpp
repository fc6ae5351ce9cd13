#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>
#include <vector>

#include "app/about_help.h"
#include "app/local_path.h"
#include "app/shutdown_signals.h"
#include "app/startup_file.h"
#include "app/user_prompts.h"
#include "closing_window.h"

namespace qm17 {
namespace {

TEST(ApplicationTitle, FromTheProgramFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/bin/qm17", "qm17"},  // the first letter keeps its case
      {"qm17", "qm17"},
      {"C:/Programs/SETUP.EXE", "Setup"},
      {"/opt/QM17-Setup.d/QM17-DEV.bin.old", "Qm17-dev"},  // the folder's dot does not count
      {"/usr/bin/.hidden", ""},
      {"", ""},
  };
  for (const auto& [path, title] : cases) EXPECT_EQ(ApplicationTitle(path), title) << path;
}

TEST(BuildStamp, ShapeAndStability) {
  const QString date = BuildDate(), time = BuildTime();
  EXPECT_TRUE(QRegularExpression("^[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}$").match(date).hasMatch())
      << date.toStdString();
  EXPECT_TRUE(QRegularExpression("^[0-2][0-9]:[0-5][0-9]:[0-6][0-9]$").match(time).hasMatch())
      << time.toStdString();
  EXPECT_EQ(QString(BuildDate()), date);
  // The About box carries the build stamp on its own lines, not the current time.
  const QStringList lines = AboutBoxText(Language::English).split('\n');
  ASSERT_GE(lines.size(), 7);
  EXPECT_EQ(lines[4], date);
  EXPECT_EQ(lines[6], time);
  const QStringList german = AboutBoxText(Language::German).split('\n');
  ASSERT_GE(german.size(), 6);
  EXPECT_EQ(german[1], "Version 1.0");
  EXPECT_EQ(german[3], date);
  EXPECT_EQ(german[5], time);
}

void Touch(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(FindHelpDocument, FirstFolderThatHoldsTheLanguagesDocument) {
  QTemporaryDir current, installed;
  Touch(installed.filePath("VELMOR_QM_17_cz.doc"));
  Touch(installed.filePath("VELMOR_QM_17_en.doc"));
  Touch(current.filePath("VELMOR_QM_17_en.doc"));
  QDir(current.path()).mkdir("VELMOR_QM_17_de.doc");  // a folder is not a document
  const QStringList folders = {current.path(), installed.path()};

  EXPECT_EQ(FindHelpDocument(Language::English, folders),
            QDir(current.path()).absoluteFilePath("VELMOR_QM_17_en.doc"));
  EXPECT_EQ(FindHelpDocument(Language::Czech, folders),
            QDir(installed.path()).absoluteFilePath("VELMOR_QM_17_cz.doc"));
  EXPECT_EQ(FindHelpDocument(Language::German, folders), QString());
  EXPECT_EQ(FindHelpDocument(static_cast<Language>(5), folders), QString());
}

TEST(OpenHelp, TheLanguagesDocumentElseTheManualElseWhereItIs) {
  QTemporaryDir documents, manuals;
  Touch(documents.filePath("VELMOR_QM_17_de.doc"));
  Touch(manuals.filePath("qm17-cs.html"));
  Touch(manuals.filePath("qm17-en.html"));
  std::vector<QUrl> opened;
  bool browserWorks = true;
  const UrlOpener record = [&](const QUrl& url) {
    opened.push_back(url);
    return browserWorks;
  };
  const QStringList docs{documents.path()}, manual{manuals.path()};
  const QDir manualDir(manuals.path());

  EXPECT_EQ(OpenHelp(Language::German, record, docs, manual), QString());
  EXPECT_EQ(OpenHelp(Language::Czech, record, docs, manual), QString());
  // The document is looked for in the current folder first.
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(documents.path()));
  EXPECT_EQ(OpenHelpDocument(Language::German, record), QString());
  QDir::setCurrent(before);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[2], opened[0]);
  opened.pop_back();
  QFile::remove(documents.filePath("VELMOR_QM_17_de.doc"));
  EXPECT_EQ(OpenHelp(Language::German, record, docs, manual), QString());  // no German manual
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_TRUE(opened[0].isLocalFile());
  EXPECT_EQ(opened[0].toLocalFile(),
            QDir(documents.path()).absoluteFilePath("VELMOR_QM_17_de.doc"));
  EXPECT_EQ(opened[1].toLocalFile(), manualDir.absoluteFilePath("qm17-cs.html"));
  EXPECT_EQ(opened[2].toLocalFile(), manualDir.absoluteFilePath("qm17-en.html"));

  // Never nothing: a browser that fails, or no manual at all, gives a message naming the place.
  browserWorks = false;
  const QString notShown = OpenHelp(Language::English, record, docs, manual);
  EXPECT_TRUE(
      notShown.contains(QDir::toNativeSeparators(manualDir.absoluteFilePath("qm17-en.html"))))
      << notShown.toStdString();
  const QString missing = OpenHelp(Language::Czech, record, docs, {documents.path()});
  EXPECT_TRUE(missing.contains(QDir::toNativeSeparators(documents.path())))
      << missing.toStdString();
  EXPECT_NE(missing, notShown);
}

TEST(StartupFileArgument, TheParameterFileBesideTheLanguageWord) {
  QTemporaryDir folder;
  const QString race = QDir(folder.path()).absoluteFilePath("race.IGN");
  const QString plain = QDir(folder.path()).absoluteFilePath("ENGLISH");  // no suffix, exists
  Touch(plain);
  const std::pair<QStringList, QString> cases[] = {
      {{"qm17", race}, race},
      {{"qm17", "ENGLISH", race}, race},
      {{"qm17", "--lang", "de", race}, race},
      {{"qm17", "--lang=de", plain}, plain},
      // Any other word stays ignored, as it always was.
      {{"qm17", "english"}, QString()},
      {{"qm17", "-platform", "offscreen"}, QString()},
      {{"qm17"}, QString()},
  };
  for (const auto& [arguments, file] : cases)
    EXPECT_EQ(StartupFileArgument(arguments), file) << arguments.join(' ').toStdString();
  // A relative name is made absolute, as the file dialog would give it.
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  EXPECT_EQ(StartupFileArgument({"qm17", "race.IGN"}), race);
  // The first argument's language word is not a file, even where a file of that name exists.
  EXPECT_EQ(StartupFileArgument({"qm17", "ENGLISH"}), QString());
  EXPECT_EQ(StartupFileArgument({"qm17", "DEUTSCH", "ENGLISH"}), plain);
  QDir::setCurrent(before);
}

TEST(UseToolkitLanguage, StandardButtonsSpeakTheInterfaceLanguage) {
  // The buttons of the window's question box (Yes, No, Cancel) and message box (OK).
  const auto buttons = [] {
    QMessageBox question(QMessageBox::Question, "qm17", "?",
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QMessageBox message(QMessageBox::NoIcon, "qm17", "!", QMessageBox::Ok);
    return QStringList{
        question.button(QMessageBox::Yes)->text(), question.button(QMessageBox::No)->text(),
        question.button(QMessageBox::Cancel)->text(), message.button(QMessageBox::Ok)->text()};
  };
  EXPECT_FALSE(UseToolkitLanguage(Language::English));
  const QStringList english = buttons();
  ASSERT_TRUE(UseToolkitLanguage(Language::Czech)) << "Qt's translations are not installed";
  EXPECT_EQ(buttons(), (QStringList{"&Ano", "&Ne", "Zrušit", "OK"}));
  ASSERT_TRUE(UseToolkitLanguage(Language::German));
  EXPECT_EQ(buttons(), (QStringList{"&Ja", "&Nein", "Abbrechen", "OK"}));
  EXPECT_FALSE(UseToolkitLanguage(Language::English));
  EXPECT_EQ(buttons(), english);
  EXPECT_EQ(english, (QStringList{"&Yes", "&No", "Cancel", "OK"}));
}

TEST(MessageBoxes, ShowTheirTextAsPlainText) {
  // A file name or a unit's identification that looks like markup is shown as it is.
  const QString text = "<b>x</b>.ign <img src=/dev/zero>";
  for (const auto& box : {MakeMessageBox(nullptr, "qm17", text), MakeQuestionBox(nullptr, text)}) {
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), text);
  }
}

TEST(LocalPath, NamesWithCzechLettersReachTheCoreAsUtf8AndComeBack) {
  const QString name = QStringLiteral("C:/Zapalování/Příklad.ign");
  const std::string bytes = LocalPath(name);
  EXPECT_EQ(bytes, "C:/Zapalov\xC3\xA1n\xC3\xAD/P\xC5\x99\xC3\xADklad.ign");
  EXPECT_EQ(FromLocalPath(bytes), name);
}

TEST(ShutdownSignalCloser, ADeliveredSignalClosesTheWindowAndIsRemembered) {
  test::ClosingWindow window;
  window.show();
  ShutdownSignalCloser closer(&window);
  std::vector<int> received;
  QObject::connect(&closer, &ShutdownSignalCloser::signalReceived,
                   [&](int number) { received.push_back(number); });
  EXPECT_FALSE(closer.received());
  closer.Deliver(7);
  EXPECT_EQ(window.closes, 1);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(received, std::vector<int>{7});
  EXPECT_TRUE(closer.received());
}

}  // namespace
}  // namespace qm17
