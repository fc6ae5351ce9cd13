// qm17-sim: plays the ignition unit on a pseudo-terminal, so that the program, its command line
// and the tests can run without hardware.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim_unit.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
  g_stop = 1;
}

// The stop signals stay blocked except inside WaitMs, so that one arriving just before a wait
// cuts the wait short instead of being noticed only when it ends (up to a whole --delay).
sigset_t g_waitMask;

// poll() that a stop signal interrupts; -1 ms waits without end.
int WaitMs(pollfd* fds, nfds_t count, long long ms) {
  if (g_stop != 0) return 0;
  timespec limit{};
  limit.tv_sec = static_cast<time_t>(ms / 1000);
  limit.tv_nsec = static_cast<long>(ms % 1000) * 1000000;
  return ppoll(fds, count, ms < 0 ? nullptr : &limit, &g_waitMask);
}

constexpr int kFrameGapMs = 20;      // a longer pause inside a frame drops the partial frame
constexpr int kLastAnswerMs = 1000;  // longest wait for the client to read the last answer
constexpr int kArrivalMs = 100;      // longest wait for an answer to reach the terminal's queue

const char kUsage[] =
    "Usage: qm17-sim [options]\n"
    "Plays the ignition unit on a pseudo-terminal and prints the terminal's path.\n"
    "\n"
    "  --link PATH       also make PATH a symbolic link to the terminal (removed on exit)\n"
    "  --state FILE      write the unit's 100 memory bytes to FILE at start and after every\n"
    "                    write of the parameter block\n"
    "  --seed N          seed of the live values and of the random faults (default 1)\n"
    "  --ident TEXT      identification text of up to 30 characters\n"
    "  --frame-log FILE  append one line per received frame to FILE: its arrival time in\n"
    "                    seconds on the monotonic clock and its command byte in hex\n"
    "\n"
    "Faults:\n"
    "  --compat N        report compatibility code N instead of 26\n"
    "  --silent          never answer\n"
    "  --drop P          leave an answer out with probability P (0..1)\n"
    "  --corrupt P       flip one bit of an answer with probability P\n"
    "  --junk P          send stray bytes ahead of an answer with probability P\n"
    "  --delay MS        wait MS milliseconds before each answer\n"
    "  --wrong-answer    answer block frames with a wrong answer byte (check byte good)\n"
    "  --clamp           store the parameter block with the limiter 100 rpm lower\n"
    "  --die-after N     exit after N received frames, once the last answer has been read\n"
    "  --help            show this text\n"
    "\n"
    "A dropped or silent answer still leaves the frame's effect: a written parameter block is\n"
    "stored. Requests are taken in steps of 52 bytes; a pause of more than 20 ms inside one\n"
    "drops the bytes received so far. SIGINT, SIGTERM and SIGHUP end the program and remove\n"
    "the link.\n";

struct Settings {
  qm17::sim::Options unit;
  std::string linkPath;
  std::string statePath;
  std::string frameLogPath;
  int delayMs = 0;
  long dieAfter = 0;  // 0: never
};

std::optional<double> ParseProbability(const char* text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !(value >= 0.0 && value <= 1.0)) return {};
  return value;
}

std::optional<long> ParseCount(const char* text, long max) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0 || value > max) return {};
  return value;
}

