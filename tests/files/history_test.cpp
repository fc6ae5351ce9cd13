#include "files/history.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/parameter_file.h"
#include "temp_folder.h"

namespace qm17 {
namespace {

// 2026-12-09 03:04:05.000007 UTC
const auto kWhen =
    std::chrono::system_clock::time_point(std::chrono::microseconds(1796785445000007));

HistoryEntry HostileEntry() {
  HistoryEntry entry;
  entry.operation = "program";
  SetDefaultImage(entry.image);
  entry.image[3] = 7;    // identification
  entry.image[77] = 9;   // reserved: not in the parameter file, kept in the record
  entry.image[82] = 44;  // point 3 advance
  entry.unitVersion = "QM 17_a";
  entry.unitDate = "14. 3.2025";
  entry.unitTime = "10:30";
  entry.programCount = 17;
  // Words a reader would take for the key and a keyword, were they left as they stand.
  entry.file = "/tmp/křivka KORVALEX_KEY 26\r\nADVANCE 300 %41.ign";
  return entry;
}

TEST(HistoryFile, IsAParameterFileWhoseExtraLinesNoReaderTakes) {
  HistoryEntry entry = HostileEntry();
  entry.savedAt = "2026-12-09T03:04:05.000007Z";
  const std::string content = WriteHistoryFile(entry);
  const std::string set = WriteParameterFile(entry.image);
  ASSERT_GT(content.size(), set.size());
  EXPECT_EQ(content.substr(content.size() - set.size()), set);
  const std::string extra = content.substr(0, content.size() - set.size());
  const std::string head =
      "qm17-history=1\r\nsaved-at=2026-12-09T03:04:05.000007Z\r\noperation=program\r\n"
      "unit-version=QM%2017%5fa\r\nunit-date=14.%203.2025\r\nunit-time=10:30\r\n"
      "program-count=17\r\nfile=/tmp/"
      "k%c5%99ivka%20KORVALEX%5fKEY%2026%0d%0aADVANCE%20300%20%2541.ign\r\n"
      "image=000000070000";
  EXPECT_EQ(extra.substr(0, head.size()), head);
  EXPECT_EQ(extra.find('_'), std::string::npos);
  for (const char c : extra) {
    EXPECT_TRUE((c > 0x20 && c < 0x7F) || c == '\r' || c == '\n') << static_cast<int>(c);
  }
  // The reader gives exactly the set, onto any image.
  DeviceImage fromHistory{};
  DeviceImage fromFile{};
  ASSERT_TRUE(ReadParameterFile(content, fromHistory));
  ASSERT_TRUE(ReadParameterFile(set, fromFile));
  EXPECT_EQ(fromHistory, fromFile);
  EXPECT_EQ(ReadHistoryFile(content), entry);
  // Edited by hand, the set is what the file now says; a plain file reads without extras.
  const auto edited = ReadHistoryFile(content + "\r\nPOCET_BODU 3");
  ASSERT_TRUE(edited);
  EXPECT_EQ(edited->image[50], 3);
  const auto plain = ReadHistoryFile(set);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->operation, "");
  EXPECT_FALSE(ReadHistoryFile(extra));
}

TEST(KeepInHistory, NamesSortByTimeNeverCollideAndTheOldestGo) {
  testing::TempFolder temp;
  const std::string folder = temp.File("data/qm17/history");
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/notes.txt") << "mine";
  std::ofstream(folder + "/x.ign") << "mine";
  HistoryEntry entry = HostileEntry();
  const std::string first = KeepInHistory(folder, entry, kWhen, 3);
  EXPECT_EQ(first, folder + "/20261209T030405.000007Z-program.ign");
  entry.operation = "read";
  EXPECT_EQ(KeepInHistory(folder, entry, kWhen, 3), folder + "/20261209T030405.000007Z-read.ign");
  EXPECT_EQ(KeepInHistory(folder, entry, kWhen, 3), folder + "/20261209T030405.000008Z-read.ign");
  const std::string latest = KeepInHistory(folder, entry, kWhen + std::chrono::hours(1), 3);
  EXPECT_EQ(ListHistory(folder),
            (std::vector<std::string>{latest, folder + "/20261209T030405.000008Z-read.ign",
                                      folder + "/20261209T030405.000007Z-read.ign"}));
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_TRUE(std::filesystem::exists(folder + "/notes.txt"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/x.ign"));
  std::ifstream in(latest, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto back = ReadHistoryFile(content);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->savedAt, "2026-12-09T04:04:05.000007Z");
  EXPECT_EQ(back->file, entry.file);
  // Nowhere to write: nothing kept, nothing claimed.
  std::ofstream(temp.File("plain")) << "";
  EXPECT_EQ(KeepInHistory(temp.File("plain/history"), entry, kWhen), "");
  EXPECT_EQ(KeepInHistory(folder, HistoryEntry{}, kWhen), "");
}

TEST(HistoryFolder, FromTheDataHome) {
  const char* savedXdg = std::getenv("XDG_DATA_HOME");
  const std::string xdg = savedXdg ? savedXdg : "";
  ::setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/home/u", 1);
  const std::string home = std::getenv("HOME");
  ::setenv("XDG_DATA_HOME", "/data", 1);
  EXPECT_EQ(HistoryFolder(), "/data/qm17/history");
  ::setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(HistoryFolder(), home + "/.local/share/qm17/history");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(HistoryFolder(), home + "/.local/share/qm17/history");
  if (savedXdg) ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
}

}  // namespace
}  // namespace qm17
