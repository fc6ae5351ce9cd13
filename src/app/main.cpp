// qm17: sets up the QM-17 ignition unit over a serial port.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/console_output.h"
#include "app/main_window.h"
#include "app/startup_file.h"
#include "app/window_font.h"
#ifdef QM17_SHOWN_PROBE
#include "app/shown_probe.h"
#endif
#include "session/settings_codec.h"
#include "texts/texts.h"

namespace {

// What the command line asks for besides the window.
struct CommandLine {
  bool help = false;
  bool version = false;
  std::optional<std::string> problem;  // a usage error, said on standard error
  const char* languageWord = nullptr;  // from --lang: the word the first argument would be
  qm17::Language helpLanguage = qm17::Language::English;
};

// The language of --help: the one asked for on the command line, else the locale's.
qm17::Language HelpLanguage(const char* word) {
  if (const auto chosen = qm17::LanguageFromWord(word ? word : "")) return *chosen;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    const std::string_view locale = value;
    if (locale.starts_with("cs")) return qm17::Language::Czech;
    if (locale.starts_with("de")) return qm17::Language::German;
    break;
  }
  return qm17::Language::English;
}

const char* LanguageWord(std::string_view code) {
  const std::optional<qm17::Language> language = qm17::LanguageFromCode(code);
  return language ? qm17::LanguageWord(*language) : nullptr;
}

// Read before the application object exists, which needs a display: --help and --version
// must answer on a console or in a build without one.
CommandLine ParseCommandLine(int argc, char* argv[]) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else if (arg == "--version" || arg == "-v") {
      line.version = true;
    } else if (arg == "--lang" || arg.starts_with("--lang=")) {
      std::string_view code;
      if (arg == "--lang") {
        if (i + 1 == argc) {
          line.problem = "--lang needs en, cz, cs or de";
          break;
        }
        code = argv[++i];
      } else {
        code = arg.substr(7);
      }
      line.languageWord = LanguageWord(code);
      if (!line.languageWord) {
        line.problem = "unknown language '" + std::string(code) + "' (en, cz, cs or de)";
        break;
      }
    }
  }
  line.helpLanguage = HelpLanguage(line.languageWord ? line.languageWord
                                   : argc > 1        ? argv[1]
                                                     : nullptr);
  return line;
}

}  // namespace

int main(int argc, char* argv[]) {
  const CommandLine line = ParseCommandLine(argc, argv);
  if (line.problem || line.help || line.version) qm17::UseStartingConsole();
  if (line.problem) {
    std::fprintf(stderr, "qm17: %s\n%s", line.problem->c_str(),
                 qm17::CommandLineHelpText(line.helpLanguage));
    return 2;
  }
  if (line.help) {
    std::fputs(qm17::CommandLineHelpText(line.helpLanguage), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }
  if (line.version) {
    std::printf("qm17 %s\n", QM17_VERSION);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("qm17"));
  QApplication::setApplicationVersion(QStringLiteral(QM17_VERSION));
  // The desktop file's name, so that a Wayland compositor finds the icon and the entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("qm17"));
  qm17::ChooseWindowFont();  // before the window, whose layout scales with the font
  QStringList arguments = QApplication::arguments();
  const QString startupFile = qm17::StartupFileArgument(arguments);
  // --lang stands for the language word, which start-up reads from the first argument.
  if (line.languageWord)
    arguments = QStringList{arguments.value(0), QString::fromLatin1(line.languageWord)};
  qm17::MainWindow window;
  // Before start-up, whose port message may wait for a user who is logging out.
  window.InstallShutdownHandlers();
  window.FormCreate(arguments);
  if (window.ShutdownRequested()) return 0;  // closed and saved already
  window.show();
  // Once the window is up, so that the file's messages come in front of it.
  if (!startupFile.isEmpty())
    QTimer::singleShot(0, &window,
                       [&window, startupFile] { window.OpenParameterFile(startupFile); });
#ifdef QM17_SHOWN_PROBE
  qm17::ShownProbe::InstallIfAsked(window);  // a measuring build only (QM17_MEASURE)
#endif
  return QApplication::exec();
}
