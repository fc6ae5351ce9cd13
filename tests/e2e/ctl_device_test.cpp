// qm17ctl against qm17-sim over a pseudo-terminal: Read, Verify, Program and the monitor, on a
// good line and on the faults a real line or unit shows.

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "process_harness.h"

#include "common/known_answers.h"

namespace qm17::e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kSim = QM17_SIM_PATH;
const std::string kCtl = QM17CTL_PATH;

// Speeds out of order and out of range, an advance above its control's range and a limiter
// below the start limiter: what reaches the unit is the set the window would send.
const char kFileA[] =
    "KORVALEX_KEY 26\r\n"
    "RPM_ADV 1550 2500 2400 4000 5000 6000 7000 8000 9000 10000 11000 12000 13000 14000 20000\r\n"
    "ADVANCE 5 8 12 15 18 20 22 24 26 28 30 32 34 36 70\r\n"
    "POCET_BODU 12\r\n"
    "BASE_ADV 8\r\n"
    "LIMITER 130 120 4\r\n"
    "POLARITA 1\r\n"
    "GEBER_NR 2\r\n"
    "PILOT_LIGHT 11000\r\n";
const Bytes kBlockA = {12, 8,  130, 1,   0,   1,   130, 4,   2,  110, 15, 25, 26, 40, 50, 60, 70,
                       80, 90, 100, 110, 120, 130, 140, 200, 0,  0,   0,  0,  0,  5,  8,  12, 15,
                       18, 20, 22,  24,  26,  28,  30,  32,  34, 36,  60, 0,  0,  0,  0,  0};

// Only two values differ from the default set.
const char kFileB[] = "KORVALEX_KEY 26\nPOCET_BODU 7\nBASE_ADV 20\n";
const Bytes kBlockB = {7,  20, 150, 1,   0,   2,   60,  6,   1,  120, 10, 20, 30, 40, 50, 60, 70,
                       80, 90, 100, 110, 120, 130, 140, 150, 0,  0,   0,  0,  0,  10, 10, 10, 10,
                       10, 10, 10,  10,  10,  10,  10,  10,  10, 10,  10, 0,  0,  0,  0,  0};

const Bytes kDefaultBlock(test::kDefaultParameterBlock.begin(), test::kDefaultParameterBlock.end());

constexpr const auto& kDefaultFile = test::kDefaultParameterFile;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CtlDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_dir.path().empty());
    m_dir.Write("a.ign", kFileA);
    m_dir.Write("b.ign", kFileB);
    // Every run keeps its parameter history here, never in the user's own.
    ::setenv("XDG_DATA_HOME", File("data").c_str(), 1);
  }
  // Keeps the user's own settings out of the way of port numbers.
  std::vector<std::string> Environment() const {
    return {"XDG_CONFIG_HOME=" + m_dir.path(), "HOME=" + m_dir.path()};
  }
  RunResult Ctl(const std::vector<std::string>& args) {
    return e2e::Run(kCtl, args, Environment());
  }
  std::string File(const std::string& name) const { return m_dir.File(name); }

  TempDir m_dir;
};

