#include "files/history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/temp_folder.h"
#include "files/parameter_file.h"

namespace qm17 {
namespace {

// 2026-12-09 03:04:05.000007 UTC
const auto kWhen =
    std::chrono::system_clock::time_point(std::chrono::microseconds(1796785445000007));

// Its text holds words a reader would take for the key and a keyword, were they left as is.
HistoryEntry HostileEntry() {
  HistoryEntry entry{
      "program",    {},      "", "QM 17_a",
      "14. 3.2025", "10:30", 17, "/tmp/křivka KORVALEX_KEY 26\r\nADVANCE 300 %41.ign",
      "ČZ 125, Jiří\nKORVALEX_KEY 26 ADVANCE 60"};
  SetDefaultImage(entry.image);
  entry.image[3] = 7;  // identification and a reserved byte: in the record only
  entry.image[77] = 9;
  entry.image[82] = 44;
  return entry;
}

TEST(HistoryFile, IsAParameterFileWhoseExtraLinesNoReaderTakes) {
  HistoryEntry entry = HostileEntry();
  entry.savedAt = "2026-12-09T03:04:05.000007Z";
  const std::string content = WriteHistoryFile(entry);
  const std::string set = WriteParameterFile(entry.image);
  const std::string extra = content.substr(0, content.size() - set.size());
  EXPECT_EQ(extra + set, content);
  EXPECT_EQ(extra.substr(0, 16), "qm17-history=1\r\n");
  EXPECT_NE(extra.find("\r\nunit-version=QM%2017%5fa\r\nunit-date=14.%203.2025\r\n"
                       "unit-time=10:30\r\nprogram-count=17\r\nfile=/tmp/k%c5%99ivka%20"
                       "KORVALEX%5fKEY%2026%0d%0aADVANCE%20300%20%2541.ign\r\nimage=000000070000"),
            std::string::npos)
      << extra;
  EXPECT_EQ(extra.find_first_of("_ \t"), std::string::npos);
  // The reader gives exactly the set; the record reads back whole, and edits by hand count.
  DeviceImage fromHistory{};
  DeviceImage fromFile{};
  ASSERT_TRUE(ReadParameterFile(content, fromHistory));
  ASSERT_TRUE(ReadParameterFile(set, fromFile));
  EXPECT_EQ(fromHistory, fromFile);
  EXPECT_EQ(ReadHistoryFile(content), entry);
  EXPECT_EQ(ReadHistoryFile(content + "\r\nPOCET_BODU 3")->image[50], 3);
  EXPECT_FALSE(ReadHistoryFile(extra));
}

TEST(KeepInHistory, NamesSortByTimeNeverCollideAndTheOldestGo) {
  testing::TempFolder temp;
  const std::string folder = temp.File("data/qm17/history");
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/x.ign") << "mine";
  HistoryEntry entry = HostileEntry();
  // Compared as paths: Windows joins with its own separator.
  using Path = std::filesystem::path;
  const std::string first = KeepInHistory(folder, entry, kWhen, 3);
  EXPECT_EQ(Path(first), Path(folder) / "20261209T030405.000007Z-program.ign");
  entry.operation = "read";
  const std::string same = KeepInHistory(folder, entry, kWhen, 3);
  const std::string next = KeepInHistory(folder, entry, kWhen, 3);
  EXPECT_EQ(Path(same), Path(folder) / "20261209T030405.000007Z-read.ign");
  EXPECT_EQ(Path(next), Path(folder) / "20261209T030405.000008Z-read.ign");
  const std::string latest = KeepInHistory(folder, entry, kWhen + std::chrono::hours(1), 3);
  EXPECT_EQ(ListHistory(folder), (std::vector<std::string>{latest, next, same}));
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_TRUE(std::filesystem::exists(folder + "/x.ign"));
  // A clock set back: the entry just written stays, the oldest of the later ones goes.
  const std::string backdated = KeepInHistory(folder, entry, kWhen - std::chrono::hours(1), 3);
  EXPECT_EQ(ListHistory(folder), (std::vector<std::string>{latest, next, backdated}));
  // Nowhere to write, or no operation: nothing kept.
  std::ofstream(temp.File("plain")) << "";
  EXPECT_EQ(KeepInHistory(temp.File("plain/history"), entry, kWhen), "");
  EXPECT_EQ(KeepInHistory(folder, HistoryEntry{}, kWhen), "");
}

}  // namespace
}  // namespace qm17