// Returns 0 to run, 1 after --help, 2 on a usage error.
int ParseArguments(int argc, char** argv, Settings& settings) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    const auto fail = [&](const char* what) {
      std::fprintf(stderr, "qm17-sim: %s: %s\n", what, argv[i]);
      return 2;
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 1;
    } else if (arg == "--silent") {
      settings.unit.silent = true;
    } else if (arg == "--wrong-answer") {
      settings.unit.wrongAnswer = true;
    } else if (arg == "--clamp") {
      settings.unit.clamp = true;
    } else if (!hasValue) {
      return fail(arg.starts_with("--") ? "option needs a value or is unknown"
                                        : "unexpected argument");
    } else {
      const char* value = argv[++i];
      if (arg == "--link") {
        settings.linkPath = value;
      } else if (arg == "--state") {
        settings.statePath = value;
      } else if (arg == "--frame-log") {
        settings.frameLogPath = value;
      } else if (arg == "--ident") {
        settings.unit.identText = value;
      } else if (arg == "--seed") {
        const auto n = ParseCount(value, 4294967295L);
        if (!n) return fail("bad seed");
        settings.unit.seed = static_cast<std::uint32_t>(*n);
      } else if (arg == "--compat") {
        const auto n = ParseCount(value, 255);
        if (!n) return fail("bad compatibility code");
        settings.unit.compatibilityCode = static_cast<std::uint8_t>(*n);
      } else if (arg == "--delay") {
        const auto n = ParseCount(value, 60000);
        if (!n) return fail("bad delay");
        settings.delayMs = static_cast<int>(*n);
      } else if (arg == "--die-after") {
        const auto n = ParseCount(value, 1000000000L);
        if (!n || *n == 0) return fail("bad frame count");
        settings.dieAfter = *n;
      } else if (arg == "--drop" || arg == "--corrupt" || arg == "--junk") {
        const auto p = ParseProbability(value);
        if (!p) return fail("bad probability");
        double& target = arg == "--drop"      ? settings.unit.dropProbability
                         : arg == "--corrupt" ? settings.unit.corruptProbability
                                              : settings.unit.junkProbability;
        target = *p;
      } else {
        --i;
        return fail("unknown option");
      }
    }
  }
  return 0;
}

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

long long NowMs() {
  const timespec now = Now();
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Written beside the target and renamed over it, so a reader never sees half a state.
bool SaveState(const std::string& path, const qm17::sim::Memory& memory) {
  const std::string temporary = path + ".tmp" + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, memory.data(), memory.size()) == static_cast<ssize_t>(memory.size());
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

void WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  int stalls = 0;
  while (done < bytes.size() && g_stop == 0) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN && ++stalls < 50) {
      // Nobody reads the terminal: its queue is full. Wait a little, then give the answer up.
      pollfd out{fd, POLLOUT, 0};
      WaitMs(&out, 1, 10);
    } else {
      return;
    }
  }
}

void SleepMs(int ms) {
  const long long until = NowMs() + ms;
  while (g_stop == 0) {
    const long long left = until - NowMs();
    if (left <= 0) return;
    WaitMs(nullptr, 0, left);
  }
}

// Waits until the client has taken the answer from the terminal's input queue, which our own
// slave handle can see. The answer reaches that queue a moment after it was written, so first
// wait for it to show up there (or for a client so quick that it never shows).
void WaitUntilTaken(int slave, int limitMs) {
  const long long start = NowMs();
  bool arrived = false;
  while (g_stop == 0 && NowMs() - start < limitMs) {
    int queued = 0;
    if (ioctl(slave, FIONREAD, &queued) != 0) return;
    if (queued > 0) arrived = true;
    if (queued == 0 && (arrived || NowMs() - start >= kArrivalMs)) return;
    WaitMs(nullptr, 0, 2);
  }
}

