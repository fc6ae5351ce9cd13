// The texts of the three interface languages. The odd spellings, double spaces and trailing
// spaces are the unit's established wording: users and their printouts know them this way.

#include "texts/texts.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace qm17 {
namespace {

int Index(Language language) {
  return static_cast<int>(language);
}
bool Known(Language language) {
  return Index(language) >= 0 && Index(language) < kLanguageCount;
}

const char* Pick(Language language, const char* czech, const char* english, const char* german) {
  switch (language) {
    case Language::Czech:
      return czech;
    case Language::English:
      return english;
    case Language::German:
      return german;
  }
  return "";
}

// Table order is application order: later rows may touch a control an earlier row set.
constexpr UiTextRow kUiRows[] = {
    {"TFormHlav",
     "caption",
     {"Programování jednotky \"QM-17\"", "Programming of \"QM-17\" unit",
      "Programmierung der \"QM-17\" Zündbox"}},
    {"LabelSpojeni",
     "caption",
     {"Není spojení s PC", "No connection with PC", "Keine Verbindung mit PC"}},
    {"MenuFile", "caption", {"&Soubor", "&File", "&Datei"}},
    {"MenuNew", "caption", {"&Nový", "&New", "&Neu"}},
    {"MenuOpen", "caption", {"&Otevřít", "&Open", "&Öffnen"}},
    {"MenuSave", "caption", {"&Uložit", "&Save", "&Speichern"}},
    {"MenuPrint", "caption", {"&Tisk", "&Print", "&Drucken"}},
    {"MenuExit", "caption", {"&Konec", "E&xit", "&Beenden"}},
    {"MenuCom", "caption", {"&Port", "&Com", "&COM-Anschluß"}},
    {"MenuDevice", "caption", {"&Zapalování", "&Device", "&Zündbox"}},
    {"MenuRead", "caption", {"Čí&st", "&Read", "&Lesen"}},
    {"MenuVerify", "caption", {"&Verifikace", "&Verify", "&Vergleichen"}},
    {"MenuProgram", "caption", {"&Programovat", "&Program", "&Programmieren"}},
    {"MenuTools", "caption", {"Pomůcky", "Tools", "Werkzeuge"}},
    {"MenuLanguage", "caption", {"&Jazyk", "&Language", "&Sprache"}},
    {"MenuEnglish", "caption", {"&Anglicky", "&English", "Englisch"}},
    {"MenuCzech", "caption", {"Če&sky", "&Czech", "&Tschechisch"}},
    {"MenuGerman", "caption", {"&Německy", "&German", "&Deutsch"}},
    {"MenuHelp", "caption", {"&Nápověda", "&Help", "&Hilfe"}},
    {"MenuContens", "caption", {"&Obsah...", "&Contents...", "&Inhalt..."}},
    {"MenuAbout", "caption", {"&O programu...", "&About...", "&Über Programm..."}},
    {"CheckBoxIgnAll", "caption", {"Vše", "All", "Alles"}},
    {"CheckBoxProgHned",
     "caption",
     {"Programování po změně", "Programming after change", "Programmieren nach Änderung"}},
    {"Button1", "caption", {"Čí&st", "&Read", "&Lesen"}},
    {"BitBtn1", "caption", {"&Programovat", "&Program", "&Programmieren"}},
    {"BitBtn2", "caption", {"&Verifikovat", "&Verify", "&Vergleichen"}},
    {"LabelAdvance1", "caption", {"Předstih [°]", "Advance [°]", "Vorzündung [°]"}},
    {"LabelAdvance2", "caption", {"Předstih [°]", "Advance [°]", "Vorzündung [°]"}},
    {"LabelOmez1",
     "caption",
     {"Startovací omezovač [rpm]", "Start limiter [rpm]", "Start Begrenzer [rpm]"}},
    {"LabelOmez2", "caption", {"Omezovač [rpm]", "Limiter [rpm]", "Begrenzer [rpm]"}},
    {"LabelRetard", "caption", {"Snížení předstihu [°]", "Retard [°]", "Spätzündung [°]"}},
    {"LabelBaseAdv",
     "caption",
     {"Základní předstih [°]", "Base advance [°]", "Basis Vorzündung [°]"}},
    {"LabelPocetBodu", "caption", {"Počet bodů", "Number of items", "Anzahl des Punktes"}},
    {"RadioGroupPolarita",
     "caption",
     {"Polarita CKPS:", "Polarity of CKPS:", "Polarität des CKPS:"}},
    {"RadioGroupPolarita",
     "items",
     {"Kladná\nZáporná\nSamohledání", "Positive\nNegative\nSelfsearch",
      "Positiv\nNegativ\nAutomatisch"}},
    {"LabelFile1", "caption", {"Soubor:", "File:", "Datei:"}},
    {"CheckBoxBlackZobr", "caption", {"Inverzní vzhled", "Inverse display", "Inverse Ansehen"}},
    {"LabelPocPalcu",
     "caption",
     {"Počet zápalů za otáčku", "Ignitions per revolution", "Entzündunzahl per Umdrehung"}},
    {"LabelLedRazeni",
     "caption",
     {"Kontrolka řazení [rpm]", "Gear Shift Light [rpm]", "Schaltblitz [rpm]"}},
    {"Label26",
     "hint",
     {"Otáčky za minutu|Rychlost - Otáčky za minutu", "Round per Minute|Speed - Round per Minute",
      "Umdrehungen pro Minute"}},
    {"LabelVerze1",
     "hint",
     {"Verze programu v zapalování", "Version of program in ignition",
      "Version des Programms der Zündung"}},
    {"LabelVerze2",
     "hint",
     {"Datum zhotovení programu v zapalování", "Date of program in ignition",
      "Datum des Programms der Zündung"}},
    {"LabelVerze3",
     "hint",
     {"Čas zhotovení programu v zapalování", "Time of program in ignition",
      "Zeit des Programms der Zündung"}},
    {"SpeedButton5",
     "hint",
     {"Otevření souboru s parametry", "Open file with parametrs", "öffnen Datei mit Kenndaten"}},
    {"MenuOpen",
     "hint",
     {"Otevření souboru s parametry", "Open file with parametrs", "öffnen Datei mit Kenndaten"}},
    {"SpeedButton6",
     "hint",
     {"Nastavení výchozích parametrů", "Set default parametrs", "neue Kenndatendatei erstellen"}},
    {"SpeedButton7",
     "hint",
     {"Uložení parametrů do souboru", "Save parametrs to file", "Kenndaten in Datei speichern"}},
    {"MenuSave",
     "hint",
     {"Uložení parametrů do souboru", "Save parametrs to file", "Kenndaten in Datei speichern"}},
    {"SpeedButtonPrint", "hint", {"Tisk parametrů", "Print parametrs", "Druck der Kenndaten"}},
    {"MenuPrint", "hint", {"Tisk parametrů", "Print parametrs", "Druck der Kenndaten"}},
    {"BitBtn1",
     "hint",
     {"Programování nastavených parametrů do zapalování", "Programing  set parametrs to ignition",
      "Programmieren der Kenndaten in die Zündbox"}},
    {"BitBtn2",
     "hint",
     {"Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování",
      "Compare set parametrs  with parametrs of ignition",
      "Vergleich der Kenndaten mit Zündboxkenndaten"}},
    {"BitBtnAdvMinus",
     "hint",
     {"Zmenšení předstihu o 1 stupeň", "Take off 1 degree of Advance", "Vorzündung minus 1 Grad"}},
    {"BitBtnAdvPlus",
     "hint",
     {"Zvětšení předstihu o 1 stupeň", "Add 1 degree of Advance", "Vorzündung plus 1 Grad"}},
    {"Button1",
     "hint",
     {"Čtení parametrů ze zapalování", "Reading parametrs from ignition",
      "Lesen Kenndaten aus Zündbox"}},
    {"MenuRead",
     "hint",
     {"Čtení parametrů ze zapalování", "Reading parametrs from ignition",
      "Lesen Kenndaten aus Zündbox"}},
    {"MenuNew",
     "hint",
     {"Nastavení výchozích parametrů", "Set default parameters ", "Neue Kenndatendatei erstellen"}},
    {"MenuExit", "hint", {"Ukončení programu", "End of program", "Beenden der Programm"}},
    {"MenuVerify",
     "hint",
     {"Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování",
      "Compare set parameters  with parameters of unit",
      "Vergleich der Kenndaten Programm mit Kenndaten der Zündbox"}},
    {"MenuProgram",
     "hint",
     {"Programování nastavených parametrů do jednotky", "Programing  set parameters to unit",
      "Programmieren der Kenndaten auf die Zündbox"}},
    {"MenuLanguage",
     "hint",
     {"Nastavení jazyka na angličtinu, češtinu nebo němčinu", "Set English or Czech or German",
      "Sprache"}},
    {"MenuEnglish", "hint", {"Set Englich menu", "Set Englich menu", "Set Englich menu"}},
    {"MenuCzech", "hint", {"Nastavit české menu", "Nastavit české menu", "Nastavit české menu"}},
    {"MenuGerman", "hint", {"Deutche Menü", "Deutche Menü", "Deutche Menü"}},
    {"MenuHelp", "hint", {"Není k dispozici", "Not available jet", "Noch nicht verfügbar"}},
    {"CheckBoxProgHned",
     "hint",
     {"Programování ihned po změně", "Programing at once after change",
      "Programmmieren gleich after die Umänderung"}},
    {"MenuCom",
     "hint",
     {"Nastavení čísla serivého portu (Com) ", "Set number of com", "Com Port festlegen"}},
};

// Counts code points, so that a Czech or German letter counts as one character.
std::string LimitCharacters(const std::string& text, std::size_t limit) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;  // continuation byte of the current character
    if (count == limit) return text.substr(0, i);
    ++count;
  }
  return text;
}

}  // namespace

