#include "files/parameter_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "files/text_words.h"
#include "params/ignition_parameters.h"

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

// The last number word the file states for each image byte; empty where it states none.
using StatedWords = std::array<std::string_view, kImageSize>;

// Reads one keyword's numbers. A field whose word is not an unsigned decimal number (a sign,
// letters) keeps its byte's value and reading goes on with the next field; a keyword in a
// number's place ends the list so that its own line is still read.
void ReadFields(WordReader& reader, const KeywordLayout& layout, DeviceImage& image,
                StatedWords* stated) {
  for (std::size_t i = 0; i < layout.count; ++i) {
    const std::string_view word = reader.Peek();
    if (word.empty() || IsKeyword(word)) return;
    reader.Next();
    // A malformed number is stated too: the byte keeping its value is a change to report.
    if (stated != nullptr) (*stated)[layout.bytes[i]] = word;
    const std::optional<DecimalWord> number = ParseDecimalWord(word);
    if (!number) continue;
    const unsigned value =
        layout.encoding == Encoding::Rpm ? number->mod65536 / 100u : number->mod65536;
    image[layout.bytes[i]] = static_cast<std::uint8_t>(value & 0xFFu);
  }
}

bool ReadInto(std::string_view content, DeviceImage& image, StatedWords* stated) {
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
    if (const KeywordLayout* layout = FindLayout(word)) ReadFields(reader, *layout, image, stated);
  }
  return true;
}

// A stated number in the user's units, as decimal text (the limiters are written in hundreds
// of rpm); a malformed one as it stands. An overlong word is cut short for the message.
std::string StatedText(std::string_view word, std::size_t imageByte) {
  constexpr std::size_t kLongest = 20;
  if (!ParseDecimalWord(word)) {
    return word.size() > kLongest ? std::string(word.substr(0, kLongest)) + "..."
                                  : std::string(word);
  }
  const std::size_t digit = word.find_first_not_of('0');
  std::string text(digit == std::string_view::npos ? "0" : word.substr(digit));
  if (text.size() > kLongest) return text.substr(0, kLongest) + "...";
  const bool hundreds = imageByte == image_byte::kLimiter || imageByte == image_byte::kStartLimiter;
  if (hundreds && text != "0") text += "00";
  return text;
}

constexpr std::string_view kNotePrefix = "qm17-note=";
constexpr char kHex[] = "0123456789abcdef";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// '_' is in the key and in five keywords, and the three keywords without it are capitals
// that a word made of a prefix and encoded text never is on its own.
bool NeedsEscape(unsigned char byte) {
  return byte <= 0x20 || byte >= 0x7F || byte == '%' || byte == '_';
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string NoteLines(std::string_view note) {
  const std::string clean = CleanNote(note);
  std::string out;
  std::string chunk;
  const auto endLine = [&] {
    out += kNotePrefix;
    out += chunk;
    out += "\r\n";
    chunk.clear();
  };
  for (const char c : clean) {
    const auto byte = static_cast<unsigned char>(c);
    const std::size_t width = NeedsEscape(byte) ? 3 : 1;
    // An escape is never split; a line of the note starts a line of the file.
    if (chunk.size() + width > kNoteChunk) endLine();
    if (width == 3) {
      chunk += '%';
      chunk += kHex[byte >> 4];
      chunk += kHex[byte & 0x0F];
    } else {
      chunk += c;
    }
    if (c == '\n') endLine();
  }
  if (!chunk.empty()) endLine();
  return out;
}

}  // namespace

std::string CleanNote(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      ++i;
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[i]);
    if (length == 1) {
      if (byte == '\r') {
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else if (byte == '\n') {
        out += '\n';
      } else if (byte == '\t') {
        out += ' ';
      } else if (byte >= 0x20 && byte != 0x7F) {
        out += text[i];
      }
    } else if (!(length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)) {
      // (U+0080..U+009F are controls too.)
      out.append(text.substr(i, length));
    }
    i += length;
  }
  const std::size_t end = out.find_last_not_of(" \n");
  out.resize(end == std::string::npos ? 0 : end + 1);
  return out;
}