TEST_F(CtlDevice, ProgramThenVerifyLeaveTheFilesBlockInTheUnit) {
  Simulator sim(kSim, m_dir, {});
  ASSERT_TRUE(sim.started());
  EXPECT_EQ(sim.ParameterBlock(), kDefaultBlock);

  const RunResult program = Ctl({"program", "--port", sim.device(), File("a.ign")});
  EXPECT_EQ(program.status, 0) << program.err;
  // Standard output is for results: the steps go with the messages.
  EXPECT_EQ(program.out, "");
  EXPECT_TRUE(
      Contains(program.err, "\nProgram device:\nVerify:\nVerify: OK\nSIM03 14. 3.2025 10:30\n"))
      << program.err;
  EXPECT_EQ(sim.ParameterBlock(), kBlockA);

  const RunResult verify = Ctl({"verify", "--port", sim.device(), File("a.ign")});
  EXPECT_EQ(verify.status, 0) << verify.err;
  EXPECT_EQ(verify.out, "");
  EXPECT_TRUE(Contains(verify.err, "\nVerify:\nVerify: OK\n")) << verify.err;
  // Success is the link's outcome, not a caption: the same status in every language.
  for (const auto& [lang, ok] :
       {std::pair{"cz", "Verifikace: OK\n"}, {"de", "Verifikation: OK\n"}}) {
    const RunResult shown = Ctl({"verify", "--port", sim.device(), File("a.ign"), "--lang", lang});
    EXPECT_EQ(shown.status, 0) << lang << shown.err;
    EXPECT_TRUE(Contains(shown.err, ok)) << shown.err;
  }

  // Another set in the file: the unit does not hold it.
  const RunResult other = Ctl({"verify", "--port", sim.device(), File("b.ign")});
  EXPECT_EQ(other.status, 1);
  EXPECT_TRUE(Contains(other.err, "Verify error!")) << other.err;
  EXPECT_EQ(sim.ParameterBlock(), kBlockA);
  EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(CtlDevice, ReadWritesTheUnitsParameterBlock) {
  Simulator sim(kSim, m_dir, {});
  ASSERT_TRUE(sim.started());
  const RunResult fresh = Ctl({"read", "--port", sim.device(), "-o", File("fresh.ign")});
  EXPECT_EQ(fresh.status, 0) << fresh.err;
  EXPECT_EQ(fresh.out, "");
  EXPECT_EQ(fresh.err, "Read:\nVerify:\nVerify: OK\nSIM03 14. 3.2025 10:30\n");
  std::ifstream in(File("fresh.ign"), std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(written, kDefaultFile);

  // Without -o the file goes to standard output, the progress to the error stream.
  const RunResult piped = Ctl({"read", "--port", sim.device(), "-o", "-"});
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.out, std::string(kDefaultFile) + "\n");
  EXPECT_EQ(piped.err, "Read:\nVerify:\nVerify: OK\nSIM03 14. 3.2025 10:30\n");

  // What was read programs the same block back: the file holds all of it.
  ASSERT_EQ(Ctl({"program", "--port", sim.device(), File("b.ign")}).status, 0);
  ASSERT_EQ(Ctl({"read", "--port", sim.device(), "-o", File("back.ign")}).status, 0);
  ASSERT_EQ(Ctl({"program", "--port", sim.device(), File("a.ign")}).status, 0);
  ASSERT_EQ(Ctl({"program", "--port", sim.device(), File("back.ign")}).status, 0);
  EXPECT_EQ(sim.ParameterBlock(), kBlockB);
}

TEST_F(CtlDevice, ReadAndProgramKeepTheSetInTheHistory) {
  Simulator sim(kSim, m_dir, {});
  ASSERT_TRUE(sim.started());
  ASSERT_EQ(Ctl({"program", "--port", sim.device(), File("a.ign")}).status, 0);
  ASSERT_EQ(Ctl({"read", "--port", sim.device(), "-o", File("r.ign")}).status, 0);
  ASSERT_EQ(Ctl({"verify", "--port", sim.device(), File("a.ign")}).status, 0);
  ASSERT_EQ(Ctl({"program", "--no-history", "--port", sim.device(), File("b.ign")}).status, 0);
  // Newest first: the read, then the program; each opens as the set it kept.
  // Columns split on tabs, one line per set.
  const RunResult list = Ctl({"history"});
  const std::string read = list.out.substr(0, list.out.find("\tread\tSIM03\t14. 3.2025\t10:30\t"));
  const std::size_t second = list.out.find('\n') + 1;
  const std::string program = list.out.substr(second, list.out.find("\tprogram", second) - second);
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2) << list.out;
  EXPECT_EQ(Ctl({"diff", read, File("r.ign")}).status, 0) << list.out;
  EXPECT_EQ(Ctl({"diff", program, File("a.ign")}).status, 0) << list.out;
  EXPECT_TRUE(Contains(list.out, "\tprogram\tSIM03\t14. 3.2025\t10:30\t" + File("a.ign") + "\t\n"))
      << list.out;
  // A history that cannot be written is said once and never fails what the unit did.
  const RunResult unkept = e2e::Run(kCtl, {"read", "--port", sim.device(), "-o", File("u.ign")},
                                    {"HOME=" + m_dir.path(), "XDG_DATA_HOME=" + File("a.ign")});
  EXPECT_EQ(unkept.status, 0) << unkept.err;
  EXPECT_TRUE(Contains(unkept.err, "\nThe set could not be kept in the history: " + File("a.ign") +
                                       "/qm17/history\n"))
      << unkept.err;
}

