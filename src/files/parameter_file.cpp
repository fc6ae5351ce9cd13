#include "files/parameter_file.h"

#include <array>
#include <cstdio>
#include <optional>

#include "files/text_words.h"

namespace qm17 {

namespace {

constexpr std::string_view kKey = "KORVALEX_KEY";

void AppendField(std::string& out, unsigned value) {
  char field[16];
  const int n = std::snprintf(field, sizeof field, "%5u ", value);
  out.append(field, static_cast<std::size_t>(n));
}

// How a keyword's numbers land in the image.
enum class Encoding { Byte, Rpm };
using ByteList = std::array<std::size_t, kPointCount>;
struct KeywordLayout {
  std::string_view keyword;
  Encoding encoding;
  std::size_t count;
  ByteList bytes;  // image offsets, one per number
};

constexpr ByteList CurveBytes(std::size_t first) {
  ByteList bytes{};
  for (std::size_t i = 0; i < kPointCount; ++i) bytes[i] = first + i;
  return bytes;
}

constexpr KeywordLayout kLayouts[] = {
    {"RPM_ADV", Encoding::Rpm, kPointCount, CurveBytes(image_byte::kPointSpeed)},
    {"ADVANCE", Encoding::Byte, kPointCount, CurveBytes(image_byte::kPointAdvance)},
    {"POCET_BODU", Encoding::Byte, 1, {image_byte::kPointCountByte}},
    {"BASE_ADV", Encoding::Byte, 1, {image_byte::kBaseAdvance}},
    {"LIMITER",
     Encoding::Byte,
     3,
     {image_byte::kStartLimiter, image_byte::kLimiter, image_byte::kRetard}},
    {"POLARITA", Encoding::Byte, 1, {image_byte::kPolarity}},
    {"GEBER_NR", Encoding::Byte, 1, {image_byte::kIgnitionsPerRev}},
    {"PILOT_LIGHT", Encoding::Rpm, 1, {image_byte::kShiftLight}},
};

const KeywordLayout* FindLayout(std::string_view word) {
  for (const auto& layout : kLayouts) {
    if (layout.keyword == word) return &layout;
  }
  return nullptr;
}

bool IsKeyword(std::string_view word) {
  return word == kKey || FindLayout(word) != nullptr;
}

// Reads one keyword's numbers. A field whose word is not an unsigned decimal number (a sign,
// letters) keeps its byte's value and reading goes on with the next field; a keyword in a
// number's place ends the list so that its own line is still read.
void ReadFields(WordReader& reader, const KeywordLayout& layout, DeviceImage& image) {
  for (std::size_t i = 0; i < layout.count; ++i) {
    const std::string_view word = reader.Peek();
    if (word.empty() || IsKeyword(word)) return;
    reader.Next();
    const std::optional<DecimalWord> number = ParseDecimalWord(word);
    if (!number) continue;
    const unsigned value =
        layout.encoding == Encoding::Rpm ? number->mod65536 / 100u : number->mod65536;
    image[layout.bytes[i]] = static_cast<std::uint8_t>(value & 0xFFu);
  }
}

}  // namespace

std::string WriteParameterFile(const DeviceImage& image) {
  using namespace image_byte;
  std::string out = "KORVALEX_KEY  ";
  char version[16];
  const int n = std::snprintf(version, sizeof version, "%3u ", kParameterFileVersion);
  out.append(version, static_cast<std::size_t>(n));
  out += "\r\n";
  out += "\r\nRPM_ADV     ";
  for (std::size_t i = 0; i < kPointCount; ++i) AppendField(out, image[kPointSpeed + i] * 100u);
  out += "\r\nADVANCE     ";
  for (std::size_t i = 0; i < kPointCount; ++i) AppendField(out, image[kPointAdvance + i]);
  out += "\r\nPOCET_BODU  ";
  AppendField(out, image[kPointCountByte]);
  out += "\r\nBASE_ADV    ";
  AppendField(out, image[kBaseAdvance]);
  out += "\r\nLIMITER     ";
  AppendField(out, image[kStartLimiter]);
  AppendField(out, image[kLimiter]);
  AppendField(out, image[kRetard]);
  out += "\r\nPOLARITA    ";
  AppendField(out, image[kPolarity]);
  out += "\r\nGEBER_NR    ";
  AppendField(out, image[kIgnitionsPerRev]);
  out += "\r\nPILOT_LIGHT ";
  AppendField(out, image[kShiftLight] * 100u);
  return out;
}

bool ReadParameterFile(std::string_view content, DeviceImage& image) {
  WordReader reader(content);
  bool versionOk = false;
  while (!versionOk) {
    const std::string_view word = reader.Next();
    if (word.empty()) return false;
    if (word != kKey) continue;
    // A key followed by something other than a number: the search goes on from that word.
    const std::optional<DecimalWord> version = ParseDecimalWord(reader.Peek());
    if (!version) continue;
    reader.Next();
    versionOk = version->Equals(kParameterFileVersion);
  }
  for (std::string_view word = reader.Next(); !word.empty(); word = reader.Next()) {
    if (const KeywordLayout* layout = FindLayout(word)) ReadFields(reader, *layout, image);
  }
  return true;
}

}  // namespace qm17