const std::string& MessageTexts(Language language, int entry) {
  static const std::array<std::array<std::string, kMessageCount>, kLanguageCount> kTable = {{
      // Czech
      {
          "Chyba programování",                         // MsgProgramError
          "Chyba verifikace!",                          // MsgVerifyError
          "Chyba čtení!",                               // MsgReadError
          "Programování:",                              // MsgProgramming
          "Neshodné verze proramu v PC a zapalování!",  // MsgVersionMismatch
          "Verifikace:",                                // MsgVerifying
          "Čtení:",                                     // MsgReading
          "PŘEDSTIH= ",                                 // MsgAdvancePrefix
          "Počet programování= ",                       // MsgProgramCountPrefix
          "Startovací omezovač - ",                     // MsgStartLimiterPrefix
          "Snížení předstihu - ",                       // MsgRetardPrefix
          "ANO",                                        // MsgYes
          "NE",                                         // MsgNo
          "Polarita CKPS - ",                           // MsgPolarityPrefix
          "Kladná",                                     // MsgPositive
          "Záporná",                                    // MsgNegative
          "Chyba při otevírání portu Com!",             // MsgComOpenError
          "Chyba při otevírání souboru!",               // MsgOpenFileError
          "Chcete nastavit základní hodnoty?",          // MsgAskDefaults
      },
      // English
      {
          "Program error!",                                  // MsgProgramError
          "Verify error!",                                   // MsgVerifyError
          "Read error!",                                     // MsgReadError
          "Program device:",                                 // MsgProgramming
          "Unmatched version of PC and Ignition programs!",  // MsgVersionMismatch
          "Verify:",                                         // MsgVerifying
          "Read:",                                           // MsgReading
          "ADVANCE= ",                                       // MsgAdvancePrefix
          "Number of Programing= ",                          // MsgProgramCountPrefix
          "Start limiter - ",                                // MsgStartLimiterPrefix
          "Retard - ",                                       // MsgRetardPrefix
          "YES",                                             // MsgYes
          "NO",                                              // MsgNo
          "Polarity of CKPS - ",                             // MsgPolarityPrefix
          "Positive",                                        // MsgPositive
          "Negative",                                        // MsgNegative
          "Com opening error!",                              // MsgComOpenError
          "Open file error!",                                // MsgOpenFileError
          "Do you want default setting?",                    // MsgAskDefaults
      },
      // German
      {
          "Programmier. Fehler",                                // MsgProgramError
          "Vergleichsfehler",                                   // MsgVerifyError
          "Lesefehler",                                         // MsgReadError
          "Programmieren:",                                     // MsgProgramming
          "Uneinig Version von den PC and Zündung Programme!",  // MsgVersionMismatch
          "Verifikation:",                                      // MsgVerifying
          "Lesen:",                                             // MsgReading
          "Vorzündung= ",                                       // MsgAdvancePrefix
          "Programmierungszahl= ",                              // MsgProgramCountPrefix
          "Start Begrenzer - ",                                 // MsgStartLimiterPrefix
          "Spätzündung 1 - ",                                   // MsgRetardPrefix
          "JA",                                                 // MsgYes
          "NEIN",                                               // MsgNo
          "Polarität des CKPS - ",                              // MsgPolarityPrefix
          "Positiv",                                            // MsgPositive
          "Negative",                                           // MsgNegative
          "Fehler bei Eröffnung des COM-Anschlußes!",           // MsgComOpenError
          "Fehler bei Eröffnung der Datei!",                    // MsgOpenFileError
          "Wollen Sie Standardeinstellungen?",                  // MsgAskDefaults
      },
  }};
  static const std::string kNone;
  if (!Known(language) || entry < 0 || entry >= kMessageCount) return kNone;
  return kTable[static_cast<std::size_t>(Index(language))][static_cast<std::size_t>(entry)];
}

