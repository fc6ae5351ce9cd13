#include "files/parameter_file.h"

#include <gtest/gtest.h>

#include <string>

#include "params/device_image.h"

namespace qm17 {
namespace {

// The default set as a parameter file, character for character.
const std::string kDefaultFile =
    "KORVALEX_KEY   26 \r\n"
    "\r\n"
    "RPM_ADV      1000  2000  3000  4000  5000  6000  7000  8000  9000 10000 11000 12000 13000 "
    "14000 15000 \r\n"
    "ADVANCE        10    10    10    10    10    10    10    10    10    10    10    10    10 "
    "   10    10 \r\n"
    "POCET_BODU     15 \r\n"
    "BASE_ADV       10 \r\n"
    "LIMITER        60   150     6 \r\n"
    "POLARITA        2 \r\n"
    "GEBER_NR        1 \r\n"
    "PILOT_LIGHT 12000 ";

DeviceImage DefaultImage() {
  DeviceImage image{};
  SetDefaultImage(image);
  return image;
}

// An image with a recognisable value in every byte, to see which bytes a read changes.
DeviceImage MarkedImage() {
  DeviceImage image;
  for (std::size_t i = 0; i < kImageSize; ++i) image[i] = static_cast<std::uint8_t>(i + 100);
  return image;
}

TEST(WriteParameterFile, DefaultSetExactly) {
  EXPECT_EQ(WriteParameterFile(DefaultImage()), kDefaultFile);
}

TEST(WriteParameterFile, LineLengthsAndValues) {
  DeviceImage image = DefaultImage();
  image[60] = 255;  // 25500 rpm: the rpm fields need all five places
  image[59] = 250;
  image[56] = 9;
  image[80] = 61;
  const std::string text = WriteParameterFile(image);
  EXPECT_NE(text.find("RPM_ADV     25500  2000 "), std::string::npos);
  EXPECT_NE(text.find("ADVANCE        61    10 "), std::string::npos);
  EXPECT_NE(text.find("LIMITER         9   150     6 \r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nPILOT_LIGHT 25000 "), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 6), "25000 ");
}

TEST(WriteParameterFile, IgnoresIdentificationAndReservedBytes) {
  DeviceImage image = DefaultImage();
  image[0] = 'Q';
  image[10] = 26;
  image[53] = 99;
  image[77] = 99;
  image[97] = 99;
  EXPECT_EQ(WriteParameterFile(image), kDefaultFile);
}

TEST(ReadParameterFile, DefaultFileGivesTheDefaultBlock) {
  DeviceImage image = MarkedImage();
  ASSERT_TRUE(ReadParameterFile(kDefaultFile, image));
  DeviceImage expected = MarkedImage();
  SetDefaultImage(expected);
  expected[53] = 153;  // reserved: not in the file, so it keeps its value
  EXPECT_EQ(image, expected);
}

// Files of the right version and the bytes they change, starting from the marked image.
struct ReadCase {
  const char* name;
  std::string file;
  std::vector<std::pair<std::size_t, std::uint8_t>> changed;
};

const ReadCase kReadCases[] = {
    {"only the key and the number of points", "KORVALEX_KEY 26\nPOCET_BODU 7", {{50, 7}}},
    {"RPM_ADV divides by 100 and drops the remainder",
     "KORVALEX_KEY 26\nRPM_ADV 1550 999 20000 25599",
     {{60, 15}, {61, 9}, {62, 200}, {63, 255}}},
    {"LIMITER is stored without division, in its order",
     "KORVALEX_KEY 26\nLIMITER 150 160 6",
     {{56, 150}, {52, 160}, {57, 6}}},
    {"PILOT_LIGHT divides by 100", "KORVALEX_KEY 26\nPILOT_LIGHT 12099", {{59, 120}}},
    {"low 8 bits of plain bytes",
     "KORVALEX_KEY 26\nPOLARITA 263 GEBER_NR 256 BASE_ADV 65535",
     {{55, 7}, {58, 0}, {51, 255}}},
    {"RPM_ADV takes the number modulo 65536 first",
     "KORVALEX_KEY 26\nRPM_ADV 65636 131072",  // 65636 mod 65536 = 100; 131072 mod 65536 = 0
     {{60, 1}, {61, 0}}},
    {"a number of any length is read without overflow",
     // 10^30 mod 65536 = 0; (10^33 + 1600) mod 65536 = 1600, stored as 16
     "KORVALEX_KEY 26\nRPM_ADV 1000000000000000000000000000000 "
     "1000000000000000000000000000001600\nADVANCE 4294967297",
     {{60, 0}, {61, 16}, {80, 1}}},
    {"a repeated keyword overwrites", "KORVALEX_KEY 26\nBASE_ADV 5\nBASE_ADV 8", {{51, 8}}},
    {"unknown words and stray numbers are skipped",
     "KORVALEX_KEY 26\nHELLO 12 world\nGEBER_NR 2\n77 rpm_adv 3000",
     {{58, 2}}},
    {"keywords match case exactly", "KORVALEX_KEY 26\nbase_adv 5 Base_Adv 6", {}},
    {"a second key line is skipped with its number",
     "KORVALEX_KEY 26 KORVALEX_KEY 25 POLARITA 1",
     {{55, 1}}},
    {"a key line last loads nothing before it", "POCET_BODU 7\nBASE_ADV 3\nKORVALEX_KEY 26", {}},
    {"anything before the key is ignored", "POCET_BODU 3\nKORVALEX_KEY 26\nBASE_ADV 4", {{51, 4}}},
    {"the version may follow after a wrong key",
     "KORVALEX_KEY 25 POCET_BODU 3 KORVALEX_KEY 26 BASE_ADV 4",
     {{51, 4}}},
    {"leading zeros in the version", "KORVALEX_KEY 026 BASE_ADV 4", {{51, 4}}},
    {"tabs and bare line feeds separate words",
     "KORVALEX_KEY\t26\n\n\tLIMITER\t70\r\n80 \t 9",
     {{56, 70}, {52, 80}, {57, 9}}},
    {"a malformed number keeps its byte and the next fields are read",
     "KORVALEX_KEY 26\nLIMITER -70 1x 9\nPOCET_BODU +5 BASE_ADV 3",
     {{57, 9}, {51, 3}}},
    {"a keyword where a number belongs ends the list but is itself read",
     "KORVALEX_KEY 26\nLIMITER 70\nRETARD\nGEBER_NR 2\nRPM_ADV 2000 ADVANCE 30",
     {{56, 70}, {58, 2}, {60, 20}, {80, 30}}},
    {"a file ending inside a list keeps the rest",
     "KORVALEX_KEY 26\nADVANCE 1 2",
     {{80, 1}, {81, 2}}},
};

TEST(ReadParameterFile, RightVersion) {
  for (const auto& c : kReadCases) {
    SCOPED_TRACE(c.name);
    DeviceImage image = MarkedImage();
    EXPECT_TRUE(ReadParameterFile(c.file, image));
    DeviceImage expected = MarkedImage();
    for (const auto& [byte, value] : c.changed) expected[byte] = value;
    for (std::size_t i = 0; i < kImageSize; ++i) EXPECT_EQ(image[i], expected[i]) << "byte " << i;
  }
}

TEST(ReadParameterFile, ReverseOrderEqualsWrittenOrder) {
  const std::string reversed =
      "KORVALEX_KEY   26 \r\n"
      "\r\n"
      "PILOT_LIGHT  9000 \r\n"
      "GEBER_NR        2 \r\n"
      "POLARITA        1 \r\n"
      "LIMITER        70   140     5 \r\n"
      "BASE_ADV       12 \r\n"
      "POCET_BODU      8 \r\n"
      "ADVANCE        11    12    13    14    15    16    17    18    19    20    21    22    23 "
      "   24    25 \r\n"
      "RPM_ADV      1100  2100  3100  4100  5100  6100  7100  8100  9100 10100 11100 12100 13100 "
      "14100 15100 ";
  DeviceImage image = MarkedImage();
  ASSERT_TRUE(ReadParameterFile(reversed, image));
  const std::uint8_t block[] = {8,  12, 140, 153, 154, 1,  70,  5,   2,   90,  11,  21, 31,
                                41, 51, 61,  71,  81,  91, 101, 111, 121, 131, 141, 151};
  for (std::size_t i = 0; i < sizeof block; ++i) EXPECT_EQ(image[50 + i], block[i]) << 50 + i;
  for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(image[80 + i], 11 + i);
}

// Files refused for their version: nothing at all changes.
TEST(ReadParameterFile, WrongVersionChangesNothing) {
  const std::string files[] = {
      "",
      "   \r\n  ",
      "KORVALEX_KEY   25 \r\n\r\nPOCET_BODU 7",
      "KORVALEX_KEY 4294967322\nPOCET_BODU 7",  // 2^32 + 26 must not wrap to 26
      "KORVALEX_KEY 65562\nPOCET_BODU 7",       // 65536 + 26
      "KORVALEX_KEY\nPOCET_BODU 7",
      "KORVALEX_KEY -26 POCET_BODU 7",
      "korvalex_key 26 POCET_BODU 7",
      "KORVALEX_KEY26 POCET_BODU 7",
      std::string(100000, 'K') + " KORVALEX_KEY",
      std::string("KORVALEX_KEY\0 26 POCET_BODU 7", 29),
  };
  for (const auto& file : files) {
    DeviceImage image = MarkedImage();
    EXPECT_FALSE(ReadParameterFile(file, image)) << file.substr(0, 40);
    EXPECT_EQ(image, MarkedImage()) << file.substr(0, 40);
  }
}

TEST(ReadParameterFile, OverlongWordsAreSkipped) {
  const std::string file = "KORVALEX_KEY 26 " + std::string(70000, 'X') + " BASE_ADV " +
                           std::string(5000, '7') + " POCET_BODU" + std::string(300, '_') +
                           " 3 GEBER_NR 3";
  DeviceImage image = MarkedImage();
  ASSERT_TRUE(ReadParameterFile(file, image));
  DeviceImage expected = MarkedImage();
  // Only the last eight sevens count for the low 8 bits: 77777777 mod 256 = 113.
  expected[51] = 113;
  expected[58] = 3;
  EXPECT_EQ(image, expected);
}

TEST(ReadParameterFile, WrittenFileReadsBackIntoAFreshImage) {
  DeviceImage source = DefaultImage();
  const std::uint8_t speeds[15] = {12, 25,  33,  47,  58,  66,  71, 85,
                                   99, 104, 160, 170, 180, 190, 201};
  for (std::size_t i = 0; i < 15; ++i) {
    source[60 + i] = speeds[i];
    source[80 + i] = static_cast<std::uint8_t>(60 - i);
  }
  source[50] = 9;
  source[55] = 0;
  source[59] = 255;
  DeviceImage copy{};
  ASSERT_TRUE(ReadParameterFile(WriteParameterFile(source), copy));
  for (std::size_t i : {50u, 51u, 52u, 55u, 56u, 57u, 58u, 59u}) EXPECT_EQ(copy[i], source[i]);
  for (std::size_t i = 60; i < 75; ++i) EXPECT_EQ(copy[i], source[i]);
  for (std::size_t i = 80; i < 95; ++i) EXPECT_EQ(copy[i], source[i]);
  EXPECT_EQ(copy[53], 0);
}

}  // namespace
}  // namespace qm17
