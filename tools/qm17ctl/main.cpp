// qm17ctl: parameter files and the unit from the command line.

#include <cstddef>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "console.h"
#include "results.h"
#include "session/settings_codec.h"
#include "texts/texts.h"

namespace qm17::ctl {

namespace {

// Every group of commands the program offers.
std::vector<std::span<const Command>> CommandGroups() {
  return {FileCommands(),   NoteCommands(),    SheetCommands(), DiffCommands(),
          DeviceCommands(), HistoryCommands(), PortCommands()};
}

const Command* FindCommand(std::string_view name) {
  for (const auto& group : CommandGroups()) {
    for (const auto& command : group) {
      if (name == command.name) return &command;
    }
  }
  return nullptr;
}

void PrintUsage(std::ostream& out) {
  out << "usage: qm17ctl [--lang cz|en|de] COMMAND [ARGS...]\n"
         "       qm17ctl COMMAND --help   (or: qm17ctl help COMMAND)\n"
         "       qm17ctl --version\n\ncommands:\n";
  for (const auto& group : CommandGroups()) {
    for (const auto& command : group) {
      std::string line = "  " + std::string(command.name) + " " + command.synopsis;
      if (line.size() < 30) line.resize(30, ' ');
      out << line << "  " << command.summary << '\n';
    }
  }
  out << "\nAn option's value may follow it or an equals sign: --port 1, --port=1.\n"
         "--lang cs is the same as cz.\n"
         "Standard output carries only the result a command was asked for; its steps and\n"
         "messages go to standard error.\n\n"
      << kJsonSchema
      << "\nexit status: 0 done, 1 failed (the message says why), 2 bad usage,\n"
         "             3 the port cannot be opened\n";
}

int Main(const std::vector<std::string>& args) {
  Language language = Language::English;
  bool help = false;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    std::optional<std::string_view> langValue;
    if (arg == "--lang") {
      if (i + 1 == args.size()) {
        std::cerr << "qm17ctl: --lang needs cz, cs, en or de\n";
        PrintUsage(std::cerr);
        return kExitUsage;
      }
      langValue = args[++i];
    } else if (arg.substr(0, 7) == "--lang=") {
      langValue = arg.substr(7);
    } else if (arg == "--help" || arg == "-h") {
      help = true;
      continue;
    } else if (arg == "--version" && rest.empty()) {
      const CommandContext context{language, std::cout, std::cerr};
      context.out << "qm17ctl " << QM17_VERSION << '\n';
      return OutputWritten(context) ? kExitOk : kExitFailure;
    } else if (const std::size_t equals = arg.find('=');
               arg.starts_with("--") && equals != std::string_view::npos) {
      // "--port=1" is "--port 1" for every command.
      rest.emplace_back(arg.substr(0, equals));
      rest.emplace_back(arg.substr(equals + 1));
      continue;
    } else {
      rest.emplace_back(arg);
      continue;
    }
    const std::optional<Language> parsed = LanguageFromCode(*langValue);
    if (!parsed) {
      std::cerr << "qm17ctl: unknown language '" << *langValue << "' (cz, cs, en or de)\n";
      PrintUsage(std::cerr);
      return kExitUsage;
    }
    language = *parsed;
  }
  // "help COMMAND" is "COMMAND --help"; "help" alone the list of commands.
  if (!rest.empty() && rest.front() == "help") {
    help = true;
    rest.erase(rest.begin());
  }
  if (rest.empty()) {
    PrintUsage(help ? std::cout : std::cerr);
    return help ? kExitOk : kExitUsage;
  }
  const Command* command = FindCommand(rest.front());
  if (command == nullptr) {
    std::cerr << "qm17ctl: unknown command '" << rest.front() << "'\n";
    PrintUsage(std::cerr);
    return kExitUsage;
  }
  if (help) {
    PrintCommandHelp(std::cout, *command);
    return kExitOk;
  }
  const CommandContext context{language, std::cout, std::cerr};
  rest.erase(rest.begin());
  return command->run(context, rest);
}

}  // namespace

void PrintCommandHelp(std::ostream& out, const Command& command) {
  out << "usage: qm17ctl [--lang cz|en|de] " << command.name << " " << command.synopsis << "\n"
      << command.summary << "\n"
      << command.details;
}

int UsageError(const CommandContext& context, const Command& command, const std::string& problem) {
  context.err << "qm17ctl " << command.name << ": " << problem << '\n';
  PrintCommandHelp(context.err, command);
  return kExitUsage;
}

std::string Message(const CommandContext& context, int entry) {
  return MessageTexts(context.language, entry);
}

}  // namespace qm17::ctl

int main(int argc, char** argv) {
  qm17::ctl::PrepareConsole();
  return qm17::ctl::Main(qm17::ctl::Utf8Arguments(argc, argv));
}
