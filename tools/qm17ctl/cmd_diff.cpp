// The diff command: which values two parameter sets hold differently.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command_line_session.h"
#include "commands.h"
#include "params/device_image.h"
#include "params/differences.h"
#include "results.h"
#include "texts/texts.h"

namespace qm17::ctl {

namespace {

// Unlike the other commands, 1 means "they differ"; a set that cannot be had is trouble,
// reported with 2 as diff and cmp do, so that a missing file never reads as a difference.
constexpr int kExitDiffer = 1;
constexpr int kExitTrouble = 2;

extern const Command kDiff;

int PrintList(const CommandContext& context, const DeviceImage& before, const DeviceImage& after,
              bool json);

// One side of the comparison: the set as the window would hold it after File > Open.
std::optional<DeviceImage> LoadSide(const CommandContext& context, const std::string& file) {
  CommandLineSession run(context, context.err);
  if (!run.OpenFile(file)) return std::nullopt;
  Session& session = run.session();
  session.ReadControlsToImage();
  session.NormaliseImage();
  return session.Image();
}

int RunDiff(const CommandContext& context, const std::vector<std::string>& args) {
  std::vector<std::string> files;
  std::optional<std::string> port;
  bool json = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--json") {
      json = true;
      continue;
    }
    if (arg == "--port") {
      if (i + 1 >= args.size()) return UsageError(context, kDiff, "--port needs a value");
      port = args[++i];
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') return UsageError(context, kDiff, "unknown option " + arg);
    files.push_back(arg);
  }
  if (port) {
    if (files.size() != 1) return UsageError(context, kDiff, "expected one FILE with --port");
    const std::optional<DeviceImage> window = LoadSide(context, files[0]);
    if (!window) return kExitTrouble;
    DeviceImage unit{};
    if (const int status = ReadUnitImage(context, *port, unit); status != kExitOk) {
      return status == kExitFailure ? kExitTrouble : status;  // 1 means "they differ"
    }
    return PrintList(context, *window, unit, json);
  }
  if (files.size() != 2) return UsageError(context, kDiff, "expected two FILEs");
  if (files[0] == "-" && files[1] == "-") {
    return UsageError(context, kDiff, "standard input can be only one FILE");
  }
  const std::optional<DeviceImage> before = LoadSide(context, files[0]);
  const std::optional<DeviceImage> after = before ? LoadSide(context, files[1]) : std::nullopt;
  if (!after) return kExitTrouble;
  return PrintList(context, *before, *after, json);
}

int PrintList(const CommandContext& context, const DeviceImage& before, const DeviceImage& after,
              bool json) {
  const std::vector<Difference> differences = CompareParameterBlocks(before, after);
  if (json) {
    context.out << "{\"command\": \"diff\", \"same\": " << (differences.empty() ? "true" : "false")
                << ", \"differences\": " << JsonDifferences(differences) << "}\n";
  } else if (differences.empty()) {
    context.out << ExtraText(context.language, TextSameSets) << '\n';
  } else {
    const ChangeWording wording = ChangeWordingFor(context.language);
    for (const Difference& difference : differences) {
      context.out << FormatDifference(wording, difference) << '\n';
    }
  }
  if (!OutputWritten(context)) return kExitTrouble;
  return differences.empty() ? kExitOk : kExitDiffer;
}

const Command kDiff{
    "diff", "A B | --port P FILE [--json]",
    "list the values that parameter files A and B (or FILE and the unit) hold differently",
    "Each line names a value as the window does, with A's value, then B's ('-': standard\n"
    "input for one of them). Both are compared as the window holds them after Open:\n"
    "normalised, each value in its control's range. With --port the unit's block on port P\n"
    "is read (nothing is written to it) and compared as the unit holds it, FILE's value first.\n"
    "--json prints one object instead (see qm17ctl --help).\n"
    "Exit status: 0 the same, 1 they differ, 2 bad usage, a file that cannot be read or a\n"
    "unit that gave no block, 3 when the port cannot be opened.\n",
    RunDiff};

const Command kDiffCommands[] = {kDiff};

}  // namespace

std::span<const Command> DiffCommands() {
  return kDiffCommands;
}

}  // namespace qm17::ctl