TEST_F(CtlDevice, PortNumbersAndUsage) {
  Simulator sim(kSim, m_dir, {});
  ASSERT_TRUE(sim.started());
  std::filesystem::create_directories(File("qm17"));
  m_dir.Write("qm17/Tarvex.ini", "[PORTS]\r\nCOM3=" + sim.device() + "\r\n");

  struct Case {
    std::vector<std::string> args;
    int status;
    const char* err;
  };
  const Case cases[] = {
      {{"verify", "--port", "3", File("b.ign")}, 1, "Verify error!"},  // reaches the unit
      {{"read", "--port", "3"}, 0, ""},
      {{"read", "--port", File("missing-device")}, 3, "Com opening error!\n"},
      {{"read", "--port", File("missing-device")}, 3, "missing-device: no such device"},
      {{"read", "--port", File("a.ign")}, 3, "a.ign: not a serial device"},
      {{"ports", "--bad"}, 2, ""},
      {{"read", "--port", File("a.ign")}, 3, "Com opening error!"},  // not a terminal
      {{"read", "--port", m_dir.path()}, 3, "Com opening error!"},   // a folder
      {{"read", "--port", "/dev/null"}, 3, "Com opening error!"},    // a device, not a line
      {{"read", "--port", "11"}, 2, ""},
      {{"read", "--port", "0"}, 2, ""},
      {{"read"}, 2, ""},
      {{"program", "--port", "3"}, 2, ""},
      {{"verify", "--port", "3", File("a.ign"), File("b.ign")}, 2, ""},
      {{"read", "--port", "3", "--lang", "fr"}, 2, ""},
      {{"monitor", "--port", "3", "--count", "0"}, 2, ""},
      {{"monitor", "--port", "3", "--count", "-3"}, 2, "positive number"},
      {{"monitor", "--port", "3", "--count", "99999999999"}, 2, "positive number"},
      {{"monitor", "--port", "3", "--count", "4x"}, 2, "positive number"},
      {{"monitor", "--port", "3", "--count"}, 2, "needs a value"},
      {{"read", "--port", "3", "--csv"}, 2, ""},
      {{"program", "--port", "3", File("no-such.ign")}, 1, "Open file error!"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const auto& arg : c.args) line += arg + " ";
    SCOPED_TRACE(line);
    const RunResult result = Ctl(c.args);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
  }
  EXPECT_EQ(sim.ParameterBlock(), kDefaultBlock);
  // The list names each number's device, as the settings map it.
  EXPECT_TRUE(Contains(Ctl({"ports"}).out, "Com 3   " + sim.device() + "\n"));
  EXPECT_TRUE(Contains(
      Ctl({"ports", "--json"}).out,
      "{\"com\": 3, \"device\": \"" + sim.device() + "\", \"present\": true, \"adapter\": null}"));
}

TEST_F(CtlDevice, AFileOfAnotherVersionIsRefusedBeforeTheUnitIsTouched) {
  Simulator sim(kSim, m_dir, {});
  ASSERT_TRUE(sim.started());
  m_dir.Write("old.ign", "KORVALEX_KEY 25\r\nPOCET_BODU 3\r\n");
  const RunResult result = Ctl({"program", "--port", sim.device(), File("old.ign")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "Unmatched version of *.ign file!")) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(sim.ParameterBlock(), kDefaultBlock);
}

TEST_F(CtlDevice, AFileOnStandardInputIsReadLikeAnyOther) {
  Simulator sim(kSim, m_dir, {});
  ASSERT_TRUE(sim.started());
  struct Case {
    const char* input;
    int status;
    const char* err;
    Bytes block;  // what the unit holds afterwards
  };
  const Case cases[] = {
      {"b.ign", 0, "", kBlockB},
      // An input without end is refused, not read until memory runs out.
      {"/dev/zero", 1, "Open file error!", kBlockB},
      {"old.ign", 1, "Unmatched version of *.ign file!", kBlockB},
  };
  m_dir.Write("old.ign", "KORVALEX_KEY 25\r\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    const std::string input = c.input[0] == '/' ? c.input : File(c.input);
    const RunResult result = e2e::Run(kCtl, {"program", "--port", sim.device(), "-"},
                                      {"HOME=" + m_dir.path()}, 20000, input);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
    EXPECT_EQ(sim.ParameterBlock(), c.block);
  }
}

// A unit and the command run against it; cases that spend their time waiting for a line's
// time-outs run side by side, each with a unit of its own.
struct UnitAndCommand {
  TempDir dir;
  std::optional<Simulator> unit;
  std::optional<Background> command;
};

TEST_F(CtlDevice, OutputThatCannotBeWrittenFailsTheCommand) {
  struct Case {
    std::vector<std::string> args;  // the command and what follows its port
    const char* output;             // where standard output goes
    const char* err;
  };
  const Case cases[] = {
      {{"read"}, "/dev/full", "standard output cannot be written"},
      {{"monitor", "--csv"}, "/dev/full", "standard output cannot be written"},
      {{"read", "-o", m_dir.path()}, "/dev/null", "Open file error!"},
  };
  std::vector<UnitAndCommand> runs(std::size(cases));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    runs[i].unit.emplace(kSim, runs[i].dir, std::vector<std::string>{});
    ASSERT_TRUE(runs[i].unit->started());
    std::vector<std::string> args = cases[i].args;
    args.insert(args.begin() + 1, {"--port", runs[i].unit->device()});
    runs[i].command.emplace(kCtl, args, std::vector<std::string>{"HOME=" + m_dir.path()},
                            "/dev/null", cases[i].output);
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(cases[i].args.front() + " > " + cases[i].output);
    const RunResult result = runs[i].command->Finish(10000);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_TRUE(Contains(result.err, cases[i].err)) << result.err;
  }
}

