// Commands that talk to a unit: read, verify, program and monitor. They drive the same link
// state machine as the window, on real 55 ms ticks.

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "app/config_paths.h"
#include "app/port_failure_text.h"
#include "commands.h"
#include "device/link.h"
#include "device/monitor.h"
#include "device/posix_serial_port.h"
#include "files/atomic_file.h"
#include "files/parameter_file.h"
#include "files/settings_store.h"
#include "params/device_image.h"
#include "params/differences.h"
#include "params/ignition_parameters.h"
#include "session/outcome_display.h"
#include "texts/texts.h"

namespace qm17::ctl {
namespace {

constexpr int kExitPortError = 3;  // the port cannot be opened

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
  g_interrupted = 1;
}

// A Program needs at most three frames of five sends each after a first time-out; far beyond
// that the tool stops rather than hang.
constexpr int kOperationTickLimit = 200;
// `monitor --count N` gives up after this many ticks (about 5.5 s) without a monitor frame.
constexpr int kMonitorSilenceLimit = 100;
constexpr int kReopenTicks = 18;

struct Arguments {
  std::string port;
  std::string file;    // verify, program
  std::string output;  // read -o
  long count = 0;      // monitor: 0 runs until interrupted
  bool csv = false;
  bool history = true;  // read, program: keep the set in the parameter history
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

// A port number 1..10 names a device through the user's settings; a bare name that udev
// lists under /dev/serial/by-id is that link; anything else is a path.
std::optional<std::string> ResolvePort(const std::string& port) {
  if (port.find_first_not_of("0123456789") != std::string::npos) {
    const std::string byId = "/dev/serial/by-id/" + port;
    if (port.find('/') == std::string::npos && access(port.c_str(), F_OK) != 0 &&
        access(byId.c_str(), F_OK) == 0)
      return byId;
    return port;
  }
  const auto number = ParsePositive(port);
  if (!number || *number > 10) return std::nullopt;
  IniFile settings;
  settings.Load(SettingsFilePath());  // without a settings file the default devices apply
  return ComPortDevicePath(static_cast<int>(*number), settings);
}

// The unit's own text goes to a terminal: a control character in it could start an escape
// sequence (retitle or clear the terminal, hide what is printed), so each shows as '?'.
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

// What the link shows, for a command line: status changes are printed as they come, failures
// on the error stream.
class CommandLineView : public LinkView {
 public:
  // Status texts go to `progress`; failures always to the error stream.
  CommandLineView(const CommandContext& context, std::ostream& progress, DeviceImage& image,
                  bool quiet)
      : m_context(context), m_progress(progress), m_image(image), m_quiet(quiet) {}

  bool PrintLayout() const override { return false; }
  void ShowOutcome(const LinkOutcome& outcome) override {
    m_outcome = outcome;
    const OutcomeDisplay shown = DisplayForOutcome(outcome, m_context.language);
    if (shown.status && !m_quiet) {
      (shown.failure ? m_context.err : m_progress) << *shown.status << std::endl;
    }
    if (shown.message) m_context.err << *shown.message << '\n';
  }
  void SetStatusVisible(bool) override {}
  void SetGaugeVisible(bool) override {}
  void SetGaugeProgress(int) override {}
  void SetNoConnectionVisible(bool visible) override {
    if (visible && !m_noConnection) m_context.err << NoConnectionText(m_context.language) << '\n';
    m_noConnection = visible;
  }
  void ShowLiveValues(const LiveValues& values) override {
    m_live = values;
    ++m_liveCount;
  }
  void ShowCurrentPoint(const CurrentPoint&) override {}
  void NormaliseAndShowImage() override { NormaliseImage(m_image); }

  const std::optional<LinkOutcome>& outcome() const { return m_outcome; }  // the last one
  long liveCount() const { return m_liveCount; }
  const LiveValues& live() const { return m_live; }

