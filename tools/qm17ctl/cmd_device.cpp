// Commands that talk to a unit: read, verify, program and monitor. They run the window's
// session and its use cases, on real 55 ms ticks.

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "command_line_session.h"
#include "commands.h"
#include "console.h"
#include "device/link.h"
#include "device/monitor.h"
#include "files/atomic_file.h"
#include "files/parameter_file.h"
#include "params/com_port.h"
#include "params/device_image.h"
#include "params/differences.h"
#include "results.h"
#include "session/live_display.h"
#include "session/outcome_display.h"
#include "texts/printable.h"
#include "texts/texts.h"

namespace qm17::ctl {
namespace {

constexpr int kExitPortError = 3;  // the port cannot be opened

// A Program needs at most three frames of five sends each after a first time-out; far beyond
// that the tool stops rather than hang.
constexpr int kOperationTickLimit = 200;
// `monitor --count N` gives up after this many ticks (about 5.5 s) without a monitor frame.
constexpr int kMonitorSilenceLimit = 100;

struct Arguments {
  std::string port;
  std::string file;    // verify, program
  std::string output;  // read -o
  long count = 0;      // monitor: 0 runs until interrupted
  bool csv = false;
  bool json = false;                // the result (monitor: each frame) as one JSON object per line
  bool history = true;              // read, program: keep the set in the parameter history
  std::optional<std::string> note;  // program: the note kept with the set instead of FILE's
};

std::optional<long> ParsePositive(const std::string& text) {
  if (text.empty() || text.size() > 9) return {};
  for (char c : text) {
    if (c < '0' || c > '9') return {};
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value <= 0) return {};
  return value;
}

// Empty after a usage error, which has been reported.
std::optional<Arguments> ParseArguments(const CommandContext& context, const Command& command,
                                        const std::vector<std::string>& args) {
  const std::string_view name = command.name;
  const bool takesFile = name == "verify" || name == "program";
  Arguments parsed;
  const auto fail = [&](const std::string& problem) -> std::optional<Arguments> {
    UsageError(context, command, problem);
    return std::nullopt;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--port" || (arg == "-o" && name == "read") ||
        (arg == "--count" && name == "monitor")) {
      if (!hasValue) return fail(arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--port") {
        parsed.port = value;
      } else if (arg == "-o") {
        parsed.output = value;
      } else {
        const auto count = ParsePositive(value);
        if (!count) return fail("--count takes a positive number");
        parsed.count = *count;
      }
    } else if (arg == "--csv" && name == "monitor") {
      parsed.csv = true;
    } else if (arg == "--json") {
      parsed.json = true;
    } else if (arg == "--note" && name == "program") {
      if (!hasValue) return fail(arg + " needs a value");
      parsed.note = args[++i];
    } else if (arg == "--no-history" && (name == "read" || name == "program")) {
      parsed.history = false;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return fail("unknown option " + arg);
    } else if (takesFile && parsed.file.empty()) {
      parsed.file = arg;
    } else {
      return fail("unexpected argument " + arg);
    }
  }
  if (parsed.port.empty()) return fail("--port is required");
  if (takesFile && parsed.file.empty()) return fail("a parameter FILE is required");
  return parsed;
}

// A port number 1..10 names a device through the user's settings; anything else is the
// system's own name for a device, where it takes one.
std::optional<std::string> ResolvePort(const Session& session, const std::string& port) {
  if (port.find_first_not_of("0123456789") != std::string::npos) return PortDeviceName(port);
  const auto number = ParsePositive(port);
  const std::optional<ComPort> com = number ? ComPort::FromNumber(*number) : std::nullopt;
  if (!com) return std::nullopt;
  // As the window's Com menu names it; without a settings file the default devices apply.
  return session.ComDevice(com->Number());
}

// Real 55 ms ticks on the steady clock, without drift. A tick that ran late is not followed by
// a burst of catch-up ticks, as with a window's timer.
class TickClock {
 public:
  TickClock() : m_next(std::chrono::steady_clock::now()) {}
  void WaitForNextTick() {
    const auto period = std::chrono::milliseconds(timing::kTickMs);
    m_next += period;
    const auto now = std::chrono::steady_clock::now();
    if (m_next < now) m_next += (now - m_next) / period * period;
    std::this_thread::sleep_until(m_next);
  }

