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
#include "files/settings_store.h"

namespace qm17 {
namespace {

// A Czech workshop's folder and file: saved, listed and opened again under the same letters,
// by every kind of write the program makes there (on Windows a narrow name loses them).
TEST(FileNames, LettersOutsideAsciiSurviveSaveListAndOpen) {
  testing::TempFolder temp;
  const std::string folder = temp.File("Zapalování");
  const std::string file = Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8("Příklad.ign"));
  ASSERT_TRUE(std::filesystem::create_directory(PathFromUtf8(folder)));
  ASSERT_TRUE(WriteRegularFileAtomically(file, "first"));
  ASSERT_TRUE(WriteFileAtomically(file, "second"));  // replaces, by the same name
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder))) {
    names.push_back(Utf8FromPath(entry.path().filename()));
  }
  EXPECT_EQ(names, std::vector<std::string>{"Příklad.ign"});
  EXPECT_EQ(ReadRegularFile(file), "second");
  EXPECT_EQ(ReadWholeFile(file), "second");

  IniFile settings;
  settings.WriteString("FORM_HLAV", "File", file);
  const std::string ini = Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8("Tarvex.ini"));
  ASSERT_TRUE(settings.Save(ini));
  IniFile loaded;
  ASSERT_TRUE(loaded.Load(ini));
  EXPECT_EQ(ReadRegularFile(loaded.ReadString("FORM_HLAV", "File", "")), "second");

  HistoryEntry entry{"read", {}, "", "", "", "", std::nullopt, file};
  SetDefaultImage(entry.image);
  const std::string kept = KeepInHistory(Utf8FromPath(PathFromUtf8(folder) / "historie"), entry,
                                         std::chrono::system_clock::now());
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(ListHistory(Utf8FromPath(PathFromUtf8(folder) / "historie")),
            std::vector<std::string>{kept});
  const auto read = ReadHistoryFile(ReadRegularFile(kept).value_or(""));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->file, file);
}

}  // namespace
}  // namespace qm17
