#include "files/file_names.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "common/temp_folder.h"
#include "files/atomic_file.h"
#include "files/history.h"
#include "files/parameter_file.h"

namespace qm17 {
namespace {

// A Czech workshop's folder and file keep their letters when saved, listed and opened again,
// and so does the history kept there (on Windows a narrow name loses them).
TEST(FileNames, LettersOutsideAsciiSurviveSaveListAndOpen) {
  testing::TempFolder temp;
  const std::filesystem::path folder = PathFromUtf8(temp.File("Zapalování"));
  const std::string file = Utf8FromPath(folder / PathFromUtf8("Příklad.ign"));
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  ASSERT_TRUE(WriteRegularFileAtomically(file, "first") && WriteFileAtomically(file, "second"));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(Utf8FromPath(entry.path().filename()));
  }
  EXPECT_EQ(names, std::vector<std::string>{"Příklad.ign"});
  EXPECT_EQ(ReadRegularFile(file), "second");
  EXPECT_EQ(ReadWholeFile(file), "second");

  HistoryEntry entry{"read", {}, "", "", "", "", std::nullopt, file, {}};
  SetDefaultImage(entry.image);
  const std::string history = Utf8FromPath(folder / "historie");
  const std::string kept = KeepInHistory(history, entry, std::chrono::system_clock::now());
  EXPECT_EQ(ListHistory(history), std::vector<std::string>{kept});
  EXPECT_EQ(ReadHistoryFile(ReadRegularFile(kept).value_or("")).value_or(HistoryEntry{}).file,
            file);
}

}  // namespace
}  // namespace qm17