 private:
  std::chrono::steady_clock::time_point m_next;
};

// Opens the port as the session's line, runs `body` with a stop from the keyboard (or SIGTERM)
// turned into a clean stop.
template <typename Body>
int WithPort(const CommandContext& context, Session& session, const std::string& port, Body body) {
  const auto device = ResolvePort(session, port);
  if (!device) {
    context.err << "qm17ctl: " << kPortWords << '\n';
    return kExitUsage;
  }
  if (!session.OpenLine(*device)) return kExitPortError;  // the session has said why
  const StopRequests stops;
  return body();
}

// Ticks the session on real 55 ms ticks until its operation has ended; false when the tick
// limit or a stop signal came first (a stop is said).
bool RunUntilIdle(const CommandContext& context, Session& session) {
  const auto running = [&session] { return session.LinkState().operation() != Operation::Idle; };
  TickClock clock;
  // A set kept in the history waits for the unit's programming count, about a poll away.
  for (int ticks = 0;
       (running() || session.HistoryPending()) && ticks < kOperationTickLimit && !StopRequested();
       ++ticks) {
    clock.WaitForNextTick();
    session.Tick();
  }
  if (!running()) return true;
  if (StopRequested()) context.err << "qm17ctl: interrupted\n";
  return false;
}

// What the unit holds unlike FILE's set, as the session keeps it after a failure.
std::vector<Difference> UnitDifferences(const Session& session) {
  const std::optional<HeldDifferences>& held = session.Held();
  if (!held || held->source != HeldSource::Unit) return {};
  return CompareParameterBlocks(held->window, held->other);
}

void PrintUnitDifferences(const CommandContext& context, const std::vector<Difference>& list) {
  if (list.empty()) return;
  context.err << ExtraText(context.language, TextUnitHoldsOtherwiseThanFile);
  const ChangeWording wording = ChangeWordingFor(context.language);
  for (const Difference& difference : list) {
    context.err << "\n  " << FormatDifference(wording, difference);
  }
  context.err << '\n';
}

// The stable word for how an operation ended, for scripts.
const char* ReasonWord(bool ended, const std::optional<LinkOutcome>& outcome) {
  if (!ended) return StopRequested() ? "\"interrupted\"" : "\"no-answer\"";
  if (!outcome || outcome->result == LinkResult::Succeeded) return "null";
  if (outcome->reason == FailureReason::BlockDiffers) return "\"differs\"";
  if (outcome->reason == FailureReason::VersionMismatch) return "\"version\"";
  return "\"no-answer\"";
}

int RunOperation(const CommandContext& context, std::string_view name, const Arguments& args,
                 CommandLineSession& run, std::ostream& progress) {
  Session& session = run.session();
  if (name == "read") {
    session.Read();
  } else if (name == "verify") {
    session.Verify();
  } else {
    session.Program();
  }
  const bool ended = RunUntilIdle(context, session);
  const IdentificationTexts& id = session.LinkState().identification();
  const bool identified = !id.version.empty() || !id.date.empty();
  if (identified) {
    progress << Printable(id.version) << " " << id.date << " " << id.time << '\n';
  }
  // Only a verified end counts; anything else (a failure, a mismatch, a stop) is a failure.
  const std::optional<LinkOutcome>& outcome = session.LastOutcome();
  const bool ok = ended && outcome && outcome->result == LinkResult::Succeeded;
  const std::vector<Difference> differences =
      !ok && outcome && outcome->reason == FailureReason::BlockDiffers ? UnitDifferences(session)
                                                                       : std::vector<Difference>{};
  PrintUnitDifferences(context, differences);
  const bool toStdout = args.output.empty() || args.output == "-";
  if (ok && name == "read" && (!toStdout || !args.json)) {
    const std::string content = WriteParameterFile(session.Image());
    errno = 0;
    if (toStdout) {
      context.out << content << '\n';
      if (!OutputWritten(context)) return kExitFailure;
    } else if (!WriteFileAtomically(args.output, content)) {
      TellFileError(context, args.output);
      return kExitFailure;
    }
  }
  if (args.json) {
    std::optional<std::uint16_t> count;
    if (run.LiveCount() > 0) count = run.Live().programCount;
    context.out << "{\"command\": \"" << name << "\", \"ok\": " << (ok ? "true" : "false")
                << ", \"reason\": " << ReasonWord(ended, outcome)
                << ", \"unit\": " << (identified ? JsonUnit(id, count) : "null") << ", \"output\": "
                << (ok && name == "read" && !toStdout ? JsonString(args.output) : "null")
                << ", \"parameters\": "
                << (ok && name == "read" ? JsonParameters(session.Image()) : "null")
                << ", \"differences\": " << JsonDifferences(differences) << "}\n";
    if (!OutputWritten(context)) return kExitFailure;
  }
  return ok ? kExitOk : kExitFailure;
}

void PrintCsvLine(std::ostream& out, double seconds, const LiveValues& v) {
  char head[160];
  std::snprintf(head, sizeof head, "%.3f,%u,%u,%u.%03u,%d,%d,%d,%d,%d,%d,%u", seconds, v.rpm,
                v.advance, static_cast<unsigned>(v.millivolts / 1000),
                static_cast<unsigned>(v.millivolts % 1000), v.speedAlarm, v.speedWarning,
                v.startLimiterActive, v.retardActive, v.polarityNegative, v.polarityFlag,
                v.programCount);
  out << head;
  for (std::uint16_t test : v.tests) out << ',' << test;
  out << std::endl;
}

void PrintLiveLine(std::ostream& out, const LiveValues& v, Language language,
                   std::uint8_t limiterByte) {
  const MonitorDisplay d = FormatMonitor(v, language, limiterByte);
  out << d.rpmText << "| " << d.voltageText << " | " << d.advanceText << " | " << d.startLimiterText
      << " | " << d.retardText << " | " << d.polarityText << " | " << d.programCountText
      << std::endl;
}

int RunMonitor(const CommandContext& context, const Arguments& args, CommandLineSession& run) {
  Session& session = run.session();
  if (args.csv && !args.json) {
    context.out << "time_s,rpm,advance_deg,voltage_v,speed_alarm,speed_warning,start_limiter,"
                   "retard,polarity_negative,polarity_ok,program_count,test1,test2,test3,test4,"
                   "test5,test6,test7,test8"
                << std::endl;
  }
  const auto start = std::chrono::steady_clock::now();
  TickClock clock;
  long shown = 0;
  int silentTicks = 0;
  // A logger outlives a pulled adapter or a restarted unit: the session's tick opens a lost
  // line again about once a second.
  while (!StopRequested() && (args.count == 0 || shown < args.count)) {
    clock.WaitForNextTick();
    session.Tick();
    if (run.LiveCount() == shown) {
      if (args.count > 0 && ++silentTicks >= kMonitorSilenceLimit) return kExitFailure;
      continue;
    }
    silentTicks = 0;
    shown = run.LiveCount();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (args.json) {
      context.out << JsonLive(elapsed.count(), run.Live()) << std::endl;
    } else if (args.csv) {
      PrintCsvLine(context.out, elapsed.count(), run.Live());
    } else {
      PrintLiveLine(context.out, run.Live(), context.language,
                    session.Image()[image_byte::kLimiter]);
    }
    if (!OutputWritten(context)) return kExitFailure;  // a logger that cannot log stops
  }
  return kExitOk;
}

extern const Command kRead;
extern const Command kVerify;
extern const Command kProgram;
extern const Command kMonitor;

int RunUnitOperation(const CommandContext& context, const Command& command,
                     const std::vector<std::string>& argv) {
  const auto args = ParseArguments(context, command, argv);
  if (!args) return kExitUsage;
  const std::string_view name = command.name;
  // Standard output carries only the result asked for (the parameters of a read, the JSON);
  // the steps and the unit's identification go with the messages.
  std::ostream& progress = context.err;
  CommandLineSession run(context, progress);
  Session& session = run.session();
  session.SetKeepHistory(args->history);
  session.SetReadFileName(HistoryFileName(args->output));
  // A file that cannot be used never gets as far as the unit.
  if (!args->file.empty() && !run.OpenFile(args->file)) return kExitFailure;
  if (args->note) session.SetNote(*args->note);
  return WithPort(context, session, args->port,
                  [&] { return RunOperation(context, name, *args, run, progress); });
}

int RunRead(const CommandContext& context, const std::vector<std::string>& args) {
  return RunUnitOperation(context, kRead, args);
}
int RunVerify(const CommandContext& context, const std::vector<std::string>& args) {
  return RunUnitOperation(context, kVerify, args);
}
int RunProgram(const CommandContext& context, const std::vector<std::string>& args) {
  return RunUnitOperation(context, kProgram, args);
}
int RunMonitorCommand(const CommandContext& context, const std::vector<std::string>& argv) {
  const auto args = ParseArguments(context, kMonitor, argv);
  if (!args) return kExitUsage;
  CommandLineSession run(context, context.out);
  run.SetQuiet(true);
  return WithPort(context, run.session(), args->port,
                  [&] { return RunMonitor(context, *args, run); });
}

constexpr char kOperationDetails[] =
    "P is a port number 1..10 (the device named in the [PORTS] section of the settings file,\n"
    "else /dev/ttyUSB0 for 1, /dev/ttyUSB1 for 2 ... on Linux, COM1, COM2 ... on Windows),\n"
    "a device path (Linux) or COMn, \\\\.\\COMn (Windows). A FILE of '-' is\n"
    "standard input; read writes to standard output without -o or with -o -.\n"
    "Standard output carries only that, or with --json one object (see qm17ctl --help); the\n"
    "steps (\"Read:\", \"Verify: OK\") and the unit's identification go to standard error.\n"
    "Exit status: 0 after \"Verify: OK\", 1 when the operation fails or the unit does not\n"
    "match, 2 on bad usage, 3 when the port cannot be opened.\n"
    "A successful read or program keeps the set in the parameter history (see history);\n"
    "--no-history does not. program --note TEXT keeps TEXT as the set's note in the history\n"
    "instead of FILE's own (FILE is not changed; see note).\n";
constexpr char kMonitorDetails[] =
    "P is a port number 1..10 or the system's name for a port, as for read.\n"
    "--csv writes a header, then one line per monitor frame: time, speed, advance, voltage,\n"
    "flags, number of programmings and the eight test values.\n"
    "Without --count it runs until interrupted and reopens a vanished device about once a\n"
    "second. With --count N it stops after N frames (exit 0) or after about 5.5 s without\n"
    "one (exit 1). --json writes one JSON object per frame instead (see qm17ctl --help).\n";

const Command kRead{"read", "--port P [-o FILE] [--no-history] [--json]",
                    "read the unit's parameters (to FILE, else to standard output)",
                    kOperationDetails, RunRead};
const Command kVerify{"verify", "--port P FILE [--json]",
                      "check that the unit holds FILE's parameters", kOperationDetails, RunVerify};
const Command kProgram{"program", "--port P FILE [--note TEXT] [--no-history] [--json]",
                       "write FILE's parameters into the unit", kOperationDetails, RunProgram};
const Command kMonitor{"monitor", "--port P [--count N] [--csv | --json]",
                       "show the unit's live values (N frames, or until interrupted)",
                       kMonitorDetails, RunMonitorCommand};

const Command kDeviceCommands[] = {kRead, kVerify, kProgram, kMonitor};

}  // namespace