// Each line of a frame log ends in a received frame's command byte.
std::vector<std::string> ReceivedCommands(const std::string& log) {
  std::ifstream frames(log);
  std::vector<std::string> commands;
  for (std::string line; std::getline(frames, line);)
    commands.push_back(line.substr(line.size() - 2));
  return commands;
}

TEST_F(CtlDevice, ASilentUnitFailsEveryOperationAfterItsRetries) {
  struct Case {
    const char* command;
    std::vector<std::string> more;
    const char* err;
    const char* frame;  // the first frame's command byte; it goes out five times
  };
  const Case cases[] = {
      {"program", {File("a.ign")}, "Program error!", "00"},
      {"verify", {File("a.ign")}, "Verify error!", "41"},
      {"read", {}, "Read error!", "40"},
      {"verify", {File("a.ign"), "--lang", "de"}, "Vergleichsfehler", "41"},
      {"program", {File("a.ign"), "--lang", "cz"}, "Chyba programování", "00"},
  };
  std::vector<UnitAndCommand> runs(std::size(cases));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    runs[i].unit.emplace(
        kSim, runs[i].dir,
        std::vector<std::string>{"--silent", "--frame-log", runs[i].dir.File("log")});
    ASSERT_TRUE(runs[i].unit->started());
    std::vector<std::string> args = {cases[i].command, "--port", runs[i].unit->device()};
    args.insert(args.end(), cases[i].more.begin(), cases[i].more.end());
    runs[i].command.emplace(kCtl, args, Environment());
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(cases[i].err);
    const RunResult result = runs[i].command->Finish(20000);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, cases[i].err)) << result.err;
    EXPECT_FALSE(Contains(result.out, " OK")) << result.out;
    EXPECT_EQ(ReceivedCommands(runs[i].dir.File("log")),
              std::vector<std::string>(5, cases[i].frame));
    EXPECT_EQ(runs[i].unit->ParameterBlock(), kDefaultBlock);
  }
}

TEST_F(CtlDevice, AnInterruptedOperationStopsAndFails) {
  Simulator sim(kSim, m_dir, {"--silent"});
  ASSERT_TRUE(sim.started());
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    Background program(kCtl, {"verify", "--port", sim.device(), File("a.ign")});
    ASSERT_TRUE(program.WaitForError("Verify:\n", 5000));
    program.Signal(signal);
    const RunResult result = program.Finish(10000);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "qm17ctl: interrupted")) << result.err;
    // Ended by the signal, not by the retries running out.
    EXPECT_FALSE(Contains(result.err, "Verify error!")) << result.err;
  }
}

TEST_F(CtlDevice, AWrongCompatibilityCodeStopsBeforeAnythingIsWritten) {
  const std::string log = File("frames.log");
  Simulator sim(kSim, m_dir, {"--compat", "25", "--frame-log", log});
  ASSERT_TRUE(sim.started());
  for (const char* command : {"program", "read"}) {
    SCOPED_TRACE(command);
    const std::size_t before = ReceivedCommands(log).size();
    std::vector<std::string> args = {command, "--port", sim.device()};
    if (std::string(command) == "program") args.push_back(File("a.ign"));
    const RunResult result = Ctl(args);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, "Unmatched version of PC and Ignition programs!"))
        << result.err;
    EXPECT_TRUE(Contains(result.err, "compatibility code 25; this program works with code 26"))
        << result.err;
    EXPECT_FALSE(Contains(result.out, "Verify:")) << result.out;
    EXPECT_EQ(ReceivedCommands(log).size(), before + 1);  // the unit's first answer ends it
  }
  EXPECT_EQ(sim.ParameterBlock(), kDefaultBlock);
}

