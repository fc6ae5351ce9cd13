#include "cmd_device.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "app/config_paths.h"
#include "app/texts.h"
#include "device/link.h"
#include "device/monitor.h"
#include "files/atomic_file.h"
#include "files/parameter_file.h"
#include "files/settings_store.h"
#include "params/device_image.h"
#include "params/ignition_parameters.h"
#include "posix_serial_port.h"

namespace qm17::ctl {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
  g_interrupted = 1;
}

// A Program needs at most three frames of five sends each and a first time-out; far beyond
// that the tool stops rather than hang.
constexpr int kOperationTickLimit = 200;
// `monitor --count N` gives up after this many ticks (about 5.5 s) without a monitor frame.
constexpr int kMonitorSilenceLimit = 100;

struct Arguments {
  std::string port;
  std::string file;    // verify, program
  std::string output;  // read -o
  Language language = Language::English;
  long count = 0;  // monitor: 0 runs until interrupted
  bool csv = false;
};

std::optional<Language> ParseLanguage(std::string_view word) {
  if (word == "cz") return Language::Czech;
  if (word == "en") return Language::English;
  if (word == "de") return Language::German;
  return {};
}

std::optional<long> ParsePositive(const std::string& text) {
  if (text.empty() || text.size() > 9) return {};
  for (char c : text) {
    if (c < '0' || c > '9') return {};
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value <= 0) return {};
  return value;
}

// Empty when the arguments do not fit the command; the reason goes to stderr.
std::optional<Arguments> ParseArguments(std::string_view name,
                                        const std::vector<std::string>& args) {
  Arguments parsed;
  const auto fail = [&](const std::string& why) {
    std::fprintf(stderr, "qm17ctl %.*s: %s\n", static_cast<int>(name.size()), name.data(),
                 why.c_str());
    return std::nullopt;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--port" || arg == "--lang" || arg == "-o" || arg == "--count") {
      if (!hasValue) return fail(arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--port") {
        parsed.port = value;
      } else if (arg == "--lang") {
        const auto language = ParseLanguage(value);
        if (!language) return fail("--lang takes cz, en or de");
        parsed.language = *language;
      } else if (arg == "-o" && name == "read") {
        parsed.output = value;
      } else if (arg == "--count" && name == "monitor") {
        const auto count = ParsePositive(value);
        if (!count) return fail("--count takes a positive number");
        parsed.count = *count;
      } else {
        return fail("unknown option " + arg);
      }
    } else if (arg == "--csv" && name == "monitor") {
      parsed.csv = true;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return fail("unknown option " + arg);
    } else if ((name == "verify" || name == "program") && parsed.file.empty()) {
      parsed.file = arg;
    } else {
      return fail("unexpected argument " + arg);
    }
  }
  if (parsed.port.empty()) return fail("--port is required");
  if ((name == "verify" || name == "program") && parsed.file.empty()) {
    return fail("a parameter file is required");
  }
  return parsed;
}

// A port number 1..10 names a device through the user's settings; anything else is a path.
std::optional<std::string> ResolvePort(const std::string& port) {
  const auto number = ParsePositive(port);
  if (port.find_first_not_of("0123456789") != std::string::npos) return port;
  if (!number || *number > 10) return std::nullopt;
  IniFile settings;
  settings.Load(SettingsFilePath());  // no settings file: the default devices
  return ComPortDevicePath(static_cast<int>(*number), settings);
}

std::string NoConnectionText(Language language) {
  for (const UiTextRow& row : UiTextTable()) {
    if (std::string_view(row.element) == "LabelSpojeni" &&
        std::string_view(row.property) == "caption") {
      return row.text[static_cast<int>(language)];
    }
  }
  return "No connection";
}

// What the link shows, recorded for a command line: status changes are printed as they come.
class CommandLineView : public LinkView {
 public:
  CommandLineView(DeviceImage& image, Language language, bool quiet)
      : m_image(image), m_language(language), m_quiet(quiet) {}