 private:
  const CommandContext& m_context;
  std::ostream& m_progress;
  DeviceImage& m_image;
  bool m_quiet;
  std::optional<LinkOutcome> m_outcome;
  bool m_noConnection = false;
  long m_liveCount = 0;
  LiveValues m_live;
};

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

// Opens the port, runs `body` with SIGINT and SIGTERM turned into a clean stop.
template <typename Body>
int WithPort(const CommandContext& context, const std::string& port, Body body) {
  const auto device = ResolvePort(port);
  if (!device) {
    context.err << "qm17ctl: the port is a number 1..10 or a device path\n";
    return kExitUsage;
  }
  PosixSerialPort serial;
  if (!serial.Open(*device)) {
    context.err << PortOpenErrorText(context.language, *device, serial.LastFailure()) << '\n';
    return kExitPortError;
  }
  g_interrupted = 0;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  struct sigaction oldInt {
  }, oldTerm{};
  sigaction(SIGINT, &action, &oldInt);
  sigaction(SIGTERM, &action, &oldTerm);
  const int status = body(serial, *device);
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  return status;
}

int RunOperation(const CommandContext& context, const Command& command, const Arguments& args,
                 DeviceImage& image, SerialPort& port) {
  const std::string_view name = command.name;
  // When the parameters themselves go to standard output, the progress must not mix in.
  const bool toStdout = args.output.empty() || args.output == "-";
  std::ostream& progress = name == "read" && toStdout ? context.err : context.out;
  CommandLineView view(context, progress, image, false);
  DeviceLink link(image, port, view);
  if (name == "read") {
    link.StartRead();
  } else if (name == "verify") {
    link.StartVerify();
  } else {
    link.StartProgram(0);
  }
  TickClock clock;
  for (int ticks = 0;
       link.operation() != Operation::Idle && ticks < kOperationTickLimit && g_interrupted == 0;
       ++ticks) {
    clock.WaitForNextTick();
    link.Tick();
  }
  if (g_interrupted != 0 && link.operation() != Operation::Idle) {
    context.err << "qm17ctl: interrupted\n";
  }
  const IdentificationTexts& id = link.identification();
  if (!id.version.empty() || !id.date.empty()) {
    progress << Printable(id.version) << " " << id.date << " " << id.time << '\n';
  }
  // Only a verified end counts; anything else (a failure, a mismatch, a stop) is a failure.
  const auto& outcome = view.outcome();
  if (!outcome || outcome->result != LinkResult::Succeeded || link.operation() != Operation::Idle) {
    if (outcome && outcome->reason == FailureReason::BlockDiffers && link.LastUnitBlock()) {
      DeviceImage unit = image;
      std::copy(link.LastUnitBlock()->begin(), link.LastUnitBlock()->end(),
                unit.begin() + image_byte::kParameterBlock);
      PrintUnitDifferences(context, image, unit);
    }
    return kExitFailure;
  }
  if (name == "read") {
    const std::string content = WriteParameterFile(image);
    if (toStdout) {
      context.out << content << '\n';
      if (!OutputWritten(context)) return kExitFailure;
    } else if (!WriteFileAtomically(args.output, content)) {
      context.err << Message(context, MsgOpenFileError) << " " << args.output << '\n';
      return kExitFailure;
    }
  }
  // The unit's programming count is not known here: polling pauses while an operation runs.
  if (args.history && name != "verify") {
    KeepOperationInHistory(context, std::string(name), image, id, std::nullopt,
                           name == "read" ? args.output : args.file);
  }
  return kExitOk;
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

int RunMonitor(const CommandContext& context, const Arguments& args, DeviceImage& image,
               PosixSerialPort& port, const std::string& device) {
  CommandLineView view(context, context.out, image, true);
  DeviceLink link(image, port, view);
  if (args.csv) {
    context.out << "time_s,rpm,advance_deg,voltage_v,speed_alarm,speed_warning,start_limiter,"
                   "retard,polarity_negative,polarity_ok,program_count,test1,test2,test3,test4,"
                   "test5,test6,test7,test8"
                << std::endl;
  }
  const auto start = std::chrono::steady_clock::now();
  TickClock clock;
  long shown = 0;
  int silentTicks = 0;
  int reopenTicks = 0;
  while (g_interrupted == 0 && (args.count == 0 || shown < args.count)) {
    clock.WaitForNextTick();
    // A logger outlives a pulled adapter or a restarted unit: retry about once a second.
    if (port.Vanished() && ++reopenTicks >= kReopenTicks) {
      reopenTicks = 0;
      port.Open(device);
    }
    link.Tick();
    if (view.liveCount() == shown) {
      if (args.count > 0 && ++silentTicks >= kMonitorSilenceLimit) return kExitFailure;
      continue;
    }
    silentTicks = 0;
    shown = view.liveCount();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (args.csv) {
      PrintCsvLine(context.out, elapsed.count(), view.live());
    } else {
      PrintLiveLine(context.out, view.live(), context.language, image[image_byte::kLimiter]);
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
  DeviceImage image{};
  SetDefaultImage(image);
  if (!args->file.empty()) {
    // A file that cannot be used never gets as far as the unit.
    if (!OpenParameterFile(context, args->file, image)) return kExitFailure;
    // The window sends what its controls hold.
    HoldToControlRanges(image);
  }
  return WithPort(context, args->port, [&](PosixSerialPort& port, const std::string&) {
    return RunOperation(context, command, *args, image, port);
  });
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
  DeviceImage image{};
  SetDefaultImage(image);
  return WithPort(context, args->port, [&](PosixSerialPort& port, const std::string& device) {
    return RunMonitor(context, *args, image, port, device);
  });
}

constexpr char kOperationDetails[] =
    "P is a port number 1..10 (the device named in the [PORTS] section of the settings file,\n"
    "else /dev/ttyUSB0 for 1, /dev/ttyUSB1 for 2 ...) or a device path. A FILE of '-' is\n"
    "standard input; read writes to standard output without -o or with -o -.\n"
    "Exit status: 0 after \"Verify: OK\", 1 when the operation fails or the unit does not\n"
    "match, 2 on bad usage, 3 when the port cannot be opened.\n"
    "A successful read or program keeps the set in the parameter history (see history);\n"
    "--no-history does not.\n";
constexpr char kMonitorDetails[] =
    "P is a port number 1..10 or a device path, as for read.\n"
    "--csv writes a header, then one line per monitor frame: time, speed, advance, voltage,\n"
    "flags, number of programmings and the eight test values.\n"
    "Without --count it runs until interrupted and reopens a vanished device about once a\n"
    "second. With --count N it stops after N frames (exit 0) or after about 5.5 s without\n"
    "one (exit 1).\n";

const Command kRead{"read", "--port P [-o FILE] [--no-history]",
                    "read the unit's parameters (to FILE, else to standard output)",
                    kOperationDetails, RunRead};
const Command kVerify{"verify", "--port P FILE", "check that the unit holds FILE's parameters",
                      kOperationDetails, RunVerify};
const Command kProgram{"program", "--port P FILE [--no-history]",
                       "write FILE's parameters into the unit", kOperationDetails, RunProgram};
const Command kMonitor{"monitor", "--port P [--count N] [--csv]",
                       "show the unit's live values (N frames, or until interrupted)",
                       kMonitorDetails, RunMonitorCommand};

const Command kDeviceCommands[] = {kRead, kVerify, kProgram, kMonitor};

}  // namespace

void PrintUnitDifferences(const CommandContext& context, const DeviceImage& window,
                          const DeviceImage& unit) {
  const std::vector<Difference> differences = CompareParameterBlocks(window, unit);
  if (differences.empty()) return;
  context.err << ExtraText(context.language, TextUnitHoldsOtherwise) << '\n';
  const ChangeWording wording = ChangeWordingFor(context.language);
  for (const Difference& difference : differences) {
    context.err << "  " << FormatDifference(wording, difference) << '\n';
  }
}

int ReadUnitImage(const CommandContext& context, const std::string& port, DeviceImage& unit) {
  return WithPort(context, port, [&](PosixSerialPort& serial, const std::string&) {
    // A Read sends only read frames; its verify step's answer is the unit's own block, even
    // where the unit holds values the window would show mended.
    DeviceImage scratch{};
    SetDefaultImage(scratch);
    std::ostringstream quiet;
    CommandLineView view(context, quiet, scratch, true);
    DeviceLink link(scratch, serial, view);
    link.StartRead();
    TickClock clock;
    for (int ticks = 0;
         link.operation() != Operation::Idle && ticks < kOperationTickLimit && g_interrupted == 0;
         ++ticks) {
      clock.WaitForNextTick();
      link.Tick();
    }
    if (!link.LastUnitBlock()) {
      // A version mismatch has shown its own message.
      const auto& outcome = view.outcome();
      if (!outcome || outcome->reason != FailureReason::VersionMismatch) {
        context.err << DisplayForOutcome(
                           {Operation::Read, LinkResult::Failed, FailureReason::NoAnswer},
                           context.language)
                           .status.value_or("")
                    << '\n';
      }
      return kExitFailure;
    }
    unit = scratch;
    std::copy(link.LastUnitBlock()->begin(), link.LastUnitBlock()->end(),
              unit.begin() + image_byte::kParameterBlock);
    return kExitOk;
  });
}

std::span<const Command> DeviceCommands() {
  return kDeviceCommands;
}

}  // namespace qm17::ctl