int ReadUnitImage(const CommandContext& context, const std::string& port, DeviceImage& unit) {
  std::ostringstream unused;
  CommandLineSession run(context, unused);
  run.SetQuiet(true);
  Session& session = run.session();
  // Only looking: nothing of this read goes into the history.
  session.SetKeepHistory(false);
  return WithPort(context, session, port, [&] {
    // A Read sends only read frames; its verify step's answer is the unit's own block, even
    // where the unit holds values the window would show mended.
    session.Read();
    // A stop has been said; it is no unit that failed to answer.
    if (!RunUntilIdle(context, session) && StopRequested()) return kExitFailure;
    const auto& block = session.LinkState().LastUnitBlock();
    if (!block) {
      // A version mismatch has shown its own message.
      const std::optional<LinkOutcome>& outcome = session.LastOutcome();
      if (!outcome || outcome->reason != FailureReason::VersionMismatch) {
        const OutcomeDisplay shown = DisplayForOutcome(
            outcome && outcome->result == LinkResult::Failed
                ? *outcome
                : LinkOutcome{Operation::Read, LinkResult::Failed, FailureReason::NoAnswer},
            context.language);
        context.err << shown.status.value_or("") << '\n';
        if (!shown.detail.empty()) context.err << "  " << shown.detail << '\n';
      }
      return kExitFailure;
    }
    unit = session.Image();
    std::copy(block->begin(), block->end(), unit.begin() + image_byte::kParameterBlock);
    return kExitOk;
  });
}

std::span<const Command> DeviceCommands() {
  return kDeviceCommands;
}

}  // namespace qm17::ctl