// A unit that changes a value fails Program and every later Verify, and the messages and diff
// list what it holds otherwise.
TEST_F(CtlDevice, FailuresAndDiffSayWhatTheUnitHolds) {
  // Diff against units that hold the default set, each of its own, beside the rest.
  m_dir.Write("default.ign", kDefaultFile);
  struct DiffCase {
    const char* file;
    int status;
    const char* out;
  };
  const DiffCase diffs[] = {
      {"default.ign", 0, "The parameter sets are the same.\n"},
      {"b.ign", 1, "Number of items: 7 → 15\nBase advance: 20 → 10 [°]\n"},
  };
  std::vector<UnitAndCommand> runs(std::size(diffs));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    runs[i].unit.emplace(kSim, runs[i].dir, std::vector<std::string>{});
    ASSERT_TRUE(runs[i].unit->started());
    runs[i].command.emplace(
        kCtl,
        std::vector<std::string>{"diff", "--port", runs[i].unit->device(), File(diffs[i].file)},
        Environment());
  }

  const std::string limiter = "Limiter: 13000 → 12900 [rpm]\n";
  Simulator sim(kSim, m_dir, {"--clamp"});
  ASSERT_TRUE(sim.started());
  const RunResult program = Ctl({"program", "--port", sim.device(), File("a.ign")});
  EXPECT_EQ(program.status, 1);
  EXPECT_TRUE(Contains(program.err, "Program error!")) << program.err;
  EXPECT_TRUE(Contains(program.err, "The unit holds otherwise (file → unit):\n  " + limiter))
      << program.err;
  EXPECT_FALSE(Contains(program.out, "Verify:")) << program.out;
  Bytes clamped = kBlockA;
  clamped[2] = 129;  // the unit keeps the limiter 100 rpm lower
  EXPECT_EQ(sim.ParameterBlock(), clamped);
  const RunResult verify = Ctl({"verify", "--port", sim.device(), File("a.ign"), "--lang", "de"});
  EXPECT_EQ(verify.status, 1);
  EXPECT_TRUE(Contains(verify.err, "Die Zündbox enthält andere Werte (Datei → Zündbox):\n  "))
      << verify.err;
  const RunResult diff = Ctl({"diff", "--port", sim.device(), File("a.ign")});
  EXPECT_EQ(diff.status, 1) << diff.err;
  EXPECT_EQ(diff.out, limiter);
  EXPECT_EQ(sim.Stop(), 0);

  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(diffs[i].file);
    const RunResult result = runs[i].command->Finish(20000);
    EXPECT_EQ(result.status, diffs[i].status) << result.err;
    EXPECT_EQ(result.out, diffs[i].out);
    EXPECT_EQ(runs[i].unit->ParameterBlock(), kDefaultBlock);  // nothing was written
  }
  EXPECT_EQ(Ctl({"diff", "--port", File("missing"), File("b.ign")}).status, 3);
}

TEST_F(CtlDevice, AWrongAnswerByteIsNeverTakenForAnAnswer) {
  Simulator sim(kSim, m_dir, {"--wrong-answer"});
  ASSERT_TRUE(sim.started());
  const RunResult result = Ctl({"read", "--port", sim.device(), "-o", File("r.ign")});
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "Read error!")) << result.err;
  EXPECT_FALSE(std::ifstream(File("r.ign")).good());  // nothing written on failure
}

// A damaged line may make an operation fail, but " OK" must mean the unit holds the set.
TEST_F(CtlDevice, ADamagedLineNeverReportsSuccessFalsely) {
  // Each kind of damage on two units with seeds of their own, all side by side: each step
  // waits out the lines' retries.
  const char* const faults[] = {"--corrupt", "--junk", "--drop"};
  constexpr std::size_t kUnitsPerFault = 2;
  std::vector<UnitAndCommand> runs(std::size(faults) * kUnitsPerFault);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    runs[i].unit.emplace(kSim, runs[i].dir,
                         std::vector<std::string>{faults[i / kUnitsPerFault], "0.2", "--seed",
                                                  std::to_string(11 + i % kUnitsPerFault)});
    ASSERT_TRUE(runs[i].unit->started());
  }
  int successes[std::size(faults)] = {};
  // Alternate sets, so that an " OK" cannot lean on what the unit held before.
  for (const auto& [file, block] : {std::pair{"a.ign", kBlockA}, std::pair{"b.ign", kBlockB}}) {
    for (const std::string command : {"program", "verify"}) {
      for (UnitAndCommand& run : runs) {
        run.command.emplace(
            kCtl, std::vector<std::string>{command, "--port", run.unit->device(), File(file)},
            Environment());
      }
      for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(command + " " + file + " with " + faults[i / kUnitsPerFault] + " on unit " +
                     std::to_string(i % kUnitsPerFault));
        const RunResult result = runs[i].command->Finish(20000);
        ASSERT_NE(result.status, -1) << "hung";
        if (result.status == 0) {
          successes[i / kUnitsPerFault] += command == "program";
          EXPECT_EQ(runs[i].unit->ParameterBlock(), block);
        } else if (command == "program") {
          EXPECT_EQ(result.status, 1);
          EXPECT_FALSE(Contains(result.out, " OK"));
        }
      }
    }
  }
  // The retries get through a line this bad now and then.
  for (std::size_t f = 0; f < std::size(faults); ++f) EXPECT_GT(successes[f], 0) << faults[f];
}

