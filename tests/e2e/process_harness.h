#pragma once
// Starting the simulated unit and the command-line tool as real processes for end-to-end
// tests: a temporary folder, a simulator on a pseudo-terminal, and a bounded run of a command.

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

namespace qm17::e2e {

// A fresh folder, removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  void Write(const std::string& name, const std::string& content) const;

 private:
  std::string m_path;
};

// qm17-sim with the given fault options, its memory saved to a state file.
class Simulator {
 public:
  Simulator(const std::string& program, const TempDir& dir, std::vector<std::string> options);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  bool started() const { return !m_device.empty(); }
  const std::string& device() const { return m_device; }
  // The unit's 100 bytes as last saved; empty when the file cannot be read.
  std::vector<std::uint8_t> State() const;
  std::vector<std::uint8_t> ParameterBlock() const;
  // Waits up to `ms` for the process to end by itself.
  bool WaitForExit(int ms);
  // The signal (SIGTERM unless told), then the exit status (-1 when it had to be killed).
  int Stop(int signal = SIGTERM);

 private:
  pid_t m_pid = -1;
  int m_status = -1;
  std::string m_device;
  std::string m_statePath;
};

struct RunResult {
  int status = -1;  // exit status; -1 when killed or timed out
  std::string out;
  std::string err;
  double seconds = 0.0;
  double cpuSeconds = 0.0;  // user and system time the program used
};

// A program started in the background; Finish collects its output and status.
class Background {
 public:
  // Standard input comes from the file `input`; standard output goes to the file `output`
  // when one is named, else it is collected.
  Background(const std::string& program, const std::vector<std::string>& args,
             const std::vector<std::string>& environment = {},
             const std::string& input = "/dev/null", const std::string& output = {});
  ~Background();
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;
  // Waits up to `timeoutMs` in all since the start, then kills the program.
  RunResult Finish(int timeoutMs = 20000);
  void Signal(int signal) const;
  // Waits up to `ms` until standard output holds `text`; what was read is kept for Finish.
  bool WaitForOutput(const std::string& text, int ms);
  // The same for the error stream, where a program tells its steps.
  bool WaitForError(const std::string& text, int ms);

 private:
  static bool WaitFor(int fd, std::string& soFar, const std::string& text, int ms);

  pid_t m_pid = -1;
  int m_out = -1;
  int m_err = -1;
  std::string m_outSoFar;
  std::string m_errSoFar;
  std::chrono::steady_clock::time_point m_start;
};

// Runs a program with arguments and extra environment entries ("NAME=value"), killing it
// after `timeoutMs`.
RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::vector<std::string>& environment = {}, int timeoutMs = 20000,
              const std::string& input = "/dev/null", const std::string& output = {});

}  // namespace qm17::e2e
