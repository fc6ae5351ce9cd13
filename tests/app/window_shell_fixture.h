#pragma once
// The shell tests' fixture: a real window with its settings in a folder of the test's own and
// its dialogs answered by the test.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/user_prompts.h"
#include "files/atomic_file.h"
#include "files/settings_store.h"

#include "common/known_answers.h"
#include "common/recording_prompts.h"
#include "common/settings_folder.h"

namespace qm17 {

class FakePrompts : public test::RecordingPrompts {
 public:
  void ShowTitledMessage(QWidget*, const QString& title, const QString& text) override {
    titles << title;
    messages << text;
  }
  Answer AskYesNoCancel(QWidget*, const QString& text) override {
    messages << text;
    return Answer::Yes;
  }
  QString AskOpenFileName(QWidget*, const QString& filter, const QString& suffix,
                          const QString& initialPath) override {
    openCalls << (filter + "|" + suffix + "|" + initialPath);
    return Next(openAnswers);
  }
  QString AskSaveFileName(QWidget*, const QString& filter, const QString& suffix,
                          const QString& initialPath) override {
    saveCalls << (filter + "|" + suffix + "|" + initialPath);
    return Next(saveAnswers);
  }
  // The print dialog "prints" into the PDF file named here, once for the preview and once more.
  bool ShowPrintPreview(QWidget*, const QString& title,
                        const std::function<void(QPrinter&)>& paintPage) override {
    titles << title;
    if (previewPdf.isEmpty()) return false;  // cancelled
    for (int page = 0; page < 2; ++page) {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(previewPdf);
      paintPage(printer);
    }
    return true;
  }
  QString previewPdf;
  // Messages other than the port's: the tests have no serial device.
  QStringList FileMessages() const {
    QStringList result;
    for (const QString& m : messages)
      if (!m.contains("Com") && !m.contains("COM")) result << m;
    return result;
  }

  QStringList titles, openCalls, saveCalls;
  std::deque<QString> openAnswers, saveAnswers;

 private:
  static QString Next(std::deque<QString>& answers) {
    if (answers.empty()) return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Measuring text needs real fonts; an offscreen Qt under Wine finds none.
inline bool FontsToMeasure() {
  return !QFontDatabase::families().isEmpty();
}

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

inline void WriteAll(const QString& path, const QByteArray& content) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(content);
}

class WindowShell : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_home.isValid());
    m_config = m_home.filePath("qm17");
  }
  void TearDown() override {
    if (m_window) m_window->close();
  }

  QString SettingsPath() const { return m_config + "/Tarvex.ini"; }
  QString SidePath() const { return m_config + "/_Tarvex.ini"; }
  QString Temp(const QString& name) const { return m_home.filePath(name); }

  // Settings lines under [FORM_HLAV]; every port points nowhere, so no real device is touched.
  void WriteSettings(const QByteArray& keys) {
    QByteArray ports = "[PORTS]\r\n";
    for (int k = 1; k <= 10; ++k) ports += "COM" + QByteArray::number(k) + "=/nonexistent/tty\r\n";
    WriteAll(SettingsPath(), "[FORM_HLAV]\r\n" + keys + ports);
  }

  MainWindow& Start(const QStringList& arguments = {"qm17"}) {
    if (!QFile::exists(SettingsPath())) WriteSettings({});
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>();
    m_window->SetPrompts(m_prompts);
    m_window->FormCreate(arguments);
    m_window->show();
    return *m_window;
  }
  void Stop() {
    m_window->close();
    m_window.reset();
  }

  template <typename T>
  T* Find(const char* name) {
    T* child = m_window->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  int CheckedComItem() {
    int checked = 0;
    for (int k = 1; k <= 10; ++k) {
      const auto name = "MenuCom" + std::to_string(k);
      if (Find<QAction>(name.c_str())->isChecked()) {
        EXPECT_EQ(checked, 0) << "two port items checked";
        checked = k;
      }
    }
    return checked;
  }
  QString CheckedLanguageItem() {
    QString checked;
    for (const char* name : {"MenuCzech", "MenuEnglish", "MenuGerman"}) {
      if (Find<QAction>(name)->isChecked()) {
        EXPECT_TRUE(checked.isEmpty()) << "two language items checked";
        checked = name;
      }
    }
    return checked;
  }

  test::SettingsFolder m_home;
  QString m_config;
  std::shared_ptr<FakePrompts> m_prompts;
  std::unique_ptr<MainWindow> m_window;
};

// The default parameter set in the side file's layout.
inline const char kDefaultSideFile[] =
    "    0     0     0     0     0     0     0     0     0     0 \r\n"
    "    0     0     0     0     0     0     0     0     0     0 \r\n"
    "    0     0     0     0     0     0     0     0     0     0 \r\n"
    "    0     0     0     0     0     0     0     0     0     0 \r\n"
    "    0     0     0     0     0     0     0     0     0     0 \r\n"
    "   15    10   150     1     0     2    60     6     1   120 \r\n"
    "   10    20    30    40    50    60    70    80    90   100 \r\n"
    "  110   120   130   140   150     0     0     0     0     0 \r\n"
    "   10    10    10    10    10    10    10    10    10    10 \r\n"
    "   10    10    10    10    10     0     0     0     0     0 \r\n";

inline constexpr const auto& kDefaultParameterFile = test::kDefaultParameterFile;

}  // namespace qm17