TEST_F(CtlDevice, AUnitVanishingMidOperationEndsInFailureNotAHang) {
  struct Case {
    const char* command;
    const char* dieAfter;
    const char* err;
  };
  const Case cases[] = {
      // Gone after answering the identification block: the block went out, unanswered.
      {"program", "1", "Program error!\n  The unit stopped answering after the new parameters"},
      // Gone after storing the block, before the verify.
      {"program", "2", "Verify error!\n  The unit stopped answering after the new parameters"},
      {"verify", "1", ""},  // answered, then gone: the verify itself succeeds
      {"read", "1", "Read error!\n  Nothing was written to the unit."},
      {"read", "2", "Verify error!\n  Nothing was written to the unit."},  // before the verify
  };
  m_dir.Write("default.ign", kDefaultFile);
  std::vector<UnitAndCommand> runs(std::size(cases));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::string command = cases[i].command;
    runs[i].unit.emplace(kSim, runs[i].dir,
                         std::vector<std::string>{"--die-after", cases[i].dieAfter});
    ASSERT_TRUE(runs[i].unit->started());
    std::vector<std::string> args = {command, "--port", runs[i].unit->device()};
    // Verify of the default set in the unit against the file fails on the first answer.
    if (command == "verify") args.push_back(File("default.ign"));
    if (command == "program") args.push_back(File("b.ign"));
    runs[i].command.emplace(kCtl, args, Environment());
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(std::string(c.command) + " after " + c.dieAfter);
    const RunResult result = runs[i].command->Finish(20000);
    if (std::string(c.command) == "verify") {
      EXPECT_EQ(result.status, 0) << result.err;
    } else {
      EXPECT_EQ(result.status, 1);
      EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
    }
    EXPECT_TRUE(runs[i].unit->WaitForExit(1000));
  }
}

TEST_F(CtlDevice, AUnitKilledBeforeItAnswersEndsInFailureNotAHang) {
  struct Case {
    const char* command;
    const char* status;  // shown once the port is open and the operation has begun
    const char* err;
  };
  const Case cases[] = {
      {"read", "Read:\n", "Read error!"},
      {"verify", "Verify:\n", "Verify error!"},
      {"program", "Program device:\n", "Program error!"},
  };
  std::vector<UnitAndCommand> runs(std::size(cases));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::string command = cases[i].command;
    // A slow unit: whether its first request has gone out or not, no answer ever comes.
    runs[i].unit.emplace(kSim, runs[i].dir, std::vector<std::string>{"--delay", "5000"});
    ASSERT_TRUE(runs[i].unit->started());
    std::vector<std::string> args = {command, "--port", runs[i].unit->device()};
    if (command == "read") {
      args.insert(args.end(), {"-o", File("read.ign")});
    } else {
      args.push_back(File("b.ign"));
    }
    runs[i].command.emplace(kCtl, args);
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(cases[i].command);
    ASSERT_TRUE(runs[i].command->WaitForError(cases[i].status, 5000));
    runs[i].unit->Stop(SIGKILL);
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(cases[i].command);
    const RunResult result = runs[i].command->Finish(20000);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(result.err, cases[i].err)) << result.err;
  }
  EXPECT_FALSE(std::filesystem::exists(File("read.ign")));
}

// Costs in time: run apart from the rest (label timing), on a quiet machine.
class CtlDeviceTiming : public CtlDevice {};

TEST_F(CtlDeviceTiming, ALineThatGoesDeadIsWaitedForNeverPolledInALoop) {
  const std::string link = File("unit-link");
  {
    Simulator sim(kSim, m_dir, {"--die-after", "1"});
    ASSERT_TRUE(sim.started());
    const RunResult result = Ctl({"read", "--port", sim.device()});
    EXPECT_EQ(result.status, 1);
    EXPECT_LT(result.seconds, 10.0);
    EXPECT_LT(result.cpuSeconds, 0.5);
  }
  {
    Simulator sim(kSim, m_dir, {"--delay", "5000"});
    ASSERT_TRUE(sim.started());
    Background program(kCtl, {"verify", "--port", sim.device(), File("b.ign")});
    ASSERT_TRUE(program.WaitForError("Verify:\n", 5000));
    sim.Stop(SIGKILL);
    const RunResult result = program.Finish(20000);
    EXPECT_EQ(result.status, 1);
    EXPECT_LT(result.seconds, 10.0);
    EXPECT_LT(result.cpuSeconds, 0.5);
  }
  // A monitor gives up about 100 silent ticks after the last frame.
  Simulator sim(kSim, m_dir, {"--link", link, "--die-after", "1"});
  ASSERT_TRUE(sim.started());
  const RunResult result = Ctl({"monitor", "--port", link, "--count", "3", "--csv"});
  EXPECT_EQ(result.status, 1);
  EXPECT_GT(result.seconds, 5.0);
  EXPECT_LT(result.seconds, 20.0);
  EXPECT_LT(result.cpuSeconds, 0.5);
}

