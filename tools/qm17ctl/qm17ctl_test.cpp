// Runs the qm17ctl program itself and checks its files, output and exit status.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/known_answers.h"
#include "common/run_program.h"
#include "common/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr const auto& kDefaultFile = qm17::test::kDefaultParameterFile;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

class Qm17ctl : public ::testing::Test {
 protected:
  fs::path Path(const std::string& name) const { return m_folder / name; }

  // Runs the program with the arguments, its output captured in files.
  Result Run(const std::vector<std::string>& args, const fs::path& input = {},
             const fs::path& output = {}) const {
    const fs::path outPath = output.empty() ? Path("stdout.txt") : output;
    const fs::path errPath = Path("stderr.txt");
    Result result;
    result.status = qm17::test::RunProgram(
        QM17CTL_PATH, args, input.empty() ? fs::path(qm17::test::kNullDevice) : input, outPath,
        errPath);
    result.out = output.empty() ? ReadFile(outPath) : "";
    result.err = ReadFile(errPath);
    return result;
  }

  qm17::testing::TempFolder m_temp;
  const fs::path m_folder = m_temp.path();
};

TEST_F(Qm17ctl, NewWritesTheDefaultFile) {
  const Result r = Run({"new", Path("x.ign").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("x.ign")), kDefaultFile);
  const Result toStdout = Run({"new", "-"});
  EXPECT_EQ(toStdout.status, 0);
  EXPECT_EQ(toStdout.out, kDefaultFile);
  // A name with letters beyond ASCII reaches the file system as they are.
  const std::string czech = m_temp.File("Příklad.ign");
  EXPECT_EQ(Run({"new", czech}).status, 0);
  EXPECT_EQ(ReadFile(m_folder / fs::path(u8"Příklad.ign")), kDefaultFile);
  EXPECT_EQ(Run({"show", czech}).status, 0);
}

TEST_F(Qm17ctl, NormaliseMakesSpeedsAscendingAndHoldsRanges) {
  WriteFile(Path("in.ign"),
            "KORVALEX_KEY 26\n"
            "RPM_ADV 5000 4000\n"
            "ADVANCE 61 0 60\n"
            "POLARITA 7\n"
            "LIMITER 160 150 30\n"
            "POCET_BODU 0\n");
  const Result r = Run({"normalise", Path("in.ign").string(), "-o", Path("out.ign").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("out.ign")),
            "KORVALEX_KEY   26 \r\n"
            "\r\n"
            "RPM_ADV      5000  5100  5200  5300  5400  6000  7000  8000  9000 10000 11000 12000 "
            "13000 14000 15000 \r\n"
            "ADVANCE        60     0    60    10    10    10    10    10    10    10    10    10 "
            "   10    10    10 \r\n"
            "POCET_BODU      1 \r\n"
            "BASE_ADV       10 \r\n"
            "LIMITER       160   160    25 \r\n"
            "POLARITA        2 \r\n"
            "GEBER_NR        1 \r\n"
            "PILOT_LIGHT 12000 ");
  const Result toStdout = Run({"normalise", Path("in.ign").string()});
  EXPECT_EQ(toStdout.status, 0);
  EXPECT_EQ(toStdout.out, ReadFile(Path("out.ign")));
  const Result fromStdin = Run({"normalise", "-"}, Path("in.ign"));
  EXPECT_EQ(fromStdin.status, 0);
  EXPECT_EQ(fromStdin.out, ReadFile(Path("out.ign")));
}

