#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "temp_folder.h"

namespace qm17 {
namespace {

namespace fs = std::filesystem;

std::size_t EntriesIn(const fs::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

TEST(WriteFileAtomically, CreatesAndReplaces) {
  testing::TempFolder folder;
  const std::string path = folder.File("a.ign");
  ASSERT_TRUE(WriteFileAtomically(path, "first"));
  EXPECT_EQ(ReadWholeFile(path), "first");
  ASSERT_TRUE(WriteFileAtomically(path, std::string("se\0cond\r\n", 9)));
  EXPECT_EQ(ReadWholeFile(path), std::string("se\0cond\r\n", 9));
  ASSERT_TRUE(WriteFileAtomically(path, ""));
  EXPECT_EQ(ReadWholeFile(path), "");
  EXPECT_EQ(EntriesIn(folder.path()), 1u) << "no temporary file may be left behind";
}

TEST(WriteFileAtomically, MissingFolderFails) {
  testing::TempFolder folder;
  EXPECT_FALSE(WriteFileAtomically(folder.File("no/such/folder/a.ign"), "x"));
}

// When the rename cannot happen the old content stays and the temporary file is removed.
TEST(WriteFileAtomically, FailedRenameKeepsTheOld) {
  testing::TempFolder folder;
  const std::string path = folder.File("settings");
  fs::create_directory(path);
  fs::path inside = fs::path(path) / "keep";
  ASSERT_TRUE(WriteFileAtomically(inside.string(), "old"));
  EXPECT_FALSE(WriteFileAtomically(path, "new"));
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(ReadWholeFile(inside.string()), "old");
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

TEST(WriteFileAtomically, ReadOnlyFolderKeepsTheOld) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  testing::TempFolder folder;
  const std::string path = folder.File("a.ign");
  ASSERT_TRUE(WriteFileAtomically(path, "old"));
  fs::permissions(folder.path(), fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_FALSE(WriteFileAtomically(path, "new"));
  EXPECT_EQ(ReadWholeFile(path), "old");
}

TEST(ReadWholeFile, MissingOrFolderIsNothing) {
  testing::TempFolder folder;
  EXPECT_FALSE(ReadWholeFile(folder.File("missing")).has_value());
  EXPECT_FALSE(ReadWholeFile(folder.path().string()).has_value());
}

}  // namespace
}  // namespace qm17
