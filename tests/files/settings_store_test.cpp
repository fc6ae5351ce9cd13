#include "files/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "files/atomic_file.h"
#include "temp_folder.h"

namespace qm17 {
namespace {

// The keys in the order the program writes them at shutdown.
void WriteProgramSettings(IniFile& ini) {
  ini.WriteInteger("FORM_HLAV", "Left", 100);
  ini.WriteInteger("FORM_HLAV", "Top", -20);
  ini.WriteInteger("FORM_HLAV", "Height", 584);
  ini.WriteInteger("FORM_HLAV", "Width", 842);
  ini.WriteInteger("FORM_HLAV", "ComPort", 3);
  ini.WriteInteger("FORM_HLAV", "Language", 1);
  ini.WriteString("FORM_HLAV", "File", "C:\\Curves\\My bike.ign");
  ini.WriteString("FORM_HLAV", "IniDir", "C:\\Curves\\My bike.ign");
  ini.WriteInteger("FORM_HLAV", "CheckBoxBlackZobr->Checked", 1);
  ini.WriteInteger("FORM_HLAV", "CheckBoxIgnAll->Checked", 0);
}

TEST(IniFile, NewFileListsKeysInWriteOrder) {
  IniFile ini;
  WriteProgramSettings(ini);
  EXPECT_EQ(ini.Serialise(),
            "[FORM_HLAV]\r\n"
            "Left=100\r\n"
            "Top=-20\r\n"
            "Height=584\r\n"
            "Width=842\r\n"
            "ComPort=3\r\n"
            "Language=1\r\n"
            "File=C:\\Curves\\My bike.ign\r\n"
            "IniDir=C:\\Curves\\My bike.ign\r\n"
            "CheckBoxBlackZobr->Checked=1\r\n"
            "CheckBoxIgnAll->Checked=0\r\n");
}

TEST(IniFile, RewritingKeepsOrderAndChangesOnlyTheValue) {
  IniFile ini;
  WriteProgramSettings(ini);
  const std::string before = ini.Serialise();
  WriteProgramSettings(ini);
  EXPECT_EQ(ini.Serialise(), before);
  ini.WriteInteger("form_hlav", "COMPORT", 7);
  EXPECT_NE(ini.Serialise().find("\r\nComPort=7\r\nLanguage=1\r\n"), std::string::npos);
}

struct ReadCase {
  const char* name;
  const char* text;
  const char* key;
  long expected;  // read with default -1
};

const ReadCase kIntegerCases[] = {
    {"plain", "[FORM_HLAV]\nLeft=12\n", "Left", 12},
    {"key case ignored", "[FORM_HLAV]\nLEFT=12\n", "left", 12},
    {"section case ignored", "[form_hlav]\nLeft=12\n", "Left", 12},
    {"spaces around the equals sign", "[FORM_HLAV]\n  Left  =  12  \n", "Left", 12},
    {"CR LF line ends", "[FORM_HLAV]\r\nLeft=12\r\nTop=5\r\n", "Top", 5},
    {"byte order mark", "\xEF\xBB\xBF[FORM_HLAV]\nLeft=12\n", "Left", 12},
    {"negative", "[FORM_HLAV]\nLeft=-300\n", "Left", -300},
    {"plus sign", "[FORM_HLAV]\nLeft=+4\n", "Left", 4},
    {"letters give the default", "[FORM_HLAV]\nLeft=abc\n", "Left", -1},
    {"trailing letters give the default", "[FORM_HLAV]\nLeft=12px\n", "Left", -1},
    {"empty gives the default", "[FORM_HLAV]\nLeft=\n", "Left", -1},
    {"a decimal point gives the default", "[FORM_HLAV]\nLeft=1.5\n", "Left", -1},
    {"overflow gives the default", "[FORM_HLAV]\nLeft=99999999999999999999999\n", "Left", -1},
    {"a lone sign gives the default", "[FORM_HLAV]\nLeft=-\n", "Left", -1},
    {"missing key", "[FORM_HLAV]\nTop=1\n", "Left", -1},
    {"key in another section", "[OTHER]\nLeft=12\n[FORM_HLAV]\nTop=1\n", "Left", -1},
    {"key before any section", "Left=12\n[FORM_HLAV]\n", "Left", -1},
    {"commented-out key", "[FORM_HLAV]\n;Left=12\n", "Left", -1},
    {"first of two equal keys", "[FORM_HLAV]\nLeft=1\nleft=2\n", "Left", 1},
    {"section after another", "[A]\nx=1\n\n[FORM_HLAV]\nLeft=9", "Left", 9},
    {"empty file", "", "Left", -1},
};

TEST(IniFile, ReadInteger) {
  for (const auto& c : kIntegerCases) {
    IniFile ini;
    ini.Parse(c.text);
    EXPECT_EQ(ini.ReadInteger("FORM_HLAV", c.key, -1), c.expected) << c.name;
  }
}

TEST(IniFile, StringsAreKeptVerbatim) {
  IniFile ini;
  ini.Parse("[FORM_HLAV]\r\nFile=C:\\Program Files\\x\\\\y z.ign\r\nIniDir=\r\n");
  EXPECT_EQ(ini.ReadString("FORM_HLAV", "file", "none"), "C:\\Program Files\\x\\\\y z.ign");
  EXPECT_EQ(ini.ReadString("FORM_HLAV", "IniDir", "none"), "");
  EXPECT_EQ(ini.ReadString("FORM_HLAV", "Missing", "none"), "none");
  ini.WriteString("FORM_HLAV", "File", "/home/rider/100% = sure.ign");
  EXPECT_EQ(ini.ReadString("FORM_HLAV", "File", ""), "/home/rider/100% = sure.ign");
}

TEST(IniFile, ForeignLinesSurviveARewrite) {
  const std::string original =
      "; written by hand\r\n"
      "[Other]\r\n"
      "Key=value\r\n"
      "\r\n"
      "[FORM_HLAV]\r\n"
      "Left=1\r\n"
      "Unknown=keep me\r\n"
      "garbage line\r\n"
      "\r\n"
      "[Last]\r\n"
      "x=y\r\n";
  IniFile ini;
  ini.Parse(original);
  ini.WriteInteger("FORM_HLAV", "left", 5);
  ini.WriteInteger("FORM_HLAV", "Top", 6);
  EXPECT_EQ(ini.Serialise(),
            "; written by hand\r\n"
            "[Other]\r\n"
            "Key=value\r\n"
            "\r\n"
            "[FORM_HLAV]\r\n"
            "Left=5\r\n"
            "Unknown=keep me\r\n"
            "garbage line\r\n"
            "Top=6\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=y\r\n");
}

TEST(IniFile, LfOnlyInputIsWrittenWithCrLf) {
  IniFile ini;
  ini.Parse("[FORM_HLAV]\nLeft=1\nTop=2");
  EXPECT_EQ(ini.Serialise(), "[FORM_HLAV]\r\nLeft=1\r\nTop=2\r\n");
}

// A value with a line break must not be able to add keys or sections to the file.
TEST(IniFile, LineBreaksCannotInjectKeys) {
  IniFile ini;
  ini.WriteString("FORM_HLAV", "File", "/tmp/a\r\nLanguage=2\n[X]");
  ini.WriteInteger("FORM_HLAV", "Language", 0);
  IniFile reread;
  reread.Parse(ini.Serialise());
  EXPECT_EQ(reread.ReadString("FORM_HLAV", "File", ""), "/tmp/a");
  EXPECT_EQ(reread.ReadInteger("FORM_HLAV", "Language", -1), 0);
  EXPECT_EQ(reread.Serialise(), "[FORM_HLAV]\r\nFile=/tmp/a\r\nLanguage=0\r\n");
}

TEST(IniFile, SaveAndLoadThroughAFile) {
  testing::TempFolder folder;
  const std::string path = folder.File("Tarvex.ini");
  IniFile ini;
  EXPECT_FALSE(ini.Load(path));
  WriteProgramSettings(ini);
  ASSERT_TRUE(ini.Save(path));
  IniFile loaded;
  ASSERT_TRUE(loaded.Load(path));
  EXPECT_EQ(loaded.ReadInteger("FORM_HLAV", "Top", 0), -20);
  EXPECT_EQ(loaded.ReadString("FORM_HLAV", "IniDir", ""), "C:\\Curves\\My bike.ign");
  EXPECT_EQ(loaded.ReadInteger("FORM_HLAV", "checkboxblackzobr->checked", 0), 1);
  EXPECT_EQ(ReadWholeFile(path), ini.Serialise());
  EXPECT_FALSE(ini.Save(folder.File("missing/Tarvex.ini")));
}

}  // namespace
}  // namespace qm17
