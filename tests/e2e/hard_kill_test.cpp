// Hard stops while files are being saved: whatever moment a SIGKILL hits, every file the
// program keeps is wholly its old version or wholly its new one, and at most the one temporary
// file of the save that was cut short is left behind.
//
// The normal run keeps the rounds few; the soak stage of CI, or a run by hand, raises them:
// QM17_KILL_SAVE_ROUNDS (saves in a loop, default 50) and QM17_KILL_PROGRAM_ROUNDS (the real
// program, default 8).

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/known_answers.h"
#include "common/pseudo_terminal.h"
#include "files/atomic_file.h"
#include "files/config_paths.h"
#include "files/parameter_file.h"
#include "files/settings_store.h"
#include "files/side_file.h"
#include "params/device_image.h"
#include "process_harness.h"

namespace qm17 {
namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

int Rounds(const char* variable, int fallback) {
  const char* text = std::getenv(variable);
  const int value = text != nullptr ? std::atoi(text) : 0;
  return value > 0 ? value : fallback;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Names in `folder` other than the kept files: temporary files of saves that were cut short.
// Each must be named after one of the kept files, so that it cannot be taken for one.
std::set<std::string> Strays(const std::string& folder, const std::vector<std::string>& kept) {
  std::set<std::string> strays;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (std::find(kept.begin(), kept.end(), name) != kept.end()) continue;
    const bool named = std::any_of(kept.begin(), kept.end(), [&](const std::string& k) {
      return name.size() == k.size() + 7 && name.compare(0, k.size() + 1, k + ".") == 0;
    });
    EXPECT_TRUE(named) << "unexpected file " << name;
    strays.insert(name);
  }
  return strays;
}

// Where the kills landed, for the log of a run by hand.
struct Tally {
  int before = 0;  // nothing saved yet
  int middle = 0;  // some file saved and not another, or a temporary file left
  int after = 0;   // everything saved
  void Print(const char* what, int strays) const {
    std::printf(
        "%s: %d kills before the save, %d in the middle, %d after; %d temporary files "
        "left\n",
        what, before, middle, after, strays);
  }
};

// ---- The window's save functions in a loop, killed at random moments -------------------------

// Two versions of everything saved. The settings are written key by key into what the file
// already holds, exactly as at the end of a session, so a mixed file would carry over.
struct Version {
  long left;
  long language;
  std::string file;
  DeviceImage image;
};

Version FirstVersion() {
  Version v{100, 0, "/home/rider/curves/base.ign", {}};
  SetDefaultImage(v.image);
  return v;
}

Version SecondVersion() {
  // Longer in every file, so that a truncated or half-renamed file cannot pass for the other.
  Version v{-2000, 2, "/home/rider/curves/" + std::string(180, 'x') + ".ign", {}};
  SetDefaultImage(v.image);
  v.image[image_byte::kRetard] = 123;
  v.image[image_byte::kBaseAdvance] = 17;
  v.image[image_byte::kShiftLight] = 99;
  return v;
}

void SaveSettingsVersion(const Version& v) {
  IniFile settings;
  settings.Load(SettingsFilePath());
  settings.WriteInteger(kSettingsSection, "Left", v.left);
  settings.WriteInteger(kSettingsSection, "Language", v.language);
  settings.WriteString(kSettingsSection, "File", v.file);
  settings.Save(SettingsFilePath());
}

std::string SettingsText(const Version& v) {
  IniFile settings;
  settings.WriteInteger(kSettingsSection, "Left", v.left);
  settings.WriteInteger(kSettingsSection, "Language", v.language);
  settings.WriteString(kSettingsSection, "File", v.file);
  return settings.Serialise();
}

// Child side: saves both versions in turn for ever, one byte on `ready` after each round.
[[noreturn]] void SaveForEver(const std::string& parameterPath, int ready) {
  const Version versions[] = {FirstVersion(), SecondVersion()};
  EnsureConfigDirectory();
  for (unsigned round = 0;; ++round) {
    const Version& v = versions[round % 2];
    SaveSettingsVersion(v);
    WriteFileAtomically(ImageSideFilePath(), WriteImageSideFile(v.image));
    WriteFileAtomically(parameterPath, WriteParameterFile(v.image));
    [[maybe_unused]] const ssize_t written = ::write(ready, "r", 1);
  }
}

TEST(HardKill, SavesKilledAtRandomMomentsLeaveOneWholeVersionOfEachFile) {
  e2e::TempDir home;
  ASSERT_FALSE(home.path().empty());
  ASSERT_EQ(::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1), 0);
  const std::string folder = ConfigDirectory();
  const std::string parameterPath = folder + "/curve.ign";
  const Version first = FirstVersion(), second = SecondVersion();
  const std::string settings[] = {SettingsText(first), SettingsText(second)};
  const std::string sides[] = {WriteImageSideFile(first.image), WriteImageSideFile(second.image)};
  const std::string parameters[] = {WriteParameterFile(first.image),
                                    WriteParameterFile(second.image)};
  ASSERT_EQ(parameters[0], test::kDefaultParameterFile);
  ASSERT_NE(parameters[1], parameters[0]);
  const std::vector<std::string> kept = {kSettingsFileName, kImageSideFileName, "curve.ign"};

