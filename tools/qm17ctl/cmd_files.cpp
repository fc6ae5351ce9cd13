// Commands on parameter files: new, show, normalise.

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "command_line_session.h"
#include "commands.h"
#include "files/atomic_file.h"
#include "files/parameter_file.h"
#include "params/device_image.h"
#include "params/ignition_parameters.h"
#include "results.h"
#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17::ctl {

namespace {

// "-" writes to standard output; a file is replaced only once it is completely written.
int WriteOutput(const CommandContext& context, const std::string& path,
                const std::string& content) {
  if (path == "-") {
    context.out << content;
    return OutputWritten(context) ? kExitOk : kExitFailure;
  }
  errno = 0;
  if (!WriteFileAtomically(path, content)) {
    TellFileError(context, path);
    return kExitFailure;
  }
  return kExitOk;
}

bool IsOption(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-';
}

extern const Command kNew;
extern const Command kShow;
extern const Command kNormalise;

int RunNew(const CommandContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(context, kNew, "expected one FILE");
  if (IsOption(args[0])) return UsageError(context, kNew, "unknown option " + args[0]);
  DeviceImage image{};
  SetDefaultImage(image);
  return WriteOutput(context, args[0], WriteParameterFile(image));
}

const char* PolarityName(int polarity) {
  static const char* const kNames[kPolarityItemCount] = {"positive", "negative", "selfsearch"};
  return kNames[polarity];
}

void PrintTable(std::ostream& out, const IgnitionParameters& p) {
  const auto row = [&out](const char* caption, int value) {
    std::ostringstream line;
    line.width(26);
    line << std::left << caption;
    line.width(6);
    line << std::right << value;
    out << line.str() << '\n';
  };
  row("Number of items", p.pointCount);
  row("Base advance [deg]", p.baseAdvance);
  row("Start limiter [rpm]", p.startLimiterRpm);
  row("Limiter [rpm]", p.limiterRpm);
  row("Retard [deg]", p.retard);
  row("Ignitions per revolution", p.ignitionsPerRev);
  row("Gear Shift Light [rpm]", p.shiftLightRpm);
  out << "Polarity of CKPS          " << PolarityName(p.polarity) << '\n';
  out << "\nPoint    RPM  Advance [deg]\n";
  for (std::size_t i = 0; i < kPointCount; ++i) {
    std::ostringstream line;
    line.width(5);
    line << i + 1;
    line.width(7);
    line << p.pointSpeedRpm[i];
    line.width(9);
    line << p.pointAdvance[i];
    // Points beyond the number of items are kept and sent, but the window hides them.
    if (static_cast<int>(i) >= p.pointCount) line << "  (unused)";
    out << line.str() << '\n';
  }
}

// The set's note after the table, each line indented; nothing without one.
void PrintNote(std::ostream& out, const std::string& note) {
  if (note.empty()) return;
  out << "\nNote:\n";
  for (std::size_t start = 0; start <= note.size();) {
    const std::size_t end = std::min(note.find('\n', start), note.size());
    out << "  " << Printable(note.substr(start, end - start)) << '\n';
    start = end + 1;
  }
}

void PrintJson(std::ostream& out, const IgnitionParameters& p, const std::string& note) {
  out << "{\n"
      << "  \"pointCount\": " << p.pointCount << ",\n"
      << "  \"baseAdvance\": " << p.baseAdvance << ",\n"
      << "  \"startLimiterRpm\": " << p.startLimiterRpm << ",\n"
      << "  \"limiterRpm\": " << p.limiterRpm << ",\n"
      << "  \"retard\": " << p.retard << ",\n"
      << "  \"ignitionsPerRev\": " << p.ignitionsPerRev << ",\n"
      << "  \"shiftLightRpm\": " << p.shiftLightRpm << ",\n"
      << "  \"polarity\": \"" << PolarityName(p.polarity) << "\",\n"
      << "  \"points\": [\n";
  for (std::size_t i = 0; i < kPointCount; ++i) {
    out << "    {\"rpm\": " << p.pointSpeedRpm[i] << ", \"advance\": " << p.pointAdvance[i] << "}"
        << (i + 1 < kPointCount ? "," : "") << '\n';
  }
  out << "  ]";
  if (!note.empty()) out << ",\n  \"note\": " << JsonString(note);
  out << "\n}\n";
}

int RunShow(const CommandContext& context, const std::vector<std::string>& args) {
  bool json = false;
  std::optional<std::string> file;
  for (const auto& arg : args) {
    if (arg == "--json") {
      json = true;
    } else if (IsOption(arg)) {
      return UsageError(context, kShow, "unknown option " + arg);
    } else if (file) {
      return UsageError(context, kShow, "expected one FILE");
    } else {
      file = arg;
    }
  }
  if (!file) return UsageError(context, kShow, "expected one FILE");
  CommandLineSession run(context, context.err);
  if (!run.OpenFile(*file)) return kExitFailure;
  const IgnitionParameters params = ParametersFromImage(run.session().Image());
  if (json) {
    PrintJson(context.out, params, run.session().Note());
  } else {
    PrintTable(context.out, params);
    PrintNote(context.out, run.session().Note());
  }
  return OutputWritten(context) ? kExitOk : kExitFailure;
}

int RunNormalise(const CommandContext& context, const std::vector<std::string>& args) {
  std::optional<std::string> file;
  std::string output = "-";
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--output") {
      if (i + 1 == args.size()) return UsageError(context, kNormalise, arg + " needs OUT");
      output = args[++i];
    } else if (IsOption(arg)) {
      return UsageError(context, kNormalise, "unknown option " + arg);
    } else if (file) {
      return UsageError(context, kNormalise, "expected one FILE");
    } else {
      file = arg;
    }
  }
  if (!file) return UsageError(context, kNormalise, "expected one FILE");
  CommandLineSession run(context, context.err);
  if (!run.OpenFile(*file)) return kExitFailure;
  // As the window saves it: the set read back from the controls, normalised.
  Session& session = run.session();
  session.ReadControlsToImage();
  session.NormaliseImage();
  // The file's note stays with its set.
  return WriteOutput(context, output, WriteParameterFile(session.Image(), session.Note()));
}

const Command kNew{"new", "FILE", "write the default parameter set to FILE ('-': standard output)",
                   "", RunNew};
const Command kShow{"show", "FILE [--json]",
                    "print the parameter set of FILE ('-': standard input)",
                    "  --json    print JSON instead of a table\n", RunShow};
const Command kNormalise{
    "normalise", "FILE [-o OUT]",
    "write FILE as the window saves it: normalised, each value in range",
    "  -o, --output OUT   where to write ('-' or none: standard output); a file is replaced\n"
    "                     only once it is completely written\n",
    RunNormalise};

const Command kFileCommands[] = {kNew, kShow, kNormalise};

}  // namespace

bool OutputWritten(const CommandContext& context) {
  context.out.flush();
  if (context.out) return true;
  context.err << "qm17ctl: standard output cannot be written\n";
  return false;
}

std::span<const Command> FileCommands() {
  return kFileCommands;
}

}  // namespace qm17::ctl
