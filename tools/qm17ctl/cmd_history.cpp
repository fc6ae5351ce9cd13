// The history command: the parameter sets that read and program kept, newest first.

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "commands.h"
#include "files/history.h"
#include "results.h"
#include "session/history_recorder.h"
#include "texts/printable.h"

namespace qm17::ctl {

namespace {

extern const Command kHistory;

// The note's first line, and "…" where more follows.
std::string NoteSummary(const std::string& note) {
  const std::size_t end = note.find('\n');
  return end == std::string::npos ? note : note.substr(0, end) + " …";
}

std::string JsonEntry(const std::string& path, const std::optional<HistoryEntry>& entry) {
  std::string out = "{\"path\": " + JsonString(path);
  if (!entry) return out + ", \"operation\": null}";
  out += ", \"operation\": " + JsonString(entry->operation) +
         ", \"savedAt\": " + JsonString(entry->savedAt) + ", \"unit\": " +
         JsonUnit({entry->unitVersion, entry->unitDate, entry->unitTime}, entry->programCount) +
         ", \"file\": " + (entry->file.empty() ? "null" : JsonString(entry->file)) +
         ", \"note\": " + (entry->note.empty() ? "null" : JsonString(entry->note));
  return out + "}";
}

int RunHistory(const CommandContext& context, const std::vector<std::string>& args) {
  std::size_t limit = 0;  // all
  bool json = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      json = true;
      continue;
    }
    if (args[i] != "-n") return UsageError(context, kHistory, "unexpected argument " + args[i]);
    const std::string value = i + 1 < args.size() ? args[++i] : "";
    if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != value.npos ||
        std::atoi(value.c_str()) == 0) {
      return UsageError(context, kHistory, "-n takes a positive number");
    }
    limit = static_cast<std::size_t>(std::atoi(value.c_str()));
  }
  if (json) context.out << "{\"command\": \"history\", \"entries\": [";
  bool first = true;
  for (const auto& [path, entry] : ListHistoryEntries(HistoryFolder(), limit)) {
    if (json) {
      context.out << (first ? "" : ", ") << JsonEntry(path, entry);
      first = false;
      continue;
    }
    // One line of tab-separated columns; no value can hold a tab or a line end, as the filter
    // makes every control a '?'.
    context.out << Printable(path);
    if (entry) {
      for (const std::string* column : {&entry->operation, &entry->unitVersion, &entry->unitDate,
                                        &entry->unitTime, &entry->file}) {
        context.out << '\t' << Printable(*column);
      }
      context.out << '\t' << Printable(NoteSummary(entry->note));
    } else {
      context.out << "\t\t\t\t\t\t";
    }
    context.out << '\n';
  }
  if (json) context.out << "]}\n";
  return OutputWritten(context) ? kExitOk : kExitFailure;
}

const Command kHistory{
    "history", "[-n N] [--json]", "list the kept parameter sets, newest first (the N newest)",
    "Each successful read and program keeps the set as a parameter file of its own in\n"
    "$XDG_DATA_HOME/qm17/history (else ~/.local/share/qm17/history), the newest 1000 of\n"
    "them; any of them opens like any parameter file (show, diff, program, File > Open).\n"
    "Each line holds tab-separated columns: the file, the operation, the unit's version, date\n"
    "and time, the file read or programmed, and the set's note (its first line); a column\n"
    "with nothing to show is empty. --json prints one object instead (see qm17ctl --help).\n",
    RunHistory};

const Command kHistoryCommands[] = {kHistory};

}  // namespace

std::span<const Command> HistoryCommands() {
  return kHistoryCommands;
}

}  // namespace qm17::ctl