  std::mt19937 random(std::random_device{}());
  const int rounds = Rounds("QM17_KILL_SAVE_ROUNDS", 50);
  Tally tally;
  std::set<std::string> strays;
  for (int round = 0; round < rounds; ++round) {
    int ready[2];
    ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
    const auto start = Clock::now();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      ::fcntl(ready[1], F_SETFL, O_NONBLOCK);  // a full pipe must not stop the saves
      SaveForEver(parameterPath, ready[1]);
    }
    ::close(ready[1]);
    // A first round of saves makes every file exist and tells how long the next one takes.
    char byte = 0;
    const bool firstDone = ::read(ready[0], &byte, 1) == 1;
    const auto cycle = std::chrono::duration_cast<Micros>(Clock::now() - start);
    const auto delay = Micros(std::uniform_int_distribution<long>(0, cycle.count())(random));
    // Readers meanwhile never see a partial file either.
    const auto killAt = Clock::now() + delay;
    bool readsWhole = true;
    do {
      const std::string side = Slurp(ImageSideFilePath());
      readsWhole = readsWhole && (side == sides[0] || side == sides[1]);
    } while (Clock::now() < killAt);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ASSERT_TRUE(firstDone);
    EXPECT_TRUE(readsWhole);

    SCOPED_TRACE("round " + std::to_string(round));
    const std::string s = Slurp(SettingsFilePath());
    const std::string i = Slurp(ImageSideFilePath());
    const std::string p = Slurp(parameterPath);
    ASSERT_TRUE(s == settings[0] || s == settings[1]) << s;
    ASSERT_TRUE(i == sides[0] || i == sides[1]) << i;
    ASSERT_TRUE(p == parameters[0] || p == parameters[1]) << p;
    const std::set<std::string> now = Strays(folder, kept);
    const std::size_t left = now.size() - strays.size();
    EXPECT_LE(left, 1u);  // only the save that was cut short
    strays = now;
    // One version everywhere: killed between two rounds of saves.
    const bool same =
        (s == settings[0]) == (i == sides[0]) && (i == sides[0]) == (p == parameters[0]);
    (same && left == 0 ? tally.after : tally.middle)++;
  }
  tally.Print("saves in a loop", static_cast<int>(strays.size()));
  ::unsetenv("XDG_CONFIG_HOME");
}

// ---- The real program, ended by SIGTERM and then killed while its session ends ----------------

#ifdef QM17_PROGRAM

