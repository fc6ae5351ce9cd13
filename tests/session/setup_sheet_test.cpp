#include "session/setup_sheet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "common/temp_folder.h"
#include "session_rig.h"

namespace qm17 {
namespace {

using test_session::FileText;

std::set<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::set<std::string> words;
  for (std::string word; in >> word;) words.insert(word);
  return words;
}

// The page as another program reads it: every object where the cross-reference table says,
// and the set, the captions and the note as text in each language.
TEST(SetupSheet, IsAPdfWhoseTextHoldsTheSetInEachLanguage) {
  SetupSheet sheet;
  SetDefaultImage(sheet.image);
  const int speeds[] = {1200, 2500, 3700, 5300, 8800};
  const int advances[] = {17, 23, 31, 37, 19};
  sheet.image[image_byte::kPointCountByte] = 5;
  for (std::size_t i = 0; i < 5; ++i) {
    sheet.image[image_byte::kPointSpeed + i] = static_cast<std::uint8_t>(speeds[i] / 100);
    sheet.image[image_byte::kPointAdvance + i] = static_cast<std::uint8_t>(advances[i]);
  }
  sheet.note = "Jiří Novák, ČZ 125 – Größe (ß) \\ ďábel\nKORVALEX_KEY 26";
  sheet.file = "/dílna/křivka.ign";
  sheet.unitVersion = "QM17v3";
  sheet.programCount = 42;
  sheet.madeAt = "2026-12-09 18:04";

  const std::string pdf = SetupSheetPdf(sheet);
  const std::size_t xref = pdf.rfind("startxref\n");
  ASSERT_NE(xref, std::string::npos);
  const std::size_t table = std::stoul(pdf.substr(xref + 10));
  ASSERT_EQ(pdf.compare(table, 5, "xref\n"), 0);
  const std::size_t entries = pdf.find('\n', table + 5) + 1;  // after "0 9"
  for (int object = 1; object <= 8; ++object) {
    const std::size_t offset = std::stoul(pdf.substr(entries + 20 * object, 10));
    const std::string heading = std::to_string(object) + " 0 obj\n";
    EXPECT_EQ(pdf.compare(offset, heading.size(), heading), 0) << object;
  }

  testing::TempFolder folder;
  const std::string pdfFile = folder.File("sheet.pdf");
  const std::string textFile = folder.File("sheet.txt");
  if (std::system("pdftotext -v > /dev/null 2>&1") != 0) GTEST_SKIP() << "no pdftotext";
  struct Case {
    Language language;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {Language::Czech,
       {"Seřizovací list zapalování QM-17", "Základní předstih [°]", "Počet zápalů za otáčku",
        "Samohledání", "Počet programování= 42", "Otáčky [rpm]"}},
      {Language::English,
       {"QM-17 ignition setup sheet", "Base advance [°]", "Gear Shift Light [rpm]", "Selfsearch",
        "Number of Programing= 42"}},
      {Language::German,
       {"Einstellblatt der Zündbox QM-17", "Basis Vorzündung [°]", "Spätzündung [°]", "Automatisch",
        "Programmierungszahl= 42"}},
  };
  for (const Case& c : cases) {
    sheet.language = c.language;
    ASSERT_EQ(WriteSetupSheet(pdfFile, sheet), "");
    ASSERT_EQ(std::system(("pdftotext -enc UTF-8 " + pdfFile + " " + textFile).c_str()), 0);
    const std::string text = FileText(textFile);
    for (const std::string& expected : c.texts)
      EXPECT_NE(text.find(expected), text.npos) << expected;
    for (const char* expected : {"Jiří Novák, ČZ 125 – Größe (ß) \\ ďábel", "KORVALEX_KEY 26",
                                 "/dílna/křivka.ign", "QM17v3", "2026-12-09 18:04"})
      EXPECT_NE(text.find(expected), text.npos) << expected;
    const std::set<std::string> words = Words(text);
    for (const int value : speeds) EXPECT_TRUE(words.count(std::to_string(value))) << value;
    for (const int value : advances) EXPECT_TRUE(words.count(std::to_string(value))) << value;
    if (std::system("qpdf --version > /dev/null 2>&1") == 0) {
      EXPECT_EQ(std::system(("qpdf --check " + pdfFile + " > /dev/null").c_str()), 0);
    }
  }
  // A folder of that name, or none to write into: the reason, in the sheet's language.
  EXPECT_EQ(WriteSetupSheet(folder.File("none/sheet.pdf"), sheet), "der Ordner existiert nicht");
  EXPECT_EQ(WriteSetupSheet(folder.File(""), sheet),
            "unter diesem Namen gibt es bereits einen Ordner");
}

}  // namespace
}  // namespace qm17
