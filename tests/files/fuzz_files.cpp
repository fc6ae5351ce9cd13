// libFuzzer target for everything the program reads from files: parameter files, the image
// side file and the settings file. Besides not crashing, what is read must survive being
// written and read again unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/parameter_file.h"
#include "files/settings_store.h"
#include "files/side_file.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qm17;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  DeviceImage image{};
  if (ReadParameterFile(text, image)) {
    // Speeds are held in hundreds, so a written file reads back to the very same bytes.
    DeviceImage again{};
    Require(ReadParameterFile(WriteParameterFile(image), again));
    Require(again == image);
  }

  DeviceImage side{};
  ReadImageSideFile(text, side);
  DeviceImage sideAgain{};
  Require(ReadImageSideFile(WriteImageSideFile(side), sideAgain) == 100);
  Require(sideAgain == side);

  IniFile ini;
  ini.Parse(text);
  ini.WriteString(kSettingsSection, "File", text);
  ini.WriteInteger(kSettingsSection, "Left", -17);
  IniFile reread;
  reread.Parse(ini.Serialise());
  Require(reread.ReadInteger(kSettingsSection, "left", 0) == -17);
  // Once written, a file reads and writes back unchanged (a leading byte-order mark is only
  // dropped by the first read).
  IniFile third;
  third.Parse(reread.Serialise());
  Require(third.Serialise() == reread.Serialise());
  return 0;
}