TEST_F(Qm17ctl, ShowPrintsJson) {
  WriteFile(Path("in.ign"), "KORVALEX_KEY 26\nPOCET_BODU 3\nRPM_ADV 20000\nPOLARITA 0\n");
  const Result r = Run({"show", "--json", Path("in.ign").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* expected : {"{\n  \"pointCount\": 3,\n", "  \"limiterRpm\": 15000,\n",
                               "  \"polarity\": \"positive\",\n",
                               "\"points\": [\n    {\"rpm\": 18600, \"advance\": 10},\n",
                               "    {\"rpm\": 20000, \"advance\": 10}\n  ]\n}\n"}) {
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << " in\n" << r.out;
  }
}

TEST_F(Qm17ctl, ShowPrintsATable) {
  WriteFile(Path("in.ign"), kDefaultFile);
  const Result r = Run({"show", Path("in.ign").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Limiter [rpm]              15000\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Polarity of CKPS          selfsearch\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("   15  15000       10\n"), std::string::npos) << r.out;
}

TEST_F(Qm17ctl, ShowAndNormaliseReportWhatLoadingChanges) {
  WriteFile(Path("in.ign"), "KORVALEX_KEY 26\nADVANCE 300\nLIMITER 60 150 30\n");
  const std::string in = Path("in.ign").string();
  for (const std::string command : {"show", "normalise"}) {
    const Result r = Run({command, in});
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_EQ(r.err, in + ": Changed on loading (file → loaded):\n"
                          "  Retard: 30 → 25 [°]\n  Point 1 advance: 300 → 44 [°]\n");
    EXPECT_NE(r.out, "") << command;
  }
  WriteFile(Path("in.ign"), kDefaultFile);
  EXPECT_EQ(Run({"show", in}).err, "");
}

TEST_F(Qm17ctl, DiffListsWhatDiffers) {
  WriteFile(Path("a.ign"), kDefaultFile);
  WriteFile(Path("b.ign"), "KORVALEX_KEY 26\nADVANCE 10 10 15\nLIMITER 60 140 6\nPOLARITA 0\n");
  const Result same = Run({"diff", Path("a.ign").string(), "-"}, Path("a.ign"));
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "The parameter sets are the same.\n");
  const Result differ = Run({"diff", Path("a.ign").string(), Path("b.ign").string()});
  EXPECT_EQ(differ.status, 1) << differ.err;
  EXPECT_EQ(differ.out,
            "Limiter: 15000 → 14000 [rpm]\nPolarity of CKPS: Selfsearch → Positive\n"
            "Point 3 advance: 10 → 15 [°]\n");
  const Result json = Run({"diff", "--json", Path("a.ign").string(), Path("b.ign").string()});
  EXPECT_EQ(json.status, 1) << json.err;
  EXPECT_EQ(
      json.out,
      "{\"command\": \"diff\", \"same\": false, \"differences\": ["
      "{\"field\": \"limiterRpm\", \"point\": null, \"byte\": 52, \"from\": 15000, \"to\": 14000}, "
      "{\"field\": \"polarity\", \"point\": null, \"byte\": 55, \"from\": 2, \"to\": 0}, "
      "{\"field\": \"pointAdvance\", \"point\": 3, \"byte\": 82, \"from\": 10, \"to\": 15}]}\n");
}

// Failures: the status, the message on standard error, and no output file.
struct FailureCase {
  const char* name;
  std::vector<std::string> args;  // "IN" stands for a file of the wrong version
  int status;
  std::string message;  // the start of standard error
};

TEST_F(Qm17ctl, Failures) {
  WriteFile(Path("old.ign"), "KORVALEX_KEY   25 \r\n\r\nPOCET_BODU     7 ");
  const std::string wrong = Path("old.ign").string();
  const std::string missing = Path("missing.ign").string();
  const std::string out = Path("out.ign").string();
  const FailureCase cases[] = {
      {"wrong version", {"show", wrong}, 1, "Unmatched version of *.ign file!\n"},
      {"wrong version, normalise",
       {"normalise", wrong, "-o", out},
       1,
       "Unmatched version of *.ign file!\n"},
      {"wrong version in Czech",
       {"--lang", "cz", "show", wrong},
       1,
       "Neshodná verze souboru *.ign!\n"},
      {"wrong version in German",
       {"show", wrong, "--lang=de"},
       1,
       "Uneinig Version der Datendatei *.ign!\n"},
      // Named by the program, with the file and (where the system gives one) the reason.
      {"missing file", {"show", missing}, 1, "qm17ctl: Open file error!\n  " + missing},
      {"missing file in Czech",
       {"normalise", missing, "--lang", "cz"},
       1,
       "qm17ctl: Chyba při otevírání souboru!\n  " + missing},
      {"a folder is no file",
       {"show", m_folder.string()},
       1,
       "qm17ctl: Open file error!\n  " + m_folder.string()},
      {"cannot write",
       {"new", Path("no/such/x.ign").string()},
       1,
       "qm17ctl: Open file error!\n  " + Path("no/such/x.ign").string()},
      {"no command", {}, 2, "usage: qm17ctl"},
      {"unknown command", {"frobnicate"}, 2, "qm17ctl: unknown command"},
      {"new without file", {"new"}, 2, "qm17ctl new: expected one FILE"},
      {"show with two files", {"show", wrong, wrong}, 2, "qm17ctl show: expected one FILE"},
      {"unknown option", {"show", "--yaml", wrong}, 2, "qm17ctl show: unknown option --yaml"},
      {"-o without OUT", {"normalise", wrong, "-o"}, 2, "qm17ctl normalise: -o needs OUT"},
      {"unknown language", {"--lang", "fr", "show", wrong}, 2, "qm17ctl: unknown language"},
      {"language missing", {"show", wrong, "--lang"}, 2, "qm17ctl: --lang needs"},
      {"history count", {"history", "-n", "0"}, 2, "qm17ctl history: -n takes a positive number"},
      {"diff of one file", {"diff", wrong}, 2, "qm17ctl diff: expected two FILEs"},
      {"diff, a file missing", {"diff", missing, wrong}, 2, "qm17ctl: Open file error!\n"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.err.substr(0, c.message.size()), c.message) << c.name << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.name;
    EXPECT_FALSE(fs::exists(out)) << c.name;
  }
}

// Standard output on a full device: the command fails instead of reporting success.
TEST_F(Qm17ctl, UnwritableStandardOutputFails) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no device that is always full";
  WriteFile(Path("in.ign"), kDefaultFile);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"new", "-"},
                                             {"show", Path("in.ign").string()},
                                             {"normalise", Path("in.ign").string()}}) {
    const Result r = Run(args, {}, "/dev/full");
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_EQ(r.err, "qm17ctl: standard output cannot be written\n") << args[0];
  }
}

