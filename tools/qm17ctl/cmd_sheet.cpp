// The sheet command: the setup sheet of a parameter file as a one-page PDF.

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command_line_session.h"
#include "commands.h"
#include "session/setup_sheet.h"
#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17::ctl {

namespace {

extern const Command kSheet;

int RunSheet(const CommandContext& context, const std::vector<std::string>& args) {
  std::optional<std::string> file;
  std::optional<std::string> output;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--output") {
      if (i + 1 == args.size()) return UsageError(context, kSheet, arg + " needs OUT");
      output = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(context, kSheet, "unknown option " + arg);
    } else if (file) {
      return UsageError(context, kSheet, "expected one FILE");
    } else {
      file = arg;
    }
  }
  if (!file) return UsageError(context, kSheet, "expected one FILE");
  if (!output) return UsageError(context, kSheet, "-o OUT is required");
  // The set as the window shows it once opened: normalised, each value in its box's range.
  CommandLineSession run(context, context.err);
  if (!run.OpenFile(*file)) return kExitFailure;
  const SetupSheet sheet =
      SheetOfSession(run.session(), std::nullopt, std::chrono::system_clock::now());
  if (*output == "-") {
    context.out << SetupSheetPdf(sheet);
    return OutputWritten(context) ? kExitOk : kExitFailure;
  }
  if (const std::string why = WriteSetupSheet(*output, sheet); !why.empty()) {
    context.err << Message(context, MsgOpenFileError) << ' ' << Printable(*output) << ": " << why
                << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

const Command kSheet{
    "sheet", "FILE -o OUT",
    "write FILE's setup sheet, a one-page PDF, to OUT ('-': standard output)",
    "The page holds the set as a table, its curve, its note, the file's name and the date,\n"
    "in the language of --lang, as text that can be selected and searched. The file is\n"
    "replaced only once it is completely written.\n",
    RunSheet};

const Command kSheetCommands[] = {kSheet};

}  // namespace

std::span<const Command> SheetCommands() {
  return kSheetCommands;
}

}  // namespace qm17::ctl