TEST_F(CtlDeviceTiming, PollsGoOutEvery330Ms) {
  Simulator sim(kSim, m_dir, {});
  ASSERT_TRUE(sim.started());
  const RunResult result = Ctl({"monitor", "--port", sim.device(), "--count", "3", "--csv"});
  EXPECT_EQ(result.status, 0) << result.err;
  // Three answers take about a second.
  EXPECT_GT(result.seconds, 0.8);
  EXPECT_LT(result.seconds, 8.0);
}

TEST_F(CtlDevice, MonitorWritesOneCsvLinePerMonitorFrame) {
  Simulator sim(kSim, m_dir, {});
  ASSERT_TRUE(sim.started());
  const RunResult result = Ctl({"monitor", "--port", sim.device(), "--count", "3", "--csv"});
  EXPECT_EQ(result.status, 0) << result.err;
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t end; (end = result.out.find('\n', from)) != std::string::npos; from = end + 1) {
    lines.push_back(result.out.substr(from, end - from));
  }
  ASSERT_EQ(lines.size(), 4u) << result.out;
  EXPECT_EQ(lines[0],
            "time_s,rpm,advance_deg,voltage_v,speed_alarm,speed_warning,start_limiter,retard,"
            "polarity_negative,polarity_ok,program_count,test1,test2,test3,test4,test5,test6,"
            "test7,test8");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    int commas = 0;
    for (char ch : lines[i]) commas += ch == ',';
    EXPECT_EQ(commas, 18) << lines[i];
    // The default curve gives 10 degrees, 4 with the retard; the supply is near 13.8 V.
    EXPECT_TRUE(Contains(lines[i], ",10,13.") || Contains(lines[i], ",4,13.")) << lines[i];
  }

  const RunResult text = Ctl({"monitor", "--port", sim.device(), "--count", "1", "--lang", "de"});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(Contains(text.out, "Vorzündung= ")) << text.out;
  EXPECT_TRUE(Contains(text.out, "Programmierungszahl= 0")) << text.out;
}

// Two monitors side by side, as the give-up waits out its silent ticks: one unit comes back
// under the same name, the other never does.
TEST_F(CtlDevice, AMonitorComesBackWhenTheUnitDoesElseGivesUpCalmly) {
  // Through links of this test's own: the vanished terminal's number may be handed to a
  // simulator of another test running at the same time, which the monitor would then find.
  const std::string back = File("unit-back"), gone = File("unit-gone");
  auto first = std::make_unique<Simulator>(
      kSim, m_dir, std::vector<std::string>{"--link", back, "--die-after", "2"});
  ASSERT_TRUE(first->started());
  TempDir goneDir;
  Simulator never(kSim, goneDir, {"--link", gone, "--die-after", "1"});
  ASSERT_TRUE(never.started());
  Background returning(kCtl, {"monitor", "--port", back, "--count", "4", "--csv"});
  Background giving(kCtl, {"monitor", "--port", gone, "--count", "3", "--csv"});
  // Two polls answered, then the unit is gone until a new one appears under the same name.
  ASSERT_TRUE(first->WaitForExit(5000));
  first.reset();
  Simulator second(kSim, m_dir, {"--link", back});
  ASSERT_TRUE(second.started());
  const auto lines = [](const std::string& out) {
    return std::count(out.begin(), out.end(), '\n');
  };
  const RunResult resumed = returning.Finish(15000);
  EXPECT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_TRUE(Contains(resumed.err, "No connection with PC")) << resumed.err;
  EXPECT_EQ(lines(resumed.out), 5) << resumed.out;

  const RunResult result = giving.Finish(20000);
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(Contains(result.err, "No connection with PC")) << result.err;
  EXPECT_EQ(lines(result.out), 2) << result.out;  // the header and the one answer
}

