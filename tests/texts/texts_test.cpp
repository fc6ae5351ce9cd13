#include "texts/texts.h"
#include "texts/help_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "texts/note_texts.h"
#include "texts/undo_texts.h"

namespace qm17 {
namespace {

struct MessageCase {
  Language language;
  int entry;
  const char* expected;
};

// Every entry in every language, letter for letter.
const MessageCase kMessages[] = {
    {Language::Czech, MsgProgramError, "Chyba programování"},
    {Language::Czech, MsgVerifyError, "Chyba verifikace!"},
    {Language::Czech, MsgReadError, "Chyba čtení!"},
    {Language::Czech, MsgProgramming, "Programování:"},
    {Language::Czech, MsgVersionMismatch, "Neshodné verze proramu v PC a zapalování!"},
    {Language::Czech, MsgVerifying, "Verifikace:"},
    {Language::Czech, MsgReading, "Čtení:"},
    {Language::Czech, MsgAdvancePrefix, "PŘEDSTIH= "},
    {Language::Czech, MsgProgramCountPrefix, "Počet programování= "},
    {Language::Czech, MsgStartLimiterPrefix, "Startovací omezovač - "},
    {Language::Czech, MsgRetardPrefix, "Snížení předstihu - "},
    {Language::Czech, MsgYes, "ANO"},
    {Language::Czech, MsgNo, "NE"},
    {Language::Czech, MsgPolarityPrefix, "Polarita CKPS - "},
    {Language::Czech, MsgPositive, "Kladná"},
    {Language::Czech, MsgNegative, "Záporná"},
    {Language::Czech, MsgComOpenError, "Chyba při otevírání portu Com!"},
    {Language::Czech, MsgOpenFileError, "Chyba při otevírání souboru!"},
    {Language::Czech, MsgAskDefaults, "Chcete nastavit základní hodnoty?"},
    {Language::English, MsgProgramError, "Program error!"},
    {Language::English, MsgVerifyError, "Verify error!"},
    {Language::English, MsgReadError, "Read error!"},
    {Language::English, MsgProgramming, "Program device:"},
    {Language::English, MsgVersionMismatch, "Unmatched version of PC and Ignition programs!"},
    {Language::English, MsgVerifying, "Verify:"},
    {Language::English, MsgReading, "Read:"},
    {Language::English, MsgAdvancePrefix, "ADVANCE= "},
    {Language::English, MsgProgramCountPrefix, "Number of Programing= "},
    {Language::English, MsgStartLimiterPrefix, "Start limiter - "},
    {Language::English, MsgRetardPrefix, "Retard - "},
    {Language::English, MsgYes, "YES"},
    {Language::English, MsgNo, "NO"},
    {Language::English, MsgPolarityPrefix, "Polarity of CKPS - "},
    {Language::English, MsgPositive, "Positive"},
    {Language::English, MsgNegative, "Negative"},
    {Language::English, MsgComOpenError, "Com opening error!"},
    {Language::English, MsgOpenFileError, "Open file error!"},
    {Language::English, MsgAskDefaults, "Do you want default setting?"},
    {Language::German, MsgProgramError, "Programmier. Fehler"},
    {Language::German, MsgVerifyError, "Vergleichsfehler"},
    {Language::German, MsgReadError, "Lesefehler"},
    {Language::German, MsgProgramming, "Programmieren:"},
    {Language::German, MsgVersionMismatch, "Uneinig Version von den PC and Zündung Programme!"},
    {Language::German, MsgVerifying, "Verifikation:"},
    {Language::German, MsgReading, "Lesen:"},
    {Language::German, MsgAdvancePrefix, "Vorzündung= "},
    {Language::German, MsgProgramCountPrefix, "Programmierungszahl= "},
    {Language::German, MsgStartLimiterPrefix, "Start Begrenzer - "},
    {Language::German, MsgRetardPrefix, "Spätzündung 1 - "},
    {Language::German, MsgYes, "JA"},
    {Language::German, MsgNo, "NEIN"},
    {Language::German, MsgPolarityPrefix, "Polarität des CKPS - "},
    {Language::German, MsgPositive, "Positiv"},
    {Language::German, MsgNegative, "Negative"},
    {Language::German, MsgComOpenError, "Fehler bei Eröffnung des COM-Anschlußes!"},
    {Language::German, MsgOpenFileError, "Fehler bei Eröffnung der Datei!"},
    {Language::German, MsgAskDefaults, "Wollen Sie Standardeinstellungen?"},
};

TEST(MessageTexts, EveryEntryOfEveryLanguage) {
  ASSERT_EQ(std::size(kMessages), 57u);
  for (const auto& c : kMessages) {
    EXPECT_EQ(MessageTexts(c.language, c.entry), c.expected)
        << "language " << int(c.language) << " entry " << c.entry;
  }
}

TEST(MessageTexts, OutOfRangeGivesEmptyText) {
  const std::pair<int, int> cases[] = {{0, -1}, {1, 19}, {2, 1000}, {3, 0}, {255, 5}};
  for (const auto& [language, entry] : cases) {
    EXPECT_EQ(MessageTexts(static_cast<Language>(language), entry), "") << language << "/" << entry;
  }
}

const UiTextRow* FindRow(const char* element, const char* property) {
  for (const auto& row : UiTextTable()) {
    if (std::strcmp(row.element, element) == 0 && std::strcmp(row.property, property) == 0)
      return &row;
  }
  return nullptr;
}

struct UiCase {
  const char* element;
  const char* property;
  const char* czech;
  const char* english;
  const char* german;
};

const UiCase kUiCases[] = {
    {"TFormHlav", "caption", "Programování jednotky \"QM-17\"", "Programming of \"QM-17\" unit",
     "Programmierung der \"QM-17\" Zündbox"},
    {"MenuExit", "caption", "&Konec", "E&xit", "&Beenden"},
    {"MenuRead", "caption", "Čí&st", "&Read", "&Lesen"},
    {"MenuEnglish", "caption", "&Anglicky", "&English", "Englisch"},
    {"MenuAbout", "caption", "&O programu...", "&About...", "&Über Programm..."},
    {"LabelAdvance1", "caption", "Předstih [°]", "Advance [°]", "Vorzündung [°]"},
    {"LabelAdvance2", "caption", "Předstih [°]", "Advance [°]", "Vorzündung [°]"},
    {"RadioGroupPolarita", "items", "Kladná\nZáporná\nSamohledání",
     "Positive\nNegative\nSelfsearch", "Positiv\nNegativ\nAutomatisch"},
    {"Label26", "hint", "Otáčky za minutu|Rychlost - Otáčky za minutu",
     "Round per Minute|Speed - Round per Minute", "Umdrehungen pro Minute"},
    {"SpeedButton5", "hint", "Otevření souboru s parametry", "Open file with parametrs",
     "öffnen Datei mit Kenndaten"},
    {"MenuOpen", "hint", "Otevření souboru s parametry", "Open file with parametrs",
     "öffnen Datei mit Kenndaten"},
    {"MenuPrint", "hint", "Tisk parametrů", "Print parametrs", "Druck der Kenndaten"},
    {"BitBtn1", "hint", "Programování nastavených parametrů do zapalování",
     "Programing  set parametrs to ignition", "Programmieren der Kenndaten in die Zündbox"},
    {"BitBtn2", "hint",
     "Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování",
     "Compare set parametrs  with parametrs of ignition",
     "Vergleich der Kenndaten mit Zündboxkenndaten"},
    {"MenuNew", "hint", "Nastavení výchozích parametrů", "Set default parameters ",
     "Neue Kenndatendatei erstellen"},
    {"MenuEnglish", "hint", "Set Englich menu", "Set Englich menu", "Set Englich menu"},
    {"MenuCzech", "hint", "Nastavit české menu", "Nastavit české menu", "Nastavit české menu"},
    {"MenuGerman", "hint", "Deutche Menü", "Deutche Menü", "Deutche Menü"},
    {"CheckBoxProgHned", "hint", "Programování ihned po změně", "Programing at once after change",
     "Programmmieren gleich after die Umänderung"},
    {"MenuCom", "hint", "Nastavení čísla serivého portu (Com) ", "Set number of com",
     "Com Port festlegen"},
};

TEST(UiTextTable, RowsPerLanguage) {
  for (const auto& c : kUiCases) {
    const UiTextRow* row = FindRow(c.element, c.property);
    ASSERT_NE(row, nullptr) << c.element << "." << c.property;
    EXPECT_STREQ(row->text[0], c.czech) << c.element;
    EXPECT_STREQ(row->text[1], c.english) << c.element;
    EXPECT_STREQ(row->text[2], c.german) << c.element;
  }
}

TEST(UiTextTable, ShapeOfTheTable) {
  const auto table = UiTextTable();
  ASSERT_EQ(table.size(), 67u);
  EXPECT_STREQ(table.front().element, "TFormHlav");
  EXPECT_STREQ(table.back().element, "MenuCom");
  EXPECT_STREQ(table.back().property, "hint");

  std::set<std::pair<std::string, std::string>> seen;
  for (const auto& row : table) {
    const std::string property = row.property;
    EXPECT_TRUE(property == "caption" || property == "hint" || property == "items") << property;
    EXPECT_TRUE(seen.insert({row.element, property}).second)
        << "twice: " << row.element << "." << property;
    for (const char* text : row.text) {
      ASSERT_NE(text, nullptr) << row.element;
      EXPECT_GT(std::strlen(text), 0u) << row.element;
    }
  }
  // Each control that shares its text with another still has its own row.
  const char* controls[] = {"SpeedButton5",     "MenuOpen",      "SpeedButton7", "MenuSave",
                            "SpeedButtonPrint", "MenuPrint",     "Button1",      "MenuRead",
                            "LabelAdvance1",    "LabelAdvance2", "SpeedButton6", "LabelSpojeni"};
  for (const char* name : controls) {
    const bool found = FindRow(name, "hint") != nullptr || FindRow(name, "caption") != nullptr;
    EXPECT_TRUE(found) << name;
  }
  // The port items are not in the table: their hints carry the port number.
  EXPECT_EQ(FindRow("MenuCom1", "hint"), nullptr);
}

TEST(SingleTexts, PerLanguage) {
  struct Case {
    const char* (*text)(Language);
    const char* czech;
    const char* english;
    const char* german;
  };
  const Case cases[] = {
      {ComItemHint, "Nastavení komunikace na port com", "Set com", "Festzustellen Com"},
      {FileVersionMismatchText, "Neshodná verze souboru *.ign!", "Unmatched version of *.ign file!",
       "Uneinig Version der Datendatei *.ign!"},
      {PrintHeaderText,
       "Datum a čas tisku:  ", "Date and Time of printing:  ", "Date and Time of printing:  "},
      {HelpDocumentName, "VELMOR_QM_17_cz.doc", "VELMOR_QM_17_en.doc", "VELMOR_QM_17_de.doc"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.text(Language::Czech), c.czech);
    EXPECT_STREQ(c.text(Language::English), c.english);
    EXPECT_STREQ(c.text(Language::German), c.german);
    EXPECT_STREQ(c.text(static_cast<Language>(3)), "");
  }
}

TEST(AboutText, LayoutPerLanguage) {
  struct Case {
    Language language;
    const char* expected;
  };
  const Case cases[] = {
      {Language::English,
       "Programm for setting of ignition            \n"
       "\n"
       "version 1.0\n"
       "\n"
       "Sep 11 2004\n"
       "\n"
       "08:49:46\n"
       "\n"
       "Free software (GPL-3.0-or-later), without any warranty.\n"
       "\n"
       "Contact:\n"
       "see README.md of the qm17 project\n"},
      {Language::Czech,
       "Program pro nastavování zapalování           \n"
       "\n"
       "verze 1.0\n"
       "\n"
       "Sep 11 2004\n"
       "\n"
       "08:49:46\n"
       "\n"
       "Svobodný software (GPL-3.0-or-later), bez jakékoli záruky.\n"
       "\n"
       "Kontakt:\n"
       "viz README.md projektu qm17\n"},
      {Language::German,
       "Program für der Adjustierung der Zündung        \n"
       "Version 1.0\n"
       "\n"
       "Sep 11 2004\n"
       "\n"
       "08:49:46\n"
       "\n"
       "Freie Software (GPL-3.0-or-later), ohne jede Gewähr.\n"
       "\n"
       "Kontakt:\n"
       "siehe README.md des Projekts qm17\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AboutText(c.language, "Sep 11 2004", "08:49:46"), c.expected);
  }
}

std::size_t CodePoints(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char byte : text) count += (byte & 0xC0) != 0x80;
  return count;
}

TEST(AboutText, LimitedTo199CharactersWithoutSplittingALetter) {
  // A build stamp far longer than any real one pushes the text over the limit.
  const std::string longDate(300, 'x');
  for (Language language : {Language::Czech, Language::English, Language::German}) {
    const std::string text = AboutText(language, longDate.c_str(), "08:49:46");
    EXPECT_EQ(CodePoints(text), 199u);
    EXPECT_EQ(text.find("08:49:46"), std::string::npos);
  }
  // Cut inside Czech letters: the last kept character is whole.
  const std::string letters =
      "ččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččč"
      "ččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččč"
      "ččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččččč";
  const std::string text = AboutText(Language::Czech, letters.c_str(), "");
  EXPECT_EQ(CodePoints(text), 199u);
  EXPECT_EQ(text.substr(text.size() - 2), "č");
  // Real stamps fit with room to spare, so nothing of the layout is lost.
  for (Language language : {Language::Czech, Language::English, Language::German}) {
    const std::string text = AboutText(language, "Sep 11 2004", "08:49:46");
    EXPECT_LT(CodePoints(text), 199u);
    EXPECT_EQ(text.back(), '\n');
  }
  EXPECT_EQ(AboutText(Language::English, nullptr, nullptr).find("version 1.0\n\n\n\n\n"), 46u);
}

// A text qm17 adds never reads as one of the window's own texts in one language while meaning
// something else: equal to one only where it is that text in all three languages, and naming
// Read, Verify or Program by the window's word only where its English names the same operation.
TEST(AddedTexts, NeverPassForTheWindowsOwn) {
  using Row = std::array<std::string, kLanguageCount>;
  // Each language's text as a reader tells it apart: no accelerator, unit, end mark or capitals.
  const auto row = [](auto text) {
    Row reduced;
    for (int l = 0; l < kLanguageCount; ++l) {
      std::string& t = reduced[l] = text(static_cast<Language>(l));
      std::erase(t, '&');
      t = t.substr(0, t.find(" ["));
      while (!t.empty() && std::string_view(".:! …").find(t.back()) != std::string_view::npos)
        t.pop_back();
      for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return reduced;
  };
  std::vector<Row> own;
  for (int entry = 0; entry < kMessageCount; ++entry)
    own.push_back(row([entry](Language l) { return MessageTexts(l, entry); }));
  const std::set<std::string_view> menuTitles = {"MenuFile",  "MenuCom",      "MenuDevice",
                                                 "MenuTools", "MenuLanguage", "MenuHelp"};
  for (const UiTextRow& ui : UiTextTable()) {
    // A menu's title only heads its items ("Zündbox:" on a page names the unit, as it does).
    if (menuTitles.contains(ui.element) && std::string_view(ui.property) == "caption") continue;
    // Each item and each part of a hint is a text of its own.
    for (std::size_t part = 0; part < 3; ++part) {
      own.push_back(row([&](Language l) {
        std::string text = ui.text[static_cast<int>(l)];
        std::replace(text.begin(), text.end(), '|', '\n');
        for (std::size_t i = 0; i < part; ++i) text.erase(0, text.find('\n') + 1);
        return text.substr(0, text.find('\n'));
      }));
    }
  }
  std::vector<Row> added;
  const auto add = [&](int count, auto text) {
    for (int id = 0; id < count; ++id)
      added.push_back(row([&](Language l) { return std::string(text(l, id)); }));
  };
  add(int(PortTextId::kCount), [](Language l, int id) { return PortText(l, PortTextId(id)); });
  add(int(LinkTextId::kCount), [](Language l, int id) { return LinkText(l, LinkTextId(id)); });
  add(int(PrintProblemId::kCount),
      [](Language l, int id) { return PrintProblemText(l, PrintProblemId(id)); });
  add(kCurveTextCount, CurveViewText);
  add(kExtraTextCount, ExtraText);
  add(kUndoTextCount, UndoText);
  add(kNoteTextCount, NoteText);
  add(kHelpTextCount, HelpText);
  add(1, [](Language l, int) { return PrintFailedText(l); });
  add(1, [](Language l, int) { return CommandLineHelpText(l); });

  const char* const operations[][kLanguageCount] = {{"verifikace", "verify", "vergleichen"},
                                                    {"verifikovat", "verify", "verifikation"},
                                                    {"programovat", "program", "programmieren"},
                                                    {"čtení", "read", "lesen"}};
  for (const Row& text : added) {
    SCOPED_TRACE(text[1]);
    for (const Row& known : own) {
      for (int l = 0; l < kLanguageCount; ++l)
        EXPECT_TRUE(text[l] != known[l] || text == known)
            << text[l] << " is the window's own text otherwise";
    }
    for (const auto& words : operations) {
      for (const int l : {0, 2}) {
        const std::string padded = " " + text[l] + " ";
        std::string word = " ";  // built by appending: GCC 12 warns falsely on " " + string
        word += words[l];
        word += ' ';
        if (padded.find(word) != std::string::npos) {
          EXPECT_NE(text[1].find(words[1]), std::string::npos) << text[l];
        }
      }
    }
  }
}

}  // namespace
}  // namespace qm17