std::string WriteParameterFile(const DeviceImage& image, std::string_view note) {
  return NoteLines(note) + WriteParameterFile(image);
}

std::string NoteAsWord(std::string_view note) {
  std::string word;
  for (const char c : CleanNote(note)) {
    const auto byte = static_cast<unsigned char>(c);
    if (NeedsEscape(byte)) {
      word += '%';
      word += kHex[byte >> 4];
      word += kHex[byte & 0x0F];
    } else {
      word += c;
    }
  }
  return word;
}

std::string NoteFromWord(std::string_view word) {
  return CleanNote(PercentDecode(word));
}

std::string WithParameterNote(std::string_view content, std::string_view note) {
  // The note's own lines go wherever they stand before the key; every other line stays.
  constexpr std::string_view kSpace = " \t\r\n\v\f";
  std::string kept;
  std::size_t copied = 0;
  for (std::size_t at = 0; at < content.size();) {
    const std::size_t end = std::min(content.find('\n', at), content.size() - 1) + 1;
    std::string_view line = content.substr(at, end - at);
    line.remove_prefix(std::min(line.find_first_not_of(kSpace), line.size()));
    line = line.substr(0, line.find_last_not_of(kSpace) + 1);
    WordReader words(line);
    if (words.Next() == kKey) {
      const std::optional<DecimalWord> version = ParseDecimalWord(words.Peek());
      if (version && version->Equals(kParameterFileVersion)) break;
    }
    if (line.starts_with(kNotePrefix) && line.find_first_of(kSpace) == std::string_view::npos) {
      kept += content.substr(copied, at - copied);
      copied = end;
    }
    at = end;
  }
  kept += content.substr(copied);
  return NoteLines(note) + kept;
}

std::string ReadParameterNote(std::string_view content) {
  WordReader reader(content);
  std::string encoded;
  for (std::string_view word = reader.Next(); !word.empty(); word = reader.Next()) {
    if (word == kKey) {
      // Only what stands before the key that the set is read after.
      const std::optional<DecimalWord> version = ParseDecimalWord(reader.Peek());
      if (version && version->Equals(kParameterFileVersion)) break;
    } else if (word.starts_with(kNotePrefix)) {
      encoded += word.substr(kNotePrefix.size());
    }
  }
  return CleanNote(PercentDecode(encoded));
}

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
  return ReadInto(content, image, nullptr);
}

bool ReadParameterFile(std::string_view content, DeviceImage& image,
                       std::vector<FileAdjustment>& adjustments) {
  adjustments.clear();
  StatedWords stated{};
  if (!ReadInto(content, image, &stated)) return false;
  // What the set holds once loaded: normalised, and each value as its control shows it and
  // reads it back at the next edit, Program or Save.
  DeviceImage held = image;
  NormaliseImage(held);
  ParametersToImage(ParametersFromImage(held), held);
  NormaliseImage(held);
  for (std::size_t byte = image_byte::kParameterBlock; byte < kImageSize; ++byte) {
    if (stated[byte].empty()) continue;
    const std::string statedText = StatedText(stated[byte], byte);
    const std::uint32_t used = UserValue(byte, held[byte]);
    if (statedText == std::to_string(used)) continue;
    const ParameterField field = FieldOfByte(byte);
    adjustments.push_back(
        {field, static_cast<std::uint8_t>(byte), statedText, used, UnitOf(field)});
  }
  return true;
}

std::string FormatFileAdjustment(const ChangeWording& wording, const FileAdjustment& adjustment) {
  return FormatChange(wording, adjustment.field, adjustment.imageByte, adjustment.stated,
                      ValueText(wording, adjustment.field, adjustment.used), adjustment.unit);
}

}  // namespace qm17
