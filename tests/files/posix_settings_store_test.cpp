#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "common/temp_folder.h"
#include "files/settings_store.h"

namespace qm17 {
namespace {

// Something other than a file in the settings file's place: refused at once, never waited on
// (a FIFO without a peer would block start-up and shutdown for good) and never replaced.
TEST(IniFile, OnlyARegularFileIsLoadedOrSaved) {
  testing::TempFolder folder;
  const std::string fifo = folder.File("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string real = folder.File("real.ini");
  IniFile ini;
  ini.WriteString("FORM_HLAV", "Language", "2");
  ASSERT_TRUE(ini.Save(real));
  std::filesystem::create_symlink(real, folder.File("link.ini"));
  std::filesystem::create_directory(folder.File("folder.ini"));
  const struct {
    std::string path;
    bool usable;
  } cases[] = {
      {real, true},         {folder.File("link.ini"), true},    {fifo, false}, {"/dev/zero", false},
      {"/dev/null", false}, {folder.File("folder.ini"), false},
  };
  for (const auto& c : cases) {
    IniFile loaded;
    EXPECT_EQ(loaded.Load(c.path), c.usable) << c.path;
    EXPECT_EQ(loaded.ReadInteger("FORM_HLAV", "Language", 0), c.usable ? 2 : 0) << c.path;
    if (c.path.starts_with("/dev/")) continue;  // never written, whatever the outcome
    EXPECT_EQ(ini.Save(c.path), c.usable) << c.path;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.ini")));
}

}  // namespace
}  // namespace qm17
