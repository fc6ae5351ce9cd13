#include "files/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>

#include "common/temp_folder.h"

namespace qm17 {
namespace {

namespace fs = std::filesystem;

long EntriesIn(const fs::path& folder) {
  return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

TEST(WriteFileAtomically, CreatesAndReplacesLeavingNoTemporaryFile) {
  testing::TempFolder folder;
  const std::string path = folder.File("a.ign");
  ASSERT_TRUE(WriteFileAtomically(path, "first"));
  ASSERT_TRUE(WriteFileAtomically(path, std::string("se\0cond\r\n", 9)));
  EXPECT_EQ(ReadWholeFile(path), std::string("se\0cond\r\n", 9));
  EXPECT_EQ(EntriesIn(folder.path()), 1);
  EXPECT_FALSE(WriteFileAtomically(folder.File("no/such/folder/a.ign"), "x"));
  EXPECT_FALSE(ReadWholeFile(folder.File("missing")).has_value());
  EXPECT_FALSE(ReadWholeFile(folder.path().string()).has_value());
}

// The rename fails (a folder stands in the way): the old stays, the temporary file goes.
TEST(WriteFileAtomically, FailedRenameKeepsTheOld) {
  testing::TempFolder folder;
  const fs::path target = folder.path() / "settings";
  fs::create_directory(target);
  ASSERT_TRUE(WriteFileAtomically((target / "keep").string(), "old"));
  EXPECT_FALSE(WriteFileAtomically(target.string(), "new"));
  EXPECT_EQ(ReadWholeFile((target / "keep").string()), "old");
  EXPECT_EQ(EntriesIn(folder.path()), 1);
}

TEST(ReadWholeFile, RefusesMoreThanTheLimit) {
  testing::TempFolder folder;
  const std::string path = folder.File("ten");
  ASSERT_TRUE(WriteFileAtomically(path, "0123456789"));
  EXPECT_EQ(ReadWholeFile(path, 10), "0123456789");
  EXPECT_FALSE(ReadWholeFile(path, 9).has_value());
  // Without a limit of its own a read stops at 1 MiB.
  ASSERT_TRUE(WriteFileAtomically(path, std::string(1048576, ' ')));
  EXPECT_EQ(ReadWholeFile(path).value_or("").size(), 1048576u);
  ASSERT_TRUE(WriteFileAtomically(path, std::string(1048577, ' ')));
  EXPECT_FALSE(ReadWholeFile(path).has_value());
  std::istringstream stream(std::string(70000, 'a'));
  EXPECT_FALSE(ReadWholeStream(stream, 69999).has_value());
  std::istringstream same(std::string(70000, 'a'));
  EXPECT_EQ(ReadWholeStream(same, 70000), std::string(70000, 'a'));
}

}  // namespace
}  // namespace qm17
