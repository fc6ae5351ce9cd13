// Fuzz target for ".ign" parameter files: whatever a file holds, reading it must not fail
// unsafely, and what was read must survive being written and read again unchanged (speeds are
// held in hundreds, so a written file reads back to the very same bytes). The window then
// normalises the image; that must obey the image rules and change nothing a second time.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/history.h"
#include "files/parameter_file.h"
#include "fuzz_support.h"

namespace {

void CheckImageRules(const qm17::DeviceImage& image) {
  using namespace qm17::image_byte;
  for (std::size_t i = 0; i < qm17::kPointCount; ++i) {
    FUZZ_REQUIRE(image[kPointSpeed + i] >= i + 10 && image[kPointSpeed + i] <= i + 186);
    if (i > 0) FUZZ_REQUIRE(image[kPointSpeed + i] > image[kPointSpeed + i - 1]);
  }
  FUZZ_REQUIRE(image[kLimiter] >= image[kStartLimiter]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qm17;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // The file is read over whatever the window holds: a default set with some identification.
  DeviceImage image{};
  SetDefaultImage(image);
  image[0] = 'A', image[10] = 26, image[53] = 7, image[77] = 9, image[99] = 5;
  const DeviceImage before = image;
  // The list of what loading changes comes from the very same read, and a history record
  // read from the input writes and reads back as itself.
  DeviceImage listed = image;
  std::vector<FileAdjustment> adjustments;
  const bool listedOk = ReadParameterFile(text, listed, adjustments);
  if (const std::optional<HistoryEntry> entry = ReadHistoryFile(text)) {
    FUZZ_REQUIRE(ReadHistoryFile(WriteHistoryFile(*entry)) == entry);
  }
  const bool ok = ReadParameterFile(text, image);
  FUZZ_REQUIRE(listedOk == ok && listed == image);
  if (!ok) {
    // Without the version key nothing at all is read.
    FUZZ_REQUIRE(image == before);
    return 0;
  }
  // A file never reaches the identification block or the reserved bytes.
  for (std::size_t i = 0; i < image_byte::kParameterBlock; ++i) FUZZ_REQUIRE(image[i] == before[i]);
  FUZZ_REQUIRE(image[53] == before[53] && image[54] == before[54]);

  const std::string written = WriteParameterFile(image);
  DeviceImage again{};
  FUZZ_REQUIRE(ReadParameterFile(written, again));
  // Everything the file holds comes back; only the bytes it never holds stay as they were.
  DeviceImage expected = image;
  for (std::size_t i : {std::size_t{53}, std::size_t{54}}) expected[i] = 0;
  for (std::size_t i = 0; i < image_byte::kParameterBlock; ++i) expected[i] = 0;
  for (std::size_t i = image_byte::kPointSpeed + kPointCount; i < image_byte::kPointAdvance; ++i) {
    expected[i] = 0;
  }
  for (std::size_t i = image_byte::kPointAdvance + kPointCount; i < kImageSize; ++i)
    expected[i] = 0;
  FUZZ_REQUIRE(again == expected);
  FUZZ_REQUIRE(WriteParameterFile(again) == written);

  NormaliseImage(image);
  CheckImageRules(image);
  DeviceImage twice = image;
  NormaliseImage(twice);
  FUZZ_REQUIRE(twice == image);
  return 0;
}
