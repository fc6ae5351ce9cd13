// Fuzz target for the image side file: any content reads safely into the first bytes of the
// image, leaves the others alone, and a written side file reads back to the very same image.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/side_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qm17;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  DeviceImage image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const DeviceImage before = image;
  const int count = ReadImageSideFile(text, image);
  FUZZ_REQUIRE(count >= 0 && count <= static_cast<int>(kImageSize));
  for (std::size_t i = static_cast<std::size_t>(count); i < kImageSize; ++i) {
    FUZZ_REQUIRE(image[i] == before[i]);
  }

  DeviceImage again{};
  FUZZ_REQUIRE(ReadImageSideFile(WriteImageSideFile(image), again) == static_cast<int>(kImageSize));
  FUZZ_REQUIRE(again == image);
  return 0;
}
