#include "files/parameter_file.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/known_answers.h"
#include "common/plain_parameter_reader.h"

namespace qm17 {
namespace {

constexpr const auto& kDefaultFile = test::kDefaultParameterFile;

// Every byte recognisable, to see exactly which bytes a read changes.
DeviceImage MarkedImage() {
  DeviceImage image;
  for (std::size_t i = 0; i < kImageSize; ++i) image[i] = static_cast<std::uint8_t>(i + 100);
  return image;
}

TEST(WriteParameterFile, DefaultSetExactlyWhateverTheOtherBytes) {
  DeviceImage image = MarkedImage();
  SetDefaultImage(image);
  EXPECT_EQ(WriteParameterFile(image), kDefaultFile);
  image[60] = 255;
  EXPECT_EQ(WriteParameterFile(image).substr(22, 24), "RPM_ADV     25500  2000 ");
}

TEST(ReadParameterFile, DefaultFileSetsTheParameterBytesOnly) {
  DeviceImage image = MarkedImage();
  ASSERT_TRUE(ReadParameterFile(kDefaultFile, image));
  DeviceImage expected = MarkedImage();
  SetDefaultImage(expected);
  expected[53] = 153;  // reserved: the file does not hold it
  EXPECT_EQ(image, expected);
}

TEST(ReadParameterFile, RightVersion) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<std::pair<std::size_t, std::uint8_t>> changed;
  };
  // clang-format off
  const Case cases[] = {
      {"key and points only", "KORVALEX_KEY 26\nPOCET_BODU 7", {{50, 7}}},
      {"speeds drop the remainder", "KORVALEX_KEY 26\nRPM_ADV 1550 999 25599", {{60, 15}, {61, 9}, {62, 255}}},
      {"LIMITER undivided, in its order", "KORVALEX_KEY 26\nLIMITER 150 160 6", {{56, 150}, {52, 160}, {57, 6}}},
      {"PILOT_LIGHT divided", "KORVALEX_KEY 26\nPILOT_LIGHT 12099", {{59, 120}}},
      {"low 8 bits", "KORVALEX_KEY 26\nPOLARITA 263 GEBER_NR 256 BASE_ADV 65535", {{55, 7}, {58, 0}, {51, 255}}},
      {"speed modulo 65536 first", "KORVALEX_KEY 26\nRPM_ADV 65636 131072", {{60, 1}, {61, 0}}},
      // (10^33 + 1600) mod 65536 = 1600; 4294967297 mod 256 = 1
      {"huge numbers", "KORVALEX_KEY 26\nRPM_ADV 1000000000000000000000000000001600\nADVANCE 4294967297", {{60, 16}, {80, 1}}},
      {"repeat overwrites", "KORVALEX_KEY 26\nBASE_ADV 5\nBASE_ADV 8", {{51, 8}}},
      {"unknown words skipped", "KORVALEX_KEY 26\nHELLO 12 x\nGEBER_NR 2\n77 rpm_adv 3000", {{58, 2}}},
      {"second key skipped", "KORVALEX_KEY 26 KORVALEX_KEY 25 POLARITA 1", {{55, 1}}},
      {"key last", "POCET_BODU 7\nBASE_ADV 3\nKORVALEX_KEY 26", {}},
      {"version after a wrong key", "KORVALEX_KEY 25 POCET_BODU 3 KORVALEX_KEY 026 BASE_ADV 4", {{51, 4}}},
      {"a key without its number", "KORVALEX_KEY KORVALEX_KEY 26\nPOCET_BODU 3", {{50, 3}}},
      {"any white space", "KORVALEX_KEY\t26\n\n\tLIMITER\t70\r\n80 \t 9", {{56, 70}, {52, 80}, {57, 9}}},
      {"malformed numbers keep their bytes", "KORVALEX_KEY 26\nLIMITER -70 1x 9\nPOCET_BODU +5", {{57, 9}}},
      {"a keyword ends a short list", "KORVALEX_KEY 26\nLIMITER 70\nGEBER_NR 2\nRPM_ADV 2000 ADVANCE 30", {{56, 70}, {58, 2}, {60, 20}, {80, 30}}},
      {"file ends inside a list", "KORVALEX_KEY 26\nADVANCE 1 2", {{80, 1}, {81, 2}}},
      // the eight sevens at the end decide the low 8 bits: 77777777 mod 256 = 113
      {"overlong words", "KORVALEX_KEY 26 " + std::string(70000, 'X') + " BASE_ADV " + std::string(5000, '7') + " POCET_BODU__ 3", {{51, 113}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    DeviceImage image = MarkedImage();
    EXPECT_TRUE(ReadParameterFile(c.file, image)) << c.name;
    DeviceImage expected = MarkedImage();
    for (const auto& [byte, value] : c.changed) expected[byte] = value;
    EXPECT_EQ(image, expected) << c.name;
  }
}

TEST(ReadParameterFile, ReverseOrderEqualsWrittenOrder) {
  const std::string reversed =
      "KORVALEX_KEY   26 \r\n\r\n"
      "PILOT_LIGHT 12000 \r\nGEBER_NR        1 \r\nPOLARITA        2 \r\n"
      "LIMITER        60   150     6 \r\nBASE_ADV       10 \r\nPOCET_BODU     15 \r\n"
      "ADVANCE        10    10    10    10    10    10    10    10    10    10    10    10    10 "
      "   10    10 \r\n"
      "RPM_ADV      1000  2000  3000  4000  5000  6000  7000  8000  9000 10000 11000 12000 13000 "
      "14000 15000 ";
  DeviceImage image{};
  DeviceImage written{};
  ASSERT_TRUE(ReadParameterFile(reversed, image));
  ASSERT_TRUE(ReadParameterFile(kDefaultFile, written));
  EXPECT_EQ(image, written);
}

// A note stands before the key in lines no reader of the format takes for anything: the set
// reads the same with it and without it, also where words are cut into pieces.
TEST(ParameterFileNote, HostileNotesLeaveTheSetAsItIs) {
  DeviceImage image = MarkedImage();
  SetDefaultImage(image);
  image[50] = 9;
  image[61] = 33;
  image[82] = 41;
  const std::string plain = WriteParameterFile(image);
  // clang-format off
  const std::string notes[] = {
      "KORVALEX_KEY 26",
      "KORVALEX_KEY  25\r\nPOCET_BODU 3\nADVANCE 40 40 40 LIMITER 1 2 3 POLARITA 1",
      "GEBER_NR 4 PILOT_LIGHT 900 BASE_ADV 7 RPM_ADV 100 ADVANCE",
      std::string(5000, 'A') + "KORVALEX_KEY 26 " + std::string(3000, '_') + "\n26",
      "Motorrad f\xfcr Herrn M\xfcller \xe8\xe9",
      "Zákazník: Jiří Novák, ČZ 125 – přední kolo; Größe ß, Übersetzung ändern",
      "\xff\xfe\xc3\x28 \xed\xa0\x80 \xf4\x90\x80\x80",
      std::string("a\0b\r\nc\rd\n\n\x1b[2J\x7f\xc2\x9b", 17),
      "%41%5f%25 qm17-note=x\tqm17-note=KORVALEX%5fKEY 26",
  };
  // clang-format on
  const std::optional<std::array<std::uint8_t, 50>> expected = test::PlainReadParameterBlock(plain);
  ASSERT_TRUE(expected);
  for (const std::string& note : notes) {
    const std::string content = WriteParameterFile(image, note);
    ASSERT_TRUE(content.ends_with(plain)) << note;
    for (const std::size_t piece : {0, 12, 13, 16, 20, 31}) {
      EXPECT_EQ(test::PlainReadParameterBlock(content, piece), expected) << piece << ' ' << note;
    }
    DeviceImage read = MarkedImage();
    ASSERT_TRUE(ReadParameterFile(content, read));
    DeviceImage readPlain = MarkedImage();
    ASSERT_TRUE(ReadParameterFile(plain, readPlain));
    EXPECT_EQ(read, readPlain) << note;
    // ASCII lines of bounded length, each one word.
    const std::string lines = content.substr(0, content.size() - plain.size());
    for (std::size_t at = 0; at < lines.size();) {
      const std::size_t end = lines.find("\r\n", at);
      ASSERT_NE(end, std::string::npos);
      const std::string line = lines.substr(at, end - at);
      EXPECT_TRUE(line.starts_with("qm17-note=")) << line;
      EXPECT_LE(line.size(), 10 + kNoteChunk);
      for (const char c : line) EXPECT_TRUE(c > 0x20 && c < 0x7F && c != '_') << line;
      at = end + 2;
    }
    EXPECT_EQ(ReadParameterNote(content), CleanNote(note));
  }
  // What a note keeps of such text.
  EXPECT_EQ(CleanNote(notes[4]), "Motorrad f\uFFFDr Herrn M\uFFFDller \uFFFD\uFFFD");
  EXPECT_EQ(CleanNote(notes[5]), notes[5]);
  EXPECT_EQ(CleanNote(notes[7]), "ab\nc\nd\n\n[2J");
  EXPECT_EQ(ReadParameterNote(WriteParameterFile(image, notes[3])), notes[3]);
  // A note of nothing but space is none: the file is the plain one, byte for byte.
  EXPECT_EQ(WriteParameterFile(image, " \r\n\t\n"), plain);
  EXPECT_EQ(WriteParameterFile(image, ""), plain);
  EXPECT_EQ(ReadParameterNote(plain), "");
}

// Refused files change nothing at all.
TEST(ReadParameterFile, WrongVersion) {
  const std::string files[] = {
      "",
      "KORVALEX_KEY   25 \r\n\r\nPOCET_BODU 7",
      "KORVALEX_KEY 4294967322 POCET_BODU 7",  // 2^32 + 26 must not wrap to 26
      "KORVALEX_KEY 65562 POCET_BODU 7",       // 2^16 + 26
      "KORVALEX_KEY -26 POCET_BODU 7",
      "korvalex_key 26 POCET_BODU 7",
      "KORVALEX_KEY26 POCET_BODU 7",
      std::string("KORVALEX_KEY\0 26 POCET_BODU 7", 29),
  };
  for (const auto& file : files) {
    DeviceImage image = MarkedImage();
    EXPECT_FALSE(ReadParameterFile(file, image)) << file;
    EXPECT_EQ(image, MarkedImage()) << file;
  }
}

// Every value the file states that the loaded set holds otherwise, with the file's number;
// the image itself is read exactly as without the list.
TEST(ReadParameterFile, ListsWhatLoadingChanges) {
  using F = ParameterField;
  using U = ValueUnit;
  struct Case {
    const char* file;  // after the key
    std::vector<FileAdjustment> expected;
  };
  // clang-format off
  const Case cases[] = {
      {"ADVANCE 300 0010", {{F::PointAdvance, 80, "300", 44, U::Degrees}}},
      {"RPM_ADV 1550 70000", {{F::PointSpeed, 60, "1550", 1500, U::Rpm}, {F::PointSpeed, 61, "70000", 4400, U::Rpm}}},
      {"RPM_ADV 5000 4000", {{F::PointSpeed, 61, "4000", 5100, U::Rpm}}},
      {"LIMITER 300 9", {{F::Limiter, 52, "900", 4400, U::Rpm}, {F::StartLimiter, 56, "30000", 4400, U::Rpm}}},
      {"LIMITER -70 150 30", {{F::StartLimiter, 56, "-70", 6000, U::Rpm}, {F::Retard, 57, "30", 25, U::Degrees}}},
      {"POLARITA 7 POCET_BODU 0 GEBER_NR 4294967297", {{F::PointCount, 50, "0", 1, U::None}, {F::Polarity, 55, "7", 2, U::None}, {F::IgnitionsPerRev, 58, "4294967297", 1, U::None}}},
      {"BASE_ADV 300 BASE_ADV 5 LIMITER 9", {}},
      {"BASE_ADV 1000000000000000000000000000", {{F::BaseAdvance, 51, "10000000000000000000...", 0, U::Degrees}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string file = std::string("KORVALEX_KEY 26\n") + c.file;
    DeviceImage image = MarkedImage();
    SetDefaultImage(image);
    DeviceImage plain = image;
    std::vector<FileAdjustment> adjustments{{F::Retard, 57, "x", 1, U::None}};
    EXPECT_TRUE(ReadParameterFile(file, image, adjustments)) << c.file;
    EXPECT_EQ(adjustments, c.expected) << c.file;
    ASSERT_TRUE(ReadParameterFile(file, plain));
    EXPECT_EQ(image, plain) << c.file;
  }
  DeviceImage image{};
  std::vector<FileAdjustment> adjustments;
  EXPECT_TRUE(ReadParameterFile(kDefaultFile, image, adjustments) && adjustments.empty());
}

}  // namespace
}  // namespace qm17