  Language CurrentLanguage() const override { return m_language; }
  bool PrintLayout() const override { return false; }
  void SetStatus(const std::string& text, bool failure) override {
    m_status = text;
    m_failure = failure;
    if (!m_quiet) std::fprintf(failure ? stderr : stdout, "%s\n", text.c_str());
    std::fflush(stdout);
  }
  void SetStatusVisible(bool) override {}
  void SetGaugeVisible(bool) override {}
  void SetGaugeProgress(int) override {}
  void SetNoConnectionVisible(bool visible) override {
    if (visible && !m_noConnection) {
      std::fprintf(stderr, "%s\n", NoConnectionText(m_language).c_str());
    }
    m_noConnection = visible;
  }
  void ShowLiveValues(const LiveValues& values) override {
    m_live = values;
    ++m_liveCount;
  }
  void ShowCurrentPoint(const CurrentPoint&) override {}
  void NormaliseAndShowImage() override { NormaliseImage(m_image); }
  void ShowVersionMismatch() override {
    m_versionMismatch = true;
    std::fprintf(stderr, "%s\n", MessageTexts(m_language, MsgVersionMismatch).c_str());
  }

  const std::string& status() const { return m_status; }
  bool failure() const { return m_failure; }
  bool versionMismatch() const { return m_versionMismatch; }
  long liveCount() const { return m_liveCount; }
  const LiveValues& live() const { return m_live; }

 private:
  DeviceImage& m_image;
  Language m_language;
  bool m_quiet;
  std::string m_status;
  bool m_failure = false;
  bool m_versionMismatch = false;
  bool m_noConnection = false;
  long m_liveCount = 0;
  LiveValues m_live;
};

// Runs the link on real 55 ms ticks. The schedule follows the steady clock without drift; a
// tick that ran late does not cause a burst of catch-up ticks, as with a window timer.
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

// What File > Open does with the file, then what Program and Verify do with the controls.
int LoadParameterFile(const std::string& path, Language language, DeviceImage& image) {
  const auto content = ReadWholeFile(path);
  if (!content) {
    std::fprintf(stderr, "%s %s\n", MessageTexts(language, MsgOpenFileError).c_str(), path.c_str());
    return kExitFailed;
  }
  DeviceImage loaded = image;
  if (!ReadParameterFile(*content, loaded)) {
    std::fprintf(stderr, "%s %s\n", FileVersionMismatchText(language), path.c_str());
    return kExitFailed;
  }
  NormaliseImage(loaded);
  // The window sends what its controls hold: each value at its control's bounds.
  ParametersToImage(ParametersFromImage(loaded), loaded);
  NormaliseImage(loaded);
  image = loaded;
  return kExitOk;
}

void PrintIdentification(const DeviceLink& link) {
  const IdentificationTexts& id = link.identification();
  if (id.version.empty() && id.date.empty()) return;
  std::printf("%s %s %s\n", id.version.c_str(), id.date.c_str(), id.time.c_str());
}

int RunOperation(std::string_view name, const Arguments& args, DeviceImage& image,
                 PosixSerialPort& port) {
  CommandLineView view(image, args.language, false);
  DeviceLink link(image, port, view);
  if (name == "read") {
    link.StartRead();
  } else if (name == "verify") {
    link.StartVerify();
  } else {
    link.StartProgram(0);
  }
  TickClock clock;
  int ticks = 0;
  while (link.operation() != Operation::Idle && ticks < kOperationTickLimit && g_interrupted == 0) {
    clock.WaitForNextTick();
    link.Tick();
    ++ticks;
  }
  PrintIdentification(link);
  const std::string success = MessageTexts(args.language, MsgVerifying) + " OK";
  if (view.versionMismatch() || view.failure() || view.status() != success ||
      link.operation() != Operation::Idle) {
    return kExitFailed;
  }
  if (name == "read") {
    const std::string content = WriteParameterFile(image);
    if (args.output.empty()) {
      std::printf("%s\n", content.c_str());
    } else if (!WriteFileAtomically(args.output, content)) {
      std::fprintf(stderr, "%s %s\n", MessageTexts(args.language, MsgOpenFileError).c_str(),
                   args.output.c_str());
      return kExitFailed;
    }
  }
  return kExitOk;
}