TEST_F(CtlDevice, ASlowUnitStillGetsThrough) {
  // Each answer comes 100 ms late, well inside the four ticks before a re-send.
  Simulator sim(kSim, m_dir, {"--delay", "100"});
  ASSERT_TRUE(sim.started());
  const RunResult program = Ctl({"program", "--port", sim.device(), File("b.ign")});
  EXPECT_EQ(program.status, 0) << program.err;
  EXPECT_EQ(sim.ParameterBlock(), kBlockB);
  EXPECT_EQ(Ctl({"verify", "--port", sim.device(), File("b.ign")}).status, 0);
}

TEST_F(CtlDevice, TheSimulatorEndsOnEachStopSignalAndRemovesItsLink) {
  struct Case {
    int signal;
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {SIGTERM, {}},
      {SIGINT, {}},
      {SIGHUP, {}},
      // Even while it holds back an answer for a minute.
      {SIGTERM, {"--delay", "60000"}},
  };
  // Side by side, each on a link of its own.
  std::vector<UnitAndCommand> runs(std::size(cases));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    std::vector<std::string> options = cases[i].options;
    options.insert(options.end(), {"--link", runs[i].dir.File("unit-link")});
    runs[i].unit.emplace(kSim, runs[i].dir, options);
    ASSERT_TRUE(runs[i].unit->started());
    runs[i].command.emplace(
        kCtl, std::vector<std::string>{"monitor", "--port", runs[i].dir.File("unit-link"),
                                       "--count", "1"});
  }
  // Stop once the first poll has surely arrived, answered or not.
  poll(nullptr, 0, 600);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(cases[i].signal);
    EXPECT_EQ(runs[i].unit->Stop(cases[i].signal), 0);  // at once: the stop would kill it after 3 s
    EXPECT_FALSE(std::filesystem::is_symlink(runs[i].dir.File("unit-link")));
  }
}

TEST_F(CtlDevice, ASimulatorLeavesALinkThatAnotherTookOverAlone) {
  const std::string link = File("unit-link");
  Simulator first(kSim, m_dir, {"--link", link});
  ASSERT_TRUE(first.started());
  Simulator second(kSim, m_dir, {"--link", link});
  ASSERT_TRUE(second.started());
  EXPECT_EQ(first.Stop(), 0);
  std::error_code error;
  EXPECT_EQ(std::filesystem::read_symlink(link, error).string(), second.device());
  EXPECT_EQ(Ctl({"read", "--port", link}).status, 0);
  EXPECT_EQ(second.Stop(), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

// The unit's identification text is printed on a terminal: its control characters (an
// escape sequence could retitle or clear the terminal) are never passed on.
TEST_F(CtlDevice, ControlCharactersFromTheUnitNeverReachTheTerminal) {
  Simulator sim(kSim, m_dir, {"--ident", "\x1b]2;owned\x07\x1b[2J\x7fQM"});
  ASSERT_TRUE(sim.started());
  const RunResult read = Ctl({"read", "--port", sim.device(), "-o", File("r.ign")});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.err, "Read:\nVerify:\nVerify: OK\n?]2;owned??[2J?QM 14. 3.2025 10:30\n");
}

TEST(SimCommandLine, HelpNamesEveryOptionAndBadValuesAreRefused) {
  const RunResult help = e2e::Run(kSim, {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option :
       {"--link PATH", "--state FILE", "--seed N", "--ident TEXT", "--compat N", "--silent",
        "--drop P", "--corrupt P", "--junk P", "--delay MS", "--wrong-answer", "--clamp",
        "--die-after N", "--help"}) {
    EXPECT_TRUE(Contains(help.out, option)) << option;
  }
  struct Case {
    std::vector<std::string> args;
    const char* err;
  };
  const Case cases[] = {
      {{"--drop", "-0.1"}, "bad probability"},
      {{"--corrupt", "1.5"}, "bad probability"},
      {{"--junk", "nan"}, "bad probability"},
      {{"--drop", "half"}, "bad probability"},
      {{"--die-after", "0"}, "bad frame count"},
      {{"--die-after", "99999999999999999999"}, "bad frame count"},
      {{"--delay", "-5"}, "bad delay"},
      {{"--compat", "256"}, "bad compatibility code"},
      {{"--seed", "x"}, "bad seed"},
      {{"--link"}, "needs a value"},
      {{"--bogus", "1"}, "unknown option: --bogus"},
      {{"stray"}, "unexpected argument: stray"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const RunResult result = e2e::Run(kSim, c.args, {}, 5000);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(Contains(result.err, c.err)) << result.err;
    EXPECT_EQ(result.out, "");  // no terminal was made
  }
}

}  // namespace
}  // namespace qm17::e2e