int Run(const Settings& settings) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("qm17-sim: pseudo-terminal");
    return 1;
  }
  const char* name = ptsname(master);
  if (name == nullptr) {
    std::perror("qm17-sim: ptsname");
    return 1;
  }
  const std::string slavePath = name;
  // Our own slave handle keeps the master from seeing a hang-up while no client has it open.
  const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
  if (slave < 0) {
    std::perror("qm17-sim: open terminal");
    return 1;
  }
  termios mode{};
  tcgetattr(slave, &mode);
  cfmakeraw(&mode);
  cfsetispeed(&mode, B57600);
  cfsetospeed(&mode, B57600);
  tcsetattr(slave, TCSANOW, &mode);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  fcntl(master, F_SETFD, FD_CLOEXEC);
  fcntl(slave, F_SETFD, FD_CLOEXEC);

  qm17::sim::SimUnit unit(settings.unit);
  if (!settings.statePath.empty() && !SaveState(settings.statePath, unit.memory())) {
    std::fprintf(stderr, "qm17-sim: cannot write %s\n", settings.statePath.c_str());
    return 1;
  }
  // Line-buffered, so that a reader sees every frame while the unit runs.
  std::FILE* frameLog = nullptr;
  if (!settings.frameLogPath.empty()) {
    frameLog = std::fopen(settings.frameLogPath.c_str(), "ae");
    if (frameLog == nullptr) {
      std::fprintf(stderr, "qm17-sim: cannot write %s\n", settings.frameLogPath.c_str());
      return 1;
    }
    std::setvbuf(frameLog, nullptr, _IOLBF, 0);
  }

  if (!settings.linkPath.empty()) {
    std::error_code error;
    if (std::filesystem::is_symlink(settings.linkPath, error)) {
      std::filesystem::remove(settings.linkPath, error);
    }
    if (symlink(slavePath.c_str(), settings.linkPath.c_str()) != 0) {
      std::fprintf(stderr, "qm17-sim: cannot link %s: %s\n", settings.linkPath.c_str(),
                   std::strerror(errno));
      return 1;
    }
  }
  std::printf("%s\n", slavePath.c_str());
  std::fflush(stdout);

  qm17::sim::FrameAssembler assembler(kFrameGapMs);
  long frames = 0;
  std::uint16_t savedWrites = 0;
  int status = 0;
  while (g_stop == 0) {
    const long long deadline = assembler.DeadlineMs();
    const long long timeout = deadline < 0 ? -1 : std::max<long long>(0, deadline - NowMs());
    pollfd in{master, POLLIN, 0};
    const int ready = WaitMs(&in, 1, timeout);
    if (ready < 0 && errno != EINTR) {
      status = 1;
      break;
    }
    assembler.Expire(NowMs());
    if (ready <= 0) continue;

    std::uint8_t buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) {
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      // Only a closed slave ends up here, which our own handle prevents; do not spin on it.
      WaitMs(nullptr, 0, 50);
      continue;
    }
    const auto received =
        assembler.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), NowMs());
    const timespec arrival = Now();
    for (const auto& frame : received) {
      if (g_stop != 0) break;
      if (frameLog != nullptr) {
        std::fprintf(frameLog, "%lld.%06ld %02x\n", static_cast<long long>(arrival.tv_sec),
                     arrival.tv_nsec / 1000, frame[0]);
      }
      const auto answer = unit.Answer(frame);
      if (!answer.empty()) {
        if (settings.delayMs > 0) SleepMs(settings.delayMs);
        WriteAll(master, answer);
      }
      if (!settings.statePath.empty() && unit.programCount() != savedWrites) {
        savedWrites = unit.programCount();
        SaveState(settings.statePath, unit.memory());
      }
      if (settings.dieAfter > 0 && ++frames >= settings.dieAfter) {
        // Closing the terminal at once would discard the answer still queued for the client;
        // a unit that dies after answering has put its answer on the wire.
        WaitUntilTaken(slave, kLastAnswerMs);
        g_stop = 1;
      }
    }
  }

  // Another simulator may have taken the name over meanwhile; its link is not ours to remove.
  if (!settings.linkPath.empty()) {
    std::error_code error;
    if (std::filesystem::read_symlink(settings.linkPath, error) == slavePath) {
      unlink(settings.linkPath.c_str());
    }
  }
  if (frameLog != nullptr) std::fclose(frameLog);
  close(slave);
  close(master);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  const int parsed = ParseArguments(argc, argv, settings);
  if (parsed == 1) return 0;
  if (parsed != 0) {
    std::fputs("Try 'qm17-sim --help'.\n", stderr);
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    sigaction(signal, &action, nullptr);
    sigaddset(&stopSignals, signal);
  }
  sigprocmask(SIG_BLOCK, &stopSignals, &g_waitMask);
  std::signal(SIGPIPE, SIG_IGN);
  return Run(settings);
}