TEST_F(Qm17ctl, HelpOnEveryCommand) {
  for (const std::string command : {"new", "show", "normalise", "diff", "history"}) {
    const Result r = Run({command, "--help"});
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_EQ(r.out.substr(0, 34 + command.size()),
              "usage: qm17ctl [--lang cz|en|de] " + command + " ")
        << r.out;
  }
  const Result r = Run({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("  normalise FILE [-o OUT]"), std::string::npos) << r.out;
}

TEST_F(Qm17ctl, VersionEqualsSignsAndHelpCommand) {
  EXPECT_EQ(Run({"--version"}).out, "qm17ctl 1.0\n");
  WriteFile(Path("old.ign"), "KORVALEX_KEY   25 \r\n");
  EXPECT_EQ(Run({"--lang", "cs", "show", Path("old.ign").string()}).err,
            "Neshodná verze souboru *.ign!\n");
  WriteFile(Path("in.ign"), kDefaultFile);
  const Result r = Run(
      {"--lang=cs", "normalise", Path("in.ign").string(), "--output=" + Path("out.ign").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(Path("out.ign")), kDefaultFile);
  const Result help = Run({"help", "read"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, Run({"read", "--help"}).out);
}

}  // namespace

namespace {

// note sets and shows a file's note and leaves its set as it is; show prints it; sheet writes
// a PDF; a file of another version gets no note.
TEST_F(Qm17ctl, NoteAndSheet) {
  const std::string file = Path("bike.ign").string();
  WriteFile(file, "hand-written line\r\n" + std::string(kDefaultFile));
  Result r = Run({"note", file, "Jan Dvořák\nČZ 125 KORVALEX_KEY 26"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string noted = ReadFile(file);
  EXPECT_TRUE(noted.ends_with("hand-written line\r\n" + std::string(kDefaultFile))) << noted;
  EXPECT_EQ(Run({"note", file}).out, "Jan Dvořák\nČZ 125 KORVALEX_KEY 26\n");
  EXPECT_EQ(Run({"show", file}).out, Run({"show", "-"}, Path("bike.ign")).out);
  EXPECT_NE(Run({"show", file}).out.find("\nNote:\n  Jan Dvořák\n  ČZ 125 KORVALEX_KEY 26\n"),
            std::string::npos);
  EXPECT_NE(Run({"show", "--json", file}).out.find("\"note\": \"Jan Dvořák\\u000aČZ 125"),
            std::string::npos);
  // A second note replaces the first; none leaves the file as it was.
  ASSERT_EQ(Run({"normalise", file, "-o", Path("same.ign").string()}).status, 0);
  EXPECT_EQ(Run({"note", Path("same.ign").string()}).out, "Jan Dvořák\nČZ 125 KORVALEX_KEY 26\n");
  ASSERT_EQ(Run({"note", file, "second"}).status, 0);
  EXPECT_EQ(ReadFile(file),
            "qm17-note=second\r\nhand-written line\r\n" + std::string(kDefaultFile));
  ASSERT_EQ(Run({"note", file, ""}).status, 0);
  EXPECT_EQ(ReadFile(file), "hand-written line\r\n" + std::string(kDefaultFile));

  r = Run({"--lang", "de", "sheet", file, "-o", Path("bike.pdf").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(ReadFile(Path("bike.pdf")).starts_with("%PDF-1.4\n"));
  r = Run({"sheet", file, "-o", Path("no/such/folder.pdf").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Open file error!"), std::string::npos) << r.err;

  WriteFile(Path("old.ign"), "KORVALEX_KEY 25");
  EXPECT_EQ(Run({"note", Path("old.ign").string(), "x"}).status, 1);
  EXPECT_EQ(ReadFile(Path("old.ign")), "KORVALEX_KEY 25");
}

}  // namespace
