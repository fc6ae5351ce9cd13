#include "files/side_file.h"

#include <cstdio>
#include <optional>

#include "files/text_words.h"

namespace qm17 {

std::string WriteImageSideFile(const DeviceImage& image) {
  std::string out;
  out.reserve(kImageSize * 6 + 20);
  for (std::size_t i = 0; i < kImageSize; ++i) {
    char field[16];
    const int n = std::snprintf(field, sizeof field, "%5u ", static_cast<unsigned>(image[i]));
    out.append(field, static_cast<std::size_t>(n));
    if (i % 10 == 9) out += "\r\n";
  }
  return out;
}

int ReadImageSideFile(std::string_view content, DeviceImage& image) {
  WordReader reader(content);
  std::size_t count = 0;
  // A word that is not a decimal number (a sign included) ends the reading: what follows it
  // can no longer be trusted to sit at the right byte.
  while (count < kImageSize) {
    const std::optional<DecimalWord> number = ParseDecimalWord(reader.Next());
    if (!number) break;
    image[count++] = static_cast<std::uint8_t>(number->mod65536 & 0xFFu);
  }
  return static_cast<int>(count);
}

}  // namespace qm17
