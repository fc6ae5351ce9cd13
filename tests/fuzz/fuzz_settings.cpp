// Fuzz target for the settings file reader and writer. The input is a file's text, then (after
// a zero byte) a value to store, then bytes for a number. Whatever the file holds:
// - once written, a file reads and writes back unchanged;
// - a stored value reads back as itself (up to its first line break, without outer blanks),
//   also from the written file, and can never add, change or hide any other setting;
// - a stored number reads back as the same number.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "files/settings_store.h"
#include "fuzz_support.h"

namespace {

struct Setting {
  const char* section;
  const char* key;
};

// What the program reads, plus a neighbour section and a key that differs only in case.
constexpr std::array<Setting, 14> kWatched = {{
    {"FORM_HLAV", "Left"},
    {"FORM_HLAV", "Top"},
    {"FORM_HLAV", "Width"},
    {"FORM_HLAV", "Height"},
    {"FORM_HLAV", "ComPort"},
    {"form_hlav", "LANGUAGE"},
    {"FORM_HLAV", "IniDir"},
    {"FORM_HLAV", "CheckBoxBlackZobr->Checked"},
    {"FORM_HLAV", "CheckBoxIgnAll->Checked"},
    {"PORTS", "COM1"},
    {"PORTS", "COM2"},
    {"PORTS", "File"},
    {"Other", "File"},
    {"", "File"},
}};

std::array<std::optional<std::string>, kWatched.size()> Snapshot(const qm17::IniFile& ini) {
  std::array<std::optional<std::string>, kWatched.size()> values;
  for (std::size_t i = 0; i < kWatched.size(); ++i) {
    values[i] = ini.Get(kWatched[i].section, kWatched[i].key);
  }
  return values;
}

std::string_view Stored(std::string_view value) {
  value = value.substr(0, value.find_first_of("\r\n"));
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qm17;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view text = fuzz::TakePart(input);
  const std::string_view value = fuzz::TakePart(input);
  long number = 0;
  std::memcpy(&number, input.data(), std::min(input.size(), sizeof number));

  // A file saved as UTF-16 is full of zero bytes, which would end the part: after a UTF-16
  // mark, byte 1 stands for 0.
  std::string file(text);
  if (file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF"))
    std::replace(file.begin() + 2, file.end(), '\x01', '\0');
  IniFile ini;
  ini.Parse(file);
  const std::string once = ini.Serialise();
  IniFile reread;
  reread.Parse(once);
  FUZZ_REQUIRE(reread.Serialise() == once);

  const auto others = Snapshot(ini);
  ini.WriteString(kSettingsSection, "File", value);
  FUZZ_REQUIRE(ini.Get(kSettingsSection, "file") == std::optional<std::string>(Stored(value)));
  FUZZ_REQUIRE(Snapshot(ini) == others);

  ini.WriteInteger(kSettingsSection, "Left", number);
  FUZZ_REQUIRE(ini.ReadInteger(kSettingsSection, "LEFT", number == 0 ? 1 : 0) == number);

  IniFile saved;
  saved.Parse(ini.Serialise());
  FUZZ_REQUIRE(saved.Get(kSettingsSection, "File") == std::optional<std::string>(Stored(value)));
  FUZZ_REQUIRE(saved.ReadInteger(kSettingsSection, "Left", number == 0 ? 1 : 0) == number);
  auto expected = others;
  expected[0] = std::to_string(number);
  FUZZ_REQUIRE(Snapshot(saved) == expected);
  return 0;
}