std::span<const UiTextRow> UiTextTable() {
  return kUiRows;
}

const char* NoConnectionText(Language language) {
  // The caption row of LabelSpojeni, found once at compile time.
  constexpr std::size_t kRow = [] {
    std::size_t row = 0;
    while (std::string_view(kUiRows[row].element) != "LabelSpojeni" ||
           std::string_view(kUiRows[row].property) != "caption")
      ++row;
    return row;
  }();
  return Known(language) ? kUiRows[kRow].text[Index(language)] : "";
}

const char* ComItemHint(Language language) {
  return Pick(language, "Nastavení komunikace na port com", "Set com", "Festzustellen Com");
}

const char* FileVersionMismatchText(Language language) {
  return Pick(language, "Neshodná verze souboru *.ign!", "Unmatched version of *.ign file!",
              "Uneinig Version der Datendatei *.ign!");
}

const char* PrintHeaderText(Language language) {
  // German users have always had the English header on their printouts.
  return Pick(language, "Datum a čas tisku:  ", "Date and Time of printing:  ",
              "Date and Time of printing:  ");
}

const char* HelpDocumentName(Language language) {
  return Pick(language, "VELMOR_QM_17_cz.doc", "VELMOR_QM_17_en.doc", "VELMOR_QM_17_de.doc");
}

std::string AboutText(Language language, const char* buildDate, const char* buildTime) {
  const std::string date = buildDate ? buildDate : "";
  const std::string time = buildTime ? buildTime : "";
  std::string text;
  switch (language) {
    case Language::Czech:
      text = "Program pro nastavování zapalování           \n\nverze 1.0\n\n" + date + "\n\n" +
             time + "\n\nSvobodný software, bez jakékoli záruky.\n\nKontakt:\n" +
             "viz README.md projektu qm17\n";
      break;
    case Language::English:
      text = "Programm for setting of ignition            \n\nversion 1.0\n\n" + date + "\n\n" +
             time + "\n\nFree software, without any warranty.\n\nContact:\n" +
             "see README.md of the qm17 project\n";
      break;
    case Language::German:
      text = "Program für der Adjustierung der Zündung        \nVersion 1.0\n\n" + date + "\n\n" +
             time + "\n\nFreie Software, ohne jede Gewähr.\n\nKontakt:\n" +
             "siehe README.md des Projekts qm17\n";
      break;
  }
  return LimitCharacters(text, kAboutTextLimit);
}

}  // namespace qm17
