#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "common/temp_folder.h"
#include "files/atomic_file.h"
#include "files/config_paths.h"
#include "files/file_names.h"
#include "files/history.h"
#include "files/settings_store.h"

namespace qm17 {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable (UTF-8, or none) for one test and puts the old one back.
class ScopedEnv {
 public:
  ScopedEnv(const wchar_t* name, const std::optional<std::string>& value) : m_name(name) {
    if (const DWORD n = ::GetEnvironmentVariableW(name, m_old, 32768); n > 0 && n < 32768)
      m_had = true;
    ::SetEnvironmentVariableW(name, value ? PathFromUtf8(*value).c_str() : nullptr);
  }
  ~ScopedEnv() { ::SetEnvironmentVariableW(m_name, m_had ? m_old : nullptr); }

 private:
  const wchar_t* m_name;
  bool m_had = false;
  wchar_t m_old[32768] = {};
};

std::string In(const std::string& folder, const char* name) {
  return Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8(name));
}

// Settings and the side file roam with the user, the history stays on the machine, and an
// earlier installation's files are looked for in the Windows folder; never the current folder.
TEST(WindowsPlaces, ApplicationDataFoldersAndTheWindowsFolder) {
  testing::TempFolder temp;
  const std::string roaming = temp.File("Roaming Účty"), local = temp.File("Local");
  const std::string windows = temp.File("Windows");
  ScopedEnv appData(L"APPDATA", roaming), localAppData(L"LOCALAPPDATA", local);
  ScopedEnv windir(L"WINDIR", windows);
  EXPECT_EQ(ConfigDirectory(), In(roaming, "qm17"));
  EXPECT_EQ(SettingsFilePath(), In(In(roaming, "qm17"), "Tarvex.ini"));
  EXPECT_EQ(ImageSideFilePath(), In(In(roaming, "qm17"), "_Tarvex.ini"));
  EXPECT_EQ(HistoryFolder(), In(In(local, "qm17"), "history"));
  EXPECT_EQ(EarlierSettingsFilePath(), In(windows, "Tarvex.ini"));
  EXPECT_EQ(EarlierImageSideFilePath(), In(windows, "_Tarvex.ini"));
  ASSERT_TRUE(EnsureConfigDirectory());
  EXPECT_TRUE(fs::is_directory(PathFromUtf8(In(roaming, "qm17"))));
  {
    // A relative or missing value would mean the current folder: the known folder instead.
    ScopedEnv relative(L"APPDATA", std::string("relative"));
    ScopedEnv none(L"LOCALAPPDATA", std::nullopt);
    EXPECT_TRUE(PathFromUtf8(ConfigDirectory()).is_absolute()) << ConfigDirectory();
    EXPECT_TRUE(PathFromUtf8(HistoryFolder()).is_absolute()) << HistoryFolder();
  }
  // The earlier installation's names were in the ANSI code page (á and í are the same bytes
  // in the Czech and the Western one); UTF-8 stays.
  EXPECT_EQ(Utf8FromEarlierName("C:\\Zapalov\xe1n\xed"), "C:\\Zapalování");
  EXPECT_EQ(Utf8FromEarlierName("C:\\Zapalování"), "C:\\Zapalování");
  IniFile settings;
  settings.Parse("[ports]\r\ncom3=\\\\.\\COM12\r\n");
  EXPECT_EQ(ComPortDevicePath(3, settings), "\\\\.\\COM12");
  EXPECT_EQ(ComPortDevicePath(1, settings), "COM1");
  EXPECT_EQ(ComPortDevicePath(10, settings), "COM10");
}

// NUL, CON, COM1 and pipes are never read or replaced as settings or parameter files, nor
// waited on; an output the user names (qm17ctl -o NUL) is written into. A read-only file
// stays as it was.
TEST(WindowsFiles, DevicesAndReadOnlyFiles) {
  testing::TempFolder temp;
  const std::string folder = Utf8FromPath(temp.path());
  for (const std::string& device :
       {std::string("NUL"), std::string("con"), std::string("COM1"), std::string("LPT1.txt"),
        In(folder, "nul.ini"), std::string("\\\\.\\pipe\\qm17-test"), folder}) {
    EXPECT_FALSE(ReadRegularFile(device).has_value()) << device;
    EXPECT_FALSE(WriteRegularFileAtomically(device, "x")) << device;
    EXPECT_FALSE(IniFile().Load(device)) << device;
  }
  EXPECT_TRUE(WriteFileAtomically("NUL", "x"));
  EXPECT_EQ(ReadWholeFile("NUL"), "");

  const std::string locked = temp.File("locked.ign");
  ASSERT_TRUE(WriteFileAtomically(locked, "old"));
  ASSERT_TRUE(::SetFileAttributesW(PathFromUtf8(locked).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteFileAtomically(locked, "new"));
  EXPECT_EQ(ReadRegularFile(locked), "old");
  ::SetFileAttributesW(PathFromUtf8(locked).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace qm17
