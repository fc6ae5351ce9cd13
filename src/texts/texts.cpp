// The texts of the three interface languages. The odd spellings, double spaces and trailing
// spaces are the unit's established wording: users and their printouts know them this way.

#include "texts/texts.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

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

constexpr UiTextRow kAccessibleNames[] = {
    {"EditRpmAdv#", "name", {"Otáčky bodu #", "Point # speed", "Drehzahl Punkt #"}},
    {"EditAdvance#", "name", {"Předstih bodu #", "Point # advance", "Vorzündung Punkt #"}},
    {"EditPocetBodu", "name", {"Počet bodů", "Number of items", "Anzahl der Punkte"}},
    {"EditBaseAdv", "name", {"Základní předstih", "Base advance", "Basis Vorzündung"}},
    {"EditOmez1", "name", {"Startovací omezovač", "Start limiter", "Start Begrenzer"}},
    {"EditOmez2", "name", {"Omezovač", "Limiter", "Begrenzer"}},
    {"EditRetard", "name", {"Snížení předstihu", "Retard", "Spätzündung"}},
    {"EditLedRazeni", "name", {"Kontrolka řazení", "Gear shift light", "Schaltblitz"}},
    {"EditPocPalcu",
     "name",
     {"Počet zápalů za otáčku", "Ignitions per revolution", "Zündungen pro Umdrehung"}},
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

std::span<const UiTextRow> AccessibleNameTable() {
  return kAccessibleNames;
}

const char* PortText(Language language, PortTextId id) {
  // Czech, English, German per row, in the order of PortTextId.
  static constexpr const char* kRows[][kLanguageCount] = {
      {"&Sériové adaptéry...", "&Serial adapters...", "&Serielle Adapter..."},
      {"Sériové adaptéry|Přiřadit připojený sériový adaptér číslu portu Com",
       "Serial adapters|Assign a plugged-in serial adapter to a Com number",
       "Serielle Adapter|Einen angeschlossenen seriellen Adapter einer COM-Nummer zuordnen"},
      {"Sériové adaptéry", "Serial adapters", "Serielle Adapter"},
      {"Číslo portu Com:", "Com number:", "COM-Nummer:"},
      {"Nalezené adaptéry:", "Adapters found:", "Gefundene Adapter:"},
      {"Nebyl nalezen žádný sériový adaptér. Je připojený?",
       "No serial adapter found. Is it plugged in?",
       "Kein serieller Adapter gefunden. Ist er angeschlossen?"},
      {"Obnovit", "Refresh", "Aktualisieren"},
      {"Přiřadit a otevřít", "Assign and open", "Zuordnen und öffnen"},
      {"Zrušit", "Cancel", "Abbrechen"},
      {"zařízení neexistuje: je adaptér připojen?", "no such device: is the adapter plugged in?",
       "Gerät nicht vorhanden: Ist der Adapter angeschlossen?"},
      {"chybí oprávnění: spusťte „sudo adduser $USER dialout“ a znovu se přihlaste",
       "no permission: run \"sudo adduser $USER dialout\", then log in again",
       "keine Berechtigung: „sudo adduser $USER dialout“ ausführen, dann neu anmelden"},
      {"obsazeno: používá ho jiný program", "busy: in use by another program",
       "belegt: wird von einem anderen Programm verwendet"},
      {"není sériové zařízení", "not a serial device", "kein serielles Gerät"},
      {"nelze otevřít", "cannot be opened", "kann nicht geöffnet werden"},
  };
  static_assert(std::size(kRows) == static_cast<std::size_t>(PortTextId::kCount));
  const auto row = static_cast<std::size_t>(id);
  if (!Known(language) || row >= std::size(kRows)) return "";
  return kRows[row][Index(language)];
}

const char* LinkText(Language language, LinkTextId id) {
  // Czech, English, German per row, in the order of LinkTextId.
  static constexpr const char* kRows[][kLanguageCount] = {
      {"Nové parametry nebyly odeslány: jednotka obsahuje totéž co předtím. Zkontrolujte kabel "
       "a napájení jednotky a pak znovu programujte.",
       "The new parameters were not sent: the unit holds what it held before. Check the cable "
       "and the unit's power, then Program again.",
       "Die neuen Kenndaten wurden nicht gesendet: Die Zündbox enthält dasselbe wie vorher. "
       "Prüfen Sie das Kabel und die Stromversorgung der Zündbox und programmieren Sie dann "
       "erneut."},
      {"Jednotka přestala odpovídat po odeslání nových parametrů: není známo, co nyní obsahuje. "
       "Zkontrolujte kabel a napájení jednotky a pak znovu programujte.",
       "The unit stopped answering after the new parameters were sent: what it holds is "
       "unknown. Check the cable and the unit's power, then Program again.",
       "Die Zündbox antwortet nicht mehr, seit die neuen Kenndaten gesendet wurden: Was sie "
       "jetzt enthält, ist unbekannt. Prüfen Sie das Kabel und die Stromversorgung der Zündbox "
       "und programmieren Sie dann erneut."},
      {"Do jednotky nebylo nic zapsáno. Zkontrolujte kabel a napájení jednotky a zkuste to "
       "znovu.",
       "Nothing was written to the unit. Check the cable and the unit's power, then try again.",
       "In die Zündbox wurde nichts geschrieben. Prüfen Sie das Kabel und die Stromversorgung "
       "der Zündbox und versuchen Sie es erneut."},
      {"Jednotka neodpověděla na rámec %1 (%2).", "No answer to frame %1 (%2).",
       "Keine Antwort auf das Telegramm %1 (%2)."},
      {"zápis identifikačního bloku", "writing the identification block",
       "Schreiben des Kennungsblocks"},
      {"zápis parametrů", "writing the parameters", "Schreiben der Kenndaten"},
      {"čtení identifikačního bloku", "reading the identification block",
       "Lesen des Kennungsblocks"},
      {"čtení parametrů", "reading the parameters", "Lesen der Kenndaten"},
      {"Jednotka hlásí kód kompatibility %1; tento program pracuje s kódem %2.",
       "The unit reports compatibility code %1; this program works with code %2.",
       "Die Zündbox meldet den Kompatibilitätscode %1; dieses Programm arbeitet mit Code %2."},
      {"Nové parametry nebyly odeslány.", "The new parameters were not sent.",
       "Die neuen Kenndaten wurden nicht gesendet."},
      {"Parametry nebyly načteny.", "The parameters were not read.",
       "Die Kenndaten wurden nicht gelesen."},
  };
  static_assert(std::size(kRows) == static_cast<std::size_t>(LinkTextId::kCount));
  const auto row = static_cast<std::size_t>(id);
  if (!Known(language) || row >= std::size(kRows)) return "";
  return kRows[row][Index(language)];
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

const char* PrintFailedText(Language language) {
  return Pick(language, "Tisk se nezdařil.", "Printing failed.", "Der Druck ist fehlgeschlagen.");
}

const char* PrintProblemText(Language language, PrintProblemId id) {
  // Czech, English, German per row, in the order of PrintProblemId.
  static constexpr const char* kRows[][kLanguageCount] = {
      {"Není co tisknout: okno je prázdné.", "There is nothing to print: the window is empty.",
       "Es gibt nichts zu drucken: Das Fenster ist leer."},
      {"Není nastavena výchozí tiskárna.", "There is no default printer.",
       "Es ist kein Standarddrucker eingerichtet."},
      {"Tiskárnu nelze použít.", "The printer cannot be used.",
       "Der Drucker kann nicht verwendet werden."},
      {"Soubor %1 nelze zapsat.", "The file %1 cannot be written.",
       "Die Datei %1 kann nicht geschrieben werden."},
      {"Tiskárna %1 odmítla tiskovou úlohu.", "The printer %1 refused the print job.",
       "Der Drucker %1 hat den Druckauftrag abgelehnt."},
      {"Tisková úloha se nezdařila.", "The print job failed.",
       "Der Druckauftrag ist fehlgeschlagen."},
  };
  static_assert(std::size(kRows) == static_cast<std::size_t>(PrintProblemId::kCount));
  const auto row = static_cast<std::size_t>(id);
  if (!Known(language) || row >= std::size(kRows)) return "";
  return kRows[row][Index(language)];
}

const char* CommandLineHelpText(Language language) {
  return Pick(language,
              "použití: qm17 [ENGLISH|CESKY|DEUTSCH] [--lang en|cz|cs|de] [volby Qt]\n"
              "         qm17 [ENGLISH|CESKY|DEUTSCH] SOUBOR.ign\n"
              "         qm17 --help | --version\n"
              "\n"
              "Nastavení zapalování QM-17 přes sériový port: úprava křivky předstihu a dalších\n"
              "parametrů, čtení, verifikace a programování jednotky, sady parametrů v souborech\n"
              "\".ign\" a jejich tisk.\n"
              "\n"
              "  ENGLISH, CESKY, DEUTSCH  jako první argument: jazyk rozhraní (přesně takto,\n"
              "                           velkými písmeny); bez něj jazyk uložený naposledy\n"
              "                           (poprvé čeština)\n"
              "  --lang JAZYK             totéž: en, cz (nebo cs) nebo de\n"
              "  -h, --help               vypíše tento text a skončí\n"
              "  -v, --version            vypíše verzi a skončí\n"
              "  SOUBOR.ign               soubor parametrů, který se po spuštění otevře jako\n"
              "                           přes Soubor > Otevřít\n"
              "\n"
              "Platí i vlastní volby Qt (-platform, -style, -display ...).\n"
              "Nastavení: $XDG_CONFIG_HOME/qm17/Tarvex.ini (bez ní ~/.config/qm17/); oddíl\n"
              "[PORTS] určuje sériové zařízení každé položky menu Port (COM1=/dev/ttyUSB0).\n"
              "Klávesy: F3 nebo Ctrl+O Otevřít, F2 nebo Ctrl+S Uložit, Ctrl+P Tisk s náhledem,\n"
              "F7 Číst, F8 Verifikace, F9 Programovat, F4/F5 předstih -/+, Ctrl+Shift+A \"Vše\",\n"
              "Ctrl+Shift+P \"Programování po změně\", F1 návod.\n",
              "usage: qm17 [ENGLISH|CESKY|DEUTSCH] [--lang en|cz|cs|de] [Qt options]\n"
              "       qm17 [ENGLISH|CESKY|DEUTSCH] FILE.ign\n"
              "       qm17 --help | --version\n"
              "\n"
              "Sets up the QM-17 ignition unit over a serial port: edit the advance curve and\n"
              "the other parameters, Read, Verify or Program the unit, keep parameter sets in\n"
              "\".ign\" files and print them.\n"
              "\n"
              "  ENGLISH, CESKY, DEUTSCH  as the first argument: the interface language\n"
              "                           (exactly so, in capitals); without it the language\n"
              "                           saved last time (Czech the first time)\n"
              "  --lang LANG              the same: en, cz (or cs) or de\n"
              "  -h, --help               print this text and exit\n"
              "  -v, --version            print the version and exit\n"
              "  FILE.ign                 a parameter file to open after start-up, as\n"
              "                           File > Open does\n"
              "\n"
              "Qt's own options (-platform, -style, -display ...) are understood too.\n"
              "Settings: $XDG_CONFIG_HOME/qm17/Tarvex.ini (~/.config/qm17/ without it), where\n"
              "section [PORTS] names the serial device of each Com menu item (COM1=/dev/ttyUSB0).\n"
              "Keys: F3 or Ctrl+O Open, F2 or Ctrl+S Save, Ctrl+P Print with preview, F7 Read,\n"
              "F8 Verify, F9 Program, F4/F5 Advance -/+, Ctrl+Shift+A \"All\", Ctrl+Shift+P\n"
              "\"Programming after change\", F1 the manual.\n",
              "Aufruf: qm17 [ENGLISH|CESKY|DEUTSCH] [--lang en|cz|cs|de] [Qt-Optionen]\n"
              "        qm17 [ENGLISH|CESKY|DEUTSCH] DATEI.ign\n"
              "        qm17 --help | --version\n"
              "\n"
              "Stellt die Zündbox QM-17 über eine serielle Schnittstelle ein: die Vorzündungs-\n"
              "kurve und die übrigen Kenndaten bearbeiten, die Zündbox lesen, vergleichen oder\n"
              "programmieren, Kenndaten in \".ign\"-Dateien speichern und drucken.\n"
              "\n"
              "  ENGLISH, CESKY, DEUTSCH  als erstes Argument: die Sprache der Oberfläche (genau\n"
              "                           so, in Großbuchstaben); ohne es die zuletzt gespei-\n"
              "                           cherte Sprache (beim ersten Mal Tschechisch)\n"
              "  --lang SPRACHE           dasselbe: en, cz (oder cs) oder de\n"
              "  -h, --help               diesen Text ausgeben und beenden\n"
              "  -v, --version            die Version ausgeben und beenden\n"
              "  DATEI.ign                eine Kenndatendatei, die nach dem Start wie über\n"
              "                           Datei > Öffnen geöffnet wird\n"
              "\n"
              "Die Optionen von Qt (-platform, -style, -display ...) gelten ebenso.\n"
              "Einstellungen: $XDG_CONFIG_HOME/qm17/Tarvex.ini (ohne sie ~/.config/qm17/); der\n"
              "Abschnitt [PORTS] nennt das serielle Gerät jedes Eintrags im Menü COM-Anschluß\n"
              "(COM1=/dev/ttyUSB0).\n"
              "Tasten: F3 oder Strg+O Öffnen, F2 oder Strg+S Speichern, Strg+P Drucken mit\n"
              "Vorschau, F7 Lesen, F8 Vergleichen, F9 Programmieren, F4/F5 Vorzündung -/+,\n"
              "Strg+Umschalt+A \"Alles\", Strg+Umschalt+P \"Programmieren nach Änderung\",\n"
              "F1 Handbuch.\n");
}

namespace {
// Czech, English, German for each CurveTextId, in its order.
constexpr std::array<std::array<const char*, kLanguageCount>, kCurveTextCount> kCurveTexts = {{
    {"&Křivka předstihu", "Advance &curve", "Zünd&kurve"},
    {"Křivka předstihu|Křivka předstihu jako graf, upravitelná myší a klávesnicí",
     "Advance curve|The advance curve as a graph, edited with the mouse and the keys",
     "Zündkurve|Die Zündkurve als Grafik, mit Maus und Tastatur zu ändern"},
    {"Křivka předstihu", "Advance curve", "Zündkurve"},
    {"Otáčky [rpm]", "Engine speed [rpm]", "Drehzahl [rpm]"},
    {"Předstih [°]", "Advance [°]", "Vorzündung [°]"},
    {"Křivka", "Curve", "Kurve"},
    {"Křivka v zapalování", "Curve in the unit", "Kurve in der Zündbox"},
    {"Základní předstih", "Base advance", "Basis Vorzündung"},
    {"Startovací omezovač", "Start limiter", "Start Begrenzer"},
    {"Omezovač", "Limiter", "Begrenzer"},
    {"Kontrolka řazení", "Gear shift light", "Schaltblitz"},
    {"Motor", "Engine", "Motor"},
    {"Není spojení s PC", "No connection with PC", "Keine Verbindung mit PC"},
    {"&Soubor", "&File", "&Datei"},
    {"&Tisk...", "&Print...", "&Drucken..."},
    {"Uložit jako P&NG...", "Save as P&NG...", "Als P&NG speichern..."},
    {"Uložit jako P&DF...", "Save as P&DF...", "Als P&DF speichern..."},
    {"&Zavřít", "&Close", "&Schließen"},
    {"Bod táhněte myší; šipky posouvají vybraný bod, +/- mění předstih, PgUp/PgDn vybírá bod",
     "Drag a point; arrows move the selected point, +/- change its advance, PgUp/PgDn select",
     "Punkt mit der Maus ziehen; Pfeiltasten verschieben den gewählten Punkt, +/- ändert die "
     "Vorzündung, Bild auf/ab wählt einen Punkt"},
}};
}  // namespace

const char* CurveViewText(Language language, int id) {
  if (!Known(language) || id < 0 || id >= kCurveTextCount) return "";
  return kCurveTexts[static_cast<std::size_t>(id)][static_cast<std::size_t>(Index(language))];
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
             time + "\n\nSvobodný software (GPL-3.0-or-later), bez jakékoli záruky.\n\nKontakt:\n" +
             "viz README.md projektu qm17\n";
      break;
    case Language::English:
      text = "Programm for setting of ignition            \n\nversion 1.0\n\n" + date + "\n\n" +
             time + "\n\nFree software (GPL-3.0-or-later), without any warranty.\n\nContact:\n" +
             "see README.md of the qm17 project\n";
      break;
    case Language::German:
      text = "Program für der Adjustierung der Zündung        \nVersion 1.0\n\n" + date + "\n\n" +
             time + "\n\nFreie Software (GPL-3.0-or-later), ohne jede Gewähr.\n\nKontakt:\n" +
             "siehe README.md des Projekts qm17\n";
      break;
  }
  return LimitCharacters(text, kAboutTextLimit);
}

namespace {

struct ExtraTextRow {
  const char* text[kLanguageCount];  // by language number
};
constexpr ExtraTextRow kExtraRows[kExtraTextCount] = {
    {{"Otáčky bodu %u", "Point %u speed", "Drehzahl Punkt %u"}},
    {{"Předstih bodu %u", "Point %u advance", "Vorzündung Punkt %u"}},
    {{"bajt %u", "byte %u", "Byte %u"}},
    {{"Sady parametrů jsou shodné.", "The parameter sets are the same.",
      "Die Kenndatensätze stimmen überein."}},
    {{"Změněno při načtení (soubor → načteno):", "Changed on loading (file → loaded):",
      "Beim Laden geändert (Datei → geladen):"}},
    {{"Sadu nelze uložit do historie:", "The set could not be kept in the history:",
      "Der Kenndatensatz konnte nicht im Verlauf gespeichert werden:"}},
    {{"V jednotce jsou jiné hodnoty (okno → jednotka):",
      "The unit holds otherwise (window → unit):",
      "Die Zündbox enthält andere Werte (Fenster → Zündbox):"}},
    {{"Porovnat s jednotkou", "Compare with unit", "Mit der Zündbox gegenüberstellen"}},
    {{"Rozdíly…", "Differences…", "Unterschiede…"}},
    {{"Historie", "History", "Verlauf"}},
    {{"Žádné uložené sady", "No kept sets", "Keine gespeicherten Kenndatensätze"}},
    {{"V souboru jsou jiné hodnoty (okno → soubor):", "The file holds otherwise (window → file):",
      "Die Datei enthält andere Werte (Fenster → Datei):"}},
    {{"(celý seznam: Zapalování > Rozdíly…)", "(whole list: Device > Differences…)",
      "(vollständige Liste: Zündbox > Unterschiede…)"}},
    {{"V jednotce jsou jiné hodnoty (soubor → jednotka):",
      "The unit holds otherwise (file → unit):",
      "Die Zündbox enthält andere Werte (Datei → Zündbox):"}},
};

std::string UiText(Language language, std::string_view element, std::string_view property) {
  for (const UiTextRow& row : kUiRows) {
    if (row.element == element && row.property == property) return row.text[Index(language)];
  }
  return {};
}

// "Limiter [rpm]" names the field "Limiter", "Polarity of CKPS:" names "Polarity of CKPS".
std::string WithoutUnit(std::string caption) {
  if (const std::size_t unit = caption.find(" ["); unit != std::string::npos) caption.resize(unit);
  if (!caption.empty() && caption.back() == ':') caption.pop_back();
  return caption;
}

}  // namespace

const char* ExtraText(Language language, int entry) {
  if (!Known(language) || entry < 0 || entry >= kExtraTextCount) return "";
  return kExtraRows[entry].text[Index(language)];
}

ChangeWording ChangeWordingFor(Language language) {
  ChangeWording wording;
  if (!Known(language)) return wording;
  const auto set = [&](ParameterField field, std::string name) {
    wording.names[static_cast<std::size_t>(field)] = std::move(name);
  };
  const auto caption = [&](const char* element) {
    return WithoutUnit(UiText(language, element, "caption"));
  };
  set(ParameterField::PointCount, caption("LabelPocetBodu"));
  set(ParameterField::BaseAdvance, caption("LabelBaseAdv"));
  set(ParameterField::Limiter, caption("LabelOmez2"));
  set(ParameterField::Polarity, caption("RadioGroupPolarita"));
  set(ParameterField::StartLimiter, caption("LabelOmez1"));
  set(ParameterField::Retard, caption("LabelRetard"));
  set(ParameterField::IgnitionsPerRev, caption("LabelPocPalcu"));
  set(ParameterField::ShiftLight, caption("LabelLedRazeni"));
  set(ParameterField::PointSpeed, ExtraText(language, TextPointSpeed));
  set(ParameterField::PointAdvance, ExtraText(language, TextPointAdvance));
  set(ParameterField::Reserved, ExtraText(language, TextReservedByte));
  const std::string items = UiText(language, "RadioGroupPolarita", "items");
  std::size_t start = 0;
  for (std::string& item : wording.polarityItems) {
    const std::size_t end = std::min(items.find('\n', start), items.size());
    item = items.substr(std::min(start, items.size()), end - std::min(start, items.size()));
    start = end + 1;
  }
  return wording;
}

}  // namespace qm17
