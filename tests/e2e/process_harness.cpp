#include "process_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace qm17::e2e {
namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::vector<char*> Argv(const std::string& program, std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return argv;
}

// Child side of a fork: never returns.
[[noreturn]] void Exec(const std::string& program, std::vector<std::string> args,
                       const std::vector<std::string>& environment, int outFd, int errFd,
                       const std::string& input = "/dev/null") {
  dup2(outFd, STDOUT_FILENO);
  dup2(errFd, STDERR_FILENO);
  const int in = open(input.c_str(), O_RDONLY);
  if (in >= 0) dup2(in, STDIN_FILENO);
  for (const auto& entry : environment) putenv(strdup(entry.c_str()));
  auto argv = Argv(program, args);
  execv(program.c_str(), argv.data());
  _exit(127);
}

int DecodeStatus(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/qm17-e2e-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, error);
}

void TempDir::Write(const std::string& name, const std::string& content) const {
  std::ofstream(File(name), std::ios::binary) << content;
}

Simulator::Simulator(const std::string& program, const TempDir& dir,
                     std::vector<std::string> options)
    : m_statePath(dir.File("unit.state")) {
  options.push_back("--state");
  options.push_back(m_statePath);
  int out[2];
  if (pipe(out) != 0) return;
  const pid_t pid = fork();
  if (pid == 0) {
    close(out[0]);
    Exec(program, options, {}, out[1], STDERR_FILENO);
  }
  close(out[1]);
  m_pid = pid;
  // The first line is the terminal's path; the unit answers from then on.
  std::string line;
  const auto start = Clock::now();
  while (line.find('\n') == std::string::npos && MsSince(start) < 5000) {
    pollfd in{out[0], POLLIN, 0};
    if (poll(&in, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<std::size_t>(n));
  }
  close(out[0]);
  if (const auto end = line.find('\n'); end != std::string::npos) m_device = line.substr(0, end);
}

Simulator::~Simulator() {
  Stop();
}

std::vector<std::uint8_t> Simulator::State() const {
  std::ifstream in(m_statePath, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> Simulator::ParameterBlock() const {
  const auto state = State();
  if (state.size() != 100) return {};
  return {state.begin() + 50, state.end()};
}

bool Simulator::WaitForExit(int ms) {
  if (m_pid <= 0) return true;
  const auto start = Clock::now();
  for (;;) {
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_status = DecodeStatus(status);
      m_pid = -1;
      return true;
    }
    if (MsSince(start) >= ms) return false;
    poll(nullptr, 0, 10);
  }
}

int Simulator::Stop(int signal) {
  if (m_pid > 0) {
    kill(m_pid, signal);
    if (!WaitForExit(3000)) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
      m_pid = -1;
      m_status = -1;
    }
  }
  return m_status;
}

Background::Background(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& environment, const std::string& input,
                       const std::string& output)
    : m_start(Clock::now()) {
  int out[2], err[2];
  if (pipe(out) != 0) return;
  if (pipe(err) != 0) {
    close(out[0]);
    close(out[1]);
    return;
  }
  m_pid = fork();
  if (m_pid == 0) {
    close(out[0]);
    close(err[0]);
    const int outFd = output.empty() ? out[1] : open(output.c_str(), O_WRONLY);
    if (outFd != out[1]) close(out[1]);
    Exec(program, args, environment, outFd, err[1], input);
  }
  close(out[1]);
  close(err[1]);
  m_out = out[0];
  m_err = err[0];
}

Background::~Background() {
  if (m_pid > 0) Finish(0);
}

void Background::Signal(int signal) const {
  if (m_pid > 0) kill(m_pid, signal);
}

bool Background::WaitForOutput(const std::string& text, int ms) {
  return WaitFor(m_out, m_outSoFar, text, ms);
}

bool Background::WaitForError(const std::string& text, int ms) {
  return WaitFor(m_err, m_errSoFar, text, ms);
}

bool Background::WaitFor(int fd, std::string& soFar, const std::string& text, int ms) {
  const auto start = Clock::now();
  while (fd >= 0 && soFar.find(text) == std::string::npos) {
    const long long left = ms - MsSince(start);
    if (left <= 0) return false;
    pollfd in{fd, POLLIN, 0};
    if (poll(&in, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    soFar.append(buffer, static_cast<std::size_t>(n));
  }
  return fd >= 0;
}

RunResult Background::Finish(int timeoutMs) {
  RunResult result;
  if (m_pid <= 0) return result;
  result.out = std::move(m_outSoFar);
  result.err = std::move(m_errSoFar);
  pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  bool timedOut = false;
  while (open > 0) {
    const long long left = timeoutMs - MsSince(m_start);
    if (left <= 0) {
      timedOut = true;
      kill(m_pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left)) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (auto& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  rusage usage{};
  wait4(m_pid, &status, 0, &usage);
  m_pid = -1;
  result.status = timedOut ? -1 : DecodeStatus(status);
  const auto asSeconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  result.cpuSeconds = asSeconds(usage.ru_utime) + asSeconds(usage.ru_stime);
  result.seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
  return result;
}

RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::vector<std::string>& environment, int timeoutMs, const std::string& input,
              const std::string& output) {
  return Background(program, args, environment, input, output).Finish(timeoutMs);
}

}  // namespace qm17::e2e
