#include "files/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/temp_folder.h"
#include "files/atomic_file.h"

namespace qm17 {
namespace {

TEST(IniFile, NewFileListsKeysInWriteOrderAndRewritesInPlace) {
  IniFile ini;
  ini.WriteInteger("FORM_HLAV", "Left", 100);
  ini.WriteInteger("FORM_HLAV", "Top", -20);
  ini.WriteString("FORM_HLAV", "File", "C:\\Curves\\My bike.ign");
  ini.WriteInteger("FORM_HLAV", "CheckBoxBlackZobr->Checked", 1);
  ini.WriteInteger("form_hlav", "LEFT", 7);
  EXPECT_EQ(ini.Serialise(),
            "[FORM_HLAV]\r\n"
            "Left=7\r\n"
            "Top=-20\r\n"
            "File=C:\\Curves\\My bike.ign\r\n"
            "CheckBoxBlackZobr->Checked=1\r\n");
  EXPECT_EQ(ini.ReadString("FORM_HLAV", "file", ""), "C:\\Curves\\My bike.ign");
  EXPECT_EQ(ini.ReadInteger("FORM_HLAV", "checkboxblackzobr->checked", 0), 1);
}

TEST(IniFile, ReadInteger) {
  struct Case {
    const char* text;
    const char* key;
    long expected;  // read with the default -1
  };
  // clang-format off
  const Case cases[] = {
      {"[FORM_HLAV]\nLeft=12\n", "Left", 12},
      {"[form_hlav]\nLEFT=12\n", "left", 12},
      {"[FORM_HLAV]\n  Left  =  12  \n", "Left", 12},
      {"\xEF\xBB\xBF[FORM_HLAV]\r\nLeft=-300\r\nTop=5\r\n", "Left", -300},
      {"\xEF\xBB\xBF\xEF\xBB\xBF[FORM_HLAV]\nLeft=3\n", "Left", 3},
      {"[FORM_HLAV]\nLeft=+4\n", "Left", 4},
      {"[FORM_HLAV]\nLeft=abc\n", "Left", -1},
      {"[FORM_HLAV]\nLeft=12px\n", "Left", -1},
      {"[FORM_HLAV]\nLeft=\n", "Left", -1},
      {"[FORM_HLAV]\nLeft=1.5\n", "Left", -1},
      {"[FORM_HLAV]\nLeft=-\n", "Left", -1},
      {"[FORM_HLAV]\nLeft=99999999999999999999999\n", "Left", -1},
      {"[OTHER]\nLeft=12\n[FORM_HLAV]\nTop=1\n", "Left", -1},
      {"Left=12\n[FORM_HLAV]\n", "Left", -1},
      {"[FORM_HLAV]\n;Left=12\n", "Left", -1},
      {"[FORM_HLAV]\nLeft=1\nleft=2\n", "Left", 1},
      {"", "Left", -1},
  };
  // clang-format on
  for (const auto& c : cases) {
    IniFile ini;
    ini.Parse(c.text);
    EXPECT_EQ(ini.ReadInteger("FORM_HLAV", c.key, -1), c.expected) << c.text;
  }
}

TEST(IniFile, ForeignLinesSurviveARewrite) {
  IniFile ini;
  ini.Parse(
      "; by hand\n[Other]\nKey=value\n\n"
      "[FORM_HLAV]\nLeft=1\nUnknown=keep me\ngarbage line\n\n"
      "[Last]\nx=y");
  ini.WriteInteger("FORM_HLAV", "left", 5);
  ini.WriteInteger("FORM_HLAV", "Top", 6);
  ini.WriteString("New", "a", "b");
  EXPECT_EQ(ini.Serialise(),
            "; by hand\r\n[Other]\r\nKey=value\r\n\r\n"
            "[FORM_HLAV]\r\nLeft=5\r\nUnknown=keep me\r\ngarbage line\r\nTop=6\r\n\r\n"
            "[Last]\r\nx=y\r\n[New]\r\na=b\r\n");
}

// A value with a line break must not be able to add keys or sections to the file.
TEST(IniFile, LineBreaksCannotInjectKeys) {
  IniFile ini;
  ini.WriteString("FORM_HLAV", "File", "/tmp/a\r\nLanguage=2\n[X]");
  EXPECT_EQ(ini.Serialise(), "[FORM_HLAV]\r\nFile=/tmp/a\r\n");
}

// As Notepad saves "[A]" and "k=ř😀" (U+1F600 is a surrogate pair in UTF-16): read as text and
// written back in the same encoding, a new key too; a Latin-1 value makes it marked UTF-8.
TEST(IniFile, UnicodeFilesKeepTheirEncoding) {
  using namespace std::string_literals;
  const std::pair<std::string, std::size_t> cases[] = {
      {"\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0\x59\x01\x3D\xD8\x00\xDE\r\0\n\0"s, 2},
      {"\xFE\xFF\0[\0A\0]\0\r\0\n\0k\0=\x01\x59\xD8\x3D\xDE\x00\0\r\0\n"s, 2},
      {"\xEF\xBB\xBF[A]\r\nk=\xC5\x99\xF0\x9F\x98\x80\r\n"s, 1}};
  for (const auto& [file, width] : cases) {
    IniFile ini;
    ini.Parse(file);
    EXPECT_EQ(ini.ReadString("A", "k", ""), "\xC5\x99\xF0\x9F\x98\x80");
    ini.WriteString("A", "n", "1");
    const std::string out = ini.Serialise();
    EXPECT_EQ(out.substr(0, file.size()), file);
    EXPECT_EQ(out.size(), file.size() + 5 * width);
    ini.Parse(out);
    ini.WriteString("A", "k", "Gr\xFC\xDF");
    EXPECT_EQ(ini.Serialise(), "\xEF\xBB\xBF[A]\r\nk=Gr\xFC\xDF\r\nn=1\r\n");
  }
  testing::TempFolder folder;  // broken UTF-16, or UTF-16 without its mark: left alone
  for (const std::string& content : {"\xFF\xFE[\0\x00\xD8"s, "[\0A\0]\0"s}) {
    ASSERT_TRUE(WriteFileAtomically(folder.File("u.ini"), content));
    EXPECT_FALSE(IniFile().Load(folder.File("u.ini")));
  }
}

TEST(IniFile, SaveAndLoad) {
  testing::TempFolder folder;
  const std::string path = folder.File("Tarvex.ini");
  IniFile ini;
  EXPECT_FALSE(ini.Load(path));
  ini.WriteString("FORM_HLAV", "IniDir", "/home/rider/100% = sure.ign");
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ(ReadWholeFile(path), "[FORM_HLAV]\r\nIniDir=/home/rider/100% = sure.ign\r\n");
  IniFile loaded;
  ASSERT_TRUE(loaded.Load(path));
  EXPECT_EQ(loaded.ReadString("FORM_HLAV", "IniDir", ""), "/home/rider/100% = sure.ign");
  EXPECT_FALSE(ini.Save(folder.File("missing/Tarvex.ini")));
}

}  // namespace
}  // namespace qm17