void PrintCsvHeader() {
  std::printf(
      "time_s,rpm,advance_deg,voltage_v,speed_alarm,speed_warning,start_limiter,retard,"
      "polarity_negative,polarity_ok,program_count,test1,test2,test3,test4,test5,test6,test7,"
      "test8\n");
}

void PrintCsvLine(double seconds, const LiveValues& v) {
  std::printf("%.3f,%u,%u,%u.%03u,%d,%d,%d,%d,%d,%d,%u", seconds, v.rpm, v.advance,
              v.millivolts / 1000, v.millivolts % 1000, v.speedAlarm, v.speedWarning,
              v.startLimiterActive, v.retardActive, v.polarityNegative, v.polarityFlag,
              v.programCount);
  for (std::uint16_t test : v.tests) std::printf(",%u", test);
  std::printf("\n");
}

void PrintLiveLine(const LiveValues& v, Language language, std::uint8_t limiterByte) {
  const MonitorDisplay d = FormatMonitor(v, language, limiterByte);
  std::printf("%s| %s | %s | %s | %s | %s | %s\n", d.rpmText.c_str(), d.voltageText.c_str(),
              d.advanceText.c_str(), d.startLimiterText.c_str(), d.retardText.c_str(),
              d.polarityText.c_str(), d.programCountText.c_str());
}

int RunMonitor(const Arguments& args, DeviceImage& image, PosixSerialPort& port) {
  CommandLineView view(image, args.language, true);
  DeviceLink link(image, port, view);
  if (args.csv) PrintCsvHeader();
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  TickClock clock;
  long shown = 0;
  int silentTicks = 0;
  while (g_interrupted == 0 && (args.count == 0 || shown < args.count)) {
    clock.WaitForNextTick();
    link.Tick();
    if (view.liveCount() == shown) {
      if (args.count > 0 && ++silentTicks >= kMonitorSilenceLimit) return kExitFailed;
      continue;
    }
    silentTicks = 0;
    shown = view.liveCount();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (args.csv) {
      PrintCsvLine(elapsed.count(), view.live());
    } else {
      PrintLiveLine(view.live(), args.language, image[image_byte::kLimiter]);
    }
    std::fflush(stdout);
  }
  return kExitOk;
}

}  // namespace

bool IsDeviceCommand(std::string_view name) {
  return name == "read" || name == "verify" || name == "program" || name == "monitor";
}

void PrintDeviceUsage(std::FILE* out) {
  std::fputs(
      "  qm17ctl read    --port P [-o FILE] [--lang cz|en|de]\n"
      "  qm17ctl verify  --port P FILE [--lang cz|en|de]\n"
      "  qm17ctl program --port P FILE [--lang cz|en|de]\n"
      "  qm17ctl monitor --port P [--count N] [--csv] [--lang cz|en|de]\n"
      "    P is a port number 1..10 (its device from the [PORTS] section of the settings\n"
      "    file, else /dev/ttyUSB0 for 1 and so on) or a device path.\n"
      "    Exit status: 0 after \"Verify: OK\", 1 when the operation fails, 2 on usage\n"
      "    errors, 3 when the port cannot be opened.\n",
      out);
}

int RunDeviceCommand(std::string_view name, const std::vector<std::string>& args) {
  if (!IsDeviceCommand(name)) return kExitUsage;
  const auto parsed = ParseArguments(name, args);
  if (!parsed) return kExitUsage;
  const auto device = ResolvePort(parsed->port);
  if (!device) {
    std::fprintf(stderr, "qm17ctl: the port number must be 1 to 10\n");
    return kExitUsage;
  }

  DeviceImage image{};
  SetDefaultImage(image);
  if (name == "verify" || name == "program") {
    const int loaded = LoadParameterFile(parsed->file, parsed->language, image);
    if (loaded != kExitOk) return loaded;
  }

  PosixSerialPort port;
  if (!port.Open(*device)) {
    std::fprintf(stderr, "%s (%s)\n", MessageTexts(parsed->language, MsgComOpenError).c_str(),
                 device->c_str());
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
  const int status = name == "monitor" ? RunMonitor(*parsed, image, port)
                                       : RunOperation(name, *parsed, image, port);
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  return status;
}

}  // namespace qm17::ctl