void Spit(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// One qm17 with a settings folder of its own and a pseudo-terminal as its port, so that it
// polls: its first poll shows that the window is up and its event loop running.
class Slot {
 public:
  Slot() { std::filesystem::create_directories(Folder()); }
  ~Slot() { Kill(); }
  bool ok() const { return m_line.slave() >= 0 && !m_home.path().empty(); }

  std::string Folder() const { return m_home.path() + "/qm17"; }
  std::string Settings() const { return Folder() + "/" + kSettingsFileName; }
  std::string Side() const { return Folder() + "/" + kImageSideFileName; }
  // What a previous session left: another language, and the side file of an older program.
  std::string OldSettings() const {
    return "[FORM_HLAV]\r\nLanguage=0\r\nFile=old.ign\r\n[PORTS]\r\nCOM1=" + m_line.slavePath() +
           "\r\n";
  }
  static std::string OldSide() { return "    0     0     0\r\n"; }
  void WriteOld() const {
    Spit(Settings(), OldSettings());
    Spit(Side(), OldSide());
  }

  bool Start() {
    m_pid = ::fork();
    if (m_pid < 0) return false;
    if (m_pid == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, STDIN_FILENO);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      ::setenv("XDG_CONFIG_HOME", m_home.path().c_str(), 1);
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      ::execl(QM17_PROGRAM, QM17_PROGRAM, "ENGLISH", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    return true;
  }
  int master() const { return m_line.master(); }
  void Drain() const {
    char buffer[512];
    while (::read(master(), buffer, sizeof buffer) > 0) {
      pollfd in{master(), POLLIN, 0};
      if (::poll(&in, 1, 0) <= 0) break;
    }
  }
  void Signal(int signal) const {
    if (m_pid > 0) ::kill(m_pid, signal);
  }
  // The exit status, or -1 when a signal ended it; -2 when it would not end.
  int Wait(int ms) {
    if (m_pid <= 0) return -2;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      int status = 0;
      if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (Clock::now() >= end) return -2;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void Kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

 private:
  e2e::TempDir m_home;
  // Its slave end held open here too, so that the terminal outlives each program and the
  // master never reads as hung up.
  test::PseudoTerminal m_line{true};
  pid_t m_pid = -1;
};

// Starts every slot's program and waits for each one's first poll.
::testing::AssertionResult StartAll(std::vector<std::unique_ptr<Slot>>& slots) {
  for (auto& slot : slots) {
    slot->WriteOld();
    if (!slot->Start()) return ::testing::AssertionFailure() << "fork failed";
  }
  for (auto& slot : slots) {
    pollfd in{slot->master(), POLLIN, 0};
    for (int waited = 0; ::poll(&in, 1, 100) != 1; waited += 100) {
      // A program that could not start is told at once, not after the whole wait.
      const int status = slot->Wait(0);
      if (status != -2 || waited >= 20000)
        return ::testing::AssertionFailure() << "no first poll; exit status " << status;
    }
    slot->Drain();
  }
  return ::testing::AssertionSuccess();
}

TEST(HardKill, TheProgramKilledWhileItsSessionEndsLeavesOldOrNewFiles) {
  constexpr int kSlots = 4;  // side by side: most of a start-up is waiting for the first poll
  std::vector<std::unique_ptr<Slot>> slots;
  for (int k = 0; k < kSlots; ++k) {
    slots.push_back(std::make_unique<Slot>());
    ASSERT_TRUE(slots.back()->ok());
  }
  const std::vector<std::string> kept = {kSettingsFileName, kImageSideFileName};

  // A SIGTERM alone ends the session in order: both files saved with the new language, the
  // program gone with status 0, no temporary file left. How long that takes bounds the kills.
  ASSERT_TRUE(StartAll(slots));
  std::vector<std::string> newSettings, newSides;
  Micros longest{0};
  for (auto& slot : slots) {
    const auto start = Clock::now();
    slot->Signal(SIGTERM);
    ASSERT_EQ(slot->Wait(20000), 0);
    longest = std::max(longest, std::chrono::duration_cast<Micros>(Clock::now() - start));
    newSettings.push_back(Slurp(slot->Settings()));
    newSides.push_back(Slurp(slot->Side()));
    EXPECT_NE(newSettings.back().find("Language=1\r\n"), std::string::npos) << newSettings.back();
    EXPECT_NE(newSettings.back().find("COM1="), std::string::npos);
    EXPECT_NE(newSettings.back(), slot->OldSettings());
    EXPECT_EQ(newSides.back().size(), 620u);  // ten lines of ten fields of six characters, CR LF
    EXPECT_TRUE(Strays(slot->Folder(), kept).empty());
  }

  std::mt19937 random(std::random_device{}());
  // The kills spread over [0, bound]; the bound follows where the saves happen on this machine
  // now: shorter after a program that ended before its kill, longer after one killed too soon.
  double bound = static_cast<double>(longest.count());
  const int rounds = Rounds("QM17_KILL_PROGRAM_ROUNDS", 8);
  Tally tally;
  int exitedFirst = 0;
  std::vector<std::set<std::string>> strays(kSlots);
  for (int round = 0; round < rounds; round += kSlots) {
    ASSERT_TRUE(StartAll(slots));
    for (int k = 0; k < kSlots && round + k < rounds; ++k) {
      Slot& slot = *slots[static_cast<std::size_t>(k)];
      const auto delay = std::uniform_real_distribution<double>(0.0, bound)(random);
      const auto killAt = Clock::now() + Micros(static_cast<long>(delay));
      slot.Signal(SIGTERM);
      std::this_thread::sleep_until(killAt);
      // Every other round a second SIGTERM, as from an impatient user: the first one's handler
      // is gone by then, so it ends the program as abruptly as SIGKILL.
      slot.Signal((round + k) % 2 ? SIGTERM : SIGKILL);
      const bool exited = slot.Wait(20000) == 0;
      exitedFirst += exited;

      SCOPED_TRACE("round " + std::to_string(round + k));
      const std::string s = Slurp(slot.Settings());
      const std::string i = Slurp(slot.Side());
      const bool oldS = s == slot.OldSettings(), newS = s == newSettings[std::size_t(k)];
      const bool oldI = i == Slot::OldSide(), newI = i == newSides[std::size_t(k)];
      ASSERT_TRUE(oldS || newS) << s;
      ASSERT_TRUE(oldI || newI) << i;
      const std::set<std::string> now = Strays(slot.Folder(), kept);
      const std::size_t left = now.size() - strays[std::size_t(k)].size();
      EXPECT_LE(left, 1u);
      strays[std::size_t(k)] = now;
      if (oldS && oldI && left == 0) {
        ++tally.before;
        bound = std::min(bound * 1.2, 2.0 * static_cast<double>(longest.count()));
      } else if (newS && newI && left == 0) {
        ++tally.after;
        if (exited) bound = std::max(bound * 0.8, 200.0);
      } else {
        ++tally.middle;
      }
    }
    for (auto& slot : slots) slot->Kill();  // the slots this round did not use
  }
  int leftOver = 0;
  for (const auto& s : strays) leftOver += static_cast<int>(s.size());
  tally.Print("qm17 ended by SIGTERM, killed by SIGKILL or a second SIGTERM", leftOver);
  std::printf("a session end took up to %lld us; %d programs had ended before their kill\n",
              static_cast<long long>(longest.count()), exitedFirst);
}

#endif  // QM17_PROGRAM

}  // namespace
}  // namespace qm17
