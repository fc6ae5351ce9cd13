// The shell's POSIX side: file names as bytes, a folder without write permission, stop
// signals, the real program run and terminated, and a save killed half-way.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QMenu>
#include <filesystem>

#include "window_shell_fixture.h"

namespace qm17 {
namespace {

// Linux file names are bytes, which need not be UTF-8.
TEST_F(WindowShell, SettingsKeepFileNameBytes) {
  const QByteArray name = QFile::encodeName(Temp("Gr")) + "\xFC\xDF.ign";
  ASSERT_TRUE(WriteFileAtomically(name.toStdString(), "KORVALEX_KEY 26\r\nPOCET_BODU 7\r\n"));
  WriteSettings("File=" + name + "\r\nIniDir=" + name + "\r\n");
  Start();
  m_prompts->openAnswers = {m_window->LastFilePath()};
  m_window->MenuOpenClick();
  EXPECT_EQ(Find<QLineEdit>("EditPocetBodu")->text(), "7");
  Stop();
  EXPECT_TRUE(ReadAll(SettingsPath()).contains("File=" + name + "\r\nIniDir=" + name + "\r\n"));

  Start();
  // A history folder named so opens its entries from File > History.
  const QByteArray data = QFile::encodeName(Temp("Gr")) + "\xFC\xDF-data";
  const std::string history = (data + "/qm17/history").toStdString();
  ASSERT_TRUE(std::filesystem::create_directories(history));
  ASSERT_TRUE(WriteFileAtomically(history + "/20261209T030405.000000Z-read.ign",
                                  "KORVALEX_KEY 26\r\nPOCET_BODU 5\r\n"));
  const QByteArray dataBefore = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", data);
  QMenu* menu = Find<QMenu>("MenuHistory");
  emit menu->aboutToShow();
  ASSERT_FALSE(menu->actions().isEmpty());
  menu->actions().first()->trigger();
  qputenv("XDG_DATA_HOME", dataBefore);
  EXPECT_EQ(Find<QLineEdit>("EditPocetBodu")->text(), "5");
}

// Permissions that keep the program from writing; Windows has none of this kind for a folder.
TEST_F(WindowShell, UnwritableFolderSavesNothingAndSaysNothing) {
  WriteSettings("Language=1\r\n");
  Start();
  // The configuration folder's parent becomes a plain file: no folder can be made there.
  const QString blocked = Temp("blocked");
  WriteAll(blocked, "x");
  qputenv("XDG_CONFIG_HOME", blocked.toLocal8Bit());
  const int before = m_prompts->messages.size();
  Stop();
  EXPECT_EQ(m_prompts->messages.size(), before);
  EXPECT_EQ(ReadAll(blocked), "x");
  EXPECT_FALSE(QFile::exists(SidePath()));
}

TEST_F(WindowShell, SignalClosesAndSaves) {
  WriteSettings("Language=0\r\n");
  MainWindow& window = Start();
  window.InstallShutdownHandlers();
  Find<QAction>("MenuEnglish")->trigger();
  EXPECT_FALSE(window.ShutdownRequested());
  ASSERT_EQ(::raise(SIGTERM), 0);
  for (int i = 0; i < 100 && window.isVisible(); ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(ReadAll(SettingsPath()).contains("Language=1\r\n"));
  EXPECT_TRUE(window.ShutdownRequested());
  m_window.reset();  // the handlers go with the window
}

// Whether the process has a handler for SIGTERM, from its SigCgt mask.
bool CatchesSigterm(qint64 pid) {
  QFile status(QString("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (!line.startsWith("SigCgt:")) continue;
    bool ok = false;
    const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
    return ok && (mask >> (SIGTERM - 1)) & 1;
  }
  return false;
}

TEST_F(WindowShell, HelpAndVersionNeedNoDisplay) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    environment.remove(name);
  const auto run = [&environment](const QStringList& arguments) {
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QM17_PROGRAM, arguments);
    EXPECT_TRUE(program.waitForFinished(20000));
    return std::pair(program.exitCode(), QString::fromUtf8(program.readAllStandardOutput() +
                                                           program.readAllStandardError()));
  };
  const auto [helpStatus, help] = run({"--help"});
  EXPECT_EQ(helpStatus, 0);
  EXPECT_TRUE(help.contains("ENGLISH, CESKY, DEUTSCH")) << help.toStdString();
  EXPECT_EQ(run({"DEUTSCH", "--version"}), std::pair(0, QStringLiteral("qm17 1.0\n")));
  EXPECT_TRUE(run({"--lang", "de", "-h"}).second.startsWith("Aufruf: qm17"));
  const auto [badStatus, bad] = run({"--lang", "fr"});
  EXPECT_EQ(badStatus, 2);
  EXPECT_TRUE(bad.contains("unknown language 'fr'")) << bad.toStdString();
}

// The real program, offscreen with the settings in `home`, terminated once it catches SIGTERM
// (start-up may then wait on the port message for ever); returns when it has ended.
void RunUntilTerminated(QProcess& program, const QString& home, const QStringList& arguments) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_CONFIG_HOME", home);
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  program.setProcessEnvironment(environment);
  program.start(QM17_PROGRAM, arguments);
  ASSERT_TRUE(program.waitForStarted());
  bool ready = false;
  for (QDeadlineTimer deadline(20000); !ready && !deadline.hasExpired();) {
    ready = CatchesSigterm(program.processId());
    if (!ready && program.waitForFinished(10)) break;
  }
  ASSERT_TRUE(ready);
  ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
  ASSERT_TRUE(program.waitForFinished(20000));
}

TEST_F(WindowShell, LangOptionChoosesLikeTheLanguageWord) {
  WriteSettings("Language=1\r\n");
  QProcess program;
  ASSERT_NO_FATAL_FAILURE(RunUntilTerminated(program, m_home.path(), {"--lang=cs"}));
  EXPECT_TRUE(ReadAll(SettingsPath()).contains("Language=0\r\n"));
}

TEST_F(WindowShell, ProgramTerminatedDuringStartUpSavesAndEnds) {
  WriteSettings("Language=0\r\n");
  QProcess program;
  ASSERT_NO_FATAL_FAILURE(RunUntilTerminated(program, m_home.path(), {"DEUTSCH"}));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(ReadAll(SettingsPath()).contains("Language=2\r\n"));
  EXPECT_EQ(ReadAll(SidePath()), kDefaultSideFile);
}

TEST_F(WindowShell, KilledDuringSaveLeavesAWholeFile) {
  // A child saves again and again until it is killed; whatever moment the kill hits, the
  // file is one of the two complete versions.
  const std::string path = SettingsPath().toStdString();
  const std::string first(5000, 'a'), second(7000, 'b');
  ASSERT_TRUE(WriteFileAtomically(path, first));
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    for (int round = 0;; ++round) {
      WriteFileAtomically(path, round % 2 ? first : second);
      if (round == 50) (void)::write(ready[1], "r", 1);
    }
  }
  ::close(ready[1]);  // a child that dies early ends the read instead of blocking it
  char byte = 0;
  const ssize_t got = ::read(ready[0], &byte, 1);
  ::kill(child, SIGKILL);  // before any check, so that no child outlives a failed test
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ASSERT_EQ(got, 1);
  const auto content = ReadWholeFile(path);
  ASSERT_TRUE(content.has_value());
  EXPECT_TRUE(*content == first || *content == second) << content->size();
}

}  // namespace
}  // namespace qm17
