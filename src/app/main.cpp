// qm17: sets up the QM-17 ignition unit over a serial port.

#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_window.h"
#include "app/shown_probe.h"

namespace {

constexpr const char* kUsage =
    "usage: qm17 [ENGLISH|CESKY|DEUTSCH] [--lang en|cz|cs|de] [Qt options]\n"
    "       qm17 --help | --version\n"
    "\n"
    "Sets up the QM-17 ignition unit over a serial port: edit the advance curve and\n"
    "the other parameters, Read, Verify or Program the unit, keep parameter sets in\n"
    "\".ign\" files and print them.\n"
    "\n"
    "  ENGLISH, CESKY, DEUTSCH  as the first argument: the interface language\n"
    "                           (exactly so, in capitals); without it the language\n"
    "                           saved last time (Czech the first time)\n"
    "  --lang LANG              the same: en, cz (or cs) or de\n"
    "  -h, --help               print this text and exit\n"
    "  -v, --version            print the version and exit\n"
    "\n"
    "Qt's own options (-platform, -style, -display ...) are understood too.\n"
    "Settings: $XDG_CONFIG_HOME/qm17/Tarvex.ini (~/.config/qm17/ without it), where\n"
    "section [PORTS] names the serial device of each Com menu item (COM1=/dev/ttyUSB0).\n"
    "Keys: F3 or Ctrl+O Open, F2 or Ctrl+S Save, Ctrl+P Print with preview, F7 Read,\n"
    "F8 Verify, F9 Program, F4/F5 Advance -/+, Ctrl+Shift+A \"All\", Ctrl+Shift+P\n"
    "\"Programming after change\", F1 the manual.\n";

// What the command line asks for besides the window.
struct CommandLine {
  bool help = false;
  bool version = false;
  std::optional<std::string> problem;  // a usage error, said on standard error
  const char* languageWord = nullptr;  // from --lang: the word the first argument would be
};

const char* LanguageWord(std::string_view code) {
  if (code == "en") return "ENGLISH";
  if (code == "cz" || code == "cs") return "CESKY";
  if (code == "de") return "DEUTSCH";
  return nullptr;
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
  return line;
}

}  // namespace

int main(int argc, char* argv[]) {
  const CommandLine line = ParseCommandLine(argc, argv);
  if (line.problem) {
    std::fprintf(stderr, "qm17: %s\n%s", line.problem->c_str(), kUsage);
    return 2;
  }
  if (line.help) {
    std::fputs(kUsage, stdout);
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
  QStringList arguments = QApplication::arguments();
  // --lang stands for the language word, which start-up reads from the first argument.
  if (line.languageWord)
    arguments = QStringList{arguments.value(0), QString::fromLatin1(line.languageWord)};
  qm17::MainWindow window;
  // Before start-up, whose port message may wait for a user who is logging out.
  window.InstallShutdownHandlers();
  window.FormCreate(arguments);
  if (window.ShutdownRequested()) return 0;  // closed and saved already
  window.show();
  qm17::ShownProbe::InstallIfAsked(window);
  return QApplication::exec();
}
