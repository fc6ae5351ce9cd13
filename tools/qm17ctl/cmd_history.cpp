// The history command: the parameter sets that read and program kept, newest first.

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "commands.h"
#include "files/history.h"
#include "session/history_recorder.h"

namespace qm17::ctl {

namespace {

extern const Command kHistory;

std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

// The note's first line, and "…" where more follows.
std::string NoteSummary(const std::string& note) {
  const std::size_t end = note.find('\n');
  return end == std::string::npos ? note : note.substr(0, end) + " …";
}

int RunHistory(const CommandContext& context, const std::vector<std::string>& args) {
  std::size_t limit = 0;  // all
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "-n") return UsageError(context, kHistory, "unexpected argument " + args[i]);
    const std::string value = i + 1 < args.size() ? args[++i] : "";
    if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != value.npos ||
        std::atoi(value.c_str()) == 0) {
      return UsageError(context, kHistory, "-n takes a positive number");
    }
    limit = static_cast<std::size_t>(std::atoi(value.c_str()));
  }
  for (const auto& [path, entry] : ListHistoryEntries(HistoryFolder(), limit)) {
    context.out << path;
    if (entry) {
      context.out << "  " << Printable(entry->operation) << "  "
                  << Printable(entry->unitVersion + " " + entry->unitDate + " " + entry->unitTime);
      if (!entry->file.empty()) context.out << "  " << Printable(entry->file);
      if (!entry->note.empty()) context.out << "  note: " << Printable(NoteSummary(entry->note));
    }
    context.out << '\n';
  }
  return OutputWritten(context) ? kExitOk : kExitFailure;
}

const Command kHistory{
    "history", "[-n N]", "list the kept parameter sets, newest first (the N newest)",
    "Each successful read and program keeps the set as a parameter file of its own in\n"
    "$XDG_DATA_HOME/qm17/history (else ~/.local/share/qm17/history), the newest 1000 of\n"
    "them; any of them opens like any parameter file (show, diff, program, File > Open).\n"
    "Each line: the file, the operation, the unit's version, date and time, the file read or\n"
    "programmed, and the set's note (its first line).\n",
    RunHistory};

const Command kHistoryCommands[] = {kHistory};

}  // namespace

std::span<const Command> HistoryCommands() {
  return kHistoryCommands;
}

}  // namespace qm17::ctl
