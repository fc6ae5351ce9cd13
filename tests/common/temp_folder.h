#pragma once
// A fresh folder per test, removed with everything in it afterwards. Names are UTF-8 on every
// system (on Windows the folder comes from GetTempPathW, through the standard library).

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace qm17::testing {

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("qm17-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  // As UTF-8 (a narrow path on Windows would pass through the ANSI code page).
  std::string File(const std::string& name) const {
    const std::u8string utf8 =
        (m_path / std::filesystem::path(std::u8string(name.begin(), name.end()))).u8string();
    return std::string(utf8.begin(), utf8.end());
  }

 private:
  std::filesystem::path m_path;
};

}  // namespace qm17::testing
